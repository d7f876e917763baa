// Our own behaviour on a window, the one way the program subclasses. The window's procedure is
// replaced once by ours, which hands each message to the newest of our objects on that window;
// every message an object does not take goes on to the next older one and then to the procedure
// the window had (CallOriginal). An object goes with its destructor or at WM_NCDESTROY, whichever
// comes first; when another subclass was put on after ours, our procedure stays in its chain and
// passes everything on, so that neither is cut off. A handler that throws is contained.
// Nothing is read from the window per message (the system's SetWindowSubclass reads a window
// property for each one, which under Wine is a round trip to the server).
#pragma once

#include <windows.h>

namespace fw {

class CSubclassedWindow {
public:
    CSubclassedWindow() = default;
    virtual ~CSubclassedWindow() { Unsubclass(); }
    CSubclassedWindow(const CSubclassedWindow&) = delete;
    CSubclassedWindow& operator=(const CSubclassedWindow&) = delete;

    // A window of this process, from its own thread.
    bool Subclass(HWND window);
    void Unsubclass();
    HWND hwnd() const { return m_hWnd; }

protected:
    // Messages of the window; the default passes them on.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
        return CallOriginal(message, wParam, lParam);
    }
    // The next older subclass of ours on the window, else the procedure the window had.
    LRESULT CallOriginal(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK procedure(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_hWnd = nullptr;
};

}  // namespace fw
