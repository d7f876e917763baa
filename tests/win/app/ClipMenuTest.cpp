// The two ways a clip comes back out, with the real dravix.exe and real input: the Ctrl+right
// click menu in any application, and the clip list's own menu, keys and double click.
#include "DravixAppTest.h"
#include "store/Protocol.h"
#include "store/StoreDocument.h"
#include "TestFiles.h"
#include "WinTestSupport.h"
#include "xml/XmlDocument.h"
#include "xml/XmlText.h"
#include "base/Handle.h"
#include "base/ScopeExit.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <oleacc.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

using xml::XmlDocument;
using xml::textFileBytes;

namespace {

namespace fs = std::filesystem;

DWORD processOf(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

// The keyboard opens the menu with its first item selected, drawn filled with the selection's
// blue (CMenuEx::DrawItem): keys sent before then could meet a menu with nothing selected.
bool firstItemDrawnSelected(HWND menu) {
    RECT area = {};
    GetWindowRect(menu, &area);
    HDC screen = GetDC(nullptr);
    bool selected = false;
    for (int y = area.top + 2; y < area.top + 24 && !selected; ++y)
        selected = GetPixel(screen, area.right - 8, y) == RGB(0, 0, 255);
    ReleaseDC(nullptr, screen);
    return selected;
}

class ClipMenuTest : public DravixAppTest {
protected:
    void SetUp() override {
        DravixAppTest::SetUp();
        moveBesideTheTargets();
    }
};

TEST_F(ClipMenuTest, CtrlRightClickOpensTheMenuAndTheChoiceIsPastedOnce) {
    record(L"first clip");
    record(L"second clip");
    record(L"third clip");
    const std::string keys = m_dir.path("keys.log");
    Target target(L"Menu target", L"", L"DravixEditTarget", base::toWide(keys));
    ASSERT_TRUE(target.focus());
    const std::wstring useTimeBefore = m_app->rows()[2].useTime;
    waitForANewSecond();  // for a later use time

    ctrlRightClick(centreOf(target.window()));
    HWND menu = waitForProcessMenu(processOf(target.window()));
    ASSERT_TRUE(menu);
    screenshot(L"clip-menu.png");
    ASSERT_TRUE(m_log.has("clip menu commands: 999003 999002 999001")) << m_log.text() << readBytes(keys);
    // The first item is the last row: "3. third clip".
    const std::size_t mark = m_log.mark();
    pressKeys({VK_DOWN, VK_RETURN});
    EXPECT_TRUE(pumpUntil([&] { return target.text() == L"third clip"; }, 8s)) << base::toUtf8(target.text());
    EXPECT_TRUE(pumpUntil([&] { return m_log.has("notify 1027 3 posted", mark); }, 5s));
    EXPECT_TRUE(expectNothingFor(500ms, [&] { return target.text() != L"third clip"; }));  // pasted once
    EXPECT_TRUE(m_app->waitForRows([&](const auto& rows) {
        for (const ListRow& row : rows)
            if (row.number == L"3")
                return row.useTime != useTimeBefore;
        return false;
    }));
    // The target never saw the right button.
    EXPECT_EQ(readBytes(keys).find("rdown"), std::string::npos) << readBytes(keys) << m_log.text();

    // Esc: nothing is pasted, nothing is notified.
    SendMessageW(target.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    ASSERT_TRUE(target.focus());
    const std::size_t escMark = m_log.mark();
    ctrlRightClick(centreOf(target.window()));
    ASSERT_TRUE(waitForProcessMenu(processOf(target.window())));
    sendKeys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
    EXPECT_TRUE(expectNothingFor(1200ms, [&] { return !target.text().empty() || m_log.has("notify 1027", escMark); }));
}

// The menu is made while the button is held, and shown as it was made on the release; a clip
// copied meanwhile has it made again. A press whose release never comes for it leaves nothing in
// the application: the window made for the menu goes by itself.
TEST_F(ClipMenuTest, TheMenuMadeWhileTheButtonIsHeldHasACopyMadeMeanwhile) {
    record(L"before the press");
    Target target(L"Held target", L"", L"DravixEditTarget", base::toWide(m_dir.path("held.log")));
    ASSERT_TRUE(target.focus());
    const DWORD process = processOf(target.window());
    const auto pressUntilTheMenuIsMade = [&] {
        // Settled first: a menu gone from under the pointer has X tell Wine the keys it holds.
        movePointer(centreOf(target.window()));
        const std::size_t mark = m_log.mark();
        sendKeys({{VK_CONTROL, false}});
        letTimePass(40ms);
        sendMouseButton(MOUSEEVENTF_RIGHTDOWN);
        return pumpUntil([&] { return m_log.has("clip menu commands:", mark); }, 5s);
    };
    const auto releaseUntilTheMenuIsShown = [&] {
        sendMouseButton(MOUSEEVENTF_RIGHTUP);
        sendKeys({{VK_CONTROL, true}});
        return waitForProcessMenu(process) != nullptr;
    };
    const auto closeTheMenu = [&] {
        sendKeys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
        return pumpUntil([&] { return !visibleProcessMenu(process); }, 5s);
    };
    for (const bool copyWhileHeld : {false, true}) {
        SCOPED_TRACE(copyWhileHeld);
        ASSERT_TRUE(pressUntilTheMenuIsMade()) << m_log.text();
        if (copyWhileHeld)
            record(L"while held");
        const std::size_t released = m_log.mark();
        ASSERT_TRUE(releaseUntilTheMenuIsShown());
        if (copyWhileHeld)
            EXPECT_TRUE(m_log.has("clip menu commands: 999002 999001", released)) << m_log.text();
        else
            EXPECT_FALSE(m_log.has("clip menu commands:", released)) << m_log.text();
        ASSERT_TRUE(closeTheMenu());
    }
    ASSERT_TRUE(pumpUntil([&] { return !FindWindowW(L"DravixClipMenuOwner", nullptr); }, 5s));

    // Ctrl let go before the button: the release is the application's (the edit's own menu).
    const std::size_t pressed = m_log.mark();
    ASSERT_TRUE(pressUntilTheMenuIsMade()) << m_log.text();
    sendKeys({{VK_CONTROL, true}});
    letTimePass(40ms);
    sendMouseButton(MOUSEEVENTF_RIGHTUP);
    EXPECT_TRUE(pumpUntil([&] { return !FindWindowW(L"DravixClipMenuOwner", nullptr); }, 5s));
    EXPECT_FALSE(m_log.has("clip menu shown", pressed)) << m_log.text();
    closeTheMenu();
}

// Windows gives a menu's keys and clicks only to a menu whose owner is in front, and a click in
// a window behind does not bring it forward (the button-down is taken). The clip chosen goes to
// the window clicked, not to the one in front; every Ctrl+right press is taken, a quick second
// one (a double click) too; after a menu closed with Esc the next click opens one again.
TEST_F(ClipMenuTest, TheMenuIsForTheWindowClickedAndEveryCtrlRightPressIsTaken) {
    record(L"for the window behind");
    const std::string keys = m_dir.path("behind.log");
    Target behind(L"Menu behind", L"", L"DravixEditTarget", base::toWide(keys));
    const std::string frontKeys = m_dir.path("front.log");
    Target front(L"Menu in front", L"", L"DravixEditTarget", base::toWide(frontKeys));
    SetWindowPos(behind.window(), nullptr, 40, 40, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(front.window(), nullptr, 420, 40, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(front.focus());

    ctrlRightClick(centreOf(behind.window()));
    ASSERT_TRUE(waitForProcessMenu(processOf(behind.window())));
    sendKeys({{VK_DOWN, false}, {VK_DOWN, true}});
    sendKeys({{VK_RETURN, false}, {VK_RETURN, true}});
    EXPECT_TRUE(pumpUntil([&] { return behind.text() == L"for the window behind"; }, 8s))
        << base::toUtf8(behind.text()) << "; " << windowStates({behind.window(), front.window()}) << "; behind's keys "
        << readBytes(keys) << "; front's keys " << readBytes(frontKeys);
    EXPECT_EQ(front.text(), L"");

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ctrlRightClick(centreOf(behind.window()));
        HWND menu = waitForProcessMenu(processOf(behind.window()));
        ASSERT_TRUE(menu);
        sendKeys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
        ASSERT_TRUE(pumpUntil([&] { return !visibleProcessMenu(processOf(behind.window())); }, 5s));
    }
    // Two quick clicks, before the menu is up: the second press arrives as a double click.
    const POINT at = centreOf(behind.window());
    SetCursorPos(at.x, at.y);
    letTimePass(300ms);  // the pointer settles (see ctrlRightClick)
    sendKeys({{VK_CONTROL, false}});
    for (int click = 0; click < 2; ++click) {
        letTimePass(40ms);  // a person's gaps, well inside the double-click time
        sendMouseButton(MOUSEEVENTF_RIGHTDOWN);
        letTimePass(40ms);
        sendMouseButton(MOUSEEVENTF_RIGHTUP);
    }
    sendKeys({{VK_CONTROL, true}});
    EXPECT_TRUE(waitForProcessMenu(processOf(behind.window())));
    sendKeys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
    EXPECT_EQ(readBytes(keys).find("rdown"), std::string::npos) << readBytes(keys);
    EXPECT_EQ(readBytes(keys).find("rdouble"), std::string::npos) << readBytes(keys);
}

TEST_F(ClipMenuTest, ASlotItemPastesAndNotifiesZero) {
    Target target(L"Slot menu target", L"slot clip text");
    ASSERT_TRUE(target.setTextAndSelectAll(L"slot clip text"));
    typeChord({VK_CONTROL}, '3', 30);
    ASSERT_TRUE(pumpUntil([] { return storedClipText("copy3") == L"slot clip text"; }, 8s))
        << "the target holds " << base::toUtf8(target.text()) << "; in front: " << GetForegroundWindow() << ", the target "
        << target.window();
    m_app->selectTreeNode(2);
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 1; }));
    SendMessageW(target.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    ASSERT_TRUE(target.focus());
    const std::size_t mark = m_log.mark();
    ctrlRightClick(centreOf(target.window()));
    ASSERT_TRUE(waitForProcessMenu(processOf(target.window())));
    EXPECT_TRUE(m_log.has("clip menu commands: 998003", mark));
    pressKeys({VK_DOWN, VK_RETURN});
    EXPECT_TRUE(pumpUntil([&] { return target.text() == L"slot clip text"; }, 8s));
    EXPECT_TRUE(pumpUntil([&] { return m_log.has("notify 1027 0 posted", mark); }, 5s));
}

TEST_F(ClipMenuTest, TheMenuOpensInNotepadAndOnTheMainWindowItself) {
    record(L"menu everywhere");
    {
        Target notepad(ProgramByClass{L"notepad.exe", L"Notepad"});
        ASSERT_TRUE(notepad.focus());
        ctrlRightClick(centreOf(notepad.window()));
        HWND menu = waitForProcessMenu(processOf(notepad.window()));
        ASSERT_TRUE(menu);
        screenshot(L"clip-menu-notepad.png");
        sendKeys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
        pumpUntil([&] { return !IsWindowVisible(menu); }, 3s);
    }

    ASSERT_TRUE(bringToFront(m_app->mainWindow()));
    ctrlRightClick(centreOf(m_app->list()));
    HWND menu = waitForProcessMenu(m_app->processId());
    screenshot(L"clip-menu-main.png");
    ASSERT_TRUE(menu) << m_log.text();
    sendKeys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
}

// The list's own ways: Delete (asked once, rows and files gone), No, nothing selected, a move
// into a category from the context menu, and a double click that pastes into the application
// used last.
TEST_F(ClipMenuTest, TheListDeletesMovesAndPastes) {
    for (const wchar_t* text : {L"row one", L"row two", L"row three", L"row four", L"row five"})
        record(text);
    const std::wstring title = base::toWide(store::kMainWindowTitle);
    auto pressDelete = [&] {
        ASSERT_TRUE(bringToFront(m_app->mainWindow()));
        PostMessageW(m_app->list(), WM_KEYDOWN, VK_DELETE, 0);
    };
    // Nothing selected: no question.
    m_app->selectRows({});
    pressDelete();
    EXPECT_TRUE(expectNothingFor(600ms, [&] { return findProcessWindow(m_app->processId(), title, m_app->mainWindow()) != nullptr; }));

    // No keeps them.
    m_app->selectRows({0, 1, 2});
    pressDelete();
    HWND question = nullptr;
    ASSERT_TRUE(pumpUntil([&] { return (question = findProcessWindow(m_app->processId(), title, m_app->mainWindow())) != nullptr; }, 5s));
    wchar_t text[64] = {};
    GetDlgItemTextW(question, 0xFFFF, text, 64);
    EXPECT_STREQ(text, L"您确定要清空该块剪贴板的内容吗");
    PostMessageW(question, WM_COMMAND, IDNO, 0);
    ASSERT_TRUE(pumpUntil([&] { return !IsWindow(question); }, 5s));
    EXPECT_EQ(m_app->rows().size(), 5u);

    // Yes: one question for three rows; rows, elements and data files go.
    pressDelete();
    ASSERT_TRUE(pumpUntil([&] { return (question = findProcessWindow(m_app->processId(), title, m_app->mainWindow())) != nullptr; }, 5s));
    PostMessageW(question, WM_COMMAND, IDYES, 0);
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 2; }));
    EXPECT_FALSE(findProcessWindow(m_app->processId(), title, m_app->mainWindow()));
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(storeValue(storeIndexPath(), "his" + std::to_string(n) + "-0"), "");
        EXPECT_FALSE(fs::exists(fs::u8path(storeDataFile("his" + std::to_string(n) + "-0"))));
    }
    EXPECT_EQ(m_app->rows()[0].content, L"row four");

    // A move into a category, chosen in the context menu with the keys.
    XmlDocument index;
    ASSERT_TRUE(index.loadFile(storeIndexPath()));
    store::appendRootChild(index, "AddNew", "Work");
    writeBytes(storeIndexPath(), textFileBytes(index.documentText()));
    m_app->selectRows({0});
    ASSERT_TRUE(bringToFront(m_app->mainWindow()));
    const RECT row = m_app->rowRect(0);
    SetCursorPos(row.left + 30, (row.top + row.bottom) / 2);
    sendMouseButton(MOUSEEVENTF_RIGHTDOWN);
    sendMouseButton(MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(waitForProcessMenu(m_app->processId()));
    pressKeys({VK_DOWN, VK_DOWN, VK_RIGHT, VK_RETURN}, false, 80ms);
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 1 && rows[0].content == L"row five"; }));
    EXPECT_EQ(storeValue(storeIndexPath(), "his4category"), "Work");

    // A double click pastes the row into the application used last, not into the main window.
    Target target(L"List paste target", L"");
    ASSERT_TRUE(target.focus());
    ASSERT_TRUE(bringToFront(m_app->mainWindow()));
    m_app->selectRows({0});
    const RECT five = m_app->rowRect(0);
    clickAt({five.left + 30, (five.top + five.bottom) / 2}, true);
    EXPECT_TRUE(pumpUntil([&] { return target.text() == L"row five"; }, 8s)) << base::toUtf8(target.text()) << m_log.text();
}

