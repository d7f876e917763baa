// The floors the speed benchmark measures the real program against: for each path the user
// feels, the least a bare Win32 program needs for the same thing on the same desktop.
//   floor_bench listener   a clipboard listener that reads every format of each new clipboard,
//                          writes each to a file and an index beside them durably, and adds a
//                          row to its list, as a recorder must
//   floor_bench menu       999 owner-drawn items, 200 with 32x32 pictures, on a right click
//   floor_bench capture    the virtual screen copied into a bitmap and shown full-screen
//   floor_bench dialog     a dialog with the main window's controls and one recorded clip
//   floor_bench search     an edit and an owner-data list of 999 texts, filtered as it is typed in
//   floor_bench none       nothing: ends at once
// Each tells the benchmark what it has done through its window's title, which another process
// reads without a message round trip.
#include <windows.h>

#include <commctrl.h>

#include "BenchTexts.h"

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

namespace {

constexpr UINT kMsgCapture = WM_APP + 1;       // take the picture and show it
constexpr UINT kMsgEndCapture = WM_APP + 2;    // close the picture's window
constexpr int kMenuItems = 999, kPictureEvery = 5, kPicture = 32;

std::wstring g_mode;
int g_done = 0;

void tellDone(HWND window) {
    SetWindowTextW(window, std::to_wstring(++g_done).c_str());
}

// What the listener wrote, in a folder of its own under the temporary folder; removed at its end.
struct Written {
    std::wstring folder;
    std::vector<std::wstring> files;
    std::string index = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<UserInfo>\r\n";
    int copies = 0;
    HWND list = nullptr;
};
Written g_written;

// A file written through to the disk, as a recorder keeps a clip safe before it shows it.
void writeDurably(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    FlushFileBuffers(file);
    CloseHandle(file);
}

// A bitmap's pixels at 24 bits, as a picture's file needs them.
std::string bitmapBytes(HBITMAP bitmap) {
    BITMAP description = {};
    GetObjectW(bitmap, sizeof description, &description);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = description.bmWidth;
    info.biHeight = description.bmHeight;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    std::string bytes(static_cast<std::size_t>((description.bmWidth * 3 + 3) & ~3) * description.bmHeight, '\0');
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(description.bmHeight), bytes.data(),
              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bytes;
}

// Every format of the clipboard copied out, as a recorder must: memory blocks and the bitmap.
// A picture given as a DIB first: the bitmap and the DIBV5 listed after it are made from the
// DIB's bytes once the clipboard is closed (the bench's DIB has the file's 24 bits).
std::vector<std::pair<UINT, std::string>> copyClipboard(HWND window) {
    std::vector<std::pair<UINT, std::string>> formats;
    for (int attempt = 0; attempt < 200 && !OpenClipboard(window); ++attempt)
        Sleep(1);
    bool dibFirst = false, pictureSeen = false;
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
        const bool picture = format == CF_BITMAP || format == CF_DIB || format == CF_DIBV5;
        if (picture && !pictureSeen)
            dibFirst = format == CF_DIB;
        pictureSeen = pictureSeen || picture;
        if (dibFirst && (format == CF_BITMAP || format == CF_DIBV5)) {
            formats.emplace_back(format, std::string());
            continue;
        }
        HANDLE data = GetClipboardData(format);
        if (!data || format == CF_PALETTE || format == CF_ENHMETAFILE || format == CF_METAFILEPICT)
            continue;
        if (format == CF_BITMAP) {
            formats.emplace_back(format, bitmapBytes(static_cast<HBITMAP>(data)));
        } else if (const void* bytes = GlobalLock(data)) {
            formats.emplace_back(format, std::string(static_cast<const char*>(bytes), GlobalSize(data)));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    const auto dib = std::find_if(formats.begin(), formats.end(), [](const auto& f) { return f.first == CF_DIB; });
    for (auto& [format, bytes] : formats) {
        if (!bytes.empty() || dib == formats.end() || dib->second.size() < 40)
            continue;
        if (format == CF_BITMAP)
            bytes = std::string(14, 'B') + dib->second;
        else if (format == CF_DIBV5)
            bytes = std::string(124, 'V') + dib->second.substr(40);
    }
    return formats;
}

void recordClipboard(HWND window) {
    const auto formats = copyClipboard(window);
    Written& w = g_written;
    const std::string clip = "his" + std::to_string(++w.copies) + "-";
    w.index += "\t<" + clip + "-time>2026-12-08 10:00:00</" + clip + "-time>\r\n\t<" + clip +
               "-usetime>2026-12-08 10:00:00</" + clip + "-usetime>\r\n";
    for (std::size_t k = 0; k < formats.size(); ++k) {
        const std::string name = clip + std::to_string(k);
        w.files.push_back(w.folder + std::wstring(name.begin(), name.end()));
        writeDurably(w.files.back(), formats[k].second);
        w.index += "\t<" + name + ">" + std::to_string(formats[k].first) + "</" + name + ">\r\n";
    }
    const std::wstring index = w.folder + L"clipboard.xml", staged = index + L".tmp";
    writeDurably(staged, w.index + "</UserInfo>\r\n");
    MoveFileExW(staged.c_str(), index.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    std::wstring text = L"clip " + std::to_wstring(w.copies);
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = 0;
    item.pszText = text.data();
    SendMessageW(w.list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    tellDone(window);
}

void startListener(HWND window) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    g_written.folder = std::wstring(temp) + L"DravixFloorListener\\";
    CreateDirectoryW(g_written.folder.c_str(), nullptr);
    g_written.list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 400, 300, window,
                                     nullptr, nullptr, nullptr);
    AddClipboardFormatListener(window);
}

// Only what it wrote, by the names it gave.
void endListener() {
    for (const std::wstring& file : g_written.files)
        DeleteFileW(file.c_str());
    DeleteFileW((g_written.folder + L"clipboard.xml").c_str());
    RemoveDirectoryW(g_written.folder.c_str());
}

struct MenuPictures {
    HDC dc = nullptr;
    std::vector<HBITMAP> bitmaps;
    MenuPictures() {
        dc = CreateCompatibleDC(nullptr);
        HDC screen = GetDC(nullptr);
        for (int i = 0; i < kMenuItems / kPictureEvery; ++i) {
            bitmaps.push_back(CreateCompatibleBitmap(screen, kPicture, kPicture));
            HGDIOBJ old = SelectObject(dc, bitmaps.back());
            RECT all = {0, 0, kPicture, kPicture};
            FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(i % 2 ? GRAY_BRUSH : DKGRAY_BRUSH)));
            SelectObject(dc, old);
        }
        ReleaseDC(nullptr, screen);
    }
};

