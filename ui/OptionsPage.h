// A page of the options dialog: it shows its part of the dialog's options (Load, also after an
// import) and takes its controls' values back when it is left or OK is pressed (OnKillActive).
#pragma once

#include "options/Options.h"
#include "fw/PropertySheet.h"

#include <initializer_list>
#include <string>

namespace ui {

class COptionsDlg;

class COptionsPage : public fw::CPropertyPage {
public:
    COptionsPage(UINT templateId, COptionsDlg& dialog) : fw::CPropertyPage(templateId), m_dialog(dialog) {}
    virtual void Load() = 0;

    // A check box of a page and the switch of the model it shows.
    struct SwitchBox {
        int id;
        bool options::Switches::*member;
    };
    using SwitchBoxes = std::initializer_list<SwitchBox>;

protected:
    bool OnInitDialog() override;
    options::Options& model() const;
    COptionsDlg& dialog() const { return m_dialog; }
    // A message box of the dialog over this page; what MessageBoxW answers.
    int Tell(const std::string& text, UINT flags = MB_OK | MB_ICONWARNING) const;
    // The text of a control, UTF-8.
    std::string ItemText(int id) const;
    // A control enabled or not; one that had the focus hands it to `focusInstead` first (a
    // disabled control keeps no keys: Esc and the access keys would go nowhere).
    void EnableItem(int id, bool enable, int focusInstead) const;
    // Check boxes of the page that show switches of the model: shown, and taken back.
    void ShowSwitches(SwitchBoxes boxes) const;
    void TakeSwitches(SwitchBoxes boxes) const;

private:
    COptionsDlg& m_dialog;
};

}  // namespace ui