// The list's commands at their edges: each way of deleting (the Delete key, command 32780 to the
// list, the toolbar's 32792) takes the row with its elements and files, a picture its bitmap file
// and a slot row its slot, and the preview of what went is cleared; the list's menu opens only
// over the first selected row when it shows something, with "移动到" only when there are
// categories; a double click with two rows selected pastes nothing.
TEST_F(ClipMenuTest, TheListsCommandsAtTheirEdges) {
    const std::wstring title = base::toWide(store::kMainWindowTitle);
    auto confirmDelete = [&] {
        HWND question = nullptr;
        ASSERT_TRUE(pumpUntil([&] { return (question = findProcessWindow(m_app->processId(), title, m_app->mainWindow())) != nullptr; }, 5s));
        PostMessageW(question, WM_COMMAND, IDYES, 0);
        ASSERT_TRUE(pumpUntil([&] { return !IsWindow(question); }, 5s));
    };
    struct Way {
        const wchar_t* text;
        std::function<void()> ask;
    };
    const Way ways[] = {
        {L"deleted with the key", [&] { PostMessageW(m_app->list(), WM_KEYDOWN, VK_DELETE, 0); }},
        {L"deleted with 32780", [&] { PostMessageW(m_app->list(), WM_COMMAND, 32780, 0); }},
        {L"deleted with 32792", [&] { PostMessageW(m_app->mainWindow(), WM_COMMAND, 32792, 0); }},
    };
    for (const Way& way : ways)
        record(way.text);
    ASSERT_TRUE(bringToFront(m_app->mainWindow()));
    int across = 30;
    for (const Way& way : ways) {
        SCOPED_TRACE(base::toUtf8(way.text));
        const int row = rowOf(m_app->rows(), way.text);
        const std::string clip = "his" + base::toUtf8(m_app->rows()[static_cast<std::size_t>(row)].number) + "-";
        const RECT bounds = m_app->rowRect(row);
        // The next row moves up into the place of the one deleted: each click lands a little
        // further along, so that no two make a double click.
        across += 20;
        clickAt({bounds.left + across, (bounds.top + bounds.bottom) / 2});
        ASSERT_TRUE(pumpUntil([&] { return m_app->previewText() == way.text; }, 5s));
        way.ask();
        confirmDelete();
        EXPECT_TRUE(m_app->waitForRows([&](const auto& rows) { return rowOf(rows, way.text) < 0; }));
        EXPECT_EQ(storeValue(storeIndexPath(), clip + "0"), "");
        EXPECT_FALSE(fs::exists(fs::u8path(storeDataFile(clip + "0"))));
        EXPECT_EQ(m_app->previewText(), L"");
    }

    // A picture takes its bitmap file with it.
    base::WindowDc screen(nullptr);
    ASSERT_TRUE(putClipboard({{CF_BITMAP, CreateCompatibleBitmap(screen.get(), 20, 10)}}));
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rowOf(rows, L"picture:size 20*10") == 0; }));
    const std::string picture = "his" + base::toUtf8(m_app->rows()[0].number) + "-";
    ASSERT_TRUE(fs::exists(fs::u8path(storeDataFile(picture + ".bmp"))));
    m_app->selectRows({0});
    PostMessageW(m_app->list(), WM_KEYDOWN, VK_DELETE, 0);
    confirmDelete();
    EXPECT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.empty(); }));
    EXPECT_FALSE(fs::exists(fs::u8path(storeDataFile(picture + ".bmp"))));

    // A slot row takes its slot.
    Target target(L"Edge target", L"");
    ASSERT_TRUE(target.setTextAndSelectAll(L"slot to delete"));
    typeChord({VK_CONTROL}, '4', 30);
    ASSERT_TRUE(pumpUntil([] { return storedClipText("copy4") == L"slot to delete"; }, 8s));
    m_app->selectTreeNode(2);
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 1; }));
    m_app->selectRows({0});
    PostMessageW(m_app->list(), WM_KEYDOWN, VK_DELETE, 0);
    confirmDelete();
    EXPECT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.empty(); }));
    EXPECT_EQ(storeValue(storeIndexPath(), "copy40"), "");
    m_app->selectTreeNode(1);

    // Menus: over a row without categories (no "移动到", and "加入粘贴队列" for a history row; the
    // row's program is known, so it offers to record that program's copies no more); not below
    // the rows; not over a row that shows nothing.
    record(L"");
    record(L"menu row");
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 3; }));  // the slot's history copy too
    // The menu's line from the log, or "" when no menu came.
    auto rightClick = [&](POINT at, bool menuExpected) -> std::string {
        const std::size_t mark = m_log.mark();
        EXPECT_TRUE(bringToFront(m_app->mainWindow()));
        SetCursorPos(at.x, at.y);
        sendMouseButton(MOUSEEVENTF_RIGHTDOWN);
        sendMouseButton(MOUSEEVENTF_RIGHTUP);
        if (!menuExpected) {
            EXPECT_TRUE(expectNothingFor(800ms, [&] { return visibleProcessMenu(m_app->processId()) != nullptr; }));
        } else if (HWND menu = waitForProcessMenu(m_app->processId())) {
            sendKeys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
            pumpUntil([&] { return !IsWindowVisible(menu); }, 3s);
        }
        return m_log.has("list menu with", mark) ? m_log.lastLineWith("list menu with") : std::string();
    };
    const RECT menuRow = m_app->rowRect(rowOf(m_app->rows(), L"menu row"));
    EXPECT_NE(rightClick({menuRow.left + 30, (menuRow.top + menuRow.bottom) / 2}, true).find("with 5 items, queue"), std::string::npos);
    const RECT last = m_app->rowRect(2);
    EXPECT_EQ(rightClick({last.left + 30, last.bottom + 40}, false), "");
    const RECT empty = m_app->rowRect(rowOf(m_app->rows(), L""));
    EXPECT_EQ(rightClick({empty.left + 30, (empty.top + empty.bottom) / 2}, false), "");

    // Two rows selected: a double click pastes nothing.
    const std::size_t mark = m_log.mark();
    m_app->selectRows({0, 1});
    PostMessageW(m_app->list(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(30, (menuRow.top - last.top) / 2 + 4));
    EXPECT_TRUE(expectNothingFor(800ms, [&] { return m_log.has("chord", mark); }));
}

}  // namespace

