#include "DravixAppTest.h"

#include "WinTestSupport.h"
#include "fw/Text.h"

void DravixAppTest::SetUp() {
    putClipboard({});
    m_log = m_dir.path("dravix.log");
    SetEnvironmentVariableW(L"DRAVIX_LOG", fw::toWide(m_log).c_str());
    m_app = std::make_unique<DravixProcess>();
    ASSERT_TRUE(m_app->waitForMainWindow());
}

void DravixAppTest::TearDown() {
    SetEnvironmentVariableW(L"DRAVIX_LOG", nullptr);
}

void DravixAppTest::record(const std::wstring& text) {
    putClipboardText(text);
    ASSERT_TRUE(m_app->waitForRows([&](const auto& rows) {
        for (const ListRow& row : rows)
            if (row.content == text)
                return true;
        return false;
    }));
}

bool DravixAppTest::logHas(const std::string& piece, std::size_t from) const {
    const std::vector<std::string> lines = fileLines(m_log);
    for (std::size_t i = from; i < lines.size(); ++i)
        if (lines[i].find(piece) != std::string::npos)
            return true;
    return false;
}

std::size_t DravixAppTest::logMark() const {
    return fileLines(m_log).size();
}

std::string DravixAppTest::logText() const {
    return readBytes(m_log);
}
