// dravix.exe end to end under Wine: start-up, history capture from real copies, the store views,
// the preview, slot notifications, sorting, visibility and closing.
#include "store/BmpLayout.h"
#include "DravixAppTest.h"
#include "store/Protocol.h"
#include "store/StorePaths.h"
#include "TestFiles.h"
#include "WinTestSupport.h"
#include "base/Handle.h"
#include "base/ScopeExit.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iterator>

namespace {

namespace fs = std::filesystem;

// The per-user store folder, as the program finds it.
std::string windowsDir() {
    return store::userStoreFolder();
}

bool hasContent(const std::vector<ListRow>& rows, const std::wstring& content) {
    for (const ListRow& row : rows)
        if (row.content == content)
            return true;
    return false;
}

// Wine's notepad with `text` in it, all of it selected and copied with real keys (the copy
// chord is repeated until the clipboard shows it, like the selection).
void copyInNotepad(Target& notepad, const std::wstring& text) {
    ASSERT_TRUE(notepad.setTextAndSelectAll(text));
    for (int attempt = 0; attempt < 5; ++attempt) {
        pressChord({VK_CONTROL}, 'C');
        if (pumpUntil([&] { return clipboardHoldsText(text); }, 1s))
            return;
        notepad.focus();
    }
    FAIL() << "Ctrl+C in notepad did not copy";
}

// Each test prepares what it needs (store files, settings), then starts the program.
class MainWindowTest : public DravixAppTest {
protected:
    MainWindowTest() : DravixAppTest(Start::ByTheTest) {}
};

TEST_F(MainWindowTest, StartsWithItsTitleAndWithoutThePreviousStore) {
    const std::string windows = windowsDir();
    fs::create_directories(fs::u8path(windows + "\\Brindlecote"));
    writeBytes(windows + "\\Brindlecote\\his5-0", "old");
    writeBytes(windows + "\\label.xml", "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<UserInfo>\r\n<SysClip>TRUE</SysClip>\r\n</UserInfo>\r\n");
    writeBytes(windows + "\\clipboard.xml", "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<UserInfo>\r\n<his5-0>13</his5-0>\r\n</UserInfo>\r\n");
    start();
    EXPECT_FALSE(fileExists(windows + "\\Brindlecote\\his5-0"));
    EXPECT_FALSE(fileExists(windows + "\\label.xml"));
    EXPECT_EQ(readBytes(windows + "\\clipboard.xml").find("his5-0"), std::string::npos);
    EXPECT_TRUE(m_app->rows().empty());
}

TEST_F(MainWindowTest, CopiesInNotepadBecomeHistoryRowsWithoutRepeats) {
    start();
    Target notepad(ProgramByClass{L"notepad.exe", L"Notepad"});
    ASSERT_TRUE(notepad.window());
    copyInNotepad(notepad, L"alpha text");
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return hasContent(rows, L"alpha text"); }));
    copyInNotepad(notepad, L"alpha text");
    EXPECT_TRUE(expectNothingFor(1000ms, [&] { return m_app->rowCount() != 1; }));  // the same text twice: one record
    copyInNotepad(notepad, L"beta text");
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 2; }));
    copyInNotepad(notepad, L"alpha text");
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 3; }));
    const auto rows = m_app->rows();
    EXPECT_EQ(rows[0].number, L"1");
    EXPECT_EQ(rows[1].number, L"2");
    EXPECT_EQ(rows[2].number, L"3");
    EXPECT_EQ(rows[2].content, L"alpha text");
    EXPECT_EQ(rows[2].image, 0);
    EXPECT_EQ(rows[2].copyTime.size(), 19u);
}

