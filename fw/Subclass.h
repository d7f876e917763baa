// Our own behaviour on a control: its window procedure is replaced for the object's life and
// every message we do not take goes to the procedure it had. The object and the old procedure
// ride in the window itself (GWLP_USERDATA, GWLP_WNDPROC). SetWindowSubclass keeps them in a
// window property instead, which under Wine costs a trip to the server for every message the
// control gets: a list read row by row would pay it thousands of times.
#pragma once

#include <windows.h>

namespace fw {

class CSubclassedWindow {
public:
    CSubclassedWindow() = default;
    virtual ~CSubclassedWindow() { Unsubclass(); }
    CSubclassedWindow(const CSubclassedWindow&) = delete;
    CSubclassedWindow& operator=(const CSubclassedWindow&) = delete;

    bool Subclass(HWND window);
    void Unsubclass();
    HWND hwnd() const { return m_hWnd; }

protected:
    // Messages of the window; the default passes them on.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
        return CallOriginal(message, wParam, lParam);
    }
    LRESULT CallOriginal(UINT message, WPARAM wParam, LPARAM lParam) {
        return CallWindowProcW(m_original, m_hWnd, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK procedure(HWND, UINT, WPARAM, LPARAM);
    HWND m_hWnd = nullptr;
    WNDPROC m_original = nullptr;
};

}  // namespace fw
