// CChordWnd: the hook library's hidden window in the thread that carries out a chord. While the
// chord waits for the copy it asked the target for, it hears of every clipboard change at once (a
// format listener); while a pasted clip is offered with its data rendered on request, it owns the
// clipboard and is asked for that data (WM_RENDERFORMAT), so the library sees the target read it.
#pragma once

#include "fw/MessageWindow.h"

#include <windows.h>

#include <functional>

namespace hooklib {

class CChordWnd : private fw::CMessageWindow {
public:
    struct Events {
        std::function<void()> changed;       // the clipboard changed
        std::function<void(UINT)> render;    // a format is asked for; the clipboard is open for it
        std::function<void()> renderAll;     // the window goes while it owns the clipboard
        std::function<void()> replaced;      // the clipboard was emptied: no longer the owner
    };
    // A message-only window of this thread; hwnd() is null when it could not be made.
    explicit CChordWnd(Events events);
    // The window goes while the events still reach their handlers.
    ~CChordWnd() override;

    using fw::CMessageWindow::hwnd;
    // The window class goes with the library.
    static void UnregisterClass();

private:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    Events m_events;
};

}  // namespace hooklib