TEST_F(MainWindowTest, PicturesAndFileListsGetTheirRowsAndPreview) {
    start();
    base::WindowDc screen(nullptr);
    HDC memory = CreateCompatibleDC(screen.get());
    HBITMAP picture = CreateCompatibleBitmap(screen.get(), 64, 48);
    HGDIOBJ old = SelectObject(memory, picture);
    HBRUSH red = CreateSolidBrush(RGB(220, 30, 30));
    RECT all = {0, 0, 64, 48};
    FillRect(memory, &all, red);
    DeleteObject(red);
    SelectObject(memory, old);
    DeleteDC(memory);
    ASSERT_TRUE(putClipboard({{CF_BITMAP, picture}}));
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return hasContent(rows, L"picture:size 64*48"); }));
    EXPECT_EQ(m_app->rows()[0].image, 1);

    const std::string drop = dropFilesBlock(std::wstring(L"C:\\docs\\one.txt\0C:\\docs\\two.txt\0", 32));
    ASSERT_TRUE(putClipboard({{CF_HDROP, globalFrom(drop.data(), drop.size())}}));
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 2; }));
    EXPECT_EQ(m_app->rows()[1].content, L"File:Path\"C:\\docs\\one.txt\"");
    EXPECT_EQ(m_app->rows()[1].image, 2);

    // A click on the picture row shows it, scaled, in the preview pane.
    ASSERT_TRUE(bringToFront(m_app->mainWindow()));
    const RECT row = m_app->rowRect(0);
    clickAt({row.left + 20, (row.top + row.bottom) / 2});
    RECT pane;
    GetWindowRect(m_app->preview(), &pane);
    const POINT centre{(pane.left + pane.right) / 2, (pane.top + pane.bottom) / 2};
    ASSERT_TRUE(pumpUntil([&] { return GetPixel(screen.get(), centre.x, centre.y) == RGB(220, 30, 30); }, 5s));
    screenshot(L"preview-picture.png");
}

// A picture given as a DIB alone: its record holds the DIB, the bitmap and the DIBV5 the system
// lists after it, and its bitmap file has the pixels at the display's 24 bits, bottom-up.
TEST_F(MainWindowTest, APictureGivenAsADibAloneKeepsItsPixelsAndFormats) {
    const auto colour = [](char b, char g, char r) { return std::string{b, g, r}; };
    const std::string red = colour(0, 0, '\xff'), green = colour(0, '\xff', 0), blue = colour('\xff', 0, 0),
                      white = colour('\xff', '\xff', '\xff'), black(3, '\0'), pad3(3, '\0'), pad2(2, '\0');
    struct Case {
        const char* what;
        std::string dib;
        std::wstring row;
        std::string pixels;  // the file's rows, from the bottom one
    };
    const Case cases[] = {
        {"32 bits, top-down",
         dibBlock(3, -2, 32, "", red + '\0' + green + '\0' + blue + '\0' + white + '\0' + black + '\0' + red + '\0'),
         L"picture:size 3*2", white + black + red + pad3 + red + green + blue + pad3},
        {"a palette, bottom-up (the system converts it)",
         dibBlock(2, 2, 8, red + '\0' + blue + '\0', std::string("\x00\x01\0\0\x01\x00\0\0", 8)), L"picture:size 2*2",
         red + blue + pad2 + blue + red + pad2},
    };
    start();
    const store::StorePaths paths(windowsDir());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(putClipboard({{CF_DIB, globalFrom(c.dib.data(), c.dib.size())}}));
        ASSERT_TRUE(m_app->waitForRows([&](const auto& rows) { return hasContent(rows, c.row); }));
        std::wstring number;
        for (const ListRow& row : m_app->rows())
            if (row.content == c.row)
                number = row.number;
        const std::string clip = "his" + base::toUtf8(number) + "-";
        EXPECT_EQ(readStoredBytes(paths.bitmapFile(clip)).substr(store::kBmpHeadersSize), c.pixels);
        const std::string index = readBytes(windowsDir() + "\\clipboard.xml");
        std::string formats;
        for (int part = 0; part < 5; ++part) {
            const std::string open = "<" + clip + std::to_string(part) + ">";
            const std::size_t at = index.find(open);
            if (at == std::string::npos)
                break;
            const std::string format = index.substr(at + open.size(), index.find('<', at + 1) - at - open.size());
            formats += format + " ";
            if (format == "17") {
                EXPECT_EQ(readStoredBytes(paths.dataFile(clip + std::to_string(part))).substr(0, 4), std::string("\x7c\0\0\0", 4));
            }
            if (format == "8") {
                EXPECT_EQ(readStoredBytes(paths.dataFile(clip + std::to_string(part))), c.dib);
            }
        }
        EXPECT_EQ(formats, "8 2 17 ");  // as the clipboard lists them
    }
}

