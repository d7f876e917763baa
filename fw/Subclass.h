// Our own behaviour on a window, the one way the program subclasses: SetWindowSubclass with the
// object as its reference data, so that subclasses added before or after ours (by the common
// controls, by another program's hook) stay in the chain whatever order they go in. Every message
// we do not take goes on down the chain (DefSubclassProc); the subclass is removed with the
// object or at WM_NCDESTROY, whichever comes first. A handler that throws is contained.
#pragma once

#include <windows.h>
#include <commctrl.h>

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
        return DefSubclassProc(m_hWnd, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK procedure(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    HWND m_hWnd = nullptr;
};

}  // namespace fw
