#include "hooklib/MenuEx.h"

#include "hooklib/ClipMenuRules.h"
#include "hooklib/SharedState.h"
#include "store/ClipboardCopy.h"
#include "store/DataFiles.h"
#include "store/Protocol.h"
#include "base/Barrier.h"
#include "base/Check.h"
#include "base/Text.h"
#include "base/Trace.h"

#include <chrono>
#include <mutex>
#include <utility>

namespace hooklib {

namespace {

// A Ctrl or Alt let go while another thread was in front (the Ctrl of a Ctrl+right-click released
// before the menu's owner took the foreground, the other thread slow to read its keys) may still
// read as held in this thread; the menu would then take Enter as Ctrl+Enter and choose nothing.
// What the keyboard no longer holds is let go in this thread too. Shift is left as it reads: it
// chooses the text alone.
void releaseStaleModifiers() {
    BYTE keys[256];
    if (!GetKeyboardState(keys))
        return;
    bool released = false;
    for (const int key : {VK_CONTROL, VK_LCONTROL, VK_RCONTROL, VK_MENU, VK_LMENU, VK_RMENU})
        if ((keys[key] & 0x80) && !(GetAsyncKeyState(key) & 0x8000)) {
            keys[key] &= static_cast<BYTE>(~0x80);
            released = true;
        }
    if (released && CHECK_WIN32(SetKeyboardState(keys)))
        base::Trace("clip menu: a modifier let go elsewhere was still held in this thread: let go");
}

const wchar_t kHookWindowClass[] = L"DravixClipMenuOwner";
constexpr int kTextGap = 10;     // between the picture and the text
constexpr int kRightMargin = 8;  // after the text, so that it is not cut

// The font menus are drawn with.
base::UniqueFont menuFont() {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return base::UniqueFont();
    return base::UniqueFont(CreateFontIndirectW(&metrics.lfMenuFont));
}

}  // namespace

CMenuEx::CMenuEx(bool plainItems)
    : m_menu(CreatePopupMenu()),
      m_bPlainItems(plainItems),
      m_font(menuFont()),
      m_selectedText(GetSysColor(COLOR_HIGHLIGHTTEXT)),
      m_text(GetSysColor(COLOR_MENUTEXT)) {}

void CMenuEx::AppendClipItem(UINT command, const std::wstring& text, const std::wstring& name, int width, int height,
                             HBITMAP bitmap) {
    if (m_bPlainItems) {
        const std::u16string plain = hooklib::plainItemText(std::u16string(name.begin(), name.end()));
        AppendMenuW(m_menu.get(), MF_STRING, command, std::wstring(plain.begin(), plain.end()).c_str());
        return;
    }
    auto data = std::make_unique<ItemData>(ItemData{{}, name, command, width, height, bitmap, text, {}});
    // The name's characters stay where they are: the item data is never moved or changed.
    data->accessible = {MSAA_MENU_SIG, static_cast<DWORD>(data->name.size()), data->name.data()};
    m_items.push_back(std::move(data));
    AppendMenuW(m_menu.get(), MF_OWNERDRAW, command, reinterpret_cast<LPCWSTR>(m_items.back().get()));
}

void CMenuEx::AppendPictureItem(UINT command, const std::wstring& text, const std::wstring& name, int size,
                                const std::wstring& thumbnailFile, const std::wstring& bitmapFile) {
    AppendClipItem(command, text, name, size, size, nullptr);
    if (m_bPlainItems)
        return;
    m_items.back()->pictureFiles[0] = thumbnailFile;
    m_items.back()->pictureFiles[1] = bitmapFile;
}

// A file that cannot be read leaves the item without a picture (and is not tried again).
HBITMAP CMenuEx::pictureOf(ItemData& data) {
    if (data.bitmap || data.pictureFiles[1].empty())
        return data.bitmap;
    const auto started = std::chrono::steady_clock::now();
    base::UniqueBitmap thumbnail;
    for (std::wstring& file : data.pictureFiles) {
        if (!thumbnail)
            if (const std::optional<std::string> bytes = store::readData(base::toUtf8(file)))
                thumbnail.reset(store::bitmapFromFileBytes(*bytes, data.width, data.height));
        file.clear();
    }
    data.bitmap = thumbnail.get();
    m_thumbnails.push_back(std::move(thumbnail));
    ++m_nThumbnails;
    m_thumbnailMs += std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
    return data.bitmap;
}

CMenuEx::RowsStamp CMenuEx::StampOf(HWND list) {
    return {list, list ? GetPropW(list, store::kListChangesProperty) : nullptr, GetClipboardSequenceNumber()};
}

bool CMenuEx::AppendPopupMadeOnOpening(HMENU parent, const std::wstring& text, std::function<void(HMENU)> fill) {
    base::UniqueMenu popup(CreatePopupMenu());
    if (!popup || !AppendMenuW(parent, MF_POPUP, reinterpret_cast<UINT_PTR>(popup.get()), text.c_str()))
        return false;
    m_itemsOnOpening[popup.get()] = std::move(fill);
    popup.release();  // its parent's now, destroyed with it
    return true;
}

// The filling is taken out first: it may add submenus of its own.
void CMenuEx::MakeItemsOf(HMENU popup) {
    const auto waiting = m_itemsOnOpening.find(popup);
    if (waiting == m_itemsOnOpening.end())
        return;
    const std::function<void(HMENU)> fill = std::move(waiting->second);
    m_itemsOnOpening.erase(waiting);
    fill(popup);
}

UINT CMenuEx::TrackClipMenu(UINT flags, int x, int y, HWND owner, const RECT* exclude) {
    TPMPARAMS params = {};
    params.cbSize = sizeof params;
    if (exclude)
        params.rcExclude = *exclude;
    return static_cast<UINT>(TrackPopupMenuEx(m_menu.get(), flags, x, y, owner, exclude ? &params : nullptr));
}

void CMenuEx::MeasureItem(MEASUREITEMSTRUCT& item) {
    const auto* data = reinterpret_cast<const ItemData*>(item.itemData);
    if (!data || data->command == 0) {
        item.itemHeight = static_cast<UINT>(m_nSeparatorHeight);
        return;
    }
    if (!m_owner) {
        base::Trace("CWnd Get DC error");
        return;
    }
    if (!m_measureDc) {
        base::WindowDc screen(m_owner);
        m_measureDc = base::MemoryDc(screen.get());
        m_measureDc.select(m_font.get());
    }
    SIZE extent = {};
    GetTextExtentPoint32W(m_measureDc.get(), data->text.c_str(), static_cast<int>(data->text.size()), &extent);
    item.itemWidth = static_cast<UINT>(data->width + kTextGap + extent.cx + kRightMargin);
    item.itemHeight = static_cast<UINT>(data->height + 5);
}

void CMenuEx::DrawItem(const DRAWITEMSTRUCT& item) {
    auto* data = reinterpret_cast<ItemData*>(item.itemData);
    if (!data)
        return;
    HDC dc = item.hDC;
    const RECT& area = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    if (!m_backgroundBrush)
        m_backgroundBrush.reset(CreateSolidBrush(m_background));
    FillRect(dc, &area, m_backgroundBrush.get());
    RECT textArea = {area.left + data->width + kTextGap, area.top + 2, area.right, area.bottom + 2};
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    if (data->command == 0) {
        // A separator: a sunken line across the middle.
        const int middle = (textArea.top + textArea.bottom) / 2;
        const base::UniquePen dark(CreatePen(PS_SOLID, 1, RGB(64, 0, 128)));
        const base::UniquePen light(CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
        base::SelectScope pen(dc, dark.get());
        MoveToEx(dc, textArea.left, middle, nullptr);
        LineTo(dc, textArea.right - 2, middle);
        SelectObject(dc, light.get());
        MoveToEx(dc, textArea.left, middle + 1, nullptr);
        LineTo(dc, textArea.right - 2, middle + 1);
        SetBkMode(dc, oldMode);
        return;
    }
    if (selected) {
        const base::UniquePen frame(CreatePen(PS_SOLID, 1, RGB(49, 106, 197)));
        const base::UniqueBrush fill(CreateSolidBrush(RGB(0, 0, 255)));
        base::SelectScope pen(dc, frame.get());
        base::SelectScope brush(dc, fill.get());
        Rectangle(dc, area.left, area.top, area.right, area.bottom);
    }
    base::SelectScope selectedFont(dc, m_font.get());
    const COLORREF oldColor = SetTextColor(dc, selected ? m_selectedText : m_text);
    if (item.itemState & ODS_GRAYED)
        DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(data->text.c_str()), static_cast<WPARAM>(data->text.size()),
                   textArea.left, textArea.top, textArea.right - textArea.left, textArea.bottom - textArea.top,
                   DST_PREFIXTEXT | DSS_DISABLED);
    else
        DrawTextW(dc, data->text.c_str(), static_cast<int>(data->text.size()), &textArea,
                  DT_VCENTER | DT_EXPANDTABS | DT_SINGLELINE | DT_NOPREFIX);
    SetTextColor(dc, oldColor);
    if (HBITMAP bitmap = pictureOf(*data)) {
        if (!m_pictureDc)
            m_pictureDc = base::MemoryDc(dc);
        base::SelectScope picture(m_pictureDc.get(), bitmap);
        BitBlt(dc, area.left, area.top + 2, data->width + 4, data->height + 4, m_pictureDc.get(), 0, 0, SRCCOPY);
    }
    SetBkMode(dc, oldMode);
}

namespace {

constexpr UINT kMsgRun = WM_APP + 1;
constexpr UINT kMsgPrepare = WM_APP + 2;
constexpr UINT_PTR kSpareTimer = 1;
constexpr UINT kSpareLifeMs = 2000;

// The one window made ready in this process, and the thread it belongs to (a window is used and
// destroyed only by its own thread). Any thread of the process may ask for it.
std::mutex g_spareLock;
CMenuHookWnd* g_pSpare = nullptr;

// Whether the process has a spare that is still there; one whose thread ended (Windows destroys
// a dying thread's windows without a word to them) is forgotten. Called under g_spareLock.
bool haveSpare() {
    if (g_pSpare && !IsWindow(g_pSpare->hwnd()))
        g_pSpare = nullptr;
    return g_pSpare != nullptr;
}

}  // namespace

// The window owns the object once it is made; without a window the object goes at once.
CMenuHookWnd* CMenuHookWnd::Make(Work work) {
    std::unique_ptr<CMenuHookWnd> owner(new CMenuHookWnd(std::move(work)));
    if (!owner->Create({kHookWindowClass, g_hLibrary, nullptr, WS_POPUP, WS_EX_TOOLWINDOW}))
        return nullptr;
    owner->m_ownedByWindow = true;
    return owner.release();
}

CMenuHookWnd* CMenuHookWnd::TakeSpare() {
    std::lock_guard<std::mutex> lock(g_spareLock);
    if (!haveSpare() || g_pSpare->m_thread != GetCurrentThreadId())
        return nullptr;
    CMenuHookWnd* spare = std::exchange(g_pSpare, nullptr);
    spare->m_bSpare = false;
    KillTimer(spare->hwnd(), kSpareTimer);
    return spare;
}

void CMenuHookWnd::Prepare(Work prepare) {
    {
        std::lock_guard<std::mutex> lock(g_spareLock);
        if (haveSpare())  // this thread's is ready already, or another thread's goes by itself
            return;
    }
    CMenuHookWnd* window = Make({});
    if (!window)
        return;
    window->m_prepare = std::move(prepare);
    window->m_bSpare = true;
    bool made = SetTimer(window->hwnd(), kSpareTimer, kSpareLifeMs, nullptr) &&
                CHECK_WIN32(PostMessageW(window->hwnd(), kMsgPrepare, 0, 0));
    if (made) {
        std::lock_guard<std::mutex> lock(g_spareLock);
        made = !haveSpare();  // another thread's came first while this one was made
        if (made)
            g_pSpare = window;
    }
    if (!made)
        window->Destroy();
}

// The library is going while the application stays: the spare window must not call into it
// again. Any thread of the process may change the window's procedure; its own thread destroys it.
void CMenuHookWnd::LetGoOfSpare() {
    std::lock_guard<std::mutex> lock(g_spareLock);
    if (!haveSpare())
        return;
    HWND spare = g_pSpare->hwnd();
    g_pSpare = nullptr;
    SetWindowLongPtrW(spare, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcW));
    PostMessageW(spare, WM_CLOSE, 0, 0);
}

