#include "fw/PropertySheet.h"

#include "base/Barrier.h"
#include "base/Check.h"
#include "base/Handle.h"
#include "base/Trace.h"

namespace fw {

namespace {

// The sheet whose modal loop runs on this thread.
thread_local const CPropertySheet* t_modalSheet = nullptr;

bool isPageKey(const MSG& message) {
    return message.message == WM_KEYDOWN && (GetKeyState(VK_CONTROL) & 0x8000) &&
           (message.wParam == VK_TAB || message.wParam == VK_PRIOR || message.wParam == VK_NEXT);
}

// A page changed by the keys: Wine leaves the focus on the control of the page left, now hidden,
// where Tab and the access keys go on acting on that page. It goes to the first control of the
// page shown (the tab control when it has none), as on Windows.
void focusOnShownPage(HWND sheet) {
    const HWND focus = GetFocus();
    if (focus && IsWindowVisible(focus))
        return;
    const HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    const HWND first = page ? GetNextDlgTabItem(page, nullptr, FALSE) : nullptr;
    SendMessageW(sheet, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first ? first : PropSheet_GetTabControl(sheet)), TRUE);
}

// Ctrl+Tab, Ctrl+Shift+Tab and Ctrl+PgUp/PgDn change pages. Windows' modal sheet asks itself
// before the dialog manager; Wine's runs a plain dialog loop. The dialog manager hands each
// message to the thread's message filter first, so the sheet is asked there.
LRESULT CALLBACK pageKeys(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    const HWND sheet = t_modalSheet ? t_modalSheet->hwnd() : nullptr;
    const bool taken = base::Guarded("page keys", false, [&] {
        if (code != MSGF_DIALOGBOX || !sheet || !isPageKey(*message) || (message->hwnd != sheet && !IsChild(sheet, message->hwnd)) ||
            !PropSheet_IsDialogMessage(sheet, message))
            return false;
        focusOnShownPage(sheet);
        return true;
    });
    return taken ? TRUE : CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

bool CPropertyPage::OnNotify(NMHDR& header, LRESULT& result) {
    switch (header.code) {
    case PSN_KILLACTIVE:
        result = OnKillActive() ? FALSE : TRUE;
        return true;
    case PSN_APPLY:
        result = PSNRET_NOERROR;
        return true;
    default:
        return false;
    }
}

bool CPropertyPage::OnCommand(int id, int code, HWND control) {
    return id != IDOK && id != IDCANCEL && CDialog::OnCommand(id, code, control);
}

// The sheet's window is the page's parent: the first page made subclasses it, so that OK is seen
// before the sheet acts on it.
INT_PTR CALLBACK CPropertyPage::pageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CPropertyPage* binding = nullptr;
    if (message == WM_INITDIALOG) {
        binding = reinterpret_cast<CPropertyPage*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
        CPropertySheet* sheet = binding->m_pSheet;
        if (!sheet->hwnd())
            sheet->Subclass(GetParent(window));
    }
    return dispatch(binding, window, message, wParam, lParam);
}

void CPropertySheet::AddPage(CPropertyPage& page) {
    page.m_pSheet = this;
    m_pages.push_back(&page);
}

INT_PTR CPropertySheet::DoModal(HWND parent, int startPage) {
    std::vector<PROPSHEETPAGEW> pages(m_pages.size());
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        pages[i].dwSize = sizeof pages[i];
        pages[i].hInstance = GetModuleHandleW(nullptr);
        pages[i].pszTemplate = MAKEINTRESOURCEW(m_pages[i]->templateId());
        pages[i].pfnDlgProc = CPropertyPage::pageProc;
        pages[i].lParam = reinterpret_cast<LPARAM>(m_pages[i]);
    }
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP;
    header.hwndParent = parent;
    header.hInstance = GetModuleHandleW(nullptr);
    header.pszCaption = m_caption.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = static_cast<UINT>(startPage);
    header.ppsp = pages.data();
    const CPropertySheet* const outer = t_modalSheet;
    t_modalSheet = this;
    const base::UniqueHook keys(CHECK_WIN32(SetWindowsHookExW(WH_MSGFILTER, pageKeys, nullptr, GetCurrentThreadId())));
    const INT_PTR result = PropertySheetW(&header);
    t_modalSheet = outer;
    CHECK_WIN32(result >= 0);
    Unsubclass();
    return result > 0 ? IDOK : IDCANCEL;
}

void CPropertySheet::SetActivePage(int index) const {
    PropSheet_SetCurSel(hwnd(), nullptr, index);
}

CPropertyPage* CPropertySheet::ActivePage() const {
    HWND shown = hwnd() ? PropSheet_GetCurrentPageHwnd(hwnd()) : nullptr;
    for (CPropertyPage* page : m_pages)
        if (shown && page->hwnd() == shown)
            return page;
    return nullptr;
}

LRESULT CPropertySheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
        CPropertyPage* page = ActivePage();
        if ((page && !page->OnKillActive()) || !OnOK())
            return 0;
    }
    return CallOriginal(message, wParam, lParam);
}

}  // namespace fw
