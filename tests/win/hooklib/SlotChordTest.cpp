// The slot chords end to end: the hooks installed from this process reach real target
// processes (our edit target and Wine's notepad), driven by real input (SendInput).
#include "DebugLog.h"
#include "store/Protocol.h"
#include "LatchkitHost.h"
#include "TestFiles.h"
#include "WinTestSupport.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

class SlotChordTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_host.loaded());
        LatchkitHost::emptyStore();
        m_host.dll().SetOperXmlStatus(0);
        ASSERT_EQ(m_host.dll().installhook(m_host.window()), 1);
    }
    void TearDown() override { m_host.dll().UnHook(); }

    // Ctrl+digit in the foreground target; the slot key the main window is told of.
    bool copyToSlot(WORD key, WPARAM* notified, std::chrono::milliseconds* took = nullptr) {
        const auto start = Clock::now();
        pressChord({VK_CONTROL}, key);
        const bool arrived = m_host.waitForMessage(WM_USER + 1, notified, 10s);
        // The flag comes with the notification; this host files nothing and lets go of it.
        m_flagAtNotify = m_host.dll().GetOperXmlStatus();
        if (m_flagAtNotify == store::kBusyAwaitsFiling)
            m_host.dll().SetOperXmlStatus(store::kBusyFree);
        if (took)
            *took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        return arrived;
    }

    LatchkitHost m_host;
    int m_flagAtNotify = -1;
};

TEST_F(SlotChordTest, CopyInOneApplicationAndPasteInAnother) {
    Target source(L"Slot source", L"hello slot 中文");
    ASSERT_TRUE(source.window());
    ASSERT_TRUE(source.focus());
    WPARAM key = 0;
    std::chrono::milliseconds copyTime{};
    ASSERT_TRUE(copyToSlot('5', &key, &copyTime));
    EXPECT_EQ(key, 53u);
    std::printf("slot copy, chord to WM_USER+1: %lld ms\n", static_cast<long long>(copyTime.count()));

    const auto elements = storeElements(LatchkitHost::indexPath());
    ASSERT_GE(elements.size(), 3u);
    std::size_t at = 0;
    while (at < elements.size() && elements[at].first.rfind("copy5", 0) != 0)
        ++at;
    ASSERT_LT(at + 2, elements.size());
    EXPECT_EQ(elements[at].first, "copy5-time");
    EXPECT_EQ(elements[at + 1].first, "copy5-usetime");
    EXPECT_EQ(elements[at + 2].first, "copy50");
    EXPECT_EQ(storeValue(LatchkitHost::statusPath(), "SysClip"), "");
    EXPECT_EQ(storeValue(LatchkitHost::statusPath(), "PressNum"), "");
    // Handed to the main window with the notification: the next copy waits until it is filed.
    EXPECT_EQ(m_flagAtNotify, store::kBusyAwaitsFiling);
    bool unicodeStored = false;
    for (std::size_t i = at + 2; i < elements.size() && elements[i].first.rfind("copy5", 0) == 0; ++i) {
        if (elements[i].second == "13") {
            const std::string bytes = readStoredBytes(LatchkitHost::dataFile(elements[i].first));
            const std::wstring expected = L"hello slot 中文";
            unicodeStored = bytes.size() >= expected.size() * 2 &&
                            std::memcmp(bytes.data(), expected.c_str(), expected.size() * 2) == 0;
        }
    }
    EXPECT_TRUE(unicodeStored);

    Target destination(L"Slot destination", L"");
    ASSERT_TRUE(destination.window());
    ASSERT_TRUE(destination.focus());
    const auto start = Clock::now();
    pressChord({VK_CONTROL, VK_MENU}, '5');
    ASSERT_TRUE(m_host.waitForMessage(WM_USER + 3, nullptr, 10s));
    const auto pasteTime = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    pumpUntil([&] { return destination.text() == L"hello slot 中文"; }, 3s);
    EXPECT_EQ(destination.text(), L"hello slot 中文");
    std::printf("slot paste, chord to WM_USER+3: %lld ms\n", static_cast<long long>(pasteTime.count()));
    EXPECT_EQ(storeValue(LatchkitHost::statusPath(), "SysClip"), "");
}