TEST_F(MainWindowTest, SlotCopyInNotepadShowsUnderHotkeysAndInHistory) {
    start();
    Target notepad(ProgramByClass{L"notepad.exe", L"Notepad"});
    ASSERT_TRUE(notepad.setTextAndSelectAll(L"slot five"));
    pressChord({VK_CONTROL}, '5');
    // The slot copy puts the text on the clipboard; the history copy of the slot is its row.
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return hasContent(rows, L"slot five"); }));
    m_app->selectTreeNode(2);
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) {
        return rows.size() == 1 && rows[0].number == L"ctrl+alt+5" && rows[0].content == L"slot five";
    }));
    m_app->selectTreeNode(0);
    EXPECT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.empty(); }));
}

TEST_F(MainWindowTest, PasteUpdatesTheUseTimeAndSortsByIt) {
    start();
    for (const wchar_t* text : {L"one", L"two", L"three"}) {
        ASSERT_TRUE(putClipboardText(text));
        ASSERT_TRUE(m_app->waitForRows([&](const auto& rows) { return hasContent(rows, text); }));
    }
    waitForANewSecond();  // for a newer use time
    HMODULE library = LoadLibraryW(L"Latchkit.dll");
    ASSERT_TRUE(library);
    auto paste = reinterpret_cast<void(WINAPI*)(const char*)>(
        reinterpret_cast<void*>(GetProcAddress(library, "PasteData2Window")));
    ASSERT_TRUE(paste);
    const std::wstring before = m_app->rows()[0].useTime;
    paste("his1-");
    ASSERT_TRUE(m_app->waitForRows([&](const auto& rows) {
        return rows.size() == 3 && rows.back().number == L"1" && rows.back().useTime != before;
    }));
    FreeLibrary(library);
}

TEST_F(MainWindowTest, HeaderClicksSortBothWays) {
    start();
    for (const wchar_t* text : {L"b", L"c", L"a"}) {
        ASSERT_TRUE(putClipboardText(text));
        ASSERT_TRUE(m_app->waitForRows([&](const auto& rows) { return hasContent(rows, text); }));
    }
    ASSERT_TRUE(bringToFront(m_app->mainWindow()));
    const RECT content = m_app->headerItemRect(0);
    const POINT header{(content.left + content.right) / 2, (content.top + content.bottom) / 2};
    clickAt(header);
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 3 && rows[0].content == L"a"; }));
    EXPECT_EQ(m_app->rows()[2].content, L"c");
    letTimePass(700ms);  // a second click, not a double click
    clickAt(header);
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 3 && rows[0].content == L"c"; }));
    EXPECT_EQ(m_app->rows()[2].content, L"a");
}

TEST_F(MainWindowTest, EscapeAndEnterDoNothing) {
    start();
    ASSERT_TRUE(bringToFront(m_app->mainWindow()));
    pressChord({}, VK_ESCAPE);
    pressChord({}, VK_RETURN);
    EXPECT_TRUE(expectNothingFor(800ms, [&] { return !IsWindowVisible(m_app->mainWindow()) || m_app->waitForExit(0ms) != -1; }));
}

