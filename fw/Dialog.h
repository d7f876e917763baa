// The dialog base: one static dialog procedure binds `this` at WM_INITDIALOG and decodes each
// message once into a typed virtual handler. WM_NOTIFY results are written to DWLP_MSGRESULT
// here, not by each handler; no exception unwinds through user32.
#pragma once

#include <windows.h>

namespace fw {

class CDialog {
public:
    explicit CDialog(UINT templateId) : m_templateId(templateId) {}
    virtual ~CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    INT_PTR DoModal(HWND parent = nullptr);
    HWND hwnd() const { return m_hWnd; }
    UINT templateId() const { return m_templateId; }
    HWND item(int id) const { return GetDlgItem(m_hWnd, id); }
    void EndDialog(INT_PTR result) { ::EndDialog(m_hWnd, result); }

protected:
    // The default decodes the message and calls the typed handlers; `result` is what the dialog
    // procedure reports (DWLP_MSGRESULT for notifications). Returns whether it was handled.
    virtual bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    virtual bool OnInitDialog() { return true; }
    virtual bool OnCommand(int id, int code, HWND control);
    // Mutable: display-info and tooltip notifications are filled in place.
    virtual bool OnNotify(NMHDR&, LRESULT&) { return false; }
    virtual bool OnSize(UINT, int, int) { return false; }
    virtual bool OnTimer(UINT_PTR) { return false; }
    virtual bool OnPaint() { return false; }
    virtual bool OnContextMenu(HWND, POINT) { return false; }
    virtual bool OnClose() { return false; }
    virtual void OnDestroy() {}
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    HINSTANCE instance() const { return GetModuleHandleW(nullptr); }

    // The work of the dialog procedure, for dialogs that others create (property sheet pages):
    // `binding` is the object to bind at WM_INITDIALOG (null for every other message).
    static INT_PTR dispatch(CDialog* binding, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    HWND m_hWnd = nullptr;
};

}  // namespace fw
