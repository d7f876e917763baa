#include "fw/Subclass.h"

#include "base/Barrier.h"
#include "base/Check.h"

#include <commctrl.h>

#include <optional>

namespace fw {

// The object's address is the subclass id too: two objects may subclass one window.
bool CSubclassedWindow::Subclass(HWND window) {
    Unsubclass();
    if (!CHECK_WIN32(SetWindowSubclass(window, procedure, reinterpret_cast<UINT_PTR>(this),
                                       reinterpret_cast<DWORD_PTR>(this))))
        return false;
    m_hWnd = window;
    return true;
}

void CSubclassedWindow::Unsubclass() {
    if (!m_hWnd)
        return;
    RemoveWindowSubclass(m_hWnd, procedure, reinterpret_cast<UINT_PTR>(this));
    m_hWnd = nullptr;
}

// No exception unwinds through user32: a handler that throws gets the next procedure's answer.
LRESULT CALLBACK CSubclassedWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR reference) {
    auto* self = reinterpret_cast<CSubclassedWindow*>(reference);
    if (message == WM_NCDESTROY) {
        self->Unsubclass();
        return DefSubclassProc(window, message, wParam, lParam);
    }
    const std::optional<LRESULT> handled = base::Guarded("subclass procedure", std::optional<LRESULT>(), [&] {
        return std::optional<LRESULT>(self->WindowProc(message, wParam, lParam));
    });
    return handled ? *handled : DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace fw
