#include "ui/OptionsPage.h"

#include "ui/OptionsDlg.h"
#include "base/Text.h"
#include "fw/Window.h"

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

void COptionsPage::EnableItem(int id, bool enable, int focusInstead) const {
    if (!enable && GetFocus() == item(id))
        SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(focusInstead)), TRUE);
    EnableWindow(item(id), enable);
}