// The list has the focus at the start; Tab goes through the search box, the list, the tree and the
// preview and round again, Shift+Tab back; each is named by the hidden static text just before it, where Microsoft Active
// Accessibility looks for a control's name (GetWindow GW_HWNDPREV).
TEST_F(MainWindowTest, TabGoesThroughTheControlsEachNamedByTheLabelBeforeIt) {
    start();
    struct Stop {
        HWND control;
        const wchar_t* name;
    };
    const Stop stops[] = {{m_app->searchBox(), L"搜索"}, {m_app->list(), L"剪贴板记录"}, {m_app->tree(), L"分类"},
                          {m_app->preview(), L"预览"}};
    for (const Stop& stop : stops) {
        SCOPED_TRACE(base::toUtf8(stop.name));
        HWND label = GetWindow(stop.control, GW_HWNDPREV);
        wchar_t className[32] = {}, text[64] = {};
        GetClassNameW(label, className, 32);
        GetWindowTextW(label, text, 64);
        EXPECT_EQ(_wcsicmp(className, L"Static"), 0) << base::toUtf8(className);
        EXPECT_STREQ(text, stop.name);
        EXPECT_FALSE(IsWindowVisible(label));
    }
    auto focusIs = [](HWND control) { return pumpUntil([&] { return focusInThreadOf(control) == control; }, 5s); };
    ASSERT_TRUE(bringToFront(m_app->mainWindow()));
    EXPECT_TRUE(focusIs(m_app->list())) << "the list has the focus at the start";
    ASSERT_TRUE(clickIntoKeys(stops[0].control));
    for (std::size_t step = 1; step <= std::size(stops); ++step) {
        pressKeys({VK_TAB});
        EXPECT_TRUE(focusIs(stops[step % std::size(stops)].control)) << "Tab " << step;
    }
    pressKeys({VK_TAB}, true);
    EXPECT_TRUE(focusIs(stops[std::size(stops) - 1].control)) << "Shift+Tab";
}

TEST_F(MainWindowTest, SecondStartShowsTheFirstWindowAndEnds) {
    start();
    ShowWindow(m_app->mainWindow(), SW_HIDE);
    DravixProcess second;
    EXPECT_EQ(second.waitForExit(15s), 0);
    EXPECT_TRUE(pumpUntil([&] { return IsWindowVisible(m_app->mainWindow()) != FALSE; }, 5s));
}

TEST_F(MainWindowTest, MinimisingHidesToTheTrayAndADoubleClickBringsItBack) {
    start();
    ShowWindow(m_app->mainWindow(), SW_MINIMIZE);
    ASSERT_TRUE(pumpUntil([&] { return !IsWindowVisible(m_app->mainWindow()); }, 15s));
    const POINT icon = newestTrayIcon();
    clickAt(icon, true);
    EXPECT_TRUE(pumpUntil([&] { return IsWindowVisible(m_app->mainWindow()) != FALSE; }, 5s));
}

// A dialog of the program once it is on screen (created, initialised and shown).
HWND waitForDialog(DWORD processId, const std::wstring& title, HWND except = nullptr) {
    HWND dialog = nullptr;
    pumpUntil(
        [&] {
            dialog = findProcessWindow(processId, title, except);
            return dialog && IsWindowVisible(dialog);
        },
        5s);
    return dialog;
}

void pressButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

