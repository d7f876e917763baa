#include "ui/NewCategoryDlg.h"

#include "ui/CategoryRules.h"
#include "xml/XmlText.h"
#include "base/Text.h"
#include "fw/Window.h"

namespace ui {

using xml::utf8ToUtf16;

namespace {

constexpr UINT kDialog = 172;
constexpr int kNameEdit = 1014;

}  // namespace

CNewCategoryDlg::CNewCategoryDlg() : fw::CDialog(kDialog) {}

bool CNewCategoryDlg::OnInitDialog() {
    SetDlgItemTextW(hwnd(), kNameEdit, m_strName.c_str());
    return true;
}

void CNewCategoryDlg::OnOK() {
    const std::wstring name = fw::windowText(item(kNameEdit));
    std::vector<std::u16string> stored;
    for (const std::string& existing : m_categories)
        stored.push_back(utf8ToUtf16(existing));
    switch (ui::category::checkName(base::toUtf16(name), stored)) {
    case ui::category::NameProblem::Taken:
        MessageBoxW(hwnd(), L"The name already exisit.", nullptr, MB_OK);
        return;
    case ui::category::NameProblem::TooLong:
        MessageBoxW(hwnd(), L"分类名称太长，最多可用 255 个字符。", nullptr, MB_OK | MB_ICONEXCLAMATION);
        return;
    case ui::category::NameProblem::None:
        break;
    }
    m_strName = name;
    EndDialog(IDOK);
}

}  // namespace ui
