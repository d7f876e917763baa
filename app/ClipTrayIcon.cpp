#include "app/ClipTrayIcon.h"

#include "app/ClipRules.h"
#include "app/PrivacyRules.h"
#include "store/Protocol.h"
#include "app/UserSwitches.h"
#include "xml/XmlText.h"
#include "base/Handle.h"
#include "base/Text.h"
#include "base/Trace.h"
#include "fw/Settings.h"
#include "options/OptionsRegistry.h"
#include "resource.h"

#include <algorithm>

namespace app {

// An icon the notification area does not take now is added when the taskbar comes (kit::CTrayIcon).
void CClipTrayIcon::ShowIcon() {
    Create(base::toWide(tooltipText()), m_hMainWnd, m_bPaused ? IDI_TRAY_PAUSED : IDI_TRAY_FRAME1, kTrayId, kNotifyMessage);
    SetAnimationIcons({IDI_TRAY_FRAME1, IDI_TRAY_FRAME2, IDI_TRAY_FRAME3, IDI_TRAY_FRAME4});
    if (!m_bPaused)
        StartAnimation(500);
}

void CClipTrayIcon::AttachTo(HWND main) {
    m_hMainWnd = main;
    options::Switches switches;
    switches.queueOnCopy = userSwitchOn(store::kQueueOnCopySetting);
    switches.alwaysOnTop = userSwitchOn(store::kAlwaysOnTopSetting);
    ApplySwitches(switches);
}

// Queue every copy: only this program reads it, so it is kept here rather than read again for
// every copy recorded.
void CClipTrayIcon::ApplySwitches(const options::Switches& switches) {
    m_bQueueOnCopy = switches.queueOnCopy;
    if (switches.alwaysOnTop != m_bAlwaysOnTop)
        setAlwaysOnTop(switches.alwaysOnTop);
}

void CClipTrayIcon::setAlwaysOnTop(bool on) {
    SetWindowPos(m_hMainWnd, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_bAlwaysOnTop = on;
}

// The balloon first, so that the user sees where the window went as it goes.
void CClipTrayIcon::HideToTray() {
    ShowBalloonTip(base::toWide(app::kHideBalloonText), base::toWide(app::kHideBalloonTitle), 0, 10);
    ShowWindow(m_hMainWnd, SW_HIDE);
}

void CClipTrayIcon::ShowPaused(bool paused) {
    m_bPaused = paused;
    if (paused) {
        StopAnimation();
        SetIcon(IDI_TRAY_PAUSED);
    } else {
        StartAnimation(500);
    }
}

void CClipTrayIcon::NoteRecorded(const std::string& stamp) {
    m_strLastRecorded = stamp;
    showTooltip();
}

void CClipTrayIcon::NoteWaiting(int count) {
    m_nWaiting = count;
    showTooltip();
}

void CClipTrayIcon::NoteSync(std::u16string text) {
    m_sync = std::move(text);
    showTooltip();
}

void CClipTrayIcon::NoteQueued(int count) {
    if (count == m_nQueued)
        return;
    m_nQueued = count;
    showTooltip();
}

std::u16string CClipTrayIcon::tooltipText() const {
    return app::recorder::trayTooltip(m_strLastRecorded, m_nWaiting, m_nQueued, m_nMissed, m_nSecrets) +
           (m_sync.empty() ? u"" : u"\n" + m_sync);
}

// The debug log has the tooltip on one line. The tray is told only of a new text: each change is
// a call into the shell's process, and a burst of copies would make one per copy.
void CClipTrayIcon::showTooltip() {
    const std::u16string tooltip = tooltipText();
    if (tooltip == m_shownTooltip)
        return;
    m_shownTooltip = tooltip;
    std::u16string line = tooltip;
    std::replace(line.begin(), line.end(), u'\n', u'|');
    base::Trace("tray tooltip: %s", xml::utf16ToUtf8(line).c_str());
    SetTooltip(base::toWide(tooltip));
}

void CClipTrayIcon::ReportMissedCopy(app::recorder::MissReason reason) {
    ++m_nMissed;
    showTooltip();
    if (!m_reportedMisses.insert(reason).second)
        return;
    base::Trace("tray balloon: %s", std::string(app::recorder::missName(reason)).c_str());
    ShowBalloonTip(base::toWide(app::recorder::missText(reason)), base::toWide(app::recorder::kMissedCopyTitle), NIIF_WARNING, 10);
}

void CClipTrayIcon::NoteSecretSkipped() {
    ++m_nSecrets;
    showTooltip();
}

void CClipTrayIcon::ResetCounts() {
    m_strLastRecorded.clear();
    m_nMissed = 0;
    m_nSecrets = 0;
    showTooltip();
}

void CClipTrayIcon::ReportUnreadableClips() {
    if (std::exchange(m_bUnreadableShown, true))
        return;
    base::Trace("tray balloon: unreadable sealed clips");
    ShowBalloonTip(base::toWide(app::kUnreadableClipsText), base::toWide(app::kUnreadableClipsTitle), NIIF_WARNING, 10);
}

void CClipTrayIcon::ReportPartlyRecorded() {
    if (m_bPartlyRecordedShown)
        return;
    m_bPartlyRecordedShown = true;
    base::Trace("tray balloon: copy recorded in part");
    ShowBalloonTip(base::toWide(app::recorder::kPartlyRecordedText), base::toWide(app::recorder::kPartlyRecordedTitle), NIIF_WARNING, 10);
}

void CClipTrayIcon::ReportHooksUnavailable() {
    base::Trace("tray balloon: hooks unavailable");
    ShowBalloonTip(base::toWide(app::kHooksUnavailableText), base::toWide(app::kHooksUnavailableTitle), NIIF_WARNING, 10);
}

void CClipTrayIcon::ReportLastRunNotRestored(const std::string& text) {
    base::Trace("tray balloon: last run not restored: %s", text.c_str());
    ShowBalloonTip(base::toWide(text), base::toWide(app::kLastRunNotRestoredTitle), NIIF_WARNING, 10);
}

void CClipTrayIcon::ReportChordsUnavailable(const std::string& text) {
    base::Trace("tray balloon: %s", text.c_str());
    ShowBalloonTip(base::toWide(text), L"快捷键无法使用", NIIF_WARNING, 10);
}

void CClipTrayIcon::ShowNotice(const std::wstring& text) {
    base::Trace("tray balloon: %s", base::toUtf8(text).c_str());
    ShowBalloonTip(text, L"Dravix", NIIF_INFO, 10);
}

void CClipTrayIcon::showMainWindow(bool foreground) {
    ShowWindow(m_hMainWnd, SW_SHOW);
    ShowWindow(m_hMainWnd, SW_RESTORE);
    if (foreground)
        SetForegroundWindow(m_hMainWnd);
}

LRESULT CClipTrayIcon::OnTrayNotification(WPARAM id, LPARAM mouseMessage) {
    if (id != kTrayId)
        return 1;
    if (mouseMessage == WM_RBUTTONUP)
        return showMenu();
    if (mouseMessage == WM_LBUTTONDBLCLK)
        showMainWindow(true);
    return 1;
}

// The items as the menu shows them, for the debug log.
void CClipTrayIcon::traceMenu(HMENU popup) {
    const UINT defaultItem = GetMenuDefaultItem(popup, FALSE, 0);
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        const UINT id = GetMenuItemID(popup, i);
        const UINT state = GetMenuState(popup, static_cast<UINT>(i), MF_BYPOSITION);
        base::Trace("tray menu item %u%s%s%s", id, (state & MF_GRAYED) ? " grayed" : "", (state & MF_CHECKED) ? " checked" : "",
                  id == defaultItem ? " default" : "");
    }
}

LRESULT CClipTrayIcon::showMenu() {
    const base::UniqueMenu menu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAY_MENU)));
    HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr;
    if (!popup)
        return 0;
    EnableMenuItem(popup, m_bPaused ? ID_TRAY_PAUSE : ID_TRAY_RESUME, MF_BYCOMMAND | MF_GRAYED);
    SetMenuDefaultItem(popup, ID_TRAY_SHOW, FALSE);
    CheckMenuItem(popup, ID_TRAY_AUTORUN, MF_BYCOMMAND | (options::startsWithWindows() ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(popup, ID_TRAY_TOPMOST, MF_BYCOMMAND | (m_bAlwaysOnTop ? MF_CHECKED : MF_UNCHECKED));
    traceMenu(popup);
    POINT cursor;
    GetCursorPos(&cursor);
    SetForegroundWindow(m_hMainWnd);
    TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, commandWindow(), nullptr);
    PostMessageW(m_hMainWnd, WM_NULL, 0, 0);
    return 1;
}