TEST_F(MainWindowTest, ClosingAsksTheExitDialogAndTheConfirmation) {
    start();
    const std::wstring title = base::toWide(store::kMainWindowTitle);
    // Cancel in the exit dialog: nothing happens.
    PostMessageW(m_app->mainWindow(), WM_CLOSE, 0, 0);
    HWND dialog = waitForDialog(m_app->processId(), L"退出");
    ASSERT_TRUE(dialog);
    pressButton(dialog, IDCANCEL);
    ASSERT_TRUE(pumpUntil([&] { return !IsWindow(dialog); }, 5s));
    EXPECT_EQ(m_app->waitForExit(300ms), -1);

    // Exit chosen and confirmed with Enter (only the main window ignores it), then Yes: the
    // program ends with code 0.
    PostMessageW(m_app->mainWindow(), WM_CLOSE, 0, 0);
    dialog = waitForDialog(m_app->processId(), L"退出");
    ASSERT_TRUE(dialog);
    SendMessageW(GetDlgItem(dialog, 1004), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(GetDlgItem(dialog, 1005), BM_SETCHECK, BST_CHECKED, 0);
    ASSERT_TRUE(bringToFront(dialog));
    pressChord({}, VK_RETURN);
    HWND question = waitForDialog(m_app->processId(), title, m_app->mainWindow());
    ASSERT_TRUE(question);
    pressButton(question, IDYES);
    EXPECT_EQ(m_app->waitForExit(10s), 0);
}

// The window opens where it was when the program ended last (kept in the user's settings, not in
// the store, which every start empties); the first time, on the screen whole.
TEST_F(MainWindowTest, TheWindowOpensWhereItWasLeft) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Dravix", L"WindowPlacement");
    start();
    RECT first = {};
    GetWindowRect(m_app->mainWindow(), &first);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(m_app->mainWindow(), MONITOR_DEFAULTTONEAREST), &monitor);
    EXPECT_TRUE(first.left >= monitor.rcWork.left && first.top >= monitor.rcWork.top &&
                first.right <= monitor.rcWork.right && first.bottom <= monitor.rcWork.bottom);
    SetWindowPos(m_app->mainWindow(), nullptr, 130, 90, 760, 560, SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessageW(m_app->mainWindow(), WM_COMMAND, 32797, 0);  // File > Exit, confirmed
    HWND question = waitForDialog(m_app->processId(), base::toWide(store::kMainWindowTitle), m_app->mainWindow());
    ASSERT_TRUE(question);
    pressButton(question, IDYES);
    ASSERT_EQ(m_app->waitForExit(10s), 0);
    start();
    RECT again = {};
    GetWindowRect(m_app->mainWindow(), &again);
    EXPECT_EQ(again.left, 130);
    EXPECT_EQ(again.top, 90);
    EXPECT_EQ(again.right - again.left, 760);
    EXPECT_EQ(again.bottom - again.top, 560);
}

// The columns fit the list at two window sizes and two scalings: no horizontal scroll bar, the
// times and the number as wide as their texts need, the content the rest. A divider the user
// dragged stays until the next resize. The screenshots are kept for people to look at.
TEST_F(MainWindowTest, TheColumnsFitTheListAtEveryWidthAndScaling) {
    const auto setDpi = [](DWORD dpi) {
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
    };
    const base::ScopeExit backTo96([&] { setDpi(96); });  // on every way out: later tests run at 100%
    for (const DWORD dpi : {96u, 144u}) {
        SCOPED_TRACE(dpi);
        setDpi(dpi);
        start();
        for (const wchar_t* text : {L"short", L"2", L"a long text that a narrow column would cut off long before its end"}) {
            ASSERT_TRUE(putClipboardText(text));
            ASSERT_TRUE(m_app->waitForRows([&](const auto& rows) { return hasContent(rows, text); }));
        }
        // The first size, and the whole screen's width.
        for (const int width : {0, 1270}) {
            if (width)
                SetWindowPos(m_app->mainWindow(), nullptr, 0, 0, width, 900, SWP_NOZORDER | SWP_NOACTIVATE);
            const std::vector<int> widths = m_app->columnWidths();
            ASSERT_EQ(widths.size(), 4u);
            RECT list = {};
            GetClientRect(m_app->list(), &list);
            EXPECT_FALSE(GetWindowLongW(m_app->list(), GWL_STYLE) & WS_HSCROLL);
            EXPECT_LE(widths[0] + widths[1] + widths[2] + widths[3], list.right);
            EXPECT_GT(widths[1], m_app->stringWidth(L"2026-12-08 14:03:22"));
            EXPECT_GT(widths[2], m_app->stringWidth(L"ctrl+alt+0"));
            EXPECT_GT(widths[0], widths[1]);
            screenshot(L"columns-" + std::to_wstring(dpi) + L"-" + std::to_wstring(width ? width : 1) + L".png");
        }
        // A divider dragged by the user: kept while rows come, refitted by the next resize.
        SendMessageW(m_app->list(), LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(300, 0));
        ASSERT_TRUE(putClipboardText(L"one more"));
        ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return hasContent(rows, L"one more"); }));
        EXPECT_EQ(m_app->columnWidths()[1], 300);
        SetWindowPos(m_app->mainWindow(), nullptr, 0, 0, 1200, 850, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_TRUE(pumpUntil([&] { return m_app->columnWidths()[1] != 300; }, 5s));
        m_app.reset();
    }
}

