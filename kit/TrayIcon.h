// A tray icon: an icon in the notification area with a tooltip, frame animation, a still icon
// and a balloon. Mouse activity reaches the parent window as `callbackMessage` (wParam the
// icon's identifier, lParam the mouse message); the icon's own hidden window receives the
// commands of menus tracked with it and runs the animation.
#pragma once

#include "base/Handle.h"
#include "fw/MessageWindow.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace kit {

class CTrayIcon : private fw::CMessageWindow {
public:
    CTrayIcon();
    virtual ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // Adds the icon; the balloons asked for before follow it. The tooltip and the still icon
    // given before are replaced by these. An icon the notification area did not take is added
    // again when the taskbar is (re)created.
    bool Create(const std::wstring& tooltip, HWND parent, UINT iconId, UINT id, UINT callbackMessage);
    void SetAnimationIcons(const std::vector<UINT>& iconIds);
    void StartAnimation(UINT intervalMs);
    void StopAnimation();
    void SetIcon(UINT iconId);
    void SetTooltip(const std::wstring& tooltip);
    void ShowBalloonTip(const std::wstring& text, const std::wstring& title, DWORD iconFlags, UINT timeoutSeconds);

    // The window that receives the commands of menus shown for the icon.
    HWND commandWindow() const { return hwnd(); }
    UINT id() const { return m_id; }

    // The icon's mouse activity, forwarded by the parent window; returns the message result.
    virtual LRESULT OnTrayNotification(WPARAM id, LPARAM mouseMessage) = 0;
    // A command chosen in a menu tracked with commandWindow().
    virtual void OnCommand(UINT) {}

private:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool handle(UINT message, WPARAM wParam);
    NOTIFYICONDATAW iconData(UINT flags) const;
    void add();
    bool notify(DWORD action, UINT flags);
    void showIcon(HICON icon);

    struct Balloon {
        std::wstring text, title;
        DWORD iconFlags;
        UINT timeoutSeconds;
    };
    void showBalloon(const Balloon& balloon);

    HWND m_parent = nullptr;
    UINT m_id = 0;
    UINT m_callbackMessage = 0;
    std::wstring m_tooltip;
    base::UniqueIcon m_icon;
    std::vector<base::UniqueIcon> m_frames;
    std::size_t m_frame = 0;
    bool m_animating = false;
    bool m_added = false;
    // Asked for before the icon was added, shown in turn once it is (the shell queues them).
    static constexpr std::size_t kMaxWaitingBalloons = 4;
    std::vector<Balloon> m_waitingBalloons;
    UINT m_taskbarCreated = 0;
};

}  // namespace kit
