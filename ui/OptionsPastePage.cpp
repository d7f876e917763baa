#include "ui/OptionsPastePage.h"

#include "ui/OptionsDlg.h"
#include "base/Text.h"
#include "fw/Controls.h"

#include <algorithm>

namespace ui {

namespace {

// Ids of res/resource.h.
constexpr UINT kPage = 192;
constexpr int kList = 1140;
constexpr int kMatch = 1141;
constexpr int kKeys = 1142;
constexpr int kAdd = 1143;
constexpr int kChange = 1144;
constexpr int kRemove = 1145;

}  // namespace

COptionsPastePage::COptionsPastePage(COptionsDlg& dialog) : COptionsPage(kPage, dialog) {}

bool COptionsPastePage::OnInitDialog() {
    const fw::CListView list(item(kList));
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    RECT area = {};
    GetClientRect(list.hwnd(), &area);
    const int width = std::max(200, static_cast<int>(area.right) - GetSystemMetrics(SM_CXVSCROLL));
    list.InsertColumn(0, L"窗口类或程序", width * 5 / 10);
    list.InsertColumn(1, L"粘贴键", width * 3 / 10);
    list.InsertColumn(2, L"来源", width * 2 / 10);
    return COptionsPage::OnInitDialog();
}

void COptionsPastePage::Load() {
    const fw::CListView list(item(kList));
    ListView_DeleteAllItems(list.hwnd());
    int row = 0;
    const std::vector<options::PasteKeyRule>* const lists[] = {&model().pasteKeyRules, &options::builtInPasteKeyRules()};
    for (const auto* rules : lists) {
        const wchar_t* source = rules == &model().pasteKeyRules ? L"自定义" : L"内置";
        for (const options::PasteKeyRule& rule : *rules) {
            list.InsertItem(row, base::toWide(rule.match), 0);
            list.SetItemText(row, 1, base::toWide(rule.keys));
            list.SetItemText(row++, 2, source);
        }
    }
    selectionChanged();
}

int COptionsPastePage::selectedRule() const {
    const int row = fw::CListView(item(kList)).GetNextItem(-1, LVNI_SELECTED);
    return row >= 0 && static_cast<std::size_t>(row) < model().pasteKeyRules.size() ? row : -1;
}

// A rule of the user's is shown in the fields to change; a built-in one can be copied from.
void COptionsPastePage::selectionChanged() {
    const int row = fw::CListView(item(kList)).GetNextItem(-1, LVNI_SELECTED);
    const bool own = selectedRule() >= 0;
    if (row >= 0) {
        const fw::CListView list(item(kList));
        SetDlgItemTextW(hwnd(), kMatch, list.GetItemText(row, 0).c_str());
        SetDlgItemTextW(hwnd(), kKeys, list.GetItemText(row, 1).c_str());
    }
    EnableItem(kChange, own, kList);
    EnableItem(kRemove, own, kList);
}

void COptionsPastePage::putRule(int replacing) {
    std::vector<options::PasteKeyRule>& rules = model().pasteKeyRules;
    const options::PasteKeyRule rule = {std::string(options::trimSpaces(ItemText(kMatch))),
                                        std::string(options::trimSpaces(ItemText(kKeys)))};
    if (const std::optional<std::string> problem = options::pasteKeyRuleProblem(rules, rule, replacing)) {
        Tell(*problem);
        return;
    }
    if (replacing < 0 && rules.size() >= options::kMaxPasteKeyRules) {
        Tell("粘贴键规则最多 " + std::to_string(options::kMaxPasteKeyRules) + " 条。");
        return;
    }
    const int row = replacing >= 0 ? replacing : static_cast<int>(rules.size());
    if (replacing >= 0)
        rules[static_cast<std::size_t>(replacing)] = rule;
    else
        rules.push_back(rule);
    Load();
    ListView_SetItemState(item(kList), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void COptionsPastePage::removeRule() {
    const int row = selectedRule();
    if (row < 0)
        return;
    model().pasteKeyRules.erase(model().pasteKeyRules.begin() + row);
    Load();
}

bool COptionsPastePage::OnCommand(int id, int code, HWND control) {
    if (code == BN_CLICKED && (id == kAdd || id == kChange)) {
        putRule(id == kAdd ? -1 : selectedRule());
        return true;
    }
    if (code == BN_CLICKED && id == kRemove) {
        removeRule();
        return true;
    }
    return COptionsPage::OnCommand(id, code, control);
}

bool COptionsPastePage::OnNotify(NMHDR& header, LRESULT& result) {
    if (header.idFrom != kList)
        return COptionsPage::OnNotify(header, result);
    if (header.code == LVN_ITEMCHANGED && (reinterpret_cast<NMLISTVIEW&>(header).uChanged & LVIF_STATE)) {
        selectionChanged();
        return true;
    }
    if (header.code != NM_CUSTOMDRAW)
        return false;
    // The built-in rules in grey: they are shown, not the user's to change.
    auto& draw = reinterpret_cast<NMLVCUSTOMDRAW&>(header);
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
        result = CDRF_NOTIFYITEMDRAW;
    } else if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        if (draw.nmcd.dwItemSpec >= model().pasteKeyRules.size())
            draw.clrText = GetSysColor(COLOR_GRAYTEXT);
        result = CDRF_DODEFAULT;
    }
    return true;
}

}  // namespace ui
