#include "app/ExitDlg.h"

#include "resource.h"

namespace app {

CExitDlg::CExitDlg() : fw::CDialog(IDD_EXIT) {}

bool CExitDlg::OnInitDialog() {
    CheckRadioButton(hwnd(), IDC_EXIT_TO_TRAY, IDC_EXIT_PROGRAM, IDC_EXIT_TO_TRAY);
    return true;
}

void CExitDlg::OnOK() {
    m_bExitChosen = IsDlgButtonChecked(hwnd(), IDC_EXIT_PROGRAM) == BST_CHECKED;
    EndDialog(IDOK);
}

}  // namespace app
