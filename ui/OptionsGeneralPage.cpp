#include "ui/OptionsGeneralPage.h"

#include "ui/OptionsDlg.h"

#include <commctrl.h>

#include <array>

namespace ui {

namespace {

// Ids of res/resource.h.
constexpr UINT kPage = 190;
constexpr int kPaused = 1102;
constexpr int kExport = 1107;
constexpr int kImport = 1108;

// The numbers of the page: an edit box, its arrows, and the number they show.
struct NumberBox {
    int edit, arrows;
    const options::NumberInfo& info;
};
std::array<NumberBox, 2> numberBoxes() {
    const auto& numbers = options::allNumbers();
    return {{{1160, 1161, numbers[0]}, {1162, 1163, numbers[1]}}};
}

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
    for (const NumberBox& box : numberBoxes()) {
        SendDlgItemMessageW(hwnd(), box.arrows, UDM_SETRANGE32, box.info.least, box.info.most);
        SetDlgItemInt(hwnd(), box.edit, model().runs.*box.info.member, FALSE);
    }
}

// A number out of its range keeps the page open, saying what it may be.
bool COptionsGeneralPage::OnKillActive() {
    for (const NumberBox& box : numberBoxes()) {
        if (const std::optional<std::string> problem = options::numberProblem(box.info, ItemText(box.edit))) {
            Tell(*problem);
            SetFocus(GetDlgItem(hwnd(), box.edit));
            SendDlgItemMessageW(hwnd(), box.edit, EM_SETSEL, 0, -1);
            return false;
        }
    }
    for (const NumberBox& box : numberBoxes())
        model().runs.*box.info.member = GetDlgItemInt(hwnd(), box.edit, nullptr, FALSE);
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

}  // namespace ui
