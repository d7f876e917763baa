// CClipDlg: construction (the hook library and the previous run's store), initialisation,
// layout, painting, message routing and the closing sequence.
#include "app/ClipDlg.h"

#include "capture/CaptureDlg.h"

#include "app/ClipRules.h"
#include "ui/ColumnFit.h"
#include "app/ExitDlg.h"
#include "kit/ListSupport.h"
#include "store/Protocol.h"
#include "base/Barrier.h"
#include "base/Text.h"
#include "base/Trace.h"
#include "fw/Settings.h"
#include "fw/Window.h"
#include "resource.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

std::wstring wide(std::string_view text) {
    return base::toWide(text);
}

std::wstring loadString(UINT id) {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

base::UniqueImageList iconList(std::initializer_list<UINT> icons) {
    base::UniqueImageList list(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 4));
    for (UINT id : icons) {
        base::UniqueIcon icon(
            static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0)));
        ImageList_AddIcon(list.get(), icon.get());
    }
    return list;
}

bool g_bFirstPaint = true;

}  // namespace

CClipDlg::CClipDlg(HookLibrary hook, CSysClipBoard& store)
    : fw::CDialog(IDD_MAIN), m_store(store), m_hook(std::move(hook)) {
    m_hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

// The list shares its image list (LVS_SHAREIMAGELISTS) and a tree never frees one: both are
// ours, freed with the window object.
CClipDlg::~CClipDlg() = default;

bool CClipDlg::OnInitDialog() {
    const std::wstring about = loadString(IDS_ABOUTBOX);
    if (HMENU system = GetSystemMenu(hwnd(), FALSE); system && !about.empty()) {
        AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(system, MF_STRING, 16, about.c_str());
    }
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    m_archive.Attach(hwnd(), kMsgArchiveProgress, kMsgArchiveDone, kMsgKeepDone);
    m_list = fw::CListView(item(IDC_CLIP_LIST));
    m_clipList.Attach(m_list.hwnd());
    m_tree = fw::CTreeView(item(IDC_CATEGORY_TREE));
    m_preview.Attach(item(IDC_PREVIEW));
    m_status = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 30, hwnd(), nullptr,
                               instance(), nullptr);
    int parts[] = {-1};
    SendMessageW(m_status, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(parts));
    createCommandBarsAndPanes();
    createList();
    createTree();
    createSearchBox();
    orderForTabAndName();
    placeWindow();

    m_recorder = std::make_unique<CClipRecorder>(m_store.paths(), hwnd(), kMsgRecorderResults,
                                                 m_hook.ownChangeTest());
    // A restored history goes on from its last copy: the clipboard found now becomes a row only
    // when it differs from that.
    if (m_bLastRunRestored && m_newestHistoryText)
        lastText().set(*m_newestHistoryText);
    m_newestHistoryText.reset();
    joinViewerChain(true);
    const bool hooked = m_hook.installhook(hwnd()) != 0;

    SetWindowTextW(hwnd(), wide(store::kMainWindowTitle).c_str());
    m_tray.CreateFor(hwnd());
    if (!hooked)
        m_tray.ReportHooksUnavailable();
    if (m_bLastRunRestored)
        m_categories.RebuildCategories({m_hCollection, m_hHotkeys, m_hQueue});
    if (!m_strLastRunNotRestored.empty())
        m_tray.ReportLastRunNotRestored(m_strLastRunNotRestored);
    setStatusText(wide(clip::kStatusCollection));
    layout();
    // The list has the focus at the start, as before the search box came first in the Tab order:
    // a paste into the window in front must not land in the search box.
    SetFocus(m_list.hwnd());
    return false;  // the focus is set
}

void CClipDlg::createCommandBarsAndPanes() {
    m_commandBars.SetMenu(hwnd(), IDR_MAIN_MENU);
    m_commandBars.AddToolbar(hwnd(), IDR_MAINFRAME, 21, 20);
    m_panes.Create(hwnd(), m_tree.hwnd(), loadString(IDS_PANE_CLASS), m_preview.hwnd(), loadString(IDS_PANE_PREVIEW),
                   m_status, [this] { layout(); });
}

