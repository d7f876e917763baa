// CExitDlg: asked when the main window is closed: minimise to the tray, or exit.
#pragma once

#include "fw/Dialog.h"

namespace app {

class CExitDlg : public fw::CDialog {
public:
    CExitDlg();
    bool m_bExitChosen = false;

private:
    bool OnInitDialog() override;
    void OnOK() override;
};

}  // namespace app
