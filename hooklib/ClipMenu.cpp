#include "hooklib/ClipMenu.h"

#include "hooklib/ClipMenuRules.h"
#include "hooklib/MenuEx.h"
#include "store/Protocol.h"
#include "store/RestorableFormats.h"
#include "hooklib/RemoteList.h"
#include "hooklib/SharedState.h"
#include "hooklib/LibraryStore.h"
#include "hooklib/UserChords.h"
#include "options/KeyNames.h"
#include "store/Thumbnail.h"
#include "base/Handle.h"
#include "base/ScopeExit.h"
#include "base/Text.h"
#include "base/Trace.h"

#include <chrono>

namespace hooklib {

namespace {

constexpr int kIconSize = 16;

// The thread's own view (it has seen the key) or the keyboard's (the click may land in a window
// of a thread that did not get the key).
bool isDown(int virtualKey) {
    return ((GetKeyState(virtualKey) | GetAsyncKeyState(virtualKey)) & 0x8000) != 0;
}

// The options::Modifier bits held with the click.
unsigned heldForClick() {
    return (isDown(VK_CONTROL) ? unsigned{options::kCtrl} : 0u) | (isDown(VK_MENU) ? unsigned{options::kAlt} : 0u) |
           (isDown(VK_SHIFT) ? unsigned{options::kShift} : 0u) |
           (isDown(VK_LWIN) || isDown(VK_RWIN) ? unsigned{options::kWin} : 0u);
}

long long millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

// The pictures of icons 1000-1002 at 13 x 13, made when the first menu opens (no drawing in
// DllMain), on the menu's own background, since a menu item's picture is copied as it is. A
// missing one stays null: that kind of item shows without its picture (the main program reports
// a damaged library).
void loadMenuBitmaps(COLORREF background) {
    if (g_hMenuBitmaps[0] || g_hMenuBitmaps[1] || g_hMenuBitmaps[2])
        return;
    base::WindowDc screen(nullptr);
    const base::UniqueBrush fill(CreateSolidBrush(background));
    for (int i = 0; i < 3; ++i) {
        const base::UniqueIcon icon(
            static_cast<HICON>(LoadImageW(g_hLibrary, MAKEINTRESOURCEW(1000 + i), IMAGE_ICON, 13, 13, 0)));
        if (!icon)
            continue;
        base::UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), 13, 13));
        base::MemoryDc dc(screen.get());
        dc.select(bitmap.get());
        const RECT all = {0, 0, 13, 13};
        FillRect(dc.get(), &all, fill.get());
        DrawIconEx(dc.get(), 0, 0, icon.get(), 13, 13, 0, nullptr, DI_NORMAL);
        dc.reset();
        g_hMenuBitmaps[i] = std::move(bitmap);
    }
}

// A file list's row carries the first 40 units of its path: its item is named by the whole path
// from the store (the file's name may lie beyond the cut), all read in one go, or stays as it is
// when that cannot be read.
std::map<std::string, std::u16string> wholeFileListTexts(const std::vector<RemoteRow>& rows) {
    std::vector<std::string> clips;
    for (const RemoteRow& row : rows)
        if (row.image == static_cast<int>(hooklib::RowImage::FileList))
            if (const auto item = hooklib::itemForRow(row.number, row.content, hooklib::RowImage::FileList))
                clips.push_back(item->clip);
    return store::fileListTexts(libraryStorePaths(), clips);
}

// "粘贴为(&A)" after the clips: each text clip again (a plain item of its text), each with the
// transforms. Each level is made as it opens (WM_INITMENUPOPUP); the submenus go with the menu.
void appendPasteAsMenu(CMenuEx& menu, std::vector<hooklib::Item> textItems) {
    if (textItems.empty())
        return;
    AppendMenuW(menu.handle(), MF_SEPARATOR, 0, nullptr);
    menu.AppendPopupMadeOnOpening(menu.handle(), L"粘贴为(&A)", [&menu, items = std::move(textItems)](HMENU pasteAs) {
        for (const hooklib::Item& item : items) {
            const std::u16string text = hooklib::plainItemText(item.text);
            menu.AppendPopupMadeOnOpening(pasteAs, std::wstring(text.begin(), text.end()),
                                          [command = item.command](HMENU transforms) {
                                              for (const store::TransformName& name : store::kTransformNames)
                                                  AppendMenuW(transforms, MF_STRING,
                                                              hooklib::pasteAsCommand(command, name.transform),
                                                              base::toWide(name.menuText).c_str());
                                          });
        }
    });
}

// A menu is made to be shown at once, or ahead while the button is held: made ahead, rows that
// could not be read for want of memory are left for the release to read again, and to report (a
// main window too busy to answer is not asked twice).
enum class Making { ToShow, Ahead };

