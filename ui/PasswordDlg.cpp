#include "ui/PasswordDlg.h"

#include "ui/PasswordRules.h"
#include "base/Text.h"

#include <algorithm>
#include <vector>

namespace ui {

namespace {

// Ids of res/resource.h.
constexpr UINT kDialog = 1300;
constexpr int kPassword = 1301;
constexpr int kAgain = 1302;
constexpr int kAgainLabel = 1303;

// A password field's text; the buffer it passed through is cleared.
std::u16string fieldText(HWND field) {
    std::vector<wchar_t> buffer(ui::password::kMaxPasswordUnits + 1);
    const int length = GetWindowTextW(field, buffer.data(), static_cast<int>(buffer.size()));
    std::u16string text(buffer.begin(), buffer.begin() + std::max(length, 0));
    SecureZeroMemory(buffer.data(), buffer.size() * sizeof(wchar_t));
    return text;
}

void clear(std::u16string& text) {
    SecureZeroMemory(text.data(), text.size() * sizeof(char16_t));
}

}  // namespace

CPasswordDlg::CPasswordDlg(Kind kind) : fw::CDialog(kDialog), m_kind(kind) {}

CPasswordDlg::~CPasswordDlg() {
    SecureZeroMemory(m_password.data(), m_password.size());
}

std::optional<std::string> CPasswordDlg::Ask(HWND parent, Kind kind) {
    CPasswordDlg dialog(kind);
    if (dialog.DoModal(parent) != IDOK)
        return std::nullopt;
    return std::move(dialog.m_password);
}

bool CPasswordDlg::OnInitDialog() {
    for (const int field : {kPassword, kAgain})
        SendMessageW(item(field), EM_LIMITTEXT, ui::password::kMaxPasswordUnits, 0);
    if (m_kind == Kind::Existing) {
        SetWindowTextW(hwnd(), L"打开受密码保护的存档");
        ShowWindow(item(kAgain), SW_HIDE);
        ShowWindow(item(kAgainLabel), SW_HIDE);
    }
    // It comes after a file dialog or a message: in front, so that what the user types goes here.
    SetForegroundWindow(hwnd());
    SetFocus(item(kPassword));
    return false;  // the focus is set
}

void CPasswordDlg::OnOK() {
    std::u16string first = fieldText(item(kPassword));
    std::u16string again = m_kind == Kind::New ? fieldText(item(kAgain)) : first;
    const std::optional<std::string> problem =
        m_kind == Kind::New ? ui::password::newPasswordProblem(first, again) : ui::password::givenPasswordProblem(first);
    if (problem) {
        clear(first);
        clear(again);
        MessageBoxW(hwnd(), base::toWide(*problem).c_str(), L"Dravix", MB_OK | MB_ICONEXCLAMATION);
        SetFocus(item(kPassword));
        return;
    }
    m_password = base::toUtf8(std::wstring_view(reinterpret_cast<const wchar_t*>(first.data()), first.size()));
    clear(first);
    clear(again);
    clearFields();
    EndDialog(IDOK);
}

void CPasswordDlg::OnCancel() {
    clearFields();
    EndDialog(IDCANCEL);
}

void CPasswordDlg::clearFields() {
    SetDlgItemTextW(hwnd(), kPassword, L"");
    SetDlgItemTextW(hwnd(), kAgain, L"");
}

}  // namespace ui
