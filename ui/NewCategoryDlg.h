// CNewCategoryDlg: asks for the name of a new user category. OK is taken only for a name that
// may be used; the name is read after DoModal.
#pragma once

#include "fw/Dialog.h"

#include <string>

class CNewCategoryDlg : public fw::CDialog {
public:
    CNewCategoryDlg();
    std::wstring m_strName;

private:
    bool OnInitDialog() override;
    void OnOK() override;
};