// The rows of the main window's list as items, with the image of their kind, and "粘贴为" after
// them. A main window that does not hand them over in time leaves one disabled item that says so.
// False when made ahead and left for the release.
bool fillFromList(CMenuEx& menu, HWND main, HWND list, Making making) {
    const auto started = std::chrono::steady_clock::now();
    std::vector<RemoteRow> rows;
    const RemoteReadResult result = readListRowsReversed(main, list, rows);
    if (making == Making::Ahead && (result == RemoteReadResult::NoMemory || result == RemoteReadResult::NotReleased))
        return false;
    switch (result) {
    case RemoteReadResult::NoMemory:
        MessageBoxW(nullptr, L"create memory error", nullptr, MB_OK);
        return true;
    case RemoteReadResult::NotReleased:
        MessageBoxW(nullptr, L"free memory fail", nullptr, MB_OK);
        break;
    case RemoteReadResult::Busy: {
        base::Trace("clip menu: the main window did not answer in time");
        const std::wstring text(hooklib::kBusyText.begin(), hooklib::kBusyText.end());
        menu.AppendClipItem(hooklib::kBusyCommand, text, text, kIconSize, kIconSize, nullptr);
        EnableMenuItem(menu.handle(), hooklib::kBusyCommand, MF_BYCOMMAND | MF_GRAYED);
        return true;
    }
    case RemoteReadResult::Read:
        break;
    }
    const auto read = millisecondsSince(started);
    const store::StorePaths& paths = libraryStorePaths();
    std::string commands;
    const std::map<std::string, std::u16string> fileLists = wholeFileListTexts(rows);
    std::vector<hooklib::Item> textItems;
    for (const RemoteRow& row : rows) {
        const auto image = static_cast<hooklib::RowImage>(row.image);
        std::optional<hooklib::Item> item = hooklib::itemForRow(row.number, row.content, image);
        if (!item)
            continue;
        if (const auto whole = fileLists.find(item->clip); whole != fileLists.end())
            item = hooklib::itemForRow(row.number, whole->second, image);
        if (commands.size() < 400)
            commands += " " + std::to_string(item->command);
        const std::wstring text(item->text.begin(), item->text.end());
        const std::wstring name(item->name.begin(), item->name.end());
        switch (image) {
        case hooklib::RowImage::Text:
            menu.AppendClipItem(item->command, text, name, kIconSize, kIconSize, g_hMenuBitmaps[2].get());
            textItems.push_back(*item);
            break;
        case hooklib::RowImage::Picture:
            menu.AppendPictureItem(item->command, text, name, store::kThumbnailSize,
                                   base::toWide(paths.thumbnailFile(item->clip)), base::toWide(paths.bitmapFile(item->clip)));
            break;
        case hooklib::RowImage::FileList:
            menu.AppendClipItem(item->command, text, name, kIconSize, kIconSize, g_hMenuBitmaps[1].get());
            break;
        default:
            break;
        }
    }
    appendPasteAsMenu(menu, std::move(textItems));
    base::Trace("clip menu: %u rows read in %lld ms, items made in %lld ms", static_cast<unsigned>(rows.size()), read,
              millisecondsSince(started) - read);
    base::Trace("clip menu commands:%s", commands.c_str());
    return true;
}

// Windows says a screen reader runs (SPI_GETSCREENREADER): the menu is plain string items, which
// need no item data to be read, and draws nothing of its own.
bool screenReaderRuns() {
    BOOL running = FALSE;
    return SystemParametersInfoW(SPI_GETSCREENREADER, 0, &running, 0) && running;
}

// How the menu was opened: from the keyboard its first item is selected, and the focus goes back
// to the window that had it (the menu's owner took the foreground) before anything is pasted.
struct Opening {
    bool fromKeyboard = false;
    HWND focus = nullptr;
};

void giveFocusBack(HWND target, HWND focus) {
    if (IsWindow(target) && GetForegroundWindow() != target)
        SetForegroundWindow(target);
    // SetFocus takes only a window of the calling thread.
    if (IsWindow(focus) && GetWindowThreadProcessId(focus, nullptr) == GetCurrentThreadId())
        SetFocus(focus);
}

HWND findMainList(HWND main) {
    return main ? GetDlgItem(main, store::kMainListId) : nullptr;
}