void CClipDlg::createList() {
    m_listImages = iconList({IDI_LIST_TEXT, IDI_LIST_PICTURE, IDI_LIST_FILES});
    m_list.SetImageList(m_listImages.get(), LVSIL_SMALL);
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    m_list.InsertColumn(0, L"内容", 160);
    m_list.InsertColumn(1, L"复制时间", 130);
    m_list.InsertColumn(2, L"编号", 80);
    m_list.InsertColumn(3, L"使用时间", 130);
    const UINT headerBitmaps[] = {IDB_HEADER_CONTENT, IDB_HEADER_TIME, IDB_HEADER_NUMBER, IDB_HEADER_TIME};
    for (int column = 0; column < 4; ++column)
        kit::SetHeaderBitmap(m_list.hwnd(), column, headerBitmaps[column]);
}

void CClipDlg::createTree() {
    m_treeImages = iconList({IDI_TREE_ROOT, IDI_TREE_COLLECTION, IDI_TREE_HOTKEYS, IDI_TREE_CATEGORY});
    m_tree.SetImageList(m_treeImages.get());
    m_hRoot = m_tree.InsertItem(wide(clip::kRootText), 0, TVI_ROOT);
    m_hCollection = m_tree.InsertItem(wide(clip::kCollectionText), 1, m_hRoot);
    m_hHotkeys = m_tree.InsertItem(wide(clip::kHotkeysText), 2, m_hRoot);
    m_hQueue = m_tree.InsertItem(wide(clip::kQueueText), 1, m_hRoot);
    m_tree.Expand(m_hRoot);
    m_categories.Attach(m_tree.hwnd(), m_hRoot);
    m_tree.SelectItem(m_hCollection);
}

