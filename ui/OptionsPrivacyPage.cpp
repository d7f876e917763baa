#include "ui/OptionsPrivacyPage.h"

#include "ui/OptionsDlg.h"
#include "ui/RunningPrograms.h"
#include "store/TimeStamp.h"
#include "base/Text.h"
#include "fw/Controls.h"

#include <algorithm>

namespace ui {

namespace {

// Ids of res/resource.h.
constexpr UINT kPage = 193;
constexpr int kList = 1150;
constexpr int kPath = 1151;
constexpr int kAdd = 1152;
constexpr int kPick = 1153;
constexpr int kRemove = 1154;
constexpr int kSealStore = 1304;
constexpr int kSkipSecrets = 1305;
constexpr std::initializer_list<COptionsPage::SwitchBox> kBoxes = {
    {kSealStore, &options::Switches::sealStore},
    {kSkipSecrets, &options::Switches::skipSecrets},
};

}  // namespace

COptionsPrivacyPage::COptionsPrivacyPage(COptionsDlg& dialog) : COptionsPage(kPage, dialog) {}

bool COptionsPrivacyPage::OnInitDialog() {
    const fw::CListView list(item(kList));
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    RECT area = {};
    GetClientRect(list.hwnd(), &area);
    const int timeWidth = MulDiv(130, static_cast<int>(area.right), 460);
    list.InsertColumn(0, L"程序", std::max(100, static_cast<int>(area.right) - timeWidth - GetSystemMetrics(SM_CXVSCROLL)));
    list.InsertColumn(1, L"加入时间", timeWidth);
    return COptionsPage::OnInitDialog();
}

void COptionsPrivacyPage::Load() {
    const fw::CListView list(item(kList));
    ListView_DeleteAllItems(list.hwnd());
    const std::vector<options::ExcludedProgram>& programs = model().excludedPrograms;
    for (std::size_t i = 0; i < programs.size(); ++i) {
        const int row = list.InsertItem(static_cast<int>(i), base::toWide(programs[i].path), 0);
        list.SetItemText(row, 1, base::toWide(programs[i].added));
    }
    selectRow(0);
    EnableItem(kRemove, !programs.empty(), kList);
    ShowSwitches(kBoxes);
}

bool COptionsPrivacyPage::OnKillActive() {
    TakeSwitches(kBoxes);
    return true;
}

// A row selected and focused, so that "删除" and the keys act on it.
void COptionsPrivacyPage::selectRow(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= model().excludedPrograms.size())
        return;
    ListView_SetItemState(item(kList), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void COptionsPrivacyPage::addProgram(const std::string& path) {
    if (const std::optional<std::string> problem =
            options::addExcludedProgram(model().excludedPrograms, path, store::currentTimeStamp())) {
        Tell(*problem);
        return;
    }
    Load();
    selectRow(static_cast<int>(model().excludedPrograms.size()) - 1);
    SetDlgItemTextW(hwnd(), kPath, L"");
}

void COptionsPrivacyPage::removeSelected() {
    const int row = fw::CListView(item(kList)).GetNextItem(-1, LVNI_SELECTED);
    std::vector<options::ExcludedProgram>& programs = model().excludedPrograms;
    if (row < 0 || static_cast<std::size_t>(row) >= programs.size())
        return;
    programs.erase(programs.begin() + row);
    Load();
    selectRow(std::min(row, static_cast<int>(programs.size()) - 1));
}

bool COptionsPrivacyPage::OnCommand(int id, int code, HWND control) {
    if (code != BN_CLICKED)
        return COptionsPage::OnCommand(id, code, control);
    switch (id) {
    case kAdd:
        addProgram(ItemText(kPath));
        return true;
    case kPick: {
        const std::wstring path = ui::running::pickProgram(control);
        if (!path.empty())
            addProgram(base::toUtf8(path));
        return true;
    }
    case kRemove:
        removeSelected();
        return true;
    default:
        return COptionsPage::OnCommand(id, code, control);
    }
}

}  // namespace ui
