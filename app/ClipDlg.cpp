#include "app/ClipDlg.h"

#include "capture/CaptureDlg.h"

#include "app/ClipRules.h"
#include "app/ExitDlg.h"
#include "app/HelpCommands.h"
#include "store/ClipNames.h"
#include "store/NumberText.h"
#include "store/Protocol.h"
#include "base/Barrier.h"
#include "base/Check.h"
#include "base/Text.h"
#include "base/Trace.h"
#include "fw/Settings.h"
#include "fw/Window.h"
#include "resource.h"

#include <algorithm>
#include <cstring>

namespace app {

namespace {

constexpr UINT kAboutCommand = 16;  // the system menu's "关于" item

std::wstring wide(std::string_view text) {
    return base::toWide(text);
}

std::wstring loadString(UINT id) {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

// The place of the last run when a monitor still shows it; else a first place that suits the
// monitor the window opens on.
void placeWindow(HWND window) {
    RECT dialog = {};
    GetWindowRect(window, &dialog);
    const std::optional<std::string> saved = fw::ReadUserBinary(store::kSettingsKey, store::kWindowPlaceSetting);
    WINDOWPLACEMENT place = {};
    if (saved && saved->size() == sizeof place) {
        std::memcpy(&place, saved->data(), sizeof place);
        const RECT& normal = place.rcNormalPosition;
        std::vector<app::Box> workAreas;
        for (const RECT& work : fw::MonitorWorkAreas())
            workAreas.push_back({work.left, work.top, work.right, work.bottom});
        if (app::isUsablePlace({normal.left, normal.top, normal.right, normal.bottom}, workAreas,
                                (dialog.right - dialog.left) / 2, (dialog.bottom - dialog.top) / 2)) {
            place.length = sizeof place;
            place.showCmd = place.showCmd == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
            place.flags = 0;
            SetWindowPlacement(window, &place);
            return;
        }
    }
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const app::Box box = app::firstWindowBox({work.left, work.top, work.right, work.bottom}, dialog.right - dialog.left,
                                               dialog.bottom - dialog.top);
    SetWindowPos(window, nullptr, box.left, box.top, box.width(), box.height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void saveWindowPlace(HWND window) {
    WINDOWPLACEMENT place = {};
    place.length = sizeof place;
    if (GetWindowPlacement(window, &place))
        fw::WriteUserBinary(store::kSettingsKey, store::kWindowPlaceSetting,
                            std::string(reinterpret_cast<const char*>(&place), sizeof place));
}

void paintIcon(HWND window, HICON icon) {
    base::PaintScope paint(window);
    SendMessageW(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.get()), 0);
    RECT area;
    GetClientRect(window, &area);
    DrawIcon(paint.get(), (area.right - GetSystemMetrics(SM_CXICON) + 1) / 2,
             (area.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2, icon);
}

// The main window told of every window that comes to the front in another program: the paste
// target of the list is the one in front before ours. (Wine sends no such event; the notes on
// our own activation and the z-order at the paste stand in.)
HWND g_foregroundNoted = nullptr;
UINT g_foregroundMessage = 0;

void CALLBACK foregroundChanged(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD) {
    if (object == OBJID_WINDOW && window && g_foregroundNoted)
        PostMessageW(g_foregroundNoted, g_foregroundMessage, reinterpret_cast<WPARAM>(window), 0);
}

}  // namespace

CClipDlg::CClipDlg(HookLibrary hook, store::CSysClipBoard& store)
    : fw::CDialog(IDD_MAIN), m_store(store), m_hook(std::move(hook)),
      m_view(store, m_tray, m_hook, [this](const std::wstring& text) { setStatusText(text); }),
      m_commands({store, m_hook, m_view, m_windowTasks, [this]() -> app::recorder::LastText& { return m_monitor.lastText(); },
                  [this](bool paused) { setPaused(paused); }}) {
    m_icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

CClipDlg::~CClipDlg() = default;

bool CClipDlg::OnInitDialog() {
    g_foregroundNoted = hwnd();
    g_foregroundMessage = kMsgNoteForeground;
    m_foregroundEvents.reset(CHECK_WIN32(SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, foregroundChanged,
                                                         0, 0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS)));
    const std::wstring about = loadString(IDS_ABOUTBOX);
    if (HMENU system = GetSystemMenu(hwnd(), FALSE); system && !about.empty()) {
        AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(system, MF_STRING, kAboutCommand, about.c_str());
    }
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
    SetWindowTextW(hwnd(), wide(store::kMainWindowTitle).c_str());

    m_archive.Attach(hwnd(), kMsgArchiveProgress, kMsgArchiveDone, kMsgKeepDone);
    m_view.OnOpenArchive([this](const std::wstring& path) { m_archive.OpenArchive(path); });
    m_slots.Attach(hwnd(), kSlotRetryTimer);
    m_status = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 30, hwnd(), nullptr,
                               instance(), nullptr);
    int parts[] = {-1};
    SendMessageW(m_status, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(parts));
    m_commandBars.SetMenu(hwnd(), IDR_MAIN_MENU);
    m_commandBars.AddToolbar(hwnd(), IDR_MAINFRAME, 21, 20);
    m_panes.Create(hwnd(), item(IDC_CATEGORY_TREE), loadString(IDS_PANE_CLASS), item(IDC_PREVIEW),
                   loadString(IDS_PANE_PREVIEW), m_status, [this] { layout(); });
    m_view.Create(hwnd(), item(IDC_CLIP_LIST), item(IDC_CATEGORY_TREE), item(IDC_PREVIEW),
                  {IDC_SEARCH, IDC_SEARCH_FILTERS, IDC_SEARCH_EARLIER, ID_SEARCH_MENU_FIRST});
    const CHistoryView::Controls& controls = m_view.controls();
    orderForTabAndName(hwnd(), controls.search, controls.list, controls.tree, controls.preview);
    placeWindow(hwnd());

    m_monitor.Start(hwnd(), kMsgRecorderResults, m_store.paths(), m_sync.OwnChangeTest(m_hook.ownChangeTest()),
                    m_lastRunRestored ? m_view.TakeNewestHistoryText() : std::nullopt);
    m_privacy.Start(hwnd(), kMsgUnreadable);
    // The user's chords are in the shared section before the first key reaches the hooks: until
    // then every program would act on the defaults.
    m_options.ApplyAtStart(hwnd(), kMsgKeyboardProbed);
    const bool hooked = m_hook.installhook(hwnd()) != 0;
    m_tray.AttachTo(hwnd());
    m_windowTasks.Attach(hwnd(), kMsgWindowTasks);
    m_commands.Attach(hwnd());
    m_commandServer.Start(hwnd());
    startSync();
    if (!hooked)
        m_tray.ReportHooksUnavailable();
    if (m_lastRunRestored)
        m_view.categories().RebuildCategories({m_view.nodes().collection, m_view.nodes().hotkeys, m_view.nodes().queue});
    if (!m_lastRunNotRestored.empty())
        m_tray.ReportLastRunNotRestored(m_lastRunNotRestored);
    m_view.ShowRowsStatus();
    m_bLaidOut = true;
    layout();
    // The list has the focus at the start, as before the search box came first in the Tab order:
    // a paste into the window in front must not land in the search box.
    SetFocus(controls.list);
    // A timer comes after the window's paints: the tray icon is added once the window is drawn.
    if (!SetTimer(hwnd(), kTrayIconTimer, USER_TIMER_MINIMUM, nullptr))
        m_tray.ShowIcon();
    return false;  // the focus is set
}

// The toolbar, the panes at the sides and the search box above the list, which has the rest.
void CClipDlg::layout() {
    RECT client;
    GetClientRect(hwnd(), &client);
    if (HWND toolbar = m_commandBars.toolbar()) {
        SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
        client.top += m_commandBars.toolbarHeight();
    }
    const RECT centre = m_panes.Layout(client);
    const CHistoryView::Controls& controls = m_view.controls();
    const int width = centre.right - centre.left;
    const int searchHeight = m_view.search().bar().Layout(centre);
    SetWindowPos(controls.list, nullptr, centre.left, centre.top + searchHeight, width,
                 std::max<int>(0, centre.bottom - centre.top - searchHeight), SWP_NOZORDER | SWP_NOACTIVATE);
    fitColumns(controls.list);
    InvalidateRect(controls.list, nullptr, TRUE);
}

bool CClipDlg::OnSize(UINT type, int, int) {
    if (type == SIZE_MINIMIZED) {
        // Hidden once the minimising has finished: a window hidden in the middle of it may be
        // shown again by the rest of the operation.
        PostMessageW(hwnd(), kMsgHideToTray, 0, 0);
        return true;
    }
    if (m_bLaidOut)
        layout();
    return true;
}

// Copies recorded and the user's deletions and filings go to the sync folder's engine.
void CClipDlg::startSync() {
    const auto recorded = [this](const store::ClipSnapshot& copy, const app::ViewRow& row, bool madeRoom) {
        m_sync.Recorded(copy, row, madeRoom);
    };
    m_monitor.OnRecorded(recorded);
    m_slots.OnFiled(recorded);
    m_view.ListenForChanges({[this](const std::vector<std::string>& clips) { m_sync.RowsRemoved(clips); },
                             [this](const std::string& clip, const std::string& category) { m_sync.RowFiled(clip, category); }});
    m_sync.Start(hwnd(), kMsgSyncEvents, kSyncStatusTimer);
    m_options.OnSyncSettingsSaved([this] { m_sync.Restart(); });
}

bool CClipDlg::OnTimer(UINT_PTR id) {
    if (id == kSyncStatusTimer)
        return m_sync.HandleTimer(id);
    if (id == kTrayIconTimer) {
        KillTimer(hwnd(), id);
        m_tray.ShowIcon();
        return true;
    }
    if (id != kSlotRetryTimer)
        return false;
    m_slots.RetryWaitingCopies();
    return true;
}

// After the first paint: the run kept at the start, the introduction, and the root without " *"
// (the first history record of the run does not count as an unsaved change).
bool CClipDlg::OnPaint() {
    const bool iconic = IsIconic(hwnd()) != FALSE;
    if (iconic)
        paintIcon(hwnd(), m_icon);
    if (std::exchange(m_firstPaint, false)) {
        m_archive.StartKeep();
        showIntroOnce(m_store.getWindowsDir());
        m_view.SetRootText(false);
    }
    return iconic;
}

void CClipDlg::setStatusText(const std::wstring& text) {
    SendMessageW(m_status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool CClipDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (m_monitor.HandleMessage(message, wParam, lParam) || m_archive.HandleMessage(message, wParam) ||
        m_view.search().HandleMessage(message, wParam, lParam, result) || m_sync.HandleMessage(message) || m_options.HandleMessage(message) ||
        handleLibraryMessage(message, wParam, lParam, result))
        return true;
    switch (message) {
    // The application the user leaves us for, or came to us from, is where a paste from the
    // list goes (the one leaving is known once the switch is done).
    case WM_ACTIVATEAPP:
        if (!wParam) {
            // Noted now too: by the time the posted note is read, ours may be in front again.
            m_view.NoteForegroundWindow(GetForegroundWindow());
            PostMessageW(hwnd(), kMsgNoteForeground, 0, 0);
        }
        return false;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && lParam)
            m_view.NoteForegroundWindow(reinterpret_cast<HWND>(lParam));
        return false;
    case kMsgNoteForeground:
        m_view.NoteForegroundWindow(wParam ? reinterpret_cast<HWND>(wParam) : GetForegroundWindow());
        return true;
    case WM_COPYDATA:
        result = m_commandServer.OnCopyData(reinterpret_cast<HWND>(wParam), *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return true;
    case kMsgWindowTasks:
        m_windowTasks.RunWaiting();
        return true;
    case CClipTrayIcon::kNotifyMessage:
        result = m_tray.OnTrayNotification(wParam, lParam);
        return true;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) != kAboutCommand)
            return false;
        fw::CDialog(IDD_ABOUT).DoModal(hwnd());
        return true;
    case kMsgUnreadable:
        m_privacy.OnUnreadable();
        return true;
    case kMsgHideToTray:
        if (IsIconic(hwnd()))
            m_tray.HideToTray();
        return true;
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<LRESULT>(m_icon);
        return true;
    case WM_HELP:
        openHelp();
        result = TRUE;
        return true;
    default:
        return fw::CDialog::WindowProc(message, wParam, lParam, result);
    }
}

bool CClipDlg::handleLibraryMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case store::kMsgSlotCopied:
        base::Trace("received %u %u", message, static_cast<unsigned>(wParam));
        m_slots.OnSlotCopied(wParam);
        return true;
    case store::kMsgClipPasted:
        base::Trace("received %u %u", message, static_cast<unsigned>(wParam));
        onClipPasted(wParam);
        return true;
    case store::kMsgSlotCopyFailed:
        m_slots.OnSlotCopyFailed(wParam);
        return true;
    case store::kMsgStoreDamaged:
        onStoreDamaged();
        return true;
    case store::kMsgCopyListRows:
        result = copyListRows(m_view.clipList().Rows(), wParam, lParam);
        return true;
    default:
        return false;
    }
}