void CClipTrayIcon::OnCommand(UINT command) {
    switch (command) {
    case ID_TRAY_SHOW:
        showMainWindow(false);
        break;
    case ID_TRAY_ABOUT:
        PostMessageW(m_hMainWnd, WM_SYSCOMMAND, 0x10, 0);
        break;
    case ID_TRAY_PAUSE:
    case ID_TRAY_RESUME:
    case ID_TRAY_CAPTURE:
    case ID_TRAY_WIPE:
    case ID_TRAY_EXIT:
        SendMessageW(m_hMainWnd, WM_COMMAND, command, 0);
        break;
    case ID_TRAY_AUTORUN:
        options::setStartWithWindows(!options::startsWithWindows());
        break;
    // Posted: the dialog's modal loop runs in the main window's turn, not inside the menu's.
    case ID_OPTIONS:
        PostMessageW(m_hMainWnd, WM_COMMAND, command, 0);
        break;
    // Kept, so that the options dialog shows what the tray shows.
    case ID_TRAY_TOPMOST:
        setAlwaysOnTop(!m_bAlwaysOnTop);
        fw::WriteUserDword(store::kSettingsKey, store::kAlwaysOnTopSetting, m_bAlwaysOnTop ? 1 : 0);
        break;
    }
}

}  // namespace app