// Above the list: typing in it shows only the rows that hold the text.
void CClipDlg::createSearchBox() {
    m_search = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0,
                               100, 20, hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SEARCH)), instance(),
                               nullptr);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
    SendMessageW(m_search, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(m_search, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(wide(clip::kSearchCue).c_str()));
    base::WindowDc screen(m_search);
    base::SelectScope selected(screen.get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(screen.get(), &metrics);
    m_searchHeight = metrics.tmHeight + 2 * GetSystemMetrics(SM_CYEDGE) + 6;
}

// Tab goes through the search box, the list, the tree and the preview, in the order of the
// children (the dialog manager follows it). Each has a hidden label just before it: Microsoft
// Active Accessibility names a control by the static text before it (GetWindow GW_HWNDPREV), and
// the pane captions are the original program's.
void CClipDlg::orderForTabAndName() {
    const std::pair<HWND, std::string_view> controls[] = {{m_search, clip::kSearchLabel},
                                                          {m_list.hwnd(), clip::kListLabel},
                                                          {m_tree.hwnd(), clip::kTreeLabel},
                                                          {m_preview.hwnd(), clip::kPreviewLabel}};
    HWND before = HWND_TOP;
    for (const auto& [control, name] : controls) {
        HWND label = CreateWindowExW(0, L"STATIC", wide(name).c_str(), WS_CHILD | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0,
                                     hwnd(), nullptr, instance(), nullptr);
        if (!label)
            base::ReportFailure("CreateWindowExW");
        constexpr UINT kOrderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
        if (label) {
            SetWindowPos(label, before, 0, 0, 0, 0, kOrderOnly);
            before = label;
        }
        SetWindowPos(control, before, 0, 0, 0, 0, kOrderOnly);
        before = control;
    }
}

void CClipDlg::layout() {
    RECT client;
    GetClientRect(hwnd(), &client);
    if (HWND toolbar = m_commandBars.toolbar()) {
        SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
        client.top += m_commandBars.toolbarHeight();
    }
    const RECT centre = m_panes.Layout(client);
    const int width = centre.right - centre.left;
    const int searchHeight = std::min<int>(m_searchHeight, std::max<int>(0, centre.bottom - centre.top));
    SetWindowPos(m_search, nullptr, centre.left, centre.top, width, searchHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(m_list.hwnd(), nullptr, centre.left, centre.top + searchHeight, width,
                 std::max<int>(0, centre.bottom - centre.top - searchHeight), SWP_NOZORDER | SWP_NOACTIVATE);
    fitColumns();
    InvalidateRect(m_list.hwnd(), nullptr, TRUE);
}

// The times and the number get what their widest text needs in the list's font (the widest digit
// in every place), the content the rest, with room kept for the vertical scroll bar: no
// horizontal one while the columns fit. A divider the user dragged stays until the next resize.
void CClipDlg::fitColumns() {
    HWND list = m_list.hwnd();
    const auto width = [list](const std::wstring& text) {
        return static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
    };
    wchar_t widest = L'0';
    for (wchar_t digit = L'1'; digit <= L'9'; ++digit)
        if (width(std::wstring(1, digit)) > width(std::wstring(1, widest)))
            widest = digit;
    const std::wstring d(1, widest);
    base::WindowDc screen(list);
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSX);
    const int margins = MulDiv(16, dpi, 96);
    const int headerExtras = MulDiv(16 + 14, dpi, 96);  // the header's picture and sort arrow
    ColumnNeeds needs;
    needs.time = std::max(width(d + d + d + d + L"-" + d + d + L"-" + d + d + L" " + d + d + L":" + d + d + L":" + d + d),
                          width(L"使用时间") + headerExtras) +
                 margins;
    needs.number = std::max({width(L"ctrl+alt+" + d), width(d + d + d), width(L"编号") + headerExtras}) + margins;
    needs.minContent = MulDiv(80, dpi, 96);
    RECT client = {};
    GetClientRect(list, &client);
    const bool scrolls = (GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL) != 0;
    const int rowWidth = client.right - (scrolls ? 0 : GetSystemMetrics(SM_CXVSCROLL));
    const std::array<int, 4> widths = ::fitColumns(rowWidth, needs);
    for (int column = 0; column < 4; ++column)
        m_list.SetColumnWidth(column, widths[static_cast<std::size_t>(column)]);
}

// The place of the last run when a monitor still shows it; else a first place that suits the
// monitor the window opens on.
void CClipDlg::placeWindow() {
    RECT dialog = {};
    GetWindowRect(hwnd(), &dialog);
    const std::optional<std::string> saved = fw::ReadUserBinary(store::kSettingsKey, store::kWindowPlaceSetting);
    WINDOWPLACEMENT place = {};
    if (saved && saved->size() == sizeof place) {
        std::memcpy(&place, saved->data(), sizeof place);
        const RECT& normal = place.rcNormalPosition;
        std::vector<clip::Box> workAreas;
        for (const RECT& work : fw::MonitorWorkAreas())
            workAreas.push_back({work.left, work.top, work.right, work.bottom});
        if (clip::isUsablePlace({normal.left, normal.top, normal.right, normal.bottom}, workAreas,
                                (dialog.right - dialog.left) / 2, (dialog.bottom - dialog.top) / 2)) {
            place.length = sizeof place;
            place.showCmd = place.showCmd == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
            place.flags = 0;
            SetWindowPlacement(hwnd(), &place);
            return;
        }
    }
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const clip::Box box = clip::firstWindowBox({work.left, work.top, work.right, work.bottom}, dialog.right - dialog.left,
                                               dialog.bottom - dialog.top);
    SetWindowPos(hwnd(), nullptr, box.left, box.top, box.width(), box.height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void CClipDlg::saveWindowPlace() {
    WINDOWPLACEMENT place = {};
    place.length = sizeof place;
    if (GetWindowPlacement(hwnd(), &place))
        fw::WriteUserBinary(store::kSettingsKey, store::kWindowPlaceSetting,
                            std::string(reinterpret_cast<const char*>(&place), sizeof place));
}

bool CClipDlg::OnSize(UINT type, int, int) {
    if (type == SIZE_MINIMIZED) {
        // Hidden once the minimising has finished: a window hidden in the middle of it may be
        // shown again by the rest of the operation.
        PostMessageW(hwnd(), kMsgHideToTray, 0, 0);
        return true;
    }
    layout();
    return true;
}

bool CClipDlg::OnTimer(UINT_PTR id) {
    if (id != kSlotRetryTimer)
        return false;
    retrySlotCopies();
    return true;
}

bool CClipDlg::OnPaint() {
    if (IsIconic(hwnd())) {
        base::PaintScope paint(hwnd());
        SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.get()), 0);
        RECT area;
        GetClientRect(hwnd(), &area);
        DrawIcon(paint.get(), (area.right - GetSystemMetrics(SM_CXICON) + 1) / 2,
                 (area.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2, m_hIcon);
    }
    if (g_bFirstPaint) {
        g_bFirstPaint = false;
        m_archive.StartKeep();
        showIntroOnce();
        // The first history record of the run does not count as an unsaved change.
        setRootText(false);
    }
    return IsIconic(hwnd()) != FALSE;
}

void CClipDlg::setRootText(bool changed) {
    m_tree.SetItemText(m_hRoot, wide(changed ? clip::kRootTextChanged : clip::kRootText));
}

void CClipDlg::setStatusText(const std::wstring& text) {
    SendMessageW(m_status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool CClipDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_DRAWCLIPBOARD:
        OnDrawClipboard(wParam, lParam);
        return true;
    case WM_CLIPBOARDUPDATE:
        OnClipboardChanged();
        return true;
    case kMsgRecorderResults:
        OnRecorderResults();
        return true;
    case WM_CHANGECBCHAIN:
        if (reinterpret_cast<HWND>(wParam) == m_hNextViewer)
            m_hNextViewer = reinterpret_cast<HWND>(lParam);
        else if (m_hNextViewer)
            PostMessageW(m_hNextViewer, message, wParam, lParam);
        return true;
    case WM_DESTROY:
        saveWindowPlace();
        leaveViewerChain();
        m_recorder.reset();  // what it read is stored first
        m_archive.Stop();
        return false;
    case kMsgArchiveProgress:
        m_archive.OnProgress(static_cast<int>(wParam));
        return true;
    case kMsgArchiveDone:
        m_archive.OnDone(static_cast<ArchiveResult>(wParam));
        return true;
    case kMsgKeepDone:
        m_archive.OnKeepDone();
        return true;
    // The application the user leaves us for, or came to us from, is where a paste from the
    // list goes (the one leaving is known once the switch is done).
    case WM_ACTIVATEAPP:
        if (!wParam)
            PostMessageW(hwnd(), kMsgNoteForeground, 0, 0);
        return false;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && lParam)
            NoteForegroundWindow(reinterpret_cast<HWND>(lParam));
        return false;
    case kMsgNoteForeground:
        NoteForegroundWindow(GetForegroundWindow());
        return true;
    case store::kMsgSlotCopied:
        base::Trace("received %u %u", message, static_cast<unsigned>(wParam));
        OnSlotCopied(wParam);
        return true;
    case store::kMsgClipPasted:
        base::Trace("received %u %u", message, static_cast<unsigned>(wParam));
        OnClipPasted(wParam);
        return true;
    case store::kMsgSlotCopyFailed:
        OnSlotCopyFailed(wParam);
        return true;
    case store::kMsgStoreDamaged:
        OnStoreDamaged();
        return true;
    case store::kMsgCopyListRows:
        result = CopyListRows(wParam, lParam);
        return true;
    case CClipTrayIcon::kNotifyMessage:
        result = m_tray.OnTrayNotification(wParam, lParam);
        return true;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == 16) {
            fw::CDialog about(IDD_ABOUT);
            about.DoModal(hwnd());
            return true;
        }
        return false;
    case kMsgHideToTray:
        if (IsIconic(hwnd()))
            m_tray.HideToTray();
        return true;
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<LRESULT>(m_hIcon);
        return true;
    case WM_HELP:
        OnHelp();
        result = TRUE;
        return true;
    default:
        return fw::CDialog::WindowProc(message, wParam, lParam, result);
    }
}