// A paste from the queue took its head (a number 0 too: a head that was gone); a history record
// pasted shows its new use time.
void CClipDlg::onClipPasted(WPARAM number) {
    m_view.queue().Changed();
    if (number > 0 && number <= static_cast<WPARAM>(store::kMaxHistoryNumber))
        m_view.ShowPasted(static_cast<int>(number));
}

// Once per run: later damage would only repeat the same news.
void CClipDlg::onStoreDamaged() {
    if (std::exchange(m_storeDamageReported, true))
        return;
    const std::string text = std::string(app::kStoreDamagedMessage) + m_store.getWindowsDir();
    MessageBoxW(hwnd(), wide(text).c_str(), wide(store::kMainWindowTitle).c_str(), MB_OK | MB_ICONWARNING);
}

// The 文件 menu's archive and wipe commands; false for any other.
bool CClipDlg::fileCommand(int id) {
    switch (id) {
    case ID_FILE_SAVE:
    case ID_FILE_SAVE_AS:
        m_archive.OnSave(id == ID_FILE_SAVE_AS);
        return true;
    case ID_FILE_SAVE_PROTECTED:
        m_archive.OnSave(true, true);
        return true;
    case ID_FILE_OPEN:
        m_archive.OnOpen();
        return true;
    case ID_FILE_OPEN_LAST_RUN:
        m_archive.OnOpenLastRun();
        return true;
    case ID_FILE_WIPE:
    case ID_TRAY_WIPE:
        m_privacy.OnWipe();
        return true;
    default:
        return false;
    }
}

