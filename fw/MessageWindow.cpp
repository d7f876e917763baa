#include "fw/MessageWindow.h"

#include "base/Barrier.h"
#include "base/Check.h"

#include <optional>

namespace fw {

CMessageWindow::~CMessageWindow() {
    if (!m_hWnd)
        return;
    HWND window = m_hWnd;
    unbind();
    DestroyWindow(window);
}

bool CMessageWindow::RegisterWindowClass(const wchar_t* className, HINSTANCE instance) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExW(instance, className, &windowClass)) {
        if (windowClass.lpfnWndProc == procedure)
            return true;
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);  // a class of that name that is not ours
        return CHECK_WIN32(false);
    }
    windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = className;
    // Another thread may have registered it since the look.
    return RegisterClassExW(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS || CHECK_WIN32(false);
}

void CMessageWindow::UnregisterWindowClass(const wchar_t* className, HINSTANCE instance) {
    UnregisterClassW(className, instance);
}

bool CMessageWindow::Create(const Params& params) {
    Destroy();
    HINSTANCE instance = params.instance ? params.instance : GetModuleHandleW(nullptr);
    if (!RegisterWindowClass(params.className, instance))
        return false;
    // WM_NCCREATE binds the window (m_hWnd) before CreateWindowExW returns.
    return CHECK_WIN32(CreateWindowExW(params.exStyle, params.className, L"", params.style, 0, 0, 0, 0, params.parent,
                                       nullptr, instance, this)) != nullptr;
}

void CMessageWindow::Destroy() {
    if (m_hWnd)
        CHECK_WIN32(DestroyWindow(m_hWnd));
}

void CMessageWindow::unbind() {
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    m_hWnd = nullptr;
}

// Messages before WM_NCCREATE (a top-level window's WM_GETMINMAXINFO) and after WM_NCDESTROY
// find no object and get the default answer.
LRESULT CALLBACK CMessageWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = static_cast<CMessageWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        created->m_hWnd = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* self = reinterpret_cast<CMessageWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    const std::optional<LRESULT> handled = base::Guarded("window procedure", std::optional<LRESULT>(), [&] {
        return std::optional<LRESULT>(self->WindowProc(message, wParam, lParam));
    });
    const LRESULT result = handled ? *handled : DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        self->unbind();
        base::Guarded("window's final message", [&] { self->OnFinalMessage(); });
    }
    return result;
}

}  // namespace fw