// Shift held as the paste is chosen, from either menu: the text alone reaches a target that
// would take the rich text (and does, without Shift).
TEST_F(ClipMenuTest, ShiftPastesTheTextAloneFromEitherMenu) {
    const std::string rtf = "{\\rtf1 rich words}";
    ASSERT_TRUE(putClipboard({{CF_UNICODETEXT, globalFrom(L"plain words", sizeof(L"plain words"))},
                              {RegisterClipboardFormatW(L"Rich Text Format"), globalFrom(rtf.c_str(), rtf.size() + 1)}}));
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 1; }));
    Target target(L"Plain text target", L"");
    enum class Menu { AtThePointer, OfTheList };
    for (Menu menu : {Menu::AtThePointer, Menu::OfTheList})
        for (bool shift : {false, true}) {
            SCOPED_TRACE(testing::Message() << (menu == Menu::AtThePointer ? "clip menu" : "list menu") << " shift " << shift);
            SendMessageW(target.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
            ASSERT_TRUE(target.focus());
            DWORD owner = processOf(target.window());
            if (menu == Menu::AtThePointer) {
                ctrlRightClick(centreOf(target.window()));
            } else {
                ASSERT_TRUE(bringToFront(m_app->mainWindow()));
                m_app->selectRows({0});
                const RECT row = m_app->rowRect(0);
                movePointer({row.left + 30, (row.top + row.bottom) / 2});
                sendMouseButton(MOUSEEVENTF_RIGHTDOWN);
                sendMouseButton(MOUSEEVENTF_RIGHTUP);
                owner = m_app->processId();
            }
            HWND shown = waitForProcessMenu(owner);
            ASSERT_TRUE(shown);
            // The clip is the menu's first item; the list menu's paste is its last.
            pressKeys({static_cast<WORD>(menu == Menu::AtThePointer ? VK_DOWN : VK_UP)}, false, 80ms);
            pressKeys({VK_RETURN}, shift, 120ms);
            const std::wstring wanted = shift ? L"plain words" : L"{\\rtf1 rich words}";
            EXPECT_TRUE(pumpUntil([&] { return target.text() == wanted; }, 8s)) << base::toUtf8(target.text());
            // The paste is over once the user's clipboard is back in place.
            EXPECT_TRUE(pumpUntil([&] { return storeValue(storeStatusPath(), "SysClip").empty(); }, 5s));
        }
}

