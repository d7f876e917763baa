// CClipListCtrl: the rows the list shows. The list is virtual (LVS_OWNERDATA): it holds no
// text, only the number of rows, and asks for each row it draws with LVN_GETDISPINFO.
#include "ui/ClipListCtrl.h"

#include "kit/ListSupport.h"
#include "store/Protocol.h"

#include <commctrl.h>

#include <algorithm>

namespace ui {

namespace {

// A virtual list's selection is the list's own, by position: rows that move lose it.
bool isRow(const ui::cliplist::ClipListModel& rows, int row) {
    return row >= 0 && static_cast<std::size_t>(row) < rows.shownCount();
}

}  // namespace

void CClipListCtrl::clearSelection() const {
    ListView_SetItemState(m_list.hwnd(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
}

void CClipListCtrl::Assign(std::vector<ui::cliplist::Row> rows) {
    m_rows.assign(std::move(rows));
    clearSelection();
}

// A new number of rows means new scroll bars, which are costly to redraw: only then is the list
// told, and the space rows left is erased. Otherwise every row paints its whole line. The count
// is set with the list's drawing held: Wine's list view draws its scroll bar at once, twice, for
// every new count (10 ms on every copy into a thousand rows); the bar is painted with the rows
// at the next paint instead.
void CClipListCtrl::Refill() {
    const int count = static_cast<int>(m_rows.shownCount());
    const bool newCount = m_list.GetItemCount() != count;
    if (newCount) {
        const bool shown = GetWindowLongW(m_list.hwnd(), GWL_STYLE) & WS_VISIBLE;
        if (shown)
            DefWindowProcW(m_list.hwnd(), WM_SETREDRAW, FALSE, 0);
        ListView_SetItemCountEx(m_list.hwnd(), count, LVSICF_NOSCROLL);
        if (shown)
            DefWindowProcW(m_list.hwnd(), WM_SETREDRAW, TRUE, 0);
    }
    RedrawWindow(m_list.hwnd(), nullptr, nullptr, RDW_INVALIDATE | (newCount ? RDW_ERASE | RDW_FRAME : 0));
    SetPropW(m_list.hwnd(), store::kListChangesProperty, reinterpret_cast<HANDLE>(++m_nChanges));
}

void CClipListCtrl::Upsert(ui::cliplist::Row row) {
    const std::size_t before = m_rows.shownCount();
    m_rows.upsert(std::move(row));
    if (m_rows.shownCount() < before)  // hidden by the search: the rows after it move up
        clearSelection();
}

void CClipListCtrl::Remove(const std::vector<std::string>& clips) {
    m_rows.remove(clips);
    clearSelection();
}

bool CClipListCtrl::ChangeKeepingSelection(const std::function<bool(ui::cliplist::ClipListModel&)>& change) {
    std::vector<std::string> selected = selectedClips();
    selected.erase(std::remove(selected.begin(), selected.end(), std::string()), selected.end());
    if (!change(m_rows))
        return false;  // the same rows in the same places
    if (!selected.empty())
        clearSelection();
    Refill();
    for (const std::string& clip : selected) {
        const std::size_t position = m_rows.shownPosition(clip);
        if (position < m_rows.shownCount())
            ListView_SetItemState(m_list.hwnd(), static_cast<int>(position), LVIS_SELECTED, LVIS_SELECTED);
    }
    return true;
}

void CClipListCtrl::SortBy(int column, bool ascending) {
    kit::ShowSortArrow(m_list.hwnd(), column, ascending);
    ChangeKeepingSelection([&](ui::cliplist::ClipListModel& rows) {
        rows.sortBy(column, ascending);
        return true;
    });
}

void CClipListCtrl::SortByHeader(int column) {
    if (column >= 0 && column < ui::cliplist::kColumns)
        SortBy(column, m_rows.headerDirection(column));
}

std::string CClipListCtrl::FirstSelectedClip() const {
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    return isRow(m_rows, row) ? m_rows.clipAt(static_cast<std::size_t>(row)) : std::string();
}

// What the list draws of a row: its column's text (cut to the list's buffer) and its image.
void CClipListCtrl::FillDisplayInfo(LVITEMW& item) const {
    if (!isRow(m_rows, item.iItem))
        return;
    const std::size_t position = static_cast<std::size_t>(item.iItem);
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
        m_rows.copyCell(position, item.iSubItem, reinterpret_cast<char16_t*>(item.pszText),
                        static_cast<std::size_t>(item.cchTextMax));
    if (item.mask & LVIF_IMAGE)
        item.iImage = m_rows.shown(position).kind;
}

// A row's tooltip names the machine it arrived from or the program it was copied from. The list offers its own text (the
// content when cut short) in the buffer; the source is put in its place.
void CClipListCtrl::FillInfoTip(NMLVGETINFOTIPW& tip) const {
    if (!isRow(m_rows, tip.iItem) || !tip.pszText || tip.cchTextMax <= 0)
        return;
    const std::u16string text = ui::cliplist::rowTip(m_rows.shown(static_cast<std::size_t>(tip.iItem)));
    if (text.empty())
        return;
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(tip.cchTextMax) - 1);
    std::copy_n(text.begin(), length, tip.pszText);
    tip.pszText[length] = L'\0';
}

// The list's type-ahead (and any program that asks with LVM_FINDITEM) looks for a row by its
// content: the row's position, or -1.
LRESULT CClipListCtrl::FindRow(const NMLVFINDITEMW& find) const {
    const LVFINDINFOW& info = find.lvfi;
    if (!(info.flags & (LVFI_STRING | LVFI_PARTIAL)) || !info.psz)
        return -1;
    const std::size_t start = find.iStart < 0 ? 0 : static_cast<std::size_t>(find.iStart);
    const std::size_t found = m_rows.findShown(reinterpret_cast<const char16_t*>(info.psz), start,
                                               (info.flags & LVFI_PARTIAL) != 0, (info.flags & LVFI_WRAP) != 0);
    return found < m_rows.shownCount() ? static_cast<LRESULT>(found) : -1;
}

}  // namespace ui
