#include "DravixAppTest.h"

#include "WinTestSupport.h"

#include <cstdio>

void DravixAppTest::SetUp() {
    putClipboard({});
    m_app = std::make_unique<DravixProcess>();
    ASSERT_TRUE(m_app->waitForMainWindow());
}

void DravixAppTest::TearDown() {
    if (!HasFailure())
        return;
    const std::vector<std::string> lines = m_log.lines();
    const std::size_t from = lines.size() > 200 ? lines.size() - 200 : 0;
    std::printf("---- the last %u lines of the debug log\n", static_cast<unsigned>(lines.size() - from));
    for (std::size_t i = from; i < lines.size(); ++i)
        std::printf("%s\n", lines[i].c_str());
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