// One DC with the menu's font measures every item of a menu, as the program's menu does.
HDC g_measureDc = nullptr;

std::wstring itemText(std::size_t item) {
    return L"clip number " + std::to_wstring(item + 1) + L" with some text in it";
}

void showMenu(HWND window, POINT at) {
    HMENU menu = CreatePopupMenu();
    for (UINT i = 0; i < kMenuItems; ++i)
        AppendMenuW(menu, MF_OWNERDRAW, 1000 + i, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(i)));
    SetForegroundWindow(window);
    TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, window, nullptr);
    if (g_measureDc)
        ReleaseDC(window, g_measureDc);
    g_measureDc = nullptr;
    PostMessageW(window, WM_NULL, 0, 0);
    DestroyMenu(menu);
    tellDone(window);
}

void measureItem(HWND window, MEASUREITEMSTRUCT& item) {
    const std::wstring text = itemText(item.itemData);
    if (!g_measureDc) {
        g_measureDc = GetDC(window);
        SelectObject(g_measureDc, GetStockObject(DEFAULT_GUI_FONT));
    }
    SIZE size = {};
    GetTextExtentPoint32W(g_measureDc, text.c_str(), static_cast<int>(text.size()), &size);
    const bool picture = item.itemData % kPictureEvery == kPictureEvery - 1;
    item.itemWidth = static_cast<UINT>(size.cx + kPicture + 8);
    item.itemHeight = static_cast<UINT>(picture ? kPicture + 2 : size.cy + 4);
}