bool CClipDlg::OnCommand(int id, int code, HWND control) {
    if (fileCommand(id))
        return true;
    switch (id) {
    case ID_FILE_EXIT:
    case ID_TRAY_EXIT:
        m_exitRequested = true;
        PostMessageW(hwnd(), WM_CLOSE, 0, 0);
        return true;
    case ID_DELETE_CLIPS:
        m_view.clipList().DeleteSelected();
        return true;
    case ID_CAPTURE:
    case ID_TRAY_CAPTURE:
        capture::CCaptureDlg().DoModal(nullptr);
        return true;
    case ID_OPTIONS:
    case ID_FILE_EXCLUDED_PROGRAMS:
        m_options.Open(hwnd(), id == ID_OPTIONS ? ui::COptionsDlg::General : ui::COptionsDlg::Privacy);
        return true;
    case ID_HELP_CONTENTS:
        openHelp();
        return true;
    case ID_HOMEPAGE:
        openHomepage();
        return true;
    case IDC_SEARCH:
        if (code == EN_CHANGE)
            m_view.search().OnSearchChanged();
        return true;
    case IDC_SEARCH_FILTERS:
        m_view.search().OnFilterButton();
        return true;
    case IDC_SEARCH_EARLIER:
        m_view.search().OnEarlierToggled();
        return true;
    case ui::CCategoryTreeCtrl::kCommandAdd:
        m_view.categories().AddCategory();
        return true;
    case ID_TRAY_PAUSE:
    case ID_TRAY_RESUME:
        setPaused(id == ID_TRAY_PAUSE);
        return true;
    default:
        return fw::CDialog::OnCommand(id, code, control);
    }
}

