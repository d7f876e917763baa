// The 粘贴 page of the options dialog: the user's paste-key rules (PasteKeys) in a list to add,
// change and remove, with the built-in rules after them, greyed and kept as they are.
#pragma once

#include "ui/OptionsPage.h"

namespace ui {

class COptionsPastePage : public COptionsPage {
public:
    explicit COptionsPastePage(COptionsDlg& dialog);
    void Load() override;

private:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR& header, LRESULT& result) override;
    // The user's rule in the selected row; -1 for none or a built-in one.
    int selectedRule() const;
    void selectionChanged();
    void putRule(int replacing);
    void removeRule();
};

}  // namespace ui