void drawItem(const DRAWITEMSTRUCT& item, const MenuPictures& pictures) {
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
    if (item.itemData % kPictureEvery == kPictureEvery - 1) {
        HGDIOBJ old = SelectObject(pictures.dc, pictures.bitmaps[item.itemData / kPictureEvery]);
        BitBlt(item.hDC, item.rcItem.left + 2, item.rcItem.top + 1, kPicture, kPicture, pictures.dc, 0, 0, SRCCOPY);
        SelectObject(pictures.dc, old);
    }
    RECT text = item.rcItem;
    text.left += kPicture + 6;
    const std::wstring label = itemText(item.itemData);
    SetBkMode(item.hDC, TRANSPARENT);
    DrawTextW(item.hDC, label.c_str(), static_cast<int>(label.size()), &text, DT_SINGLELINE | DT_VCENTER);
}

// The frozen screen: the picture and the window that shows it.
struct Capture {
    HBITMAP picture = nullptr;
    HWND window = nullptr;
    RECT area = {};
};
Capture g_capture;

LRESULT CALLBACK pictureProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, g_capture.picture);
        BitBlt(dc, 0, 0, g_capture.area.right - g_capture.area.left, g_capture.area.bottom - g_capture.area.top, source, 0, 0,
               SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

void startCapture(HWND control) {
    RECT& area = g_capture.area;
    area = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    area.right = area.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    area.bottom = area.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    g_capture.picture = CreateCompatibleBitmap(screen, area.right - area.left, area.bottom - area.top);
    HGDIOBJ old = SelectObject(memory, g_capture.picture);
    BitBlt(memory, 0, 0, area.right - area.left, area.bottom - area.top, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    g_capture.window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"DravixFloorPicture", L"", WS_POPUP, area.left, area.top,
                                       area.right - area.left, area.bottom - area.top, control, nullptr, nullptr, nullptr);
    ShowWindow(g_capture.window, SW_SHOW);
    UpdateWindow(g_capture.window);
    GdiFlush();
    tellDone(control);
}

void endCapture() {
    DestroyWindow(g_capture.window);
    DeleteObject(g_capture.picture);
    g_capture = {};
}

// The search floor: the rows whose text holds what is typed, case-insensitively (each text
// folded once, as the program does). The rows on view are painted again after every key, as the
// program must: what it marks in them changes with each key, even where the same rows stay.
struct Search {
    HWND edit = nullptr, list = nullptr;
    std::vector<std::wstring> texts, folded;
    std::vector<int> shown;
};
Search g_search;

void startSearch(HWND window) {
    g_search.edit = CreateWindowExW(0, WC_EDITW, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 0, 0, 500, 22,
                                    window, nullptr, nullptr, nullptr);
    g_search.list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA, 0, 25, 680,
                                    400, window, nullptr, nullptr, nullptr);
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 640;
    column.pszText = const_cast<wchar_t*>(L"content");
    SendMessageW(g_search.list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    for (int n = 1; n <= kMenuItems; ++n) {
        g_search.texts.push_back(rowText(n, 1000));
        std::wstring folded = g_search.texts.back();
        std::transform(folded.begin(), folded.end(), folded.begin(), [](wchar_t c) { return std::towlower(c); });
        g_search.folded.push_back(std::move(folded));
    }
    for (int i = 0; i < kMenuItems; ++i)
        g_search.shown.push_back(i);
    SendMessageW(g_search.list, LVM_SETITEMCOUNT, g_search.shown.size(), 0);
}

void filterSearch() {
    wchar_t typed[64] = {};
    GetWindowTextW(g_search.edit, typed, 64);
    std::wstring query = typed;
    std::transform(query.begin(), query.end(), query.begin(), [](wchar_t c) { return std::towlower(c); });
    std::vector<int> shown;
    for (std::size_t i = 0; i < g_search.folded.size(); ++i)
        if (g_search.folded[i].find(query) != std::wstring::npos)
            shown.push_back(static_cast<int>(i));
    g_search.shown = std::move(shown);
    SendMessageW(g_search.list, LVM_SETITEMCOUNT, g_search.shown.size(), LVSICF_NOSCROLL);
    InvalidateRect(g_search.list, nullptr, FALSE);
}

void searchRowText(NMLVDISPINFOW& info) {
    if ((info.item.mask & LVIF_TEXT) && info.item.iItem < static_cast<int>(g_search.shown.size()))
        lstrcpynW(info.item.pszText, g_search.texts[static_cast<std::size_t>(g_search.shown[info.item.iItem])].c_str(),
                  info.item.cchTextMax);
}

LRESULT CALLBACK floorProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    static MenuPictures* pictures = nullptr;
    switch (message) {
    case WM_CREATE:
        if (g_mode == L"listener")
            startListener(window);
        if (g_mode == L"menu")
            pictures = new MenuPictures;
        if (g_mode == L"search")
            startSearch(window);
        return 0;
    case WM_COMMAND:
        if (HIWORD(w) == EN_CHANGE)
            filterSearch();
        return 0;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(l)->code == LVN_GETDISPINFOW)
            searchRowText(*reinterpret_cast<NMLVDISPINFOW*>(l));
        return 0;
    case WM_CLIPBOARDUPDATE:
        recordClipboard(window);
        return 0;
    case WM_RBUTTONUP: {
        POINT at = {LOWORD(l), HIWORD(l)};
        ClientToScreen(window, &at);
        showMenu(window, at);
        return 0;
    }
    case WM_MEASUREITEM:
        measureItem(window, *reinterpret_cast<MEASUREITEMSTRUCT*>(l));
        return TRUE;
    case WM_DRAWITEM:
        if (pictures)
            drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(l), *pictures);
        return TRUE;
    case kMsgCapture:
        startCapture(window);
        return 0;
    case kMsgEndCapture:
        endCapture();
        return 0;
    case WM_DESTROY:
        if (g_mode == L"listener")
            endListener();
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, w, l);
    }
}

