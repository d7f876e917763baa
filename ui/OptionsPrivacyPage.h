// The 隐私 page of the options dialog: the programs whose copies are never recorded, each with the
// time it was added, to add (a path typed, or a running program picked) and remove; below it the
// switches "加密保存的记录" and "不记录看起来像密钥的内容".
#pragma once

#include "ui/OptionsPage.h"

namespace ui {

class COptionsPrivacyPage : public COptionsPage {
public:
    explicit COptionsPrivacyPage(COptionsDlg& dialog);
    void Load() override;

private:
    bool OnInitDialog() override;
    bool OnKillActive() override;
    bool OnCommand(int id, int code, HWND control) override;
    void addProgram(const std::string& path);
    void removeSelected();
    void selectRow(int row) const;
};

}  // namespace ui
