// The 常规 page of the options dialog: the switches (start with Windows, always on top, pause, and
// those of the clipboard), how many earlier runs are kept, and the buttons that export and import
// every option.
#pragma once

#include "ui/OptionsPage.h"

namespace ui {

class COptionsGeneralPage : public COptionsPage {
public:
    explicit COptionsGeneralPage(COptionsDlg& dialog);
    void Load() override;
    bool OnKillActive() override;

private:
    bool OnCommand(int id, int code, HWND control) override;
};

}  // namespace ui
