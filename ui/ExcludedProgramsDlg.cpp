#include "ui/ExcludedProgramsDlg.h"

#include "fw/Controls.h"

#include <algorithm>

namespace {

constexpr UINT kDialog = 180;
constexpr int kList = 1020;
constexpr int kRemove = 1021;

}  // namespace

CExcludedProgramsDlg::CExcludedProgramsDlg() : fw::CDialog(kDialog) {}

bool CExcludedProgramsDlg::OnInitDialog() {
    const fw::CListView list(item(kList));
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    RECT area = {};
    GetClientRect(list.hwnd(), &area);
    const int timeWidth = 130;
    list.InsertColumn(0, L"程序", std::max(100, static_cast<int>(area.right) - timeWidth - GetSystemMetrics(SM_CXVSCROLL)));
    list.InsertColumn(1, L"加入时间", timeWidth);
    for (std::size_t i = 0; i < m_programs.size(); ++i) {
        const int row = list.InsertItem(static_cast<int>(i), m_programs[i].path, 0);
        list.SetItemText(row, 1, m_programs[i].added);
    }
    selectRow(0);
    EnableWindow(item(kRemove), !m_programs.empty());
    return true;
}

// A row selected and focused, so that "删除" and the keys act on it.
void CExcludedProgramsDlg::selectRow(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= m_programs.size())
        return;
    ListView_SetItemState(item(kList), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

bool CExcludedProgramsDlg::OnCommand(int id, int code, HWND control) {
    if (id == kRemove && code == BN_CLICKED) {
        removeSelected();
        return true;
    }
    return fw::CDialog::OnCommand(id, code, control);
}

void CExcludedProgramsDlg::removeSelected() {
    const fw::CListView list(item(kList));
    const int row = list.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0 || static_cast<std::size_t>(row) >= m_programs.size())
        return;
    m_removed.push_back(m_programs[static_cast<std::size_t>(row)].path);
    m_programs.erase(m_programs.begin() + row);
    list.DeleteItem(row);
    selectRow(std::min(row, static_cast<int>(m_programs.size()) - 1));
    EnableWindow(item(kRemove), !m_programs.empty());
}
