#include "ui/OptionsGeneralPage.h"

#include "ui/OptionsDlg.h"

namespace {

// Ids of res/resource.h.
constexpr UINT kPage = 190;
constexpr int kPaused = 1102;
constexpr int kExport = 1107;
constexpr int kImport = 1108;

constexpr std::initializer_list<COptionsPage::SwitchBox> kBoxes = {
    {1100, &options::Switches::startWithWindows}, {1101, &options::Switches::alwaysOnTop},
    {1103, &options::Switches::restoreClipboard}, {1104, &options::Switches::restoreLastRun},
    {1105, &options::Switches::makeRoomWhenFull}, {1106, &options::Switches::queueOnCopy},
};

}  // namespace

COptionsGeneralPage::COptionsGeneralPage(COptionsDlg& dialog) : COptionsPage(kPage, dialog) {}

void COptionsGeneralPage::Load() {
    ShowSwitches(kBoxes);
    CheckDlgButton(hwnd(), kPaused, dialog().m_bPaused ? BST_CHECKED : BST_UNCHECKED);
}

bool COptionsGeneralPage::OnKillActive() {
    TakeSwitches(kBoxes);
    dialog().m_bPaused = IsDlgButtonChecked(hwnd(), kPaused) == BST_CHECKED;
    return true;
}

bool COptionsGeneralPage::OnCommand(int id, int code, HWND control) {
    if (code == BN_CLICKED && id == kExport) {
        dialog().ExportOptions(hwnd());
        return true;
    }
    if (code == BN_CLICKED && id == kImport) {
        dialog().ImportOptions(hwnd());
        return true;
    }
    return COptionsPage::OnCommand(id, code, control);
}
