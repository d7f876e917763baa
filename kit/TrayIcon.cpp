#include "kit/TrayIcon.h"

#include "base/Check.h"
#include "base/Text.h"
#include "base/Trace.h"

#include <shellapi.h>

#include <utility>

namespace kit {

namespace {

constexpr UINT_PTR kAnimationTimer = 1;
const wchar_t kWindowClass[] = L"DravixTrayIconWindow";

base::UniqueIcon loadIcon(UINT id) {
    return base::UniqueIcon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
}

}  // namespace

// A hidden top-level window: a menu tracked with it needs a window that can be in front.
CTrayIcon::CTrayIcon() {
    fw::CMessageWindow::Create({kWindowClass, nullptr, nullptr, WS_POPUP});
    m_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
}

CTrayIcon::~CTrayIcon() {
    if (m_added)
        notify(NIM_DELETE, 0);
    Destroy();
}

NOTIFYICONDATAW CTrayIcon::iconData(UINT flags) const {
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = m_parent;
    data.uID = m_id;
    data.uFlags = flags;
    return data;
}

bool CTrayIcon::notify(DWORD action, UINT flags) {
    NOTIFYICONDATAW data = iconData(flags);
    data.uCallbackMessage = m_callbackMessage;
    // Re-added after the taskbar came back: the frame when animating, else the still icon.
    data.hIcon = m_animating && !m_frames.empty() ? m_frames[m_frame % m_frames.size()].get() : m_icon.get();
    lstrcpynW(data.szTip, m_tooltip.c_str(), ARRAYSIZE(data.szTip));
    return Shell_NotifyIconW(action, &data) != 0;
}

bool CTrayIcon::Create(const std::wstring& tooltip, HWND parent, UINT iconId, UINT id, UINT callbackMessage) {
    m_parent = parent;
    m_id = id;
    m_callbackMessage = callbackMessage;
    m_tooltip = tooltip;
    m_icon = loadIcon(iconId);
    add();
    return m_added;
}

void CTrayIcon::add() {
    m_added = CHECK_WIN32(notify(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP));
    if (!m_added)
        return;
    for (const Balloon& balloon : std::exchange(m_waitingBalloons, {}))
        showBalloon(balloon);
}

void CTrayIcon::showIcon(HICON icon) {
    NOTIFYICONDATAW data = iconData(NIF_ICON);
    data.hIcon = icon;
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void CTrayIcon::SetAnimationIcons(const std::vector<UINT>& iconIds) {
    m_frames.clear();
    for (UINT id : iconIds)
        m_frames.push_back(loadIcon(id));
}

void CTrayIcon::StartAnimation(UINT intervalMs) {
    if (!m_frames.empty() && hwnd())
        m_animating = SetTimer(hwnd(), kAnimationTimer, intervalMs, nullptr) != 0;
}

void CTrayIcon::StopAnimation() {
    m_animating = false;
    if (hwnd())
        KillTimer(hwnd(), kAnimationTimer);
}

void CTrayIcon::SetIcon(UINT iconId) {
    m_icon = loadIcon(iconId);
    if (m_added)
        showIcon(m_icon.get());
}

void CTrayIcon::SetTooltip(const std::wstring& tooltip) {
    m_tooltip = tooltip;
    if (m_added)
        notify(NIM_MODIFY, NIF_TIP);
}

// Before the icon is there a balloon waits for it; past the few that wait, the oldest goes (and
// is noted in the debug log).
void CTrayIcon::ShowBalloonTip(const std::wstring& text, const std::wstring& title, DWORD iconFlags,
                               UINT timeoutSeconds) {
    Balloon balloon{text, title, iconFlags, timeoutSeconds};
    if (m_added) {
        showBalloon(balloon);
        return;
    }
    if (m_waitingBalloons.size() == kMaxWaitingBalloons) {
        base::Trace("tray: a balloon waiting for the icon was dropped: %s", base::toUtf8(m_waitingBalloons.front().title).c_str());
        m_waitingBalloons.erase(m_waitingBalloons.begin());
    }
    m_waitingBalloons.push_back(std::move(balloon));
}

void CTrayIcon::showBalloon(const Balloon& balloon) {
    NOTIFYICONDATAW data = iconData(NIF_INFO);
    lstrcpynW(data.szInfo, balloon.text.c_str(), ARRAYSIZE(data.szInfo));
    lstrcpynW(data.szInfoTitle, balloon.title.c_str(), ARRAYSIZE(data.szInfoTitle));
    data.dwInfoFlags = balloon.iconFlags;
    data.uTimeout = balloon.timeoutSeconds * 1000;
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

LRESULT CTrayIcon::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return handle(message, wParam) ? 0 : fw::CMessageWindow::WindowProc(message, wParam, lParam);
}

// The animation's frames, the commands of menus tracked with the icon, and the taskbar coming back.
bool CTrayIcon::handle(UINT message, WPARAM wParam) {
    if (message == WM_TIMER && wParam == kAnimationTimer && m_animating && !m_frames.empty()) {
        m_frame = (m_frame + 1) % m_frames.size();
        if (m_added)
            showIcon(m_frames[m_frame].get());
        return true;
    }
    if (message == WM_COMMAND) {
        OnCommand(LOWORD(wParam));
        return true;
    }
    // Explorer restarted, or started after us: the icon is added again, or at last.
    if (message == m_taskbarCreated && m_parent) {
        if (m_added)
            notify(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP);  // it went with the old taskbar
        else
            add();
        return true;
    }
    return false;
}

}  // namespace kit
