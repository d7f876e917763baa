// CNewCategoryDlg: asks for the name of a new user category. OK is taken only for a name that
// may be used (none of the store's categories, set before DoModal); the name is read after.
#pragma once

#include "fw/Dialog.h"

#include <string>
#include <vector>

namespace ui {

class CNewCategoryDlg : public fw::CDialog {
public:
    CNewCategoryDlg();
    std::wstring m_strName;
    std::vector<std::string> m_categories;  // the store's category names (UTF-8)

private:
    bool OnInitDialog() override;
    void OnOK() override;
};

}  // namespace ui
