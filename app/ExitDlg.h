// CExitDlg: asked when the main window is closed: minimise to the tray, or exit.
#pragma once

#include "fw/Dialog.h"

class CExitDlg : public fw::CDialog {
public:
    CExitDlg();
    bool m_bExitChosen = false;

private:
    bool OnInitDialog() override;
    void OnOK() override;
};