TEST_F(SlotChordTest, CtrlKeypadSevenActsAsCtrlSeven) {
    Target source(L"Keypad source", L"keypad");
    ASSERT_TRUE(source.focus());
    WPARAM key = 0;
    ASSERT_TRUE(copyToSlot(VK_NUMPAD7, &key));
    EXPECT_EQ(key, 55u);
    EXPECT_EQ(storeValue(LatchkitHost::indexPath(), "copy70"), "13");
}

TEST_F(SlotChordTest, BusyFlagRefusesASecondCopy) {
    Target source(L"Busy source", L"busy");
    ASSERT_TRUE(source.focus());
    m_host.dll().SetOperXmlStatus(1);
    WPARAM key = 0;
    pressChord({VK_CONTROL}, '6');
    EXPECT_FALSE(m_host.waitForMessage(WM_USER + 1, &key, 1500ms));
    EXPECT_EQ(storeValue(LatchkitHost::indexPath(), "copy6-time"), "");
    m_host.dll().SetOperXmlStatus(0);
    ASSERT_TRUE(copyToSlot('6', &key));  // free again: the copy goes through
    EXPECT_EQ(key, 54u);
}

// A flag raised by a process that ended before it lowered it (killed in the middle of a copy)
// holds up no later copy.
TEST_F(SlotChordTest, AFlagLeftByAnEndedProcessHoldsUpNoCopy) {
    Target source(L"Busy source", L"busy");
    ASSERT_TRUE(source.focus());
    const PROCESS_INFORMATION raiser = startProcess(L"clip_source.exe busyflag");
    ASSERT_TRUE(raiser.hProcess);
    ASSERT_EQ(WaitForSingleObject(raiser.hProcess, 10000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(raiser.hProcess, &exitCode);
    CloseHandle(raiser.hProcess);
    CloseHandle(raiser.hThread);
    ASSERT_EQ(exitCode, 0u);
    WPARAM key = 0;
    ASSERT_TRUE(copyToSlot('6', &key));
    EXPECT_EQ(key, 54u);
}

// Inside another application the clip menu waits for the main window a bounded time: a main
// window that does not answer leaves one disabled item that says so, and the application goes on.
TEST_F(SlotChordTest, AMainWindowThatDoesNotAnswerLeavesOneDisabledItem) {
    const DebugLog log;
    Target target(L"Busy menu target", L"");
    ASSERT_TRUE(target.focus());
    DWORD targetProcess = 0;
    GetWindowThreadProcessId(target.window(), &targetProcess);
    ctrlRightClick(centreOf(target.window()));
    std::this_thread::sleep_for(2s);  // the main window (this thread) answers nothing meanwhile
    HWND menu = waitForProcessMenu(targetProcess);
    ASSERT_TRUE(menu) << log.text();
    EXPECT_TRUE(log.has("clip menu: the main window did not answer in time")) << log.text();
    EXPECT_TRUE(log.has("clip menu shown with 1 items")) << log.text();
    sendKeys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
    EXPECT_TRUE(pumpUntil([&] { return !visibleProcessMenu(targetProcess); }, 5s));
}

std::string readLog(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST_F(SlotChordTest, AltCShowsTheMainWindowAndIsStillPassedOn) {
    ScratchDir dir;
    const std::string log = dir.path("keys.log");
    Target source(L"AltC source", L"text", L"DravixEditTarget", base::toWide(log));
    ShowWindow(m_host.window(), SW_HIDE);
    ASSERT_TRUE(source.focus());
    pressChord({VK_MENU}, 'C');
    EXPECT_TRUE(pumpUntil([&] { return IsWindowVisible(m_host.window()) != FALSE; }, 5s));
    pumpUntil([&] { return readLog(log).find("sysdown 67") != std::string::npos; }, 2s);
    EXPECT_NE(readLog(log).find("sysdown 67"), std::string::npos);
}

// The copy chord's key presses as the target's edit saw them, after the user's own Ctrl.
std::vector<unsigned> chordPresses(const std::string& log) {
    std::vector<unsigned> presses;
    std::istringstream lines(log);
    std::string kind;
    unsigned key;
    while (lines >> kind >> key)
        if (kind == "down")
            presses.push_back(key);
    return presses;
}

TEST_F(SlotChordTest, MozillaWindowsGetTheOtherCopyChord) {
    ScratchDir dir;
    for (const bool mozilla : {false, true}) {
        const std::string log = dir.path(mozilla ? "mozilla.log" : "plain.log");
        Target source(mozilla ? L"Mozilla source" : L"Plain source", L"chord",
                      mozilla ? L"MozillaWindowClass" : L"DravixEditTarget", base::toWide(log));
        ASSERT_TRUE(source.focus());
        WPARAM key = 0;
        ASSERT_TRUE(copyToSlot('4', &key));
        const std::vector<unsigned> presses = chordPresses(readLog(log));
        // The user's Ctrl, then the chord: Ctrl, Ctrl, C (plain) or Ctrl, C after a release of C
        // (mozilla); no "c" is typed over the selection.
        ASSERT_GE(presses.size(), 3u) << readLog(log);
        EXPECT_EQ(presses[0], static_cast<unsigned>(VK_CONTROL));
        EXPECT_EQ(presses[1], static_cast<unsigned>(VK_CONTROL)) << readLog(log);
        EXPECT_EQ(presses[2], mozilla ? 67u : static_cast<unsigned>(VK_CONTROL)) << readLog(log);
        EXPECT_EQ(source.text(), L"chord");
    }
}

TEST_F(SlotChordTest, RealXKeysFromXdotool) {
    Target source(L"Xdotool source", L"typed through X");
    ASSERT_TRUE(source.focus());
    ASSERT_TRUE(xdotool(source.pointerOverCommand() + L" sleep 0.2 key ctrl+3"));
    WPARAM key = 0;
    const auto start = Clock::now();
    ASSERT_TRUE(m_host.waitForMessage(WM_USER + 1, &key, 10s));
    EXPECT_EQ(key, 51u);
    std::printf("slot copy through xdotool: %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count()));
    EXPECT_EQ(storeValue(LatchkitHost::indexPath(), "copy30"), "13");

    Target destination(L"Xdotool destination", L"");
    ASSERT_TRUE(destination.focus());
    ASSERT_TRUE(xdotool(destination.pointerOverCommand() + L" sleep 0.2 key ctrl+alt+3"));
    ASSERT_TRUE(m_host.waitForMessage(WM_USER + 3, nullptr, 10s));
    pumpUntil([&] { return destination.text() == L"typed through X"; }, 3s);
    EXPECT_EQ(destination.text(), L"typed through X");
}

TEST_F(SlotChordTest, CopyFromWineNotepad) {
    Target notepad(ProgramByClass{L"notepad.exe", L"Notepad"});
    ASSERT_TRUE(notepad.window());
    ASSERT_TRUE(notepad.edit());
    ASSERT_TRUE(notepad.setTextAndSelectAll(L"words from notepad"));
    WPARAM key = 0;
    std::chrono::milliseconds took{};
    ASSERT_TRUE(copyToSlot('5', &key, &took));
    EXPECT_EQ(key, 53u);
    std::printf("slot copy from notepad: %lld ms\n", static_cast<long long>(took.count()));
    std::string stored;
    for (const auto& [name, value] : storeElements(LatchkitHost::indexPath()))
        if (name.rfind("copy5", 0) == 0 && value == "13")
            stored = readStoredBytes(LatchkitHost::dataFile(name));
    const std::wstring expected = L"words from notepad";
    ASSERT_GE(stored.size(), expected.size() * 2);
    EXPECT_EQ(std::memcmp(stored.data(), expected.c_str(), expected.size() * 2), 0);
}

}  // namespace
