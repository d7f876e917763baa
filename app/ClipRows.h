// The rows of the view on display and the part of them the clip list shows: those that hold the
// search box's text, in the order of the last sort by a column (rows recorded since then come
// last). The list asks for its rows by position (a virtual list), so that a keystroke in the
// search box costs a filter and a sort, not a rewrite of every row.
#pragma once

#include "StoreView.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace clip {

class ClipRows {
public:
    // The rows of a view freshly read; the search and the sort stay.
    void assign(std::vector<ViewRow> rows);
    // False when the text is the one already filtering.
    bool setFilter(std::u16string_view filter);
    // Whether the last filter changed which rows are shown, or their order: a keystroke that
    // does not leaves the list as it is.
    bool shownChanged() const { return m_shownChanged; }
    // The column stays the sort column: later filters sort the same way.
    void sortBy(int column, bool ascending);
    // The shown rows put in order once, the sort column unchanged.
    void sortOnce(int column, bool ascending);
    // A row recorded or changed: replaced where it is, or added after the others; shown (or
    // hidden) by the search text.
    void upsert(ViewRow row);
    // The rows of these number texts are gone.
    void remove(const std::vector<std::string>& numbers);

    std::size_t shownCount() const { return m_shown.size(); }
    std::size_t totalCount() const { return m_rows.size(); }
    const ViewRow& shown(std::size_t position) const { return m_rows[m_shown[position]]; }
    // The position of the shown row with this number text, or shownCount().
    std::size_t shownPosition(std::string_view number) const;
    // The first shown row from `start` on whose content is `text` (Latin letters in any case) or,
    // with `prefix`, begins with it; with `wrap` the search goes on from the top. shownCount()
    // when there is none. The list's type-ahead and other programs find rows this way.
    std::size_t findShown(std::u16string_view text, std::size_t start, bool prefix, bool wrap) const;
    const std::u16string& filter() const { return m_filter; }

private:
    void refilter();
    void sortShown(int column, bool ascending);

    std::vector<ViewRow> m_rows;
    std::vector<std::u16string> m_folded;  // each row's content as the search compares it
    std::vector<std::size_t> m_shown;      // positions in m_rows
    bool m_shownChanged = true;
    std::u16string m_filter;
    int m_sortColumn = -1;
    bool m_ascending = true;
};

}  // namespace clip
