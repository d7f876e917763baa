// A modal property sheet of our pages (PropertySheetW with PSH_PROPSHEETPAGE pages): each page is
// a CDialog with its typed handlers, made by the sheet when it is first shown. When the user
// presses OK, the active page takes its controls' values and the sheet's OnOK decides, before any
// page hears of it: either may keep the sheet open.
#pragma once

#include "fw/Dialog.h"
#include "fw/Subclass.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace fw {

class CPropertySheet;

class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(UINT templateId) : CDialog(templateId) {}
    // Leaving the page, and at OK: the controls' values taken into the data; false keeps the page
    // (the page has told the user why).
    virtual bool OnKillActive() { return true; }

protected:
    bool OnNotify(NMHDR& header, LRESULT& result) override;
    // OK and Cancel are the sheet's: a page never ends itself.
    bool OnCommand(int id, int code, HWND control) override;
    CPropertySheet* sheet() const { return m_pSheet; }

private:
    friend class CPropertySheet;
    static INT_PTR CALLBACK pageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    CPropertySheet* m_pSheet = nullptr;
};

class CPropertySheet : public CSubclassedWindow {
public:
    explicit CPropertySheet(std::wstring caption) : m_caption(std::move(caption)) {}
    // In the order of the tabs; the pages outlive DoModal.
    void AddPage(CPropertyPage& page);
    // IDOK when the user pressed OK, IDCANCEL otherwise.
    INT_PTR DoModal(HWND parent, int startPage = 0);
    void SetActivePage(int index) const;
    // The page on show; null before the sheet is up.
    CPropertyPage* ActivePage() const;

protected:
    // OK was pressed and the active page took its values: false keeps the sheet open.
    virtual bool OnOK() { return true; }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    friend class CPropertyPage;
    std::wstring m_caption;
    std::vector<CPropertyPage*> m_pages;
};

}  // namespace fw
