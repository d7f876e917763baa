#include "DravixAppTest.h"

#include "store/StorePaths.h"
#include "WinTestSupport.h"
#include "base/Text.h"

#include <algorithm>
#include <cstdio>

void DravixAppTest::SetUp() {
    // A test ended by ctest's timeout leaves its program running: the next start would only
    // bring that window forward.
    endProcessesNamed(L"dravix.exe");
    putClipboard({});
    // What an earlier test left: the window's place, the queue-on-copy setting, a damaged store
    // kept aside.
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Dravix", L"WindowPlacement");
    for (const wchar_t* option : {L"RestoreLastRun", L"MakeRoomWhenFull", L"QueueOnCopy"})
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Dravix", option);
    const std::string folder = store::userStoreFolder();
    for (const char* name : {"clipboard.xml.damaged", "clipboard.xml.damaged2", "label.xml.damaged"})
        DeleteFileW(base::toWide(store::joinPath(folder, name)).c_str());
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

// DRAVIX_TEST_LOGS names a folder where each test's whole debug log is kept, to read later.
void DravixAppTest::TearDown() {
    wchar_t folder[MAX_PATH] = {};
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    if (GetEnvironmentVariableW(L"DRAVIX_TEST_LOGS", folder, MAX_PATH) && test)
        writeBytes(base::toUtf8(folder) + "\\" + test->test_suite_name() + "." + test->name() + ".log", m_log.text());
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

HWND DravixAppTest::nameCategory(const std::wstring& name) {
    PostMessageW(m_app->mainWindow(), WM_COMMAND, 32804, 0);
    HWND named = waitForProcessDialog(m_app->processId(), m_app->mainWindow());
    if (!named)
        return nullptr;
    bringToFront(named);
    typeText(name);
    pressKeys({VK_RETURN});
    return named;
}

void DravixAppTest::fileRowInCategory(int row, int position) {
    const std::wstring text = m_app->rows().at(static_cast<std::size_t>(row)).content;
    m_app->selectRows({row});
    ASSERT_TRUE(bringToFront(m_app->mainWindow()));
    const RECT bounds = m_app->rowRect(row);
    movePointer({bounds.left + 30, (bounds.top + bounds.bottom) / 2});
    sendMouseButton(MOUSEEVENTF_RIGHTDOWN);
    sendMouseButton(MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(pumpUntil([&] { return FindWindowW(L"#32768", nullptr) != nullptr; }, 5s));
    std::vector<WORD> keys = {VK_DOWN, VK_DOWN, VK_RIGHT};
    keys.insert(keys.end(), static_cast<std::size_t>(position), VK_DOWN);
    keys.push_back(VK_RETURN);
    for (WORD key : keys)
        pressKeys({key});
    ASSERT_TRUE(m_app->waitForRows([&](const auto& rows) {
        return std::none_of(rows.begin(), rows.end(), [&](const ListRow& shown) { return shown.content == text; });
    }));
}

HWND DravixAppTest::rowMenu(const std::vector<int>& rows) {
    EXPECT_TRUE(bringToFront(m_app->mainWindow()));
    m_app->selectRows(rows);
    const RECT row = m_app->rowRect(rows.front());
    movePointer({row.left + 30, (row.top + row.bottom) / 2});
    sendMouseButton(MOUSEEVENTF_RIGHTDOWN);
    sendMouseButton(MOUSEEVENTF_RIGHTUP);
    return waitForProcessMenu(m_app->processId());
}

bool DravixAppTest::previewShows(int row, const std::wstring& text) {
    const RECT bounds = m_app->rowRect(row);
    m_clickAcross = m_clickAcross >= 140 ? 20 : m_clickAcross + 20;
    clickAt({bounds.left + m_clickAcross, (bounds.top + bounds.bottom) / 2});
    return pumpUntil([&] { return m_app->previewText() == text; }, 5s);
}
