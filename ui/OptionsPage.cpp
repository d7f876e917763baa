#include "ui/OptionsPage.h"

#include "ui/OptionsDlg.h"
#include "base/Text.h"
#include "fw/Window.h"

namespace ui {

bool COptionsPage::OnInitDialog() {
    Load();
    return true;
}

options::Options& COptionsPage::model() const {
    return m_dialog.m_options;
}

int COptionsPage::Tell(const std::string& text, UINT flags) const {
    return m_dialog.Tell(hwnd(), text, flags);
}

std::string COptionsPage::ItemText(int id) const {
    return base::toUtf8(fw::windowText(item(id)));
}

void COptionsPage::ShowSwitches(SwitchBoxes boxes) const {
    for (const SwitchBox& box : boxes)
        CheckDlgButton(hwnd(), box.id, model().switches.*box.member ? BST_CHECKED : BST_UNCHECKED);
}

void COptionsPage::TakeSwitches(SwitchBoxes boxes) const {
    for (const SwitchBox& box : boxes)
        model().switches.*box.member = IsDlgButtonChecked(hwnd(), box.id) == BST_CHECKED;
}

void COptionsPage::EnableItem(int id, bool enable, int focusInstead) const {
    if (!enable && GetFocus() == item(id))
        SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(focusInstead)), TRUE);
    EnableWindow(item(id), enable);
}

}  // namespace ui
