// CClipTrayIcon: the program's icon in the notification area, animated while recording runs,
// still while paused; a double click shows the main window, minimising hides it here.
#pragma once

#include "TrayIcon.h"

// What the tray asks of the main window.
class TrayOwner {
public:
    virtual ~TrayOwner() = default;
    virtual bool isPaused() const = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    virtual void RequestExit() = 0;
};

class CClipTrayIcon : public kit::CTrayIcon {
public:
    static constexpr UINT kTrayId = 146;
    static constexpr UINT kNotifyMessage = 0x273D;

    explicit CClipTrayIcon(TrayOwner& owner) : m_owner(owner) {}

    // Creates the icon with its animation; `main` is the window it shows and hides.
    void CreateFor(HWND main);
    void SetMainWindow(HWND main) { m_hMainWnd = main; }
    void HideToTray();
    void ShowPaused(bool paused);

    LRESULT OnTrayNotification(WPARAM id, LPARAM mouseMessage) override;
    void OnCommand(UINT command) override;

    // The start-with-Windows value under HKLM\...\Run.
    static bool IsAutoRun(const wchar_t* valueName);
    static bool SetAutoRun(bool on, const wchar_t* valueName);

private:
    void showMainWindow(bool foreground);
    LRESULT showMenu();
    static void traceMenu(HMENU popup);

    TrayOwner& m_owner;
    HWND m_hMainWnd = nullptr;
    int m_bAlwaysOnTop = 0;
};
