// The options dialog run in this process as a user runs it, by its access keys and real keys: the
// chords it refuses and why, a file exported and imported (and a malformed one refused), the
// paste-key rules and excluded programs edited, and what the registry holds afterwards. The
// dialog has a thread of its own; this one types and looks.
#include "ui/OptionsDlg.h"
#include "options/OptionsFile.h"
#include "options/OptionsRegistry.h"
#include "store/Protocol.h"
#include "base/Text.h"
#include "fw/Settings.h"
#include "fw/Window.h"
#include "app/DravixProcess.h"
#include "TestFiles.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <thread>

namespace {

// Ids of res/resource.h.
constexpr int kCopyKey = 1110, kQueueKey = 1113, kPointerList = 1116, kPointerOff = 1126;
constexpr int kRestoreClipboard = 1103, kQueueOnCopy = 1106;
constexpr int kPasteList = 1140, kExcludedList = 1150;
constexpr int kKeptRuns = 1160, kKeptMegabytes = 1162;

// A WNDENUMPROC is CALLBACK (stdcall in the x86 build), which a lambda cannot be.
BOOL CALLBACK addStaticText(HWND child, LPARAM all) {
    wchar_t name[32] = {};
    GetClassNameW(child, name, 32);
    if (lstrcmpiW(name, L"Static") == 0)
        *reinterpret_cast<std::wstring*>(all) += fw::windowText(child);
    return TRUE;
}

std::wstring staticTexts(HWND window) {
    std::wstring text;
    EnumChildWindows(window, addStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

class OptionsDlgTest : public ::testing::Test {
protected:
    OptionsDlgTest() { options::writeOptions(options::Options{}); }
    ~OptionsDlgTest() override {
        if (m_thread.joinable()) {
            closeWhatIsOpen();
            m_thread.join();
        }
        options::writeOptions(options::Options{});
    }
    // A test that failed half way: its message boxes and file dialogs closed, then the sheet.
    void closeWhatIsOpen() {
        pumpUntil([&] {
            HWND top = waitForProcessDialog(GetCurrentProcessId(), nullptr, 0ms);
            if (top)
                PostMessageW(top, top == m_sheet ? WM_COMMAND : WM_CLOSE, IDCANCEL, 0);
            return !IsWindow(m_sheet);
        }, 10s);
    }

    void open(ui::COptionsDlg::Page start) {
        m_dialog.m_options = options::readOptions();
        m_dialog.m_nStartPage = start;
        m_thread = std::thread([this] { m_result = m_dialog.DoModal(nullptr); });
        m_sheet = waitForProcessDialog(GetCurrentProcessId(), nullptr);
        ASSERT_TRUE(m_sheet);
        ASSERT_TRUE(bringToFront(m_sheet));
    }
    // The result of the dialog, once it has ended.
    INT_PTR ended() {
        const bool closed = pumpUntil([&] { return !IsWindow(m_sheet); }, 8s);
        EXPECT_TRUE(closed);
        if (!closed)
            closeWhatIsOpen();
        m_thread.join();
        return closed ? m_result : -1;
    }

    HWND page() const { return PropSheet_GetCurrentPageHwnd(m_sheet); }
    HWND control(int id) const { return GetDlgItem(page(), id); }
    HWND focused() const { return focusInThreadOf(m_sheet); }
    bool checked(int id) const { return IsDlgButtonChecked(page(), id) == BST_CHECKED; }

    // Ctrl+Tab, as often as it takes, to the page that has control `id`.
    bool showPageWith(int id) {
        for (int i = 0; i < 4 && !control(id); ++i) {
            const HWND before = page();
            pressChord({VK_CONTROL}, VK_TAB);
            pumpUntil([&] { return page() != before; }, 3s);
        }
        return control(id) != nullptr;
    }
    // Alt and the access key of the label before control `id`.
    bool focusByAccessKey(WORD letter, int id) {
        pressChord({VK_MENU}, letter);
        return pumpUntil([&] { return focused() == control(id); }, 3s);
    }
    // Alt and the access key of a check box, which turns it over.
    bool toggleByAccessKey(WORD letter, int id) {
        const bool before = checked(id);
        pressChord({VK_MENU}, letter);
        return pumpUntil([&] { return checked(id) != before; }, 3s);
    }
    // A chord pressed into the hot-key control `id`, then Tab out of it (it takes every other key).
    bool pressIntoHotKey(int id, std::vector<WORD> modifiers, WORD key, BYTE flags) {
        pressChord(std::move(modifiers), key);
        const bool taken = pumpUntil([&] { return SendMessageW(control(id), HKM_GETHOTKEY, 0, 0) == MAKEWORD(key, flags); }, 3s);
        pressKeys({VK_TAB});
        return taken;
    }
    // The message box over the sheet: its text, once Enter (its first button) has closed it.
    std::wstring answerMessage() {
        HWND box = waitForProcessDialog(GetCurrentProcessId(), m_sheet);
        if (!box || !bringToFront(box))
            return L"(no message)";
        const std::wstring text = staticTexts(box);
        pressKeys({VK_RETURN});
        pumpUntil([&] { return !IsWindow(box); }, 5s);
        bringToFront(m_sheet);
        return text;
    }
    void answerFileDialog(const std::string& path) {
        HWND files = waitForProcessDialog(GetCurrentProcessId(), m_sheet);
        ASSERT_TRUE(files);
        ASSERT_TRUE(bringToFront(files));
        ASSERT_TRUE(pumpUntil([&] { return IsChild(files, focused()); }, 5s));
        typeText(base::toWide(path));
        pressKeys({VK_RETURN});
        ASSERT_TRUE(pumpUntil([&] { return !IsWindow(files) || !IsWindowVisible(files); }, 8s));
    }

    ScratchDir m_dir;
    ui::COptionsDlg m_dialog;
    std::thread m_thread;
    INT_PTR m_result = 0;
    HWND m_sheet = nullptr;
};

std::wstring chordValue(const wchar_t* name) {
    for (const auto& [value, text] : fw::ReadUserStrings(store::kChordsKey))
        if (value == name)
            return text;
    return L"(none)";
}

TEST_F(OptionsDlgTest, ChordsAreRefusedSayingWhyAndTheUsersOwnAreKept) {
    open(ui::COptionsDlg::Chords);
    ASSERT_TRUE(focusByAccessKey('C', kCopyKey));
    ASSERT_TRUE(pressIntoHotKey(kCopyKey, {VK_CONTROL, VK_SHIFT}, '1', HOTKEYF_CONTROL | HOTKEYF_SHIFT));
    ASSERT_TRUE(focusByAccessKey('Q', kQueueKey));
    ASSERT_TRUE(pressIntoHotKey(kQueueKey, {VK_CONTROL}, 'V', HOTKEYF_CONTROL));
    pressKeys({VK_RETURN});
    EXPECT_NE(answerMessage().find(L"“粘贴队列的下一条”的快捷键 Ctrl+V：会占用常用的按键 Ctrl+V（粘贴）"), std::wstring::npos);

    ASSERT_TRUE(focusByAccessKey('Q', kQueueKey));
    ASSERT_TRUE(pressIntoHotKey(kQueueKey, {VK_CONTROL, VK_MENU}, 'K', HOTKEYF_CONTROL | HOTKEYF_ALT));
    // Another program takes the chord as its hot key now (once it has, the key reaches no window).
    ASSERT_TRUE(RegisterHotKey(nullptr, 0x5A5A, MOD_CONTROL | MOD_ALT, 'K'));
    pressKeys({VK_RETURN});
    EXPECT_NE(answerMessage().find(L"Ctrl+Alt+K 已被其他程序注册为系统热键"), std::wstring::npos);
    UnregisterHotKey(nullptr, 0x5A5A);

    ASSERT_TRUE(focusByAccessKey('Q', kQueueKey));
    ASSERT_TRUE(pressIntoHotKey(kQueueKey, {VK_CONTROL, VK_MENU}, 'J', HOTKEYF_CONTROL | HOTKEYF_ALT));
    ASSERT_TRUE(focusByAccessKey('M', kPointerList));
    pressKeys({'A'});  // the list's "Alt"
    ASSERT_TRUE(pumpUntil([&] { return SendMessageW(control(kPointerList), CB_GETCURSEL, 0, 0) == 1; }, 3s));
    screenshot(L"options-chords.png");
    pressKeys({VK_RETURN});
    ASSERT_EQ(ended(), IDOK);

    ASSERT_TRUE(options::writeOptions(m_dialog.m_options));
    EXPECT_EQ(chordValue(L"CopyToSlot"), L"Ctrl+Shift+数字");
    EXPECT_EQ(chordValue(L"PasteQueueHead"), L"Ctrl+Alt+J");
    EXPECT_EQ(chordValue(L"ClipMenuAtPointer"), L"Alt+右键单击");
    EXPECT_EQ(chordValue(L"PasteSlot"), L"Ctrl+Alt+数字");
    EXPECT_TRUE(options::readChordOptions() == m_dialog.m_options.chords);
}

TEST_F(OptionsDlgTest, AnImportBringsBackWhatWasExportedAndAMalformedFileChangesNothing) {
    const std::string exported = m_dir.path("options.xml");
    const std::string malformed = m_dir.path("malformed.xml");
    writeBytes(malformed, "<Options><Version>1</Version></Options>");
    open(ui::COptionsDlg::General);
    ASSERT_TRUE(toggleByAccessKey('B', kRestoreClipboard));
    pressChord({VK_MENU}, 'E');
    answerFileDialog(exported);
    ASSERT_TRUE(pumpUntil([&] { return fileExists(exported); }, 5s));  // written once the dialog has gone

    ASSERT_TRUE(toggleByAccessKey('B', kRestoreClipboard));
    ASSERT_TRUE(toggleByAccessKey('Q', kQueueOnCopy));
    ASSERT_TRUE(showPageWith(kPointerOff));
    ASSERT_TRUE(toggleByAccessKey('7', kPointerOff));
    pressChord({VK_CONTROL, VK_SHIFT}, VK_TAB);
    ASSERT_TRUE(pumpUntil([&] { return control(kRestoreClipboard) != nullptr; }, 3s));

    pressChord({VK_MENU}, 'I');
    answerFileDialog(malformed);
    const std::wstring refused = answerMessage();
    EXPECT_NE(refused.find(L"根元素应当是 <DravixOptions>"), std::wstring::npos) << base::toUtf8(refused);
    EXPECT_NE(refused.find(L"选项没有改变"), std::wstring::npos);
    EXPECT_FALSE(checked(kRestoreClipboard));
    EXPECT_TRUE(checked(kQueueOnCopy));

    pressChord({VK_MENU}, 'I');
    answerFileDialog(exported);
    const std::wstring changes = answerMessage();  // Enter: yes
    for (const wchar_t* line : {L"粘贴后恢复剪贴板：关 → 开", L"复制时加入粘贴队列：开 → 关", L"快捷键“在指针处打开剪贴菜单”：关闭 → Ctrl+右键单击"})
        EXPECT_NE(changes.find(line), std::wstring::npos) << base::toUtf8(line);
    ASSERT_TRUE(pumpUntil([&] { return checked(kRestoreClipboard) && !checked(kQueueOnCopy); }, 3s));
    screenshot(L"options-general.png");
    pressKeys({VK_RETURN});
    ASSERT_EQ(ended(), IDOK);

    ASSERT_TRUE(options::writeOptions(m_dialog.m_options));
    const options::OptionsFileRead read = options::readOptionsFile(readBytes(exported));
    ASSERT_TRUE(read.options) << read.error;
    EXPECT_TRUE(options::readOptions() == *read.options);
    EXPECT_EQ(fw::ReadUserDword(store::kSettingsKey, store::kRestoreClipboardSetting), 1u);
}

// The runs kept: a number out of range keeps the page open saying why; what OK keeps.
TEST_F(OptionsDlgTest, TheRunsKeptTakeANumberInRangeOnly) {
    open(ui::COptionsDlg::General);
    ASSERT_TRUE(focusByAccessKey('K', kKeptRuns));
    typeText(L"0");
    pressKeys({VK_RETURN});
    EXPECT_NE(answerMessage().find(L"“保留以前的记录（次）”应当是 1 到 500 之间的整数"), std::wstring::npos);
    ASSERT_TRUE(focusByAccessKey('K', kKeptRuns));
    typeText(L"25");
    ASSERT_TRUE(focusByAccessKey('Z', kKeptMegabytes));
    typeText(L"100");
    pressKeys({VK_RETURN});
    ASSERT_EQ(ended(), IDOK);
    ASSERT_TRUE(options::writeOptions(m_dialog.m_options));
    EXPECT_EQ(fw::ReadUserDword(store::kSettingsKey, store::kKeptRunsSetting), 25u);
    EXPECT_EQ(fw::ReadUserDword(store::kSettingsKey, store::kKeptRunsMegabytesSetting), 100u);
}

TEST_F(OptionsDlgTest, RulesAndProgramsAreAddedWithOKAndCancelChangesNothing) {
    open(ui::COptionsDlg::Paste);
    ASSERT_TRUE(focusByAccessKey('W', 1141));
    typeText(L"DravixTestTerminal");
    ASSERT_TRUE(focusByAccessKey('K', 1142));
    typeText(L"Shift+Insert");
    pressChord({VK_MENU}, 'A');
    ASSERT_TRUE(pumpUntil([&] { return ListView_GetItemCount(control(kPasteList)) == 6; }, 3s));
    screenshot(L"options-paste.png");
    ASSERT_TRUE(showPageWith(kExcludedList));
    ASSERT_TRUE(focusByAccessKey('F', 1151));
    typeText(L"C:\\Tools\\KeePass.exe");
    pressChord({VK_MENU}, 'A');
    ASSERT_TRUE(pumpUntil([&] { return ListView_GetItemCount(control(kExcludedList)) == 1; }, 3s));
    screenshot(L"options-privacy.png");
    pressKeys({VK_RETURN});
    ASSERT_EQ(ended(), IDOK);
    ASSERT_TRUE(options::writeOptions(m_dialog.m_options));
    const options::Options saved = options::readOptions();
    ASSERT_EQ(saved.pasteKeyRules.size(), 1u);
    EXPECT_EQ(saved.pasteKeyRules[0].match, "DravixTestTerminal");
    EXPECT_EQ(saved.pasteKeyRules[0].keys, "Shift+Insert");
    ASSERT_EQ(saved.excludedPrograms.size(), 1u);
    EXPECT_EQ(saved.excludedPrograms[0].path, "C:\\Tools\\KeePass.exe");

    open(ui::COptionsDlg::Privacy);
    pressChord({VK_MENU}, 'D');
    ASSERT_TRUE(pumpUntil([&] { return ListView_GetItemCount(control(kExcludedList)) == 0; }, 3s));
    pressKeys({VK_ESCAPE});
    ASSERT_EQ(ended(), IDCANCEL);
    EXPECT_TRUE(m_dialog.m_options == saved);
}

// The 同步 page: every control reached by its access key, the passphrase masked and asked twice
// (two that differ refused, saying so), what OK keeps.
TEST_F(OptionsDlgTest, TheSyncPageAsksForThePassphraseTwice) {
    constexpr int kEnabled = 1450, kFolder = 1451, kPassphrase = 1453, kRepeated = 1454, kToClipboard = 1457;
    m_dialog.m_sync.machineName = "台式机";
    open(ui::COptionsDlg::Sync);
    ASSERT_TRUE(toggleByAccessKey('S', kEnabled));
    ASSERT_TRUE(focusByAccessKey('F', kFolder));
    typeText(L"C:\\同步");
    EXPECT_TRUE(GetWindowLongW(control(kPassphrase), GWL_STYLE) & ES_PASSWORD);
    EXPECT_TRUE(GetWindowLongW(control(kRepeated), GWL_STYLE) & ES_PASSWORD);
    ASSERT_TRUE(focusByAccessKey('P', kPassphrase));
    typeText(L"first secret");
    ASSERT_TRUE(focusByAccessKey('A', kRepeated));
    typeText(L"other secret");
    pressKeys({VK_RETURN});
    EXPECT_NE(answerMessage().find(L"不一致"), std::wstring::npos);
    ASSERT_TRUE(focusByAccessKey('A', kRepeated));
    typeText(L"first secret");
    ASSERT_TRUE(toggleByAccessKey('C', kToClipboard));
    ASSERT_TRUE(focusByAccessKey('L', 1459));
    typeText(L"2048");
    screenshot(L"options-sync.png");
    for (const auto& [letter, id] : {std::pair{'N', 1455}, std::pair{'M', 1456}})
        EXPECT_TRUE(focusByAccessKey(static_cast<WORD>(letter), id)) << letter;
    pressKeys({VK_RETURN});
    ASSERT_EQ(ended(), IDOK);
    EXPECT_TRUE(m_dialog.m_sync.enabled);
    EXPECT_TRUE(m_dialog.m_sync.putArrivedOnClipboard);
    EXPECT_EQ(m_dialog.m_sync.folder, "C:\\同步");
    EXPECT_EQ(m_dialog.m_syncPassphrase, "first secret");
    EXPECT_EQ(m_dialog.m_sync.folderMegabytes, 2048u);
}

}  // namespace