// Ctrl+Alt+` in an edit with the caret mid-text, in a window, in a dialog and in Wine's notepad: the menu opens at
// the caret with its first item selected; Down, Down, Enter pastes the third item there. Esc
// pastes nothing, and the focus is back in the edit either way.
TEST_F(ClipMenuTest, CtrlAltBackquoteOpensTheMenuAtTheCaret) {
    record(L"first clip");
    record(L"second clip");
    record(L"third clip");
    struct CaretTarget {
        const char* what;
        std::function<std::unique_ptr<Target>()> start;
    };
    const CaretTarget targets[] = {
        {"an edit window", [] { return std::make_unique<Target>(L"Caret target", L"abcdef"); }},
        {"a dialog's edit", [] { return std::make_unique<Target>(L"Caret target", L"abcdef", L"#dialog"); }},
        {"Wine's notepad", [] { return std::make_unique<Target>(ProgramByClass{L"notepad.exe", L"Notepad"}); }},
    };
    for (const CaretTarget& each : targets) {
        SCOPED_TRACE(each.what);
        const std::unique_ptr<Target> started = each.start();
        const Target& target = *started;
        ASSERT_TRUE(target.edit());
        SendMessageW(target.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"abcdef"));
        ASSERT_TRUE(target.focus());
        SendMessageW(target.edit(), EM_SETSEL, 3, 3);
        GUITHREADINFO gui = {};
        gui.cbSize = sizeof gui;
        ASSERT_TRUE(pumpUntil([&] {
            return GetGUIThreadInfo(GetWindowThreadProcessId(target.window(), nullptr), &gui) && gui.hwndFocus == target.edit() &&
                   gui.hwndCaret == target.edit();
        }, 5s));
        POINT caret = {gui.rcCaret.left, gui.rcCaret.bottom};
        ClientToScreen(gui.hwndCaret, &caret);

        // The items are the list's rows from the last up (a paste sorts the list by use time).
        const std::vector<ListRow> rows = m_app->rows();
        ASSERT_EQ(rows.size(), 3u);
        const std::wstring pasted = L"abc" + rows[0].content + L"def";
        const std::size_t mark = m_log.mark();
        typeChord({VK_CONTROL, VK_MENU}, VK_OEM_3, 60);
        HWND menu = waitForProcessMenu(target.processId());
        ASSERT_TRUE(menu) << "the target holds: " << base::toUtf8(target.text());
        ASSERT_TRUE(pumpUntil([&] { return firstItemDrawnSelected(menu); }, 5s));
        RECT shown = {};
        GetWindowRect(menu, &shown);
        EXPECT_LE(std::abs(shown.left - caret.x), 4) << shown.left << " " << caret.x;
        EXPECT_LE(std::abs(shown.top - caret.y), 4) << shown.top << " " << caret.y;
        EXPECT_TRUE(m_log.has("(caret)", mark));
        pressKeys({VK_DOWN, VK_DOWN, VK_RETURN});
        EXPECT_TRUE(pumpUntil([&] { return target.text() == pasted; }, 8s)) << base::toUtf8(target.text());
        EXPECT_TRUE(pumpUntil([&] { return m_log.has("notify 1027 " + base::toUtf8(rows[0].number) + " posted", mark); }, 5s));
        EXPECT_TRUE(pumpUntil([&] { return storeValue(storeStatusPath(), "SysClip").empty(); }, 5s));

        const std::size_t escMark = m_log.mark();
        typeChord({VK_CONTROL, VK_MENU}, VK_OEM_3, 60);
        menu = waitForProcessMenu(target.processId());
        ASSERT_TRUE(menu) << "the target holds: " << base::toUtf8(target.text());
        ASSERT_TRUE(pumpUntil([&] { return firstItemDrawnSelected(menu); }, 5s));
        pressKeys({VK_ESCAPE});
        EXPECT_TRUE(pumpUntil([&] { return m_log.has("clip menu closed: 0", escMark); }, 5s));
        EXPECT_TRUE(waitUntilTakesKeys(target.edit()));
        EXPECT_TRUE(expectNothingFor(500ms, [&] { return target.text() != pasted || m_log.has("chord", escMark); }));
    }
}

