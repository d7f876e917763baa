// CClipListCtrl: what matched the search marked in the content column. The list draws its rows;
// after a row that the search marks, its content is drawn again over the list's own, the marked
// parts on the colour of a highlighter pen.
#include "ui/ClipListCtrl.h"
#include "ui/SearchMarks.h"

#include <commctrl.h>

#include <algorithm>

namespace ui {

namespace {

// The most of a row's text drawn again: far more than a column shows.
constexpr std::size_t kDrawnUnits = 512;

// What the cell shows: line ends and tabs as spaces, as the list shows them, one unit each.
std::wstring cellText(std::u16string_view content) {
    std::wstring text(content.begin(), content.begin() + static_cast<std::ptrdiff_t>(std::min(content.size(), kDrawnUnits)));
    std::replace_if(text.begin(), text.end(), [](wchar_t c) { return c < L' '; }, L' ');
    return text;
}

}  // namespace

LRESULT CClipListCtrl::DrawMarks(NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        m_focusedWhilePainting = GetFocus() == m_list.hwnd();
        return m_rows.query().hasText() ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPOSTPAINT:
        break;
    default:
        return CDRF_DODEFAULT;
    }
    const int row = static_cast<int>(draw.nmcd.dwItemSpec);
    if (row < 0 || static_cast<std::size_t>(row) >= m_rows.shownCount())
        return CDRF_DODEFAULT;
    const std::vector<search::TextSpan> marks = m_rows.marksAt(static_cast<std::size_t>(row));
    if (marks.empty())
        return CDRF_DODEFAULT;
    RECT label = {};
    if (!ListView_GetSubItemRect(m_list.hwnd(), row, 0, LVIR_LABEL, &label))
        return CDRF_DODEFAULT;
    const std::wstring text = cellText(m_rows.shown(static_cast<std::size_t>(row)).content);
    const bool selected = ListView_GetItemState(m_list.hwnd(), row, LVIS_SELECTED) != 0;
    const bool focused = m_focusedWhilePainting;
    const COLORREF background = GetSysColor(selected ? (focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE) : COLOR_WINDOW);
    const COLORREF foreground = GetSysColor(selected && focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    HDC dc = draw.nmcd.hdc;
    const int savedState = SaveDC(dc);
    SetBkColor(dc, background);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &label, nullptr, 0, nullptr);  // the list's own text goes
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    const int top = label.top + (label.bottom - label.top - metrics.tmHeight) / 2;
    int x = label.left + 2 * GetSystemMetrics(SM_CXEDGE);
    std::size_t at = 0;
    // Each part in turn: the plain text before a mark, then the mark.
    const auto drawPart = [&](std::size_t from, std::size_t to, bool marked) {
        if (from >= to || x >= label.right)
            return;
        SetBkColor(dc, marked ? kMarkColour : background);
        SetTextColor(dc, marked ? RGB(0, 0, 0) : foreground);
        SIZE size = {};
        GetTextExtentPoint32W(dc, text.data() + from, static_cast<int>(to - from), &size);
        RECT part = {x, label.top, std::min<LONG>(x + size.cx, label.right), label.bottom};
        ExtTextOutW(dc, x, top, ETO_OPAQUE | ETO_CLIPPED, &part, text.data() + from, static_cast<UINT>(to - from), nullptr);
        x += size.cx;
    };
    for (const search::TextSpan& mark : marks) {
        const std::size_t start = std::min(mark.start, text.size());
        const std::size_t end = std::min(mark.start + mark.length, text.size());
        drawPart(at, start, false);
        drawPart(start, end, true);
        at = end;
    }
    drawPart(at, text.size(), false);
    RestoreDC(dc, savedState);
    return CDRF_DODEFAULT;
}

}  // namespace ui