bool CClipDlg::OnCommand(int id, int code, HWND control) {
    switch (id) {
    case ID_FILE_EXIT:
    case ID_TRAY_EXIT:
        RequestExit();
        return true;
    case ID_DELETE_CLIPS:
        m_clipList.DeleteSelected();
        return true;
    case ID_CAPTURE:
    case ID_TRAY_CAPTURE: {
        CCaptureDlg capture;
        capture.DoModal(nullptr);
        return true;
    }
    case ID_FILE_SAVE:
        m_archive.OnSave(false);
        return true;
    case ID_FILE_SAVE_AS:
        m_archive.OnSave(true);
        return true;
    case ID_FILE_OPEN:
        m_archive.OnOpen();
        return true;
    case ID_FILE_OPEN_LAST_RUN:
        m_archive.OnOpenLastRun();
        return true;
    case ID_FILE_EXCLUDED_PROGRAMS:
        OnExcludedPrograms();
        return true;
    case ID_HELP_CONTENTS:
        OnHelp();
        return true;
    case ID_HOMEPAGE:
        OnHomepage();
        return true;
    case IDC_SEARCH:
        if (code == EN_CHANGE)
            OnSearchChanged();
        return true;
    case CCategoryTreeCtrl::kCommandAdd:
        m_categories.AddCategory();
        return true;
    case ID_TRAY_PAUSE:
        if (!m_bPaused)
            Pause();
        return true;
    case ID_TRAY_RESUME:
        if (m_bPaused)
            Resume();
        return true;
    default:
        return fw::CDialog::OnCommand(id, code, control);
    }
}