namespace {

// What a screen reader finds in one item of a menu of another process: its type, and its name
// (the MSAAMENUINFO at the start of an owner-drawn item's data, or a string item's text).
struct ReadItem {
    UINT type = 0;
    bool signed_ = false;  // an owner-drawn item's data begins with MSAA_MENU_SIG
    std::wstring name;
};

// The item data is an address in the target, asked of the target's own edit (see EditTarget.cpp:
// a menu is read only in its process under Wine), and read from there as a screen reader does.
std::vector<ReadItem> readMenuItems(const Target& target, HWND menu) {
    constexpr UINT kReadMenu = WM_APP + 2;
    auto ask = [&](int position, int what) {
        DWORD_PTR answer = static_cast<DWORD_PTR>(-1);
        SendMessageTimeoutW(target.edit(), kReadMenu, reinterpret_cast<WPARAM>(menu), MAKELPARAM(position, what),
                            SMTO_ABORTIFHUNG, 5000, &answer);
        return answer;
    };
    const base::UniqueKernelObject process(OpenProcess(PROCESS_VM_READ, FALSE, target.processId()));
    auto readText = [&](DWORD_PTR address, std::size_t units) {
        std::wstring text(units, L'\0');
        SIZE_T read = 0;
        if (!ReadProcessMemory(process.get(), reinterpret_cast<LPCVOID>(address), text.data(), units * sizeof(wchar_t), &read))
            return std::wstring(L"(unreadable)");
        text.resize(read / sizeof(wchar_t));
        return text.substr(0, text.find(L'\0'));
    };
    std::vector<ReadItem> items;
    const auto count = static_cast<int>(ask(0, 0));
    for (int position = 0; position < count && position < 50; ++position) {
        ReadItem item;
        item.type = static_cast<UINT>(ask(position, 1));
        if (item.type & MFT_OWNERDRAW) {
            MSAAMENUINFO info = {};
            SIZE_T read = 0;
            if (ReadProcessMemory(process.get(), reinterpret_cast<LPCVOID>(ask(position, 2)), &info, sizeof info, &read) &&
                read == sizeof info) {
                item.signed_ = info.dwMSAASignature == MSAA_MENU_SIG;
                item.name = readText(reinterpret_cast<DWORD_PTR>(info.pszWText), std::min<DWORD>(info.cchWText, 512));
            }
        } else {
            item.name = readText(ask(position, 3), 512);
        }
        items.push_back(item);
    }
    return items;
}

}  // namespace

