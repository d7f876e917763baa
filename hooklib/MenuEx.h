// CMenuEx: the owner-drawn popup menu of clips, with a picture beside each item (the library's
// icons for texts and file lists, a 32 x 32 thumbnail for a picture clip). A screen reader cannot
// read what is drawn: each item's data begins with an MSAAMENUINFO naming it (the rule of
// Microsoft Active Accessibility for owner-drawn menus), and while a screen reader runs the
// items are plain strings of those names instead. CMenuHookWnd is the
// hidden window of the application's thread that owns the menu while it is shown and hands the
// menu's measure and draw requests to it.
#pragma once

#include "base/Handle.h"
#include "fw/MessageWindow.h"

#include <windows.h>
#include <oleacc.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace hooklib {

class CMenuEx {
public:
    // `plainItems`: string items of the names, nothing drawn (a screen reader runs).
    explicit CMenuEx(bool plainItems = false);
    ~CMenuEx() = default;
    CMenuEx(const CMenuEx&) = delete;
    CMenuEx& operator=(const CMenuEx&) = delete;

    HMENU handle() const { return m_menu.get(); }
    COLORREF background() const { return m_background; }
    // `text` is drawn, `name` is what a screen reader says; `bitmap` stays the caller's (or the
    // library's).
    void AppendClipItem(UINT command, const std::wstring& text, const std::wstring& name, int width, int height,
                        HBITMAP bitmap);
    // A picture clip: its thumbnail file is read only when the item is first drawn (a long menu
    // shows a few of its items), and freed with the menu. Without a thumbnail (a clip stored by an
    // older version) the whole bitmap file is read and scaled to that size.
    void AppendPictureItem(UINT command, const std::wstring& text, const std::wstring& name, int size,
                           const std::wstring& thumbnailFile, const std::wstring& bitmapFile);
    // A submenu of `parent` (this menu or one of its submenus) whose items are made by `fill` only
    // when it is about to open: a menu of hundreds of clips makes the hundreds of submenus under
    // them only if the user goes there.
    bool AppendPopupMadeOnOpening(HMENU parent, const std::wstring& text, std::function<void(HMENU)> fill);
    // The submenu `popup` is about to open (WM_INITMENUPOPUP): its items are made if they wait.
    void MakeItemsOf(HMENU popup);
    // Thumbnails read so far, and the time it took.
    int thumbnailsLoaded() const { return m_nThumbnails; }
    long long thumbnailMilliseconds() const { return m_thumbnailMs; }
    // What the menu's rows were read from, for a menu made ahead: when it differs at the time to
    // show it, the rows may have changed.
    struct RowsStamp {
        HWND list = nullptr;
        HANDLE listChanges = nullptr;  // the list's store::kListChangesProperty
        DWORD clipboard = 0;           // the clipboard's sequence number
        bool operator==(const RowsStamp& other) const {
            return list == other.list && listChanges == other.listChanges && clipboard == other.clipboard;
        }
    };
    static RowsStamp StampOf(HWND list);
    void SetRowsStamp(const RowsStamp& stamp) { m_rowsStamp = stamp; }
    const RowsStamp& rowsStamp() const { return m_rowsStamp; }
    void SetOwner(HWND owner) { m_owner = owner; }
    // The chosen command, or 0 when the menu was dismissed.
    UINT TrackClipMenu(UINT flags, int x, int y, HWND owner, const RECT* exclude);
    void MeasureItem(MEASUREITEMSTRUCT& item);
    void DrawItem(const DRAWITEMSTRUCT& item);

private:
    // The menu hands this back as the item's data. A screen reader reads the data from outside
    // the process, and finds the item's name only when the data begins with the MSAAMENUINFO.
    struct ItemData {
        MSAAMENUINFO accessible;  // names `name`
        std::wstring name;
        UINT command;
        int width, height;
        HBITMAP bitmap;
        std::wstring text;
        std::wstring pictureFiles[2];  // thumbnail, else bitmap: read into `bitmap` on first draw
    };
    HBITMAP pictureOf(ItemData& data);

