// The slot chords with the real dravix.exe running and its window shown, into real targets (a
// window with an edit control, a dialog, Wine's notepad, a "mozilla" window), keys sent one
// event at a time with a person's gaps, over several rounds: each copy stores the new text,
// each paste inserts it exactly once, no digit is typed, and each chord brings exactly one
// notification from one process. Also what must hold when things go wrong, and the store written
// by the chords and the history recorder at once.
#include "DravixAppTest.h"
#include "store/Protocol.h"
#include "TestFiles.h"
#include "WinTestSupport.h"
#include "xml/XmlDocument.h"
#include "base/ScopeExit.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <thread>

using xml::XmlDocument;

namespace {

namespace fs = std::filesystem;

// A target application, made fresh for its rows of the matrix.
struct TargetKind {
    const wchar_t* name;
    std::function<std::unique_ptr<Target>(const std::wstring& text)> make;
};

const TargetKind kTargets[] = {
    {L"window", [](const std::wstring& text) { return std::make_unique<Target>(L"Chord window", text); }},
    {L"dialog", [](const std::wstring& text) { return std::make_unique<Target>(L"Chord dialog", text, L"#dialog"); }},
    {L"notepad", [](const std::wstring&) { return std::make_unique<Target>(ProgramByClass{L"notepad.exe", L"Notepad"}); }},
    {L"mozilla", [](const std::wstring& text) { return std::make_unique<Target>(L"Chord mozilla", text, L"MozillaWindowClass"); }},
};

const int kGaps[] = {0, 20, 80, 150, 300};

// How the user came to the chord.
enum class Lead { Plain, AfterForegroundSwitch, AfterQuiet };

class ChordTest : public DravixAppTest {
protected:
    void SetUp() override {
        DravixAppTest::SetUp();
        m_library = LoadLibraryW(L"Latchkit.dll");  // the shared section, to read the busy flag
        ASSERT_TRUE(m_library);
        m_busy = reinterpret_cast<int(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(m_library, "GetOperXmlStatus")));
    }
    void TearDown() override {
        if (m_library)
            FreeLibrary(m_library);
        DravixAppTest::TearDown();
    }

    // Notifications of `message` posted since `mark` (a log line count), with their processes.
    std::vector<std::string> notifications(std::size_t mark, unsigned message, WPARAM wParam) const {
        const std::string wanted = "notify " + std::to_string(message) + " " + std::to_string(wParam) + " posted";
        std::vector<std::string> pids;
        const std::vector<std::string> lines = m_log.lines();
        for (std::size_t i = mark; i < lines.size(); ++i)
            if (lines[i].find(wanted) != std::string::npos)
                pids.push_back(lines[i].substr(0, lines[i].find(' ')));
        return pids;
    }

    void lead(Target& target, Lead how, Target& other) {
        if (how == Lead::AfterForegroundSwitch) {
            ASSERT_TRUE(other.focus());
            ASSERT_TRUE(target.focus());  // the chord follows within a few milliseconds
        } else if (how == Lead::AfterQuiet) {
            ASSERT_TRUE(target.focus());
            letTimePass(1000ms);  // a second without input before the chord
        } else {
            ASSERT_TRUE(target.focus());
        }
    }

    // Ctrl+5 on `text` selected in the target: the slot holds it, nothing was typed, one WM_USER+1.
    void expectCopy(Target& target, const std::wstring& text, int gap, Lead how, Target& other) {
        ASSERT_TRUE(target.setTextAndSelectAll(text));
        lead(target, how, other);
        const std::size_t mark = m_log.mark();
        typeChord({VK_CONTROL}, '5', gap);
        EXPECT_TRUE(pumpUntil([&] { return storedClipText("copy5") == text; }, 8s)) << "the slot kept " << base::toUtf8(storedClipText("copy5"));
        EXPECT_TRUE(pumpUntil([&] { return !notifications(mark, store::kMsgSlotCopied, '5').empty(); }, 5s));
        // A doubled chord came within tens of milliseconds of the first.
        EXPECT_TRUE(expectNothingFor(150ms, [&] { return notifications(mark, store::kMsgSlotCopied, '5').size() > 1; }));
        EXPECT_EQ(notifications(mark, store::kMsgSlotCopied, '5').size(), 1u);
        EXPECT_EQ(target.text(), text) << "a digit reached the target";
        // The main window holds the flag while it files the slot's copy, then lets go.
        EXPECT_TRUE(pumpUntil([&] { return m_busy() == 0; }, 5s));
    }

