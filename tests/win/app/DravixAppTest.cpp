#include "DravixAppTest.h"

#include "store/Protocol.h"
#include "store/RunNames.h"
#include "store/StorePaths.h"
#include "WinTestSupport.h"
#include "base/Text.h"
#include "fw/Window.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <filesystem>

void DravixAppTest::SetUp() {
    // A test ended by ctest's timeout leaves its program running: the next start would only
    // bring that window forward.
    endProcessesNamed(L"dravix.exe");
    putClipboard({});
    // What an earlier test left: the window's place, the queue-on-copy setting, a damaged store
    // kept aside, kept runs.
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Dravix", L"WindowPlacement");
    for (const wchar_t* option : {L"RestoreLastRun", L"MakeRoomWhenFull", L"QueueOnCopy", L"AlwaysOnTop", L"LastArchiveFolder",
                                  L"SkipSecrets"})
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Dravix", option);
    RegDeleteTreeW(HKEY_CURRENT_USER, store::kArchiveFoldersKey);
    const std::string folder = store::userStoreFolder();
    for (const char* name : {"clipboard.xml.damaged", "clipboard.xml.damaged2", "label.xml.damaged"})
        DeleteFileW(base::toWide(store::joinPath(folder, name)).c_str());
    // The runs and archives an earlier test kept: a test finds only its own in the runs folder.
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::u8path(store::joinPath(folder, store::kRunsFolderName)), ignored);
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

void DravixAppTest::moveBesideTheTargets() {
    SetWindowPos(m_app->mainWindow(), nullptr, 500, 350, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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
    pumpUntil([&] { return IsChild(named, focusInThreadOf(named)); }, 5s);
    typeText(name);
    pressKeys({VK_RETURN});
    return named;
}

HWND DravixAppTest::optionsSheet() {
    HWND sheet = waitForProcessDialog(m_app->processId(), m_app->mainWindow());
    if (!sheet || fw::windowText(sheet) != L"选项" || !bringToFront(sheet) ||
        !pumpUntil([&] { return IsChild(sheet, focusInThreadOf(sheet)); }, 5s))
        return nullptr;
    return sheet;
}

void DravixAppTest::fileRowInCategory(int row, int position) {
    const std::wstring text = m_app->rows().at(static_cast<std::size_t>(row)).content;
    m_app->selectRows({row});
    ASSERT_TRUE(bringToFront(m_app->mainWindow()));
    const RECT bounds = m_app->rowRect(row);
    movePointer({bounds.left + 30, (bounds.top + bounds.bottom) / 2});
    sendMouseButton(MOUSEEVENTF_RIGHTDOWN);
    sendMouseButton(MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(waitForProcessMenu(m_app->processId()));
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

// Wine may drop the first click on a freshly added icon while its tooltip comes up; a person would
// simply click again, and so does the test.
HWND DravixAppTest::trayMenu() {
    const POINT icon = newestTrayIcon();
    HWND popup = nullptr;
    for (int attempt = 0; attempt < 3 && !popup; ++attempt) {
        movePointer(icon);
        sendMouseButton(MOUSEEVENTF_RIGHTDOWN);
        sendMouseButton(MOUSEEVENTF_RIGHTUP);
        popup = waitForProcessMenu(m_app->processId(), 3s);
    }
    return popup;
}

// Nothing is selected before the click, so the row's selection tells that the click took; one
// that did not (the window still settling, a loaded machine) is clicked again, as a person would.
bool DravixAppTest::previewShows(int row, const std::wstring& text) {
    m_app->selectRows({});
    const RECT bounds = m_app->rowRect(row);
    bool taken = false;
    for (int click = 0; click < 3 && !taken; ++click) {
        m_clickAcross = m_clickAcross >= 140 ? 20 : m_clickAcross + 20;
        clickAt({bounds.left + m_clickAcross, (bounds.top + bounds.bottom) / 2});
        taken = pumpUntil([&] { return m_app->selectedRows() == std::vector<int>{row}; }, 2s);
    }
    return taken && pumpUntil([&] { return m_app->previewText() == text; }, 5s);
}

HWND DravixAppTest::typeIntoFileDialog(const std::wstring& path, const std::wstring& shot) {
    HWND files = fileDialogTakingKeys();
    if (!files)
        return nullptr;
    typeText(path);
    if (!shot.empty())
        screenshot(shot + L".png");
    pressKeys({VK_RETURN});
    return files;
}

void DravixAppTest::answerFileDialog(const std::wstring& path, bool replaces, const std::wstring& shot) {
    HWND files = typeIntoFileDialog(path, shot);
    ASSERT_TRUE(files);
    if (replaces) {
        HWND question = waitForProcessDialog(m_app->processId(), {files, m_app->mainWindow()});
        ASSERT_TRUE(question);
        if (!shot.empty())
            screenshot(shot + L"-replace.png");
        PostMessageW(question, WM_COMMAND, IDYES, 0);
    }
    ASSERT_TRUE(pumpUntil([&] { return !IsWindow(files) || !IsWindowVisible(files); }, 8s));
}

HWND DravixAppTest::fileDialogTakingKeys() {
    HWND files = waitForProcessDialog(m_app->processId(), m_app->mainWindow());
    if (!files || !bringToFront(files))
        return nullptr;
    return pumpUntil([&] { return IsChild(files, focusInThreadOf(files)); }, 5s) ? files : nullptr;
}

int DravixAppTest::missedInTooltip() const {
    const std::string tooltip = m_log.lastLineWith("tray tooltip:");
    const std::string label = "未能记录：";
    const std::size_t at = tooltip.find(label);
    return at == std::string::npos ? 0 : std::atoi(tooltip.c_str() + at + label.size());
}

std::string fullHistoryIndex(const std::function<std::string(const std::string& clip)>& more) {
    std::string index = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<UserInfo>\r\n";
    for (int n = 1; n <= 999; ++n) {
        const std::string clip = "his" + std::to_string(n) + "-";
        index += "<" + clip + "0>13</" + clip + "0>\r\n" + (more ? more(clip) : std::string());
    }
    return index + "</UserInfo>\r\n";
}

DravixAppTest::BurstOutcome DravixAppTest::settleBurst(const std::wstring& prefix, int copies, std::chrono::seconds bound,
                                                       int missedBefore) {
    BurstOutcome outcome;
    // Settled: recorded (its row shown; the store thread may still be filing the last ones) or
    // counted as missed, and nothing left waiting.
    const auto settled = [&] {
        outcome.rows = m_app->rows();
        outcome.tooltip = m_log.lastLineWith("tray tooltip:");
        outcome.missed = missedInTooltip() - missedBefore;
        outcome.recorded = outcome.repeated = 0;
        outcome.notOnce.clear();
        for (int i = 0; i < copies; ++i) {
            const std::size_t held = rowsHolding(outcome.rows, prefix + L" " + std::to_wstring(i));
            outcome.recorded += held == 1;
            outcome.repeated += held > 1;
            if (held != 1)
                outcome.notOnce += " " + std::to_string(i) + ":" + std::to_string(held);
        }
        return outcome.recorded + outcome.missed >= copies && outcome.tooltip.find("等待中") == std::string::npos;
    };
    pumpUntil(settled, bound);
    return outcome;
}
