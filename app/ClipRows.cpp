#include "ClipRows.h"

#include "ClipRules.h"

#include <algorithm>

namespace clip {

namespace {

// The times and numbers are ASCII: compared as bytes they sort as their wide texts do.
const std::string& asciiColumn(const ViewRow& row, int column) {
    return column == 1 ? row.copyTime : column == 2 ? row.number : row.useTime;
}

}  // namespace

void ClipRows::assign(std::vector<ViewRow> rows) {
    m_rows = std::move(rows);
    m_folded.clear();
    m_folded.reserve(m_rows.size());
    for (const ViewRow& row : m_rows)
        m_folded.push_back(foldedForSearch(row.content));
    refilter();
}

bool ClipRows::setFilter(std::u16string_view filter) {
    if (filter == m_filter)
        return false;
    m_filter = filter;
    refilter();
    return true;
}

void ClipRows::sortBy(int column, bool ascending) {
    m_sortColumn = column;
    m_ascending = ascending;
    sortShown(column, ascending);
}

void ClipRows::sortOnce(int column, bool ascending) {
    sortShown(column, ascending);
}

void ClipRows::upsert(ViewRow row) {
    const auto kept = std::find_if(m_rows.begin(), m_rows.end(), [&](const ViewRow& r) { return r.number == row.number; });
    const std::size_t index = static_cast<std::size_t>(kept - m_rows.begin());
    std::u16string folded = foldedForSearch(row.content);
    if (kept == m_rows.end()) {
        m_rows.push_back(std::move(row));
        m_folded.push_back(std::move(folded));
    } else {
        *kept = std::move(row);
        m_folded[index] = std::move(folded);
    }
    const auto shownAt = std::find(m_shown.begin(), m_shown.end(), index);
    const bool matches = m_filter.empty() || m_folded[index].find(foldedForSearch(m_filter)) != std::u16string::npos;
    if (matches && shownAt == m_shown.end())
        m_shown.push_back(index);
    else if (!matches && shownAt != m_shown.end())
        m_shown.erase(shownAt);
}

void ClipRows::remove(const std::vector<std::string>& numbers) {
    // Each row's new position, or npos for a row that goes.
    std::vector<std::size_t> moved(m_rows.size(), std::string::npos);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (std::find(numbers.begin(), numbers.end(), m_rows[i].number) != numbers.end())
            continue;
        moved[i] = kept;
        if (kept != i) {
            m_rows[kept] = std::move(m_rows[i]);
            m_folded[kept] = std::move(m_folded[i]);
        }
        ++kept;
    }
    m_rows.resize(kept);
    m_folded.resize(kept);
    std::vector<std::size_t> shown;
    shown.reserve(m_shown.size());
    for (std::size_t index : m_shown)
        if (moved[index] != std::string::npos)
            shown.push_back(moved[index]);
    m_shown = std::move(shown);
}

std::size_t ClipRows::shownPosition(std::string_view number) const {
    for (std::size_t i = 0; i < m_shown.size(); ++i)
        if (m_rows[m_shown[i]].number == number)
            return i;
    return m_shown.size();
}

std::size_t ClipRows::findShown(std::u16string_view text, std::size_t start, bool prefix, bool wrap) const {
    const std::size_t count = m_shown.size();
    for (std::size_t step = 0; step < count; ++step) {
        const std::size_t position = start + step;
        if (position >= count && !wrap)
            break;
        const std::u16string& content = m_rows[m_shown[position % count]].content;
        if (equalsFolded(prefix ? std::u16string_view(content).substr(0, text.size()) : content, text))
            return position % count;
    }
    return count;
}

void ClipRows::refilter() {
    const std::u16string query = foldedForSearch(m_filter);
    std::vector<std::size_t> shown;
    shown.reserve(m_rows.size());
    for (std::size_t i = 0; i < m_folded.size(); ++i)
        if (query.empty() || m_folded[i].find(query) != std::u16string::npos)
            shown.push_back(i);
    std::swap(shown, m_shown);
    if (m_sortColumn >= 0)
        sortShown(m_sortColumn, m_ascending);
    m_shownChanged = shown != m_shown;
}

// A stable sort, so that rows with the same text keep their order.
void ClipRows::sortShown(int column, bool ascending) {
    if (column < 0 || column > 3)
        return;
    std::stable_sort(m_shown.begin(), m_shown.end(), [&](std::size_t a, std::size_t b) {
        const ViewRow& first = m_rows[ascending ? a : b];
        const ViewRow& second = m_rows[ascending ? b : a];
        return column == 0 ? first.content < second.content : asciiColumn(first, column) < asciiColumn(second, column);
    });
}

}  // namespace clip