TEST_F(MainWindowTest, AFullHistoryIsReportedAndNothingIsStored) {
    start();
    const std::string index = fullHistoryIndex();
    writeBytes(windowsDir() + "\\clipboard.xml", index);
    ASSERT_TRUE(putClipboardText(L"one too many"));
    HWND full = waitForDialog(m_app->processId(), base::toWide(store::kMainWindowTitle), m_app->mainWindow());
    ASSERT_TRUE(full);
    wchar_t text[128] = {};
    GetDlgItemTextW(full, 0xFFFF, text, 128);  // the message box's text
    EXPECT_STREQ(text, L"剪贴板历史记录已存满，请删除一些您不用的数据。");
    pressButton(full, IDOK);
    EXPECT_TRUE(expectNothingFor(500ms, [&] { return readBytes(windowsDir() + "\\clipboard.xml") != index || m_app->rowCount() != 0; }));
}

// With "历史记录满时删除最早的记录" on, a copy into a full history: the clip used longest ago of those in
// no category goes with its files (a second format, its picture and thumbnail) and the copy takes
// its number; the two filed clips, older still, stay with their files; no message is shown.
TEST_F(MainWindowTest, AFullHistoryMakesRoomWhenAskedFromTheOldestUnfiledClip) {
    setUserSwitch(L"MakeRoomWhenFull", true);
    start();
    const std::string index = fullHistoryIndex([](const std::string& clip) {
        std::string used = clip == "his7-" ? "2001-01-02 00:00:00" : "2019-01-01 00:00:00";
        std::string more;
        if (clip == "his1-" || clip == "his2-") {
            used = "2001-01-01 00:00:00";
            more = "<" + clip.substr(0, clip.size() - 1) + "category>留着</" + clip.substr(0, clip.size() - 1) + "category>\r\n";
        }
        if (clip == "his7-")
            more = "<his7-9>1</his7-9>\r\n<his7--time>2001-01-02 00:00:00</his7--time>\r\n";
        return more + "<" + clip + "-usetime>" + used + "</" + clip + "-usetime>\r\n";
    });
    writeBytes(storeIndexPath(), index);
    fs::create_directories(fs::u8path(storeDataFile("his1-0")).parent_path());
    for (const char* file : {"his1-0", "his2-0", "his7-0", "his7-9", "his7-.bmp", "his7-.thumb.bmp"}) {
        writeBytes(storeDataFile(file), file);
        ASSERT_EQ(readBytes(storeDataFile(file)), file);
    }
    ASSERT_TRUE(putClipboardText(L"makes room"));
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) {
        return rows.size() == 1 && rows[0].content == L"makes room" && rows[0].number == L"7";
    }));
    EXPECT_EQ(storedClipText("his7-"), L"makes room");
    EXPECT_EQ(storeValue(storeIndexPath(), "his7-9"), "");
    for (const char* gone : {"his7-9", "his7-.bmp", "his7-.thumb.bmp"})
        EXPECT_FALSE(fs::exists(fs::u8path(storeDataFile(gone)))) << gone;
    for (const char* kept : {"his1-0", "his2-0"})
        EXPECT_EQ(readBytes(storeDataFile(kept)), kept);
    EXPECT_EQ(storeValue(storeIndexPath(), "his1category"), "留着");
    EXPECT_EQ(storeValue(storeIndexPath(), "his2category"), "留着");
    EXPECT_EQ(storeValue(storeIndexPath(), "his8-0"), "13");
    EXPECT_TRUE(expectNothingFor(500ms, [&] {
        return findProcessWindow(m_app->processId(), base::toWide(store::kMainWindowTitle), m_app->mainWindow()) != nullptr;
    }));
}

