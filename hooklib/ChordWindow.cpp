#include "hooklib/ChordWindow.h"

#include "hooklib/SharedState.h"
#include "base/Check.h"

namespace hooklib {

namespace {

const wchar_t kChordWindowClass[] = L"LatchkitChordWindow";

}  // namespace

// Without the listener the chord still hears of changes at its next poll.
CChordWnd::CChordWnd(Events events) : m_events(std::move(events)) {
    if (Create({kChordWindowClass, g_hLibrary}))
        CHECK_WIN32(AddClipboardFormatListener(hwnd()));
}

CChordWnd::~CChordWnd() {
    if (hwnd())
        RemoveClipboardFormatListener(hwnd());
    Destroy();
}

void CChordWnd::UnregisterClass() {
    UnregisterWindowClass(kChordWindowClass, g_hLibrary);
}

// A handler may end the chord, and with it this window and its events: each runs from a copy.
LRESULT CChordWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    std::function<void()> event;
    switch (message) {
    case WM_CLIPBOARDUPDATE:
        event = m_events.changed;
        break;
    case WM_RENDERALLFORMATS:
        event = m_events.renderAll;
        break;
    case WM_DESTROYCLIPBOARD:
        event = m_events.replaced;
        break;
    case WM_RENDERFORMAT:
        if (const std::function<void(UINT)> render = m_events.render)
            render(static_cast<UINT>(wParam));
        return 0;
    default:
        return fw::CMessageWindow::WindowProc(message, wParam, lParam);
    }
    if (!event)
        return fw::CMessageWindow::WindowProc(message, wParam, lParam);
    event();
    return 0;
}

}  // namespace hooklib