bool CClipDlg::OnNotify(NMHDR& header, LRESULT& result) {
    return m_commandBars.HandleNotify(header) || m_view.OnNotify(header, result);
}

// Escape and Enter do nothing in the main window (its own dialogs and message boxes keep them).
// F1 opens the help wherever the focus is, and with none (a key then arrives as a system key for
// the window itself, and no WM_HELP follows). Ctrl+F goes to the search box; Esc there (or in the
// list) takes the search one step back, and the Down arrow in the box goes on to the list.
bool CClipDlg::PreTranslateMessage(MSG* message) {
    const bool inMainWindow = message->hwnd == hwnd() || IsChild(hwnd(), message->hwnd);
    const bool keyDown = message->message == WM_KEYDOWN;
    if (inMainWindow && (keyDown || message->message == WM_SYSKEYDOWN) && message->wParam == VK_F1) {
        openHelp();
        return true;
    }
    if (inMainWindow && keyDown && m_view.search().HandleKey(message->hwnd, message->wParam))
        return true;
    if (inMainWindow && keyDown && (message->wParam == VK_ESCAPE || message->wParam == VK_RETURN))
        return true;
    m_view.NoteForegroundWindow(GetForegroundWindow());
    return false;
}

// Paused: the hooks off and the chain left, the title and the tray say so.
void CClipDlg::setPaused(bool paused) {
    if (paused == m_paused)
        return;
    m_paused = paused;
    if (paused) {
        if (m_hook.UnHook)
            m_hook.UnHook();
        m_monitor.Leave();
    } else {
        m_monitor.Join();
        if (m_hook.installhook && !m_hook.installhook(hwnd()))
            m_tray.ReportHooksUnavailable();
    }
    SetWindowTextW(hwnd(), (wide(store::kMainWindowTitle) + (paused ? wide(app::kPausedSuffix) : L"")).c_str());
    m_tray.ShowPaused(paused);
}

