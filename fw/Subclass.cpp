#include "Subclass.h"

#include "base/Barrier.h"

#include <optional>

namespace fw {

bool CSubclassedWindow::Subclass(HWND window) {
    Unsubclass();
    m_hWnd = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CSubclassedWindow::procedure)));
    if (m_original)
        return true;
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    m_hWnd = nullptr;
    return false;
}

void CSubclassedWindow::Unsubclass() {
    if (!m_hWnd)
        return;
    SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_original));
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    m_hWnd = nullptr;
}

// No exception unwinds through user32: a handler that throws gets the old procedure's answer.
LRESULT CALLBACK CSubclassedWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CSubclassedWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        const WNDPROC original = self->m_original;
        self->Unsubclass();
        return CallWindowProcW(original, window, message, wParam, lParam);
    }
    const std::optional<LRESULT> handled = base::Guarded("subclassed window procedure", std::optional<LRESULT>(),
                                                   [&] { return std::optional<LRESULT>(self->WindowProc(message, wParam, lParam)); });
    return handled ? *handled : self->CallOriginal(message, wParam, lParam);
}

}  // namespace fw
