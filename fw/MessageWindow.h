// The one window base for the hidden windows of ours that exist to take messages (a tray icon's
// window, a message-only window of a thread, the owner of a popup menu): its class is registered
// once per module (a class that exists already is fine), `this` is bound at WM_NCCREATE, before
// any handler runs, and unbound at WM_NCDESTROY; every message is handled inside the barrier
// (base::Guarded); the window belongs to the object and goes with it.
#pragma once

#include <windows.h>

namespace fw {

class CMessageWindow {
public:
    struct Params {
        const wchar_t* className = nullptr;
        HINSTANCE instance = nullptr;  // the module the class belongs to (null: the program's)
        HWND parent = HWND_MESSAGE;    // HWND_MESSAGE: a message-only window; null: a top-level one
        DWORD style = 0;
        DWORD exStyle = 0;
    };

    CMessageWindow() = default;
    // Unbinds first: a window still there when the object goes hears nothing more of it. A class
    // whose handlers must see the window's last messages destroys it in its own destructor.
    virtual ~CMessageWindow();
    CMessageWindow(const CMessageWindow&) = delete;
    CMessageWindow& operator=(const CMessageWindow&) = delete;

    // The window, made in the calling thread (which must destroy it too); false, reported, when
    // its class could not be registered or the window not made. A window made before goes first.
    bool Create(const Params& params);
    // The window goes now (its handlers see WM_DESTROY and WM_NCDESTROY).
    void Destroy();
    HWND hwnd() const { return m_hWnd; }

    // The class, registered with this base's procedure unless the module has it already.
    static bool RegisterWindowClass(const wchar_t* className, HINSTANCE instance);
    // A class of a library goes with the library: a later library at the same address must not
    // meet a class whose procedure is gone.
    static void UnregisterWindowClass(const wchar_t* className, HINSTANCE instance);

protected:
    // Messages of the window; the default passes them to DefWindowProcW. A handler that throws
    // is contained, and the message then gets DefWindowProcW's answer.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcW(m_hWnd, message, wParam, lParam);
    }
    // After the window's last message, once it is unbound: an object that belongs to its window
    // may delete itself here.
    virtual void OnFinalMessage() {}

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void unbind();

    HWND m_hWnd = nullptr;
};

}  // namespace fw