bool CMenuHookWnd::Post(Work work) {
    CMenuHookWnd* window = TakeSpare();
    if (window)
        window->m_work = std::move(work);
    else
        window = Make(std::move(work));
    if (!window)
        return false;
    if (CHECK_WIN32(PostMessageW(window->hwnd(), kMsgRun, 0, 0)))
        return true;
    window->Destroy();
    return false;
}

void CMenuHookWnd::OnFinalMessage() {
    {
        std::lock_guard<std::mutex> lock(g_spareLock);
        if (g_pSpare == this)
            g_pSpare = nullptr;
    }
    if (m_ownedByWindow)
        delete this;
}

void CMenuHookWnd::UnregisterClass() {
    UnregisterWindowClass(kHookWindowClass, g_hLibrary);
}

UINT CMenuHookWnd::Track(CMenuEx& menu, POINT at, bool selectFirst) {
    menu.SetOwner(hwnd());
    m_menu = &menu;
    g_pTrackingMenu = &menu;
    SetForegroundWindow(hwnd());
    releaseStaleModifiers();
    // The menu's loop takes the thread's keys from its queue: a Down waiting there selects the
    // first item as the menu opens.
    if (selectFirst)
        PostMessageW(hwnd(), WM_KEYDOWN, VK_DOWN, 0);
    const UINT chosen = menu.TrackClipMenu(TPM_RETURNCMD, at.x, at.y, hwnd(), nullptr);
    PostMessageW(hwnd(), WM_NULL, 0, 0);
    g_pTrackingMenu = nullptr;
    m_menu = nullptr;
    return chosen;
}