// The tray menu's commands, sent to the tray icon's own window as the menu would.
class TrayMenuTest : public MainWindowTest {
protected:
    HWND trayWindow() const { return m_app->trayWindow(); }
    void command(UINT id) { SendMessageW(trayWindow(), WM_COMMAND, id, 0); }
    std::wstring title() const {
        wchar_t text[128] = {};
        GetWindowTextW(m_app->mainWindow(), text, 128);
        return text;
    }
    // The menu opened for real with a right click on the icon. Menus are private to their process
    // under Wine, so the items are read from the program's debug log, written as the menu opens.
    std::vector<std::string> openTrayMenu(const DebugLog& log) {
        const std::size_t mark = log.mark();
        const HWND popup = trayMenu();
        std::vector<std::string> items;
        if (!popup)
            return items;
        screenshot(L"tray-menu.png");
        const std::vector<std::string> lines = log.lines();
        for (std::size_t i = mark; i < lines.size(); ++i)
            if (const std::size_t at = lines[i].find("tray menu item "); at != std::string::npos)
                items.push_back(lines[i].substr(at + 15));
        PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
        pumpUntil([&] { return !IsWindowVisible(popup); }, 3s);
        return items;
    }
};

TEST_F(TrayMenuTest, PauseAndResumeSwitchTitleAndRecording) {
    start();
    ASSERT_TRUE(trayWindow());
    const std::wstring normal = base::toWide(store::kMainWindowTitle);
    command(32775);  // pause
    EXPECT_EQ(title(), normal + L"(暂停)");
    ASSERT_TRUE(putClipboardText(L"while paused"));
    EXPECT_TRUE(expectNothingFor(800ms, [&] { return m_app->rowCount() != 0; }));
    command(32779);  // resume: the clipboard of this moment is recorded
    EXPECT_EQ(title(), normal);
    EXPECT_TRUE(m_app->waitForRows([](const auto& rows) { return hasContent(rows, L"while paused"); }));
}