// The clip menu of the main window's rows; null when no menu could be made, or it was made ahead
// and left for the release.
std::unique_ptr<CMenuEx> makeClipMenu(Making making) {
    auto menu = std::make_unique<CMenuEx>(screenReaderRuns());
    if (!menu->handle())
        return nullptr;
    loadMenuBitmaps(menu->background());
    HWND main = findMainWindow();
    HWND list = findMainList(main);
    menu->SetRowsStamp(CMenuEx::StampOf(list));  // before the read: a change during it shows
    if (list ? !fillFromList(*menu, main, list, making) : making == Making::Ahead)
        return nullptr;
    return menu;
}

// The menu at `at`; the clip chosen (its text alone with Shift held as it was chosen) is handed
// on for `target`, the window the user clicked or typed in. Whatever the outcome, the next
// Ctrl+right-click opens a menu again.
void showClipMenu(CMenuHookWnd& owner, POINT at, HWND target, const ClipChosen& chosenClip, Opening opening = {}) {
    base::ScopeExit closed([] { endMenuTurn(); });
    std::unique_ptr<CMenuEx> menu = owner.TakePrepared();
    if (menu && !(menu->rowsStamp() == CMenuEx::StampOf(findMainList(findMainWindow()))))
        menu.reset();  // a copy, or another change of the rows, while the button was held
    if (!menu)
        menu = makeClipMenu(Making::ToShow);
    if (!menu)
        return;
    base::Trace("clip menu shown with %d items", GetMenuItemCount(menu->handle()));
    const UINT chosen = owner.Track(*menu, at, opening.fromKeyboard);
    base::Trace("clip menu closed: %u; %d thumbnails read in %lld ms", chosen, menu->thumbnailsLoaded(),
              menu->thumbnailMilliseconds());
    if (opening.fromKeyboard)
        giveFocusBack(target, opening.focus);
    const std::optional<hooklib::Choice> choice = hooklib::choiceForCommand(chosen);
    if (!choice)
        return;
    chosenClip(choice->clip, choice->historyNumber, (GetKeyState(VK_SHIFT) & 0x8000) != 0, target, choice->transform);
}

}  // namespace

// The button goes down in a window that may not be in front; the menu is for the top-level
// window under the pointer, and the paste goes there.
bool HandleClipMenuMouse(WPARAM message, const MOUSEHOOKSTRUCT& record, ClipChosen chosen) {
    const bool chordHeld = hooklib::opensUserPointerMenu(heldForClick(), GetAncestor(record.hwnd, GA_ROOT));
    switch (hooklib::mouseAction(static_cast<unsigned>(message), chordHeld)) {
    case hooklib::MouseAction::PassOn:
        return false;
    case hooklib::MouseAction::Take:
        clearMenuTurn();
        // The button went down: its release opens the menu, made meanwhile.
        CMenuHookWnd::Prepare([](CMenuHookWnd& owner) { owner.KeepPrepared(makeClipMenu(Making::Ahead)); });
        return true;  // the application never sees it, menu or not
    case hooklib::MouseAction::TakeAndOpen:
        break;
    }
    // One menu at a time in the whole desktop until it closes or the button goes down again.
    if (!takeMenuTurn())
        return true;
    const POINT at = record.pt;
    HWND target = GetAncestor(record.hwnd, GA_ROOT);
    if (!CMenuHookWnd::Post([at, target, chosen](CMenuHookWnd& owner) { showClipMenu(owner, at, target, chosen); }))
        endMenuTurn();
    return true;
}

// The key comes to the thread of the window in front; its GUI state names the focus and the caret.
// The caret's rectangle is in the client coordinates of the caret's window.
void OpenClipMenuAtCaret(ClipChosen chosen) {
    if (!takeMenuTurn())
        return;
    HWND target = GetForegroundWindow();
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    if (!target || !GetGUIThreadInfo(GetWindowThreadProcessId(target, nullptr), &gui)) {
        endMenuTurn();
        return;
    }
    HWND focus = gui.hwndFocus ? gui.hwndFocus : target;
    POINT at = {};
    if (gui.hwndCaret) {
        at = {gui.rcCaret.left, gui.rcCaret.bottom};
        ClientToScreen(gui.hwndCaret, &at);
    } else {
        RECT bounds = {};
        GetWindowRect(focus, &bounds);
        at = {bounds.left, bounds.top};
    }
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& work = monitor.rcWork;
        const hooklib::Point kept = hooklib::keepInArea({at.x, at.y}, {work.left, work.top, work.right, work.bottom});
        at = {kept.x, kept.y};
    }
    base::Trace("clip menu from the keyboard at %ld,%ld (%s)", at.x, at.y, gui.hwndCaret ? "caret" : "window");
    const Opening opening{true, focus};
    if (!CMenuHookWnd::Post(
            [at, target, chosen, opening](CMenuHookWnd& owner) { showClipMenu(owner, at, target, chosen, opening); }))
        endMenuTurn();
}

}  // namespace hooklib