// The main window's controls, as a bare program would lay them out: toolbar, tree, search box,
// list with its four columns, preview and status bar.
void addDialogControls(HWND window) {
    auto control = [&](const wchar_t* cls, DWORD style, int x, int y, int w, int h) {
        return CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, window, nullptr, nullptr, nullptr);
    };
    control(TOOLBARCLASSNAMEW, TBSTYLE_FLAT, 0, 0, 0, 0);
    control(WC_TREEVIEWW, WS_BORDER | TVS_HASLINES, 0, 30, 160, 400);
    control(WC_EDITW, WS_BORDER, 165, 30, 500, 22);
    HWND list = control(WC_LISTVIEWW, WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS, 165, 55, 500, 300);
    for (int column = 0; column < 4; ++column) {
        LVCOLUMNW description = {};
        description.mask = LVCF_TEXT | LVCF_WIDTH;
        description.cx = 120;
        description.pszText = const_cast<wchar_t*>(L"column");
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&description));
    }
    // One recorded clip: its row and its text in the preview.
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<wchar_t*>(L"copied text");
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    SetWindowTextW(control(WC_STATICW, WS_BORDER, 165, 360, 500, 70), L"copied text");
    control(STATUSCLASSNAMEW, 0, 0, 0, 0, 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    g_mode = argc > 1 ? argv[1] : L"";
    if (g_mode == L"none")
        return 0;  // started and ended: the benchmark's way of letting Wine settle
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW picture = {};
    picture.lpfnWndProc = pictureProc;
    picture.lpszClassName = L"DravixFloorPicture";
    RegisterClassW(&picture);
    WNDCLASSW floor = {};
    floor.lpfnWndProc = floorProc;
    floor.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    floor.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    const std::wstring windowClass = L"DravixFloor-" + g_mode;
    floor.lpszClassName = windowClass.c_str();
    RegisterClassW(&floor);
    const bool shown = g_mode == L"menu" || g_mode == L"dialog" || g_mode == L"search";
    HWND window = CreateWindowExW(0, windowClass.c_str(), L"0", WS_OVERLAPPEDWINDOW, 100, 100, 700, 480, nullptr, nullptr,
                                  nullptr, nullptr);
    if (!window)
        return 1;
    if (g_mode == L"dialog")
        addDialogControls(window);
    if (shown) {
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