// A program killed (or crashed) with the clip menu open took the desktop's one menu with it: the
// next Ctrl+Alt+` in another program opens the menu all the same.
TEST_F(ClipMenuTest, AProgramKilledWithTheMenuOpenLeavesTheNextMenuFree) {
    record(L"after the kill");
    auto killed = std::make_unique<Target>(L"Killed with its menu", L"");
    ASSERT_TRUE(killed->focus());
    ctrlRightClick(centreOf(killed->window()));
    ASSERT_TRUE(waitForProcessMenu(killed->processId()));
    {
        const base::UniqueKernelObject process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, killed->processId()));
        ASSERT_TRUE(process && TerminateProcess(process.get(), 9));
        ASSERT_EQ(WaitForSingleObject(process.get(), 5000), WAIT_OBJECT_0);
    }
    killed.reset();

    Target target(L"Menu after the kill", L"abc");
    ASSERT_TRUE(target.focus());
    const std::size_t mark = m_log.mark();
    typeChord({VK_CONTROL, VK_MENU}, VK_OEM_3, 60);
    HWND menu = waitForProcessMenu(target.processId());
    ASSERT_TRUE(menu) << m_log.text();
    EXPECT_TRUE(m_log.has("clip menu turn taken over", mark));
    ASSERT_TRUE(pumpUntil([&] { return firstItemDrawnSelected(menu); }, 5s));
    pressKeys({VK_ESCAPE});
    EXPECT_TRUE(pumpUntil([&] { return m_log.has("clip menu closed: 0", mark); }, 5s));
}