// The closing sequence: the exit dialog (unless an exit command asked already), the
// confirmation, then the chain left and the library unloaded before the window goes, so that no
// notification can reach the unloaded library.
bool CClipDlg::OnClose() {
    if (!m_exitRequested) {
        CExitDlg exit;
        if (exit.DoModal(hwnd()) != IDOK || !exit.m_bExitChosen)
            return true;
    }
    if (MessageBoxW(hwnd(), wide(app::kExitQuestion).c_str(), wide(store::kMainWindowTitle).c_str(),
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
        return true;
    m_monitor.Leave();
    m_hook.unload();
    EndDialog(IDCANCEL);
    return true;
}

// What the recorder read is stored first; the archive commands and the keep are waited for.
void CClipDlg::OnDestroy() {
    m_foregroundEvents.reset();
    g_foregroundNoted = nullptr;
    saveWindowPlace(hwnd());
    m_windowTasks.Stop();  // a command waiting for the window is released before its worker ends
    m_commandServer.Stop();
    m_monitor.Stop();
    m_sync.Stop();
    m_archive.Stop();
}

void CClipDlg::applyMoreOptions(const options::Options& options) {
    m_privacy.ApplyPrivacyOptions(options);
    m_store.setRunLimit(store::runLimitFromSettings(options.runs.count, options.runs.megabytes));
}

}  // namespace app