    std::vector<std::unique_ptr<ItemData>> m_items;  // the menu keeps pointers to them: they outlive it
    base::UniqueMenu m_menu;
    const bool m_bPlainItems;
    std::vector<base::UniqueBitmap> m_thumbnails;
    std::map<HMENU, std::function<void(HMENU)>> m_itemsOnOpening;
    HWND m_owner = nullptr;
    base::UniqueFont m_font;        // the menu font, made once for all items
    base::MemoryDc m_measureDc;     // measures every item's text (made on the first measure)
    // What every item is drawn with, made on the first draw: Wine takes a while to make a DC.
    base::UniqueBrush m_backgroundBrush;
    base::MemoryDc m_pictureDc;     // each picture selected only while it is copied
    int m_nThumbnails = 0;
    long long m_thumbnailMs = 0;
    RowsStamp m_rowsStamp;
    const int m_nSeparatorHeight = 10;
    const COLORREF m_background = RGB(239, 243, 255);
    const COLORREF m_selectedText;
    const COLORREF m_text;
};

// The hidden window that owns a clip menu in the thread that shows it. It is made by the mouse
// hook (as the chord's button goes down, or by the key) and runs its work from a message of its
// own (an application whose loop fetches only its own windows' messages would never run a thread
// timer), then goes, and the object with it.
// While it tracks a menu the menu's measure and draw requests go to that menu. (g_pTrackingMenu
// names the menu too, but it lives in the section all processes share; the window keeps its own
// pointer.)
class CMenuHookWnd : private fw::CMessageWindow {
public:
    using Work = std::function<void(CMenuHookWnd&)>;
    // A window of this thread that will run `work` once the thread gets to its messages; false
    // when the window cannot be made.
    static bool Post(Work work);
    // The chord's button went down in this thread: the window its release will want is made now
    // and runs `prepare` once the thread gets to its messages (Wine takes about 10 ms to make a
    // top-level window, and reading the rows takes as long again; a person holds the button
    // longer). Post in the same thread takes the window; unused, it goes by itself after two
    // seconds, with what it kept.
    static void Prepare(Work prepare);
    // The library goes: a spare left is made harmless, and goes with its thread's next message.
    static void LetGoOfSpare();
    // The menu `prepare` made, for the work Post runs; null when there is none.
    void KeepPrepared(std::unique_ptr<CMenuEx> menu) { m_prepared = std::move(menu); }
    std::unique_ptr<CMenuEx> TakePrepared() { return std::move(m_prepared); }
    // The window class goes with the library: a later library at the same address must not
    // meet a class whose procedure is gone.
    static void UnregisterClass();

    using fw::CMessageWindow::hwnd;
    // Shows `menu` at a screen point and returns the chosen command (0: dismissed). The owner is
    // made the foreground window first, and WM_NULL is posted to it after: otherwise a menu of a
    // window that is not in front neither closes on a click elsewhere nor gets the keys.
    // With `selectFirst` (a menu opened from the keyboard) its first item is selected, as
    // Windows does for a menu opened with a key.
    UINT Track(CMenuEx& menu, POINT at, bool selectFirst = false);

private:
    explicit CMenuHookWnd(Work work) : m_work(std::move(work)) {}
    static CMenuHookWnd* Make(Work work);
    static CMenuHookWnd* TakeSpare();
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage() override;

    Work m_work;
    Work m_prepare;
    std::unique_ptr<CMenuEx> m_prepared;
    CMenuEx* m_menu = nullptr;     // the menu being tracked
    bool m_ownedByWindow = false;  // deleted with its window
    DWORD m_thread = GetCurrentThreadId();
    bool m_bSpare = false;  // made ahead and not yet taken (under g_spareLock)
};

}  // namespace hooklib