// The work runs once; a failed menu still takes its window (and this object) with it.
LRESULT CMenuHookWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kMsgRun:
        if (Work work = std::move(m_work))
            base::Guarded("clip menu", [&] { work(*this); });
        Destroy();
        return 0;
    case kMsgPrepare:
        if (Work prepare = std::move(m_prepare))
            base::Guarded("clip menu made ready", [&] { prepare(*this); });
        return 0;
    case WM_TIMER:
        if (wParam != kSpareTimer)
            break;
        KillTimer(hwnd(), kSpareTimer);
        {
            std::lock_guard<std::mutex> lock(g_spareLock);
            if (!std::exchange(m_bSpare, false))
                return 0;  // taken: a timer message already queued
            if (g_pSpare == this)
                g_pSpare = nullptr;  // no release came for it
        }
        Destroy();
        return 0;
    case WM_MEASUREITEM:
        if (!m_menu)
            break;
        m_menu->MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DRAWITEM:
        if (!m_menu)
            break;
        m_menu->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_INITMENUPOPUP:
        if (m_menu)
            m_menu->MakeItemsOf(reinterpret_cast<HMENU>(wParam));
        return 0;
    default:
        break;
    }
    return fw::CMessageWindow::WindowProc(message, wParam, lParam);
}

}  // namespace hooklib