// A screen reader speaks each item of the clip menu: every owner-drawn item's data, read in the
// target's process, begins with the MSAA signature and its name (a text cut with "…", a
// picture's size, a file list's first file); with the screen-reader switch on, the items are
// plain strings of the same names. The switch is put back as it was.
TEST_F(ClipMenuTest, EachItemOfTheMenuIsNamedForAScreenReader) {
    record(L"first clip");
    const std::wstring longText = L"报告全文" + std::wstring(40, L'字');
    record(longText);
    base::WindowDc screen(nullptr);
    ASSERT_TRUE(putClipboard({{CF_BITMAP, CreateCompatibleBitmap(screen.get(), 20, 10)}}));
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rowOf(rows, L"picture:size 20*10") >= 0; }));
    const std::string drop = dropFilesBlock(std::wstring(L"C:\\users\\Public\\Documents\\quarterly\\report.txt") + L'\0');
    ASSERT_TRUE(putClipboard({{CF_HDROP, globalFrom(drop.data(), drop.size())}}));
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 4; }));
    const std::vector<std::wstring> names = {L"4. 文件 report.txt", L"3. 图片 20×10",
                                             L"2. " + longText.substr(0, 40) + L"…", L"1. first clip"};

    BOOL before = FALSE;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETSCREENREADER, 0, &before, 0));
    const base::ScopeExit restore([before] {
        SystemParametersInfoW(SPI_SETSCREENREADER, before, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
    });
    for (const bool screenReader : {false, true}) {
        SCOPED_TRACE(screenReader ? "a screen reader runs" : "no screen reader");
        ASSERT_TRUE(SystemParametersInfoW(SPI_SETSCREENREADER, screenReader, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE));
        // A process reads the switch once: a target started after it is set.
        Target target(L"Screen reader target", L"");
        ASSERT_TRUE(target.focus());
        ctrlRightClick(centreOf(target.window()));
        HWND menu = waitForProcessMenu(target.processId());
        ASSERT_TRUE(menu);
        const std::vector<ReadItem> items = readMenuItems(target, menu);
        sendKeys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
        EXPECT_TRUE(pumpUntil([&] { return !visibleProcessMenu(target.processId()); }, 5s));
        ASSERT_EQ(items.size(), names.size() + 2);  // the clips, a separator and "粘贴为"
        EXPECT_EQ(items.back().name, L"粘贴为(&A)");
        for (std::size_t i = 0; i < names.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(items[i].type, screenReader ? UINT(MFT_STRING) : UINT(MFT_OWNERDRAW));
            EXPECT_EQ(items[i].signed_, !screenReader);
            EXPECT_EQ(items[i].name, names[i]) << base::toUtf8(items[i].name);
        }
    }
}