bool CClipDlg::OnNotify(NMHDR& header, LRESULT& result) {
    if (m_commandBars.HandleNotify(header))
        return true;
    if (header.idFrom == IDC_CATEGORY_TREE && (header.code == TVN_SELCHANGEDW || header.code == TVN_SELCHANGEDA)) {
        OnTreeSelectionChanged();
        result = 0;
        return true;
    }
    if (header.idFrom == IDC_CATEGORY_TREE && header.code == NM_RCLICK) {
        m_categories.OnRightClick();
        result = 0;
        return true;
    }
    if (header.idFrom == IDC_CLIP_LIST && header.code == LVN_GETDISPINFOW) {
        m_clipList.FillDisplayInfo(reinterpret_cast<NMLVDISPINFOW&>(header).item);
        return true;
    }
    if (header.idFrom == IDC_CLIP_LIST && header.code == LVN_GETINFOTIPW) {
        m_clipList.FillInfoTip(reinterpret_cast<NMLVGETINFOTIPW&>(header));
        return true;
    }
    if (header.idFrom == IDC_CLIP_LIST && header.code == LVN_ODFINDITEMW) {
        result = m_clipList.FindRow(reinterpret_cast<const NMLVFINDITEMW&>(header));
        return true;
    }
    if (header.idFrom == IDC_CLIP_LIST && header.code == NM_CLICK) {
        ShowPreview(m_list.GetNextItem(-1, LVNI_SELECTED));
        result = 0;
        return true;
    }
    // A quick second click arrives as a double click; it sorts again like a click.
    if (header.hwndFrom == ListView_GetHeader(m_list.hwnd()) &&
        (header.code == HDN_ITEMCLICKW || header.code == HDN_ITEMCLICKA || header.code == HDN_ITEMDBLCLICKW ||
         header.code == HDN_ITEMDBLCLICKA)) {
        m_clipList.SortByHeader(reinterpret_cast<const NMHEADERW&>(header).iItem);
        showRowsStatus();
        return false;
    }
    return false;
}

// The closing sequence: the exit dialog (unless an exit command asked already), the
// confirmation, then the hooks off and the library unloaded before the window goes.
bool CClipDlg::OnClose() {
    if (!m_bExitRequested) {
        CExitDlg exit;
        if (exit.DoModal(hwnd()) != IDOK || !exit.m_bExitChosen)
            return true;
    }
    if (MessageBoxW(hwnd(), wide(clip::kExitQuestion).c_str(), wide(store::kMainWindowTitle).c_str(),
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
        return true;
    unloadHookLibrary();
    EndDialog(IDCANCEL);
    return true;
}

// The viewer chain is left first, so that no notification can reach the unloaded library.
void CClipDlg::unloadHookLibrary() {
    leaveViewerChain();
    m_hook.unload();
}

void CClipDlg::RequestExit() {
    m_bExitRequested = 1;
    PostMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void CClipDlg::Pause() {
    if (m_hook.UnHook)
        m_hook.UnHook();
    leaveViewerChain();
    m_bPaused = 1;
    SetWindowTextW(hwnd(), (wide(store::kMainWindowTitle) + wide(clip::kPausedSuffix)).c_str());
    m_tray.ShowPaused(true);
}

void CClipDlg::Resume() {
    joinViewerChain();
    if (m_hook.installhook && !m_hook.installhook(hwnd()))
        m_tray.ReportHooksUnavailable();
    m_bPaused = 0;
    SetWindowTextW(hwnd(), wide(store::kMainWindowTitle).c_str());
    m_tray.ShowPaused(false);
}