// The switches beyond pause, always on top and start with Windows are the options dialog's: the
// menu has "选项(&O)…" (32808) before "退出" instead.
TEST_F(TrayMenuTest, TheMenuOpensWithItsItemsAndStates) {
    const DebugLog log;
    start();
    // Out of the way of the notification area's own window.
    SetWindowPos(m_app->mainWindow(), nullptr, 400, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(openTrayMenu(log),
              (std::vector<std::string>{"32773", "32771 default", "32796", "32775", "32779 grayed", "32777", "32778",
                                        "32921", "32808", "32772"}));
    command(32775);  // pause
    command(32778);  // always on top
    EXPECT_EQ(openTrayMenu(log),
              (std::vector<std::string>{"32773", "32771 default", "32796", "32775 grayed", "32779", "32777",
                                        "32778 checked", "32921", "32808", "32772"}));
    command(32779);
    command(32778);
    EXPECT_EQ(openTrayMenu(log),
              (std::vector<std::string>{"32773", "32771 default", "32796", "32775", "32779 grayed", "32777", "32778",
                                        "32921", "32808", "32772"}));
}

TEST_F(TrayMenuTest, StartWithWindowsAndAlwaysOnTopToggle) {
    start();
    auto runValue = [] {
        wchar_t value[300] = {};
        DWORD size = sizeof value;
        const LONG result = RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                         L"pellimor", RRF_RT_REG_SZ, nullptr, value, &size);
        return result == ERROR_SUCCESS ? std::wstring(value) : std::wstring();
    };
    command(32777);
    const std::wstring written = runValue();
    EXPECT_NE(written.find(L"dravix.exe"), std::wstring::npos);
    command(32777);
    EXPECT_EQ(runValue(), L"");

    auto onTop = [&] { return (GetWindowLongW(m_app->mainWindow(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    command(32778);
    EXPECT_TRUE(pumpUntil(onTop, 3s));
    command(32778);
    EXPECT_TRUE(pumpUntil([&] { return !onTop(); }, 3s));
}

// Program folders of their own, for the starts that must end early.
class StartupTest : public ::testing::Test {
protected:
    std::wstring folder() const { return base::toWide(m_dir.path("program")); }
    void copyIn(const std::wstring& file, const std::wstring& as = L"") { ASSERT_TRUE(copyProgramFile(folder(), file, as)); }
    bool windowShown(DWORD processId) const {
        return findProcessWindow(processId, base::toWide(store::kMainWindowTitle)) != nullptr;
    }
    ScratchDir m_dir;
};

TEST_F(StartupTest, MissingLibraryOrExportEndsSilently) {
    copyIn(L"dravix.exe");
    {
        DravixProcess app(folder());
        EXPECT_EQ(app.waitForExit(15s), 0);
        EXPECT_FALSE(windowShown(app.processId()));
    }
    copyIn(L"stub_latchkit.dll", L"Latchkit.dll");
    DravixProcess app(folder());
    EXPECT_EQ(app.waitForExit(15s), 0);
    EXPECT_FALSE(windowShown(app.processId()));
}

// A hook library without its menu pictures: reported once by the main program with its
// caption (the library itself shows nothing), then the program ends.
TEST_F(StartupTest, ALibraryWithoutItsPicturesIsReportedOnce) {
    copyIn(L"dravix.exe");
    copyIn(L"stub_latchkit_noicons.dll", L"Latchkit.dll");
    DravixProcess app(folder());
    HWND box = nullptr;
    ASSERT_TRUE(pumpUntil([&] { return (box = findProcessWindow(app.processId(), base::toWide(store::kMainWindowTitle))) != nullptr; }, 15s));
    wchar_t text[64] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 64);
    EXPECT_STREQ(text, L"load icon error!");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(app.waitForExit(15s), 0);
}

TEST_F(StartupTest, UpdateMarkerStartsOnlyTheUpdater) {
    copyIn(L"dravix.exe");
    copyIn(L"Latchkit.dll");
    copyIn(L"updater_standin.exe", L"pellimorvchange.exe");
    writeBytes(base::toUtf8(folder() + L"\\pellimornew"), "");
    DravixProcess app(folder());
    EXPECT_EQ(app.waitForExit(15s), 0);
    EXPECT_TRUE(pumpUntil([&] { return fileExists(base::toUtf8(folder() + L"\\updater-ran")); }, 10s));
    EXPECT_FALSE(windowShown(app.processId()));
}

TEST_F(StartupTest, AWaitingUpdaterReplacesTheOldOneAndStartGoesOn) {
    copyIn(L"dravix.exe");
    copyIn(L"Latchkit.dll");
    writeBytes(base::toUtf8(folder() + L"\\pellimorvchange.exe"), "old updater");
    writeBytes(base::toUtf8(folder() + L"\\pellimorvchange.exe.pellimor!"), "new updater");
    DravixProcess app(folder());
    EXPECT_TRUE(app.waitForMainWindow());
    EXPECT_EQ(readBytes(base::toUtf8(folder() + L"\\pellimorvchange.exe")), "new updater");
    EXPECT_FALSE(fileExists(base::toUtf8(folder() + L"\\pellimorvchange.exe.pellimor!")));
}

}  // namespace
