#include "fw/Dialog.h"

#include "base/Barrier.h"

#include <windowsx.h>

namespace fw {

INT_PTR CDialog::DoModal(HWND parent) {
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), parent, dialogProc,
                           reinterpret_cast<LPARAM>(this));
}

bool CDialog::OnCommand(int id, int, HWND) {
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

bool CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_INITDIALOG:
        result = OnInitDialog() ? TRUE : FALSE;
        return true;
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<NMHDR*>(lParam), result);
    case WM_SIZE:
        return OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
    case WM_TIMER:
        return OnTimer(wParam);
    case WM_PAINT:
        return OnPaint();
    case WM_CONTEXTMENU:
        return OnContextMenu(reinterpret_cast<HWND>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_CLOSE:
        return OnClose();
    case WM_DESTROY:
        OnDestroy();
        return false;
    default:
        return false;
    }
}

INT_PTR CALLBACK CDialog::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return dispatch(message == WM_INITDIALOG ? reinterpret_cast<CDialog*>(lParam) : nullptr, window, message, wParam, lParam);
}

INT_PTR CDialog::dispatch(CDialog* binding, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG && binding) {
        binding->m_hWnd = window;
        SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(binding));
    }
    auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog)
        return FALSE;
    LRESULT result = 0;
    const bool handled =
        base::Guarded("dialog procedure", false, [&] { return dialog->WindowProc(message, wParam, lParam, result); });
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, DWLP_USER, 0);
        dialog->m_hWnd = nullptr;
    }
    if (!handled)
        return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        return static_cast<INT_PTR>(result);
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_QUERYDRAGICON:
        return static_cast<INT_PTR>(result);
    default:
        SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
        return TRUE;
    }
}

}  // namespace fw