    // Ctrl+Alt+5 into the emptied target: the slot's text exactly once, one WM_USER+3.
    void expectPaste(Target& target, const std::wstring& text, int gap, Lead how, Target& other) {
        SendMessageW(target.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        lead(target, how, other);
        const std::size_t mark = m_log.mark();
        typeChord({VK_CONTROL, VK_MENU}, '5', gap);
        EXPECT_TRUE(pumpUntil([&] { return target.text() == text; }, 8s)) << "pasted: " << base::toUtf8(target.text());
        EXPECT_TRUE(pumpUntil([&] { return !notifications(mark, store::kMsgClipPasted, 0).empty(); }, 5s));
        EXPECT_TRUE(expectNothingFor(250ms, [&] {
            return target.text() != text || notifications(mark, store::kMsgClipPasted, 0).size() > 1;
        })) << "the paste landed more than once: " << base::toUtf8(target.text());
        EXPECT_EQ(storeValue(storeStatusPath(), "SysClip"), "");
    }

    HMODULE m_library = nullptr;
    int(WINAPI* m_busy)() = nullptr;
};

TEST_F(ChordTest, FirstChordAfterStartCopiesAndPastes) {
    Target target(L"First chord", L"first after start");
    Target other(L"First other", L"");
    expectCopy(target, L"first after start", 80, Lead::Plain, other);
    expectPaste(target, L"first after start", 80, Lead::Plain, other);
}

TEST_F(ChordTest, EveryTargetEveryGapSeveralRounds) {
    Target other(L"Switch partner", L"");
    for (const TargetKind& kind : kTargets) {
        std::unique_ptr<Target> target = kind.make(L"");
        ASSERT_TRUE(target->window()) << base::toUtf8(kind.name);
        for (int gap : kGaps) {
            for (int round = 0; round < 2; ++round) {
                const Lead how = round == 0 ? Lead::AfterForegroundSwitch : (gap == 150 ? Lead::AfterQuiet : Lead::Plain);
                const std::wstring text = std::wstring(kind.name) + L" gap " + std::to_wstring(gap) + L" round " +
                                          std::to_wstring(round);
                SCOPED_TRACE(base::toUtf8(text));
                expectCopy(*target, text, gap, how, other);
                expectPaste(*target, text, gap, how, other);
                if (HasFailure())
                    return;
            }
        }
    }
}

void setRestoreAfterPaste(bool on) {
    setUserSwitch(L"RestoreClipboard", on);
}

// With "restore the clipboard after a paste" on, a slot paste lands once and then the clipboard
// holds again exactly what the user had: every format, byte for byte (the targets would paste
// the rich text if it came back too early). Off, the slot's text stays on the clipboard.
TEST_F(ChordTest, ASlotPasteGivesTheUsersClipboardBackWhenAsked) {
    Target window(L"Restore window", L"");
    Target dialog(L"Restore dialog", L"", L"#dialog");
    Target other(L"Restore other", L"");
    expectCopy(window, L"slot five", 80, Lead::Plain, other);
    const std::string rich = "{\\rtf1 the user's own}";
    const std::size_t mark = m_log.mark();
    for (const bool restore : {true, false}) {
        setRestoreAfterPaste(restore);
        for (Target* target : {&window, &dialog}) {
            SCOPED_TRACE(restore ? "restore on" : "restore off");
            ASSERT_TRUE(putClipboard({{CF_UNICODETEXT, globalFrom(L"the user's own", sizeof(L"the user's own"))},
                                      {RegisterClipboardFormatW(L"Rich Text Format"), globalFrom(rich.c_str(), rich.size() + 1)}}));
            // Wine makes the other texts a moment after the copy.
            std::map<UINT, std::string> before;
            ASSERT_TRUE(pumpUntil([&] {
                before = clipboardContents();
                return before[CF_TEXT] == "the user's own" && before[CF_OEMTEXT] == "the user's own";
            }, 5s));
            expectPaste(*target, L"slot five", 80, Lead::Plain, other);
            if (restore) {
                if (!pumpUntil([&] { return clipboardContents() == before; }, 5s)) {
                    for (const auto& [format, bytes] : clipboardContents())
                        EXPECT_EQ(bytes, before.count(format) ? before.at(format) : "(none)") << "format " << format;
                }
                // Every format the user had, none missing, none added.
                EXPECT_EQ(clipboardContents(), before);
            } else {
                EXPECT_TRUE(clipboardHoldsText(L"slot five"));
            }
            EXPECT_EQ(target->text(), L"slot five");
        }
    }
    setRestoreAfterPaste(false);
    // The recorder read the user's four copies and nothing of the pastes: neither the kept
    // clipboard, nor the slot's clip, nor the restored clipboard is a change of the user's.
    std::size_t reads = 0;
    const std::vector<std::string> lines = m_log.lines();
    for (std::size_t i = mark; i < lines.size(); ++i)
        reads += lines[i].find(" read (announced") != std::string::npos && lines[i].find(": 0 formats") == std::string::npos;
    EXPECT_EQ(reads, 4u);
}

// A chart as a spreadsheet copies it: an enhanced metafile (a rectangle and a line).
HENHMETAFILE chartMetafile() {
    HDC metafile = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    Rectangle(metafile, 10, 10, 200, 120);
    MoveToEx(metafile, 10, 120, nullptr);
    LineTo(metafile, 200, 10);
    return CloseEnhMetaFile(metafile);
}

// The user's clipboard as a person might have it: a text (with the texts the system makes of it),
// a rich text the targets would paste instead, a format of bytes of its own and a chart held as
// a handle (with the metafile picture the system makes of it). Waited for until the system has
// made its texts.
std::map<UINT, std::string> putUsersClipboard(const std::wstring& text) {
    const std::string rich = "{\\rtf1 " + base::toUtf8(text) + "}";
    const std::string bytes("\x01\x00\x02\xFF kept as it was", 20);
    std::map<UINT, std::string> contents;
    if (!putClipboard({{CF_UNICODETEXT, globalFrom(text.c_str(), (text.size() + 1) * sizeof(wchar_t))},
                       {RegisterClipboardFormatW(L"Rich Text Format"), globalFrom(rich.c_str(), rich.size() + 1)},
                       {RegisterClipboardFormatW(L"Dravix Test Format"), globalFrom(bytes.data(), bytes.size())},
                       {CF_ENHMETAFILE, chartMetafile()}}))
        return contents;
    pumpUntil([&] {
        contents = clipboardContents();
        return contents[CF_TEXT] == base::toUtf8(text) && contents[CF_OEMTEXT] == base::toUtf8(text) &&
               !contents[CF_ENHMETAFILE].empty();
    }, 5s);
    return contents;
}

// Every way of pasting, with the user's clipboard to give back, into targets that read the
// clipboard 0, 300, 800 and 1500 ms after the paste key (as programs that hand the paste to
// another process do), while another clipboard tool reads every new clipboard at once: the
// slot's text arrives once, the user's clipboard comes back only after the target asked for the
// paste (the other tool's reading is not the target's), and it then holds every format the user
// had, byte for byte, the chart held as a handle among them.
TEST_F(ChordTest, TheUsersClipboardComesBackOnlyAfterTheTargetReadThePaste) {
    ClipSource otherReader(L"reader");
    ASSERT_TRUE(otherReader.ready());
    Target other(L"Reader other", L"");
    {
        Target source(L"Reader source", L"");
        expectCopy(source, L"slot five", 80, Lead::Plain, other);
    }
    m_app->selectTreeNode(2);  // the slots: the clip menu and the list show slot 5 alone
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 1; }));
    // Beside the targets, so a click on the list reaches the list.
    SetWindowPos(m_app->mainWindow(), nullptr, 500, 350, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    setRestoreAfterPaste(true);
    const base::ScopeExit restoreOff([] { setRestoreAfterPaste(false); });
    struct Path {
        const char* name;
        std::function<void(const Target&)> paste;
    };
    const Path paths[] = {
        {"slot chord", [](const Target& target) {
             ASSERT_TRUE(target.focus());
             typeChord({VK_CONTROL, VK_MENU}, '5', 80);
         }},
        {"clip menu", [](const Target& target) {
             ASSERT_TRUE(target.focus());
             ctrlRightClick(centreOf(target.window()));
             ASSERT_TRUE(waitForProcessMenu(target.processId()));
             pressKeys({VK_DOWN, VK_RETURN});
         }},
        {"list", [this](const Target& target) {
             ASSERT_TRUE(target.focus());  // the application used last
             ASSERT_TRUE(bringToFront(m_app->mainWindow()));
             m_app->selectRows({0});
             const RECT row = m_app->rowRect(0);
             clickAt({row.left + 30, (row.top + row.bottom) / 2}, true);
         }},
    };
    int round = 0;
    for (const int delay : {0, 300, 800, 1500}) {
        const Target target(L"Reader " + std::to_wstring(delay), L"", L"DravixEditTarget", L"", delay);
        for (const Path& path : paths) {
            SCOPED_TRACE(testing::Message() << path.name << ", read " << delay << " ms after the key");
            const std::map<UINT, std::string> before = putUsersClipboard(L"the user's own " + std::to_wstring(++round));
            ASSERT_FALSE(before.empty());
            SendMessageW(target.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
            const std::size_t mark = m_log.mark();
            path.paste(target);
            EXPECT_TRUE(pumpUntil([&] { return target.text() == L"slot five"; }, 10s)) << base::toUtf8(target.text());
            // The chord ends, and the main window hears of the paste, once the clipboard is back.
            EXPECT_TRUE(pumpUntil([&] { return m_log.has("notify 1027 ", mark); }, 10s));
            EXPECT_TRUE(expectNothingFor(300ms, [&] { return target.text() != L"slot five"; }))
                << "pasted more than once: " << base::toUtf8(target.text());
            EXPECT_EQ(clipboardContents(), before);
            const std::size_t asked = m_log.firstLineWith("paste: the target asked for format", mark);
            const std::size_t restored = m_log.firstLineWith("clipboard restored after the paste", mark);
            EXPECT_NE(asked, std::string::npos);
            EXPECT_NE(restored, std::string::npos);
            EXPECT_LT(asked, restored) << "given back before the target read the paste";
            if (HasFailure())
                return;
        }
    }
}

// A slot copy whose store cannot be written (a file stands where the data folder should be):
// the slot stays as it was, the main window hears of no copy, the user's clipboard is as the
// user left it, and the trace says why. Once the folder is back, the next copy goes through.
TEST_F(ChordTest, ASlotCopyThatCannotBeStoredChangesNothing) {
    Target target(L"Unwritable target", L"");
    Target other(L"Unwritable other", L"");
    expectCopy(target, L"slot as it was", 80, Lead::Plain, other);
    const fs::path data = fs::u8path(storeDataFile("x")).parent_path();
    const fs::path aside = fs::path(data).concat(".aside");
    fs::rename(data, aside);
    writeBytes(data.u8string(), "not a folder");
    auto putBack = [&] {
        std::error_code ignored;
        if (fs::is_regular_file(data, ignored)) {
            fs::remove(data, ignored);
            fs::rename(aside, data, ignored);
        }
    };
    const base::ScopeExit putBackOnEveryPath(putBack);
    for (const int gap : {20, 150}) {
        SCOPED_TRACE(gap);
        const std::map<UINT, std::string> before = putUsersClipboard(L"the user's own " + std::to_wstring(gap));
        ASSERT_FALSE(before.empty());
        ASSERT_TRUE(target.setTextAndSelectAll(L"never stored"));
        const std::size_t mark = m_log.mark();
        typeChord({VK_CONTROL}, '5', gap);
        EXPECT_TRUE(pumpUntil([&] { return m_log.has("chord 1 ends, given up", mark); }, 8s));
        EXPECT_TRUE(m_log.has("could not be written", mark)) << m_log.text();
        EXPECT_TRUE(expectNothingFor(300ms, [&] { return !notifications(mark, store::kMsgSlotCopied, '5').empty(); }));
        EXPECT_EQ(clipboardContents(), before);
        EXPECT_EQ(storeValue(storeStatusPath(), "SysClip"), "");
        EXPECT_EQ(m_busy(), 0);
    }
    putBack();
    EXPECT_EQ(storedClipText("copy5"), L"slot as it was");
    expectCopy(target, L"stored again", 80, Lead::Plain, other);
}

// Joining the threads' input resets the key state they share: a Ctrl held in the target would
// read as up while the main program handles its messages.
// On 64-bit Windows a 64-bit hook is not loaded into a 32-bit application: the system calls the
// hook procedures in the thread that installed them, for that application's keys and clicks.
// Called so here (in this test's thread, for a target of another process in front), the copy,
// the paste and the clip menu still reach the target, once each.
TEST_F(ChordTest, HookProceduresRunInTheInstallingThreadForAnotherProgram) {
    const auto keyboard = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(m_library, "KeyboardProc")));
    const auto mouse = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(m_library, "MouseProc")));
    ASSERT_TRUE(keyboard && mouse);
    Target target(L"Thirty-two", L"");
    const LPARAM keyDown = 1 | (static_cast<LPARAM>(MapVirtualKeyW('5', MAPVK_VK_TO_VSC)) << 16);

    ASSERT_TRUE(target.setTextAndSelectAll(L"copied for another program"));
    const std::size_t copyMark = m_log.mark();
    sendKeys({{VK_CONTROL, false}});
    EXPECT_EQ(keyboard(HC_ACTION, '5', keyDown), 1);  // taken: the application never sees the digit
    sendKeys({{VK_CONTROL, true}});
    EXPECT_TRUE(pumpUntil([&] { return storedClipText("copy5") == L"copied for another program"; }, 8s));
    EXPECT_TRUE(pumpUntil([&] { return notifications(copyMark, store::kMsgSlotCopied, '5').size() == 1; }, 5s));
    EXPECT_EQ(target.text(), L"copied for another program");

    SendMessageW(target.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    ASSERT_TRUE(target.focus());
    const std::size_t pasteMark = m_log.mark();
    sendKeys({{VK_CONTROL, false}, {VK_MENU, false}});
    EXPECT_EQ(keyboard(HC_ACTION, '5', keyDown), 1);
    sendKeys({{VK_MENU, true}, {VK_CONTROL, true}});
    EXPECT_TRUE(pumpUntil([&] { return target.text() == L"copied for another program"; }, 8s)) << base::toUtf8(target.text());
    EXPECT_TRUE(pumpUntil([&] { return notifications(pasteMark, store::kMsgClipPasted, 0).size() == 1; }, 5s));

    // The clip menu, shown by this thread for the window clicked; its item clicked from another
    // thread, since this one runs the menu. (Wine gives no keys to a menu whose hidden owner is in
    // front; Windows does.)
    SendMessageW(target.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    RECT area = {};
    GetWindowRect(target.edit(), &area);
    MOUSEHOOKSTRUCT click = {{(area.left + area.right) / 2, (area.top + area.bottom) / 2}, target.edit(), HTCLIENT, 0};
    std::thread chooser([] {
        if (HWND menu = waitForProcessMenu(GetCurrentProcessId(), 8s)) {
            RECT items = {};
            GetWindowRect(menu, &items);
            clickAt({(items.left + items.right) / 2, items.top + 12});
        }
    });
    sendKeys({{VK_CONTROL, false}});
    EXPECT_EQ(mouse(HC_ACTION, WM_RBUTTONDOWN, reinterpret_cast<LPARAM>(&click)), 1);
    EXPECT_EQ(mouse(HC_ACTION, WM_RBUTTONUP, reinterpret_cast<LPARAM>(&click)), 1);
    sendKeys({{VK_CONTROL, true}});
    EXPECT_TRUE(pumpUntil([&] { return target.text() == L"copied for another program"; }, 10s)) << base::toUtf8(target.text());
    chooser.join();
    EXPECT_TRUE(expectNothingFor(300ms, [&] { return target.text() != L"copied for another program"; }));
}

TEST_F(ChordTest, CtrlHeldInATargetStaysDownWhileTheMainProgramWorks) {
    Target target(L"Held target", L"held");
    Target other(L"Held other", L"");
    ASSERT_TRUE(target.focus());
    sendKeys({{VK_CONTROL, false}});
    letTimePass(200ms);  // Ctrl held a moment before anything else happens
    ASSERT_TRUE(other.focus());
    ASSERT_TRUE(target.focus());
    for (int i = 0; i < 20; ++i)
        SendMessageTimeoutW(m_app->mainWindow(), WM_NULL, 0, 0, SMTO_BLOCK, 1000, nullptr);
    letTimePass(1200ms);  // Ctrl stays held while the tray animation's timer ticks
    const LRESULT state = SendMessageW(target.window(), WM_APP + 1, 0, 0);
    sendKeys({{VK_CONTROL, true}});
    EXPECT_TRUE(state & 0x8000) << "GetKeyState(VK_CONTROL) in the target: " << state;
}

// The flags and status keys come down on every path out of a chord.
TEST_F(ChordTest, FailuresLeaveNoFlagUpAndTheNextChordWorks) {
    Target target(L"Failure target", L"");
    Target other(L"Failure other", L"");
    // An index that cannot be read: kept aside, reported once, and the copy goes through.
    writeBytes(storeIndexPath(), "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<UserInfo>\r\n<his1-0>13</his1-");
    expectCopy(target, L"after damage", 80, Lead::Plain, other);
    EXPECT_TRUE(fs::exists(fs::u8path(storeIndexPath() + ".damaged")));
    HWND report = nullptr;
    ASSERT_TRUE(pumpUntil([&] { return (report = findProcessWindow(m_app->processId(), base::toWide(store::kMainWindowTitle), m_app->mainWindow())) != nullptr; }, 5s));
    PostMessageW(report, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(pumpUntil([&] { return !IsWindow(report); }, 5s));
    expectCopy(target, L"damage reported once", 0, Lead::Plain, other);
    EXPECT_FALSE(findProcessWindow(m_app->processId(), base::toWide(store::kMainWindowTitle), m_app->mainWindow()));

    // The clipboard held open by another process: the paste is given up, nothing lands.
    {
        SendMessageW(target.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        ASSERT_TRUE(target.focus());
        ASSERT_TRUE(OpenClipboard(clipboardOpener()));
        const std::size_t mark = m_log.mark();
        typeChord({VK_CONTROL, VK_MENU}, '5', 20);
        EXPECT_TRUE(pumpUntil([&] {
            for (const std::string& line : m_log.lines())
                if (line.find("ends, given up") != std::string::npos)
                    return true;
            return false;
        }, 8s));
        CloseClipboard();
        EXPECT_EQ(target.text(), L"");
        EXPECT_TRUE(notifications(mark, store::kMsgClipPasted, 0).empty());
        EXPECT_EQ(storeValue(storeStatusPath(), "SysClip"), "");
    }
    expectPaste(target, L"damage reported once", 20, Lead::Plain, other);

    // The slot's data files gone: nothing to paste, and still nothing stays up.
    for (int i = 0; i < 15; ++i)
        fs::remove(fs::u8path(storeDataFile("copy5" + std::to_string(i))));
    SendMessageW(target.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    ASSERT_TRUE(target.focus());
    const std::size_t mark = m_log.mark();
    typeChord({VK_CONTROL, VK_MENU}, '5', 20);
    EXPECT_TRUE(pumpUntil([&] { return !notifications(mark, store::kMsgClipPasted, 0).empty(); }, 8s));
    EXPECT_EQ(target.text(), L"");
    EXPECT_EQ(storeValue(storeStatusPath(), "SysClip"), "");
    expectCopy(target, L"works again", 20, Lead::Plain, other);
}

// A message box of the program carries the main window's title; the notification still reaches
// the main window, and a WM_USER+1 that names no slot is ignored.
TEST_F(ChordTest, NotificationsReachTheMainWindowNotItsMessageBoxes) {
    std::string index = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<UserInfo>\r\n";
    for (int n = 1; n <= 999; ++n)
        index += "<his" + std::to_string(n) + "-0>13</his" + std::to_string(n) + "-0>\r\n";
    writeBytes(storeIndexPath(), index + "</UserInfo>\r\n");
    ASSERT_TRUE(putClipboardText(L"history full"));
    HWND full = nullptr;
    ASSERT_TRUE(pumpUntil([&] { return (full = findProcessWindow(m_app->processId(), base::toWide(store::kMainWindowTitle), m_app->mainWindow())) != nullptr; }, 5s));
    // A notification naming no slot: received, handled, and the store is as it was.
    const std::string before = readBytes(storeIndexPath());
    const std::size_t mark = m_log.mark();
    PostMessageW(m_app->mainWindow(), store::kMsgSlotCopied, 'x', 0);
    ASSERT_TRUE(pumpUntil([&] { return m_log.has("received 1025 120", mark); }, 5s));
    SendMessageTimeoutW(m_app->mainWindow(), WM_NULL, 0, 0, SMTO_BLOCK, 5000, nullptr);  // handled by now
    EXPECT_EQ(readBytes(storeIndexPath()), before);
    // A real slot copy while the box is open reaches the main window.
    Target target(L"Box target", L"");
    Target other(L"Box other", L"");
    expectCopy(target, L"while the box is open", 20, Lead::Plain, other);
    EXPECT_TRUE(m_log.has("received 1025 53", mark));
    PostMessageW(full, WM_COMMAND, IDOK, 0);
}

// The main program records a burst of clipboard changes while Ctrl+digit copies in another
// application write the same store: every record the list shows is in the store with its data,
// every slot holds its text, and both files read.
TEST_F(ChordTest, HistoryBurstAndSlotCopiesWriteTheStoreTogether) {
    Target target(L"Burst target", L"");
    Target other(L"Burst other", L"");
    std::atomic<bool> done{false};
    std::atomic<int> sets{0};
    std::thread burst([&] {
        for (int i = 0; !done && i < 400; ++i) {
            if (!pumpUntil([&] { return m_busy() == 0; }, 5s))  // a slot copy is using the clipboard
                continue;
            const std::wstring text = L"burst " + std::to_wstring(i);
            if (OpenClipboard(clipboardOpener())) {
                EmptyClipboard();
                SetClipboardData(CF_UNICODETEXT, globalFrom(text.c_str(), (text.size() + 1) * sizeof(wchar_t)));
                CloseClipboard();
                ++sets;
            }
            letTimePass(15ms);  // the pace of the burst
        }
    });
    for (int round = 0; round < 2; ++round)
        for (WORD digit = '0'; digit <= '9'; ++digit) {
            const std::wstring text = L"slot " + std::to_wstring(digit - '0') + L" round " + std::to_wstring(round);
            ASSERT_TRUE(target.setTextAndSelectAll(text));
            typeChord({VK_CONTROL}, digit, 20);
            EXPECT_TRUE(pumpUntil([&] { return storedClipText(std::string("copy") + static_cast<char>(digit)) == text; }, 8s))
                << base::toUtf8(text);
        }
    done = true;
    burst.join();
    EXPECT_GT(sets.load(), 20);
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() > 20; }));
    XmlDocument index, status;
    ASSERT_TRUE(index.loadFile(storeIndexPath()));
    EXPECT_TRUE(status.loadFile(storeStatusPath()) || !fs::exists(fs::u8path(storeStatusPath())));
    EXPECT_FALSE(fs::exists(fs::u8path(storeIndexPath() + ".damaged")));
    for (WORD digit = '0'; digit <= '9'; ++digit)
        EXPECT_EQ(storedClipText(std::string("copy") + static_cast<char>(digit)),
                  L"slot " + std::to_wstring(digit - '0') + L" round 1");
    const std::vector<ListRow> rows = m_app->rows();
    std::set<std::string> numbers;
    for (const ListRow& row : rows) {
        const std::string clip = "his" + base::toUtf8(row.number) + "-";
        EXPECT_NE(storeValue(storeIndexPath(), clip + "0"), "") << clip;
        EXPECT_TRUE(fs::exists(fs::u8path(storeDataFile(clip + "0")))) << clip;
        EXPECT_TRUE(numbers.insert(clip).second);
    }
}

}  // namespace
