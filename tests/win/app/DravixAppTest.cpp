#include "DravixAppTest.h"

#include "StoreFormat.h"
#include "StorePaths.h"
#include "WinTestSupport.h"
#include "fw/Text.h"

#include <cstdio>

void DravixAppTest::SetUp() {
    putClipboard({});
    // What an earlier test left: the window's place, the queue-on-copy setting, a damaged store
    // kept aside.
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Dravix", L"WindowPlacement");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Dravix", L"QueueOnCopy");
    const std::string folder = store::userStoreFolder();
    for (const char* name : {"clipboard.xml.damaged", "clipboard.xml.damaged2", "label.xml.damaged"})
        DeleteFileW(fw::toWide(store::joinPath(folder, name)).c_str());
    if (m_start == Start::AtSetUp)
        start();
}

void DravixAppTest::start() {
    m_app.reset();
    const auto begin = std::chrono::steady_clock::now();
    m_app = std::make_unique<DravixProcess>();
    ASSERT_TRUE(m_app->started());
    ASSERT_TRUE(m_app->waitForMainWindow());
    m_startup = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - begin).count();
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
