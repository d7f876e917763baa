#include "ui/ClipListModel.h"

#include "store/StorePaths.h"
#include "xml/XmlText.h"

#include <algorithm>
#include <chrono>
#include <iterator>

namespace ui::cliplist {

namespace {

// A keystroke's search of the list, and the marks of one row as it is drawn, end there: a pattern
// that runs long leaves the rest unshown (and says so), never the window waiting.
constexpr std::chrono::milliseconds kSearchTime{250};
constexpr std::chrono::milliseconds kMarkTime{20};
constexpr char kEarlierClipSeparator = '|';  // between an earlier row's archive and its clip there

// The times and numbers are ASCII: compared as bytes they sort as their wide texts do.
const std::string& asciiColumn(const Row& row, int column) {
    return column == 1 ? row.copyTime : column == 2 ? row.number : row.useTime;
}

}  // namespace

bool matchesFilter(std::u16string_view content, std::u16string_view query) {
    return holdsFolded(foldedText(content), foldedText(query), foldedForSearch(query));
}

std::vector<std::size_t> filterRows(const std::vector<std::u16string_view>& contents, std::u16string_view query) {
    const FoldedText queryBytes = foldedText(query);
    const std::u16string queryUnits = foldedForSearch(query);
    std::vector<std::size_t> shown;
    shown.reserve(contents.size());
    for (std::size_t i = 0; i < contents.size(); ++i)
        if (holdsFolded(foldedText(contents[i]), queryBytes, queryUnits))
            shown.push_back(i);
    return shown;
}

std::u16string sourceTip(std::string_view sourcePath) {
    if (sourcePath.empty())
        return {};
    return xml::utf8ToUtf16("来自：" + std::string(store::fileNameOfPath(sourcePath)) + "\r\n" + std::string(sourcePath));
}

std::u16string rowTip(const Row& row) {
    if (row.origin.empty())
        return sourceTip(row.source);
    const std::string program(store::fileNameOfPath(row.source));
    return xml::utf8ToUtf16("来自：" + row.origin + (program.empty() ? "" : "（" + program + "）"));
}

namespace {

// The text a row shows, cut to kShownUnits (never between the halves of a surrogate pair) and
// its memory given back: a copy of megabytes is held once, by the search, not twice.
void cutForDisplay(std::u16string& content) {
    if (content.size() <= kShownUnits)
        return;
    const bool pairCut = content[kShownUnits - 1] >= 0xD800 && content[kShownUnits - 1] <= 0xDBFF;
    content.resize(pairCut ? kShownUnits - 1 : kShownUnits);
    content.shrink_to_fit();
}

}  // namespace

// The store's clip names hold no '|' (nor does any name of an element).
bool isEarlierClip(std::string_view clip) {
    return clip.find(kEarlierClipSeparator) != std::string_view::npos;
}

Row earlierRow(int kind, std::u16string line, std::string copyTime, std::string origin, int number, std::string source,
               std::string category, std::string archive, std::string archiveClip) {
    Row row{kind, std::move(line), std::move(copyTime), std::move(origin) + " #" + std::to_string(number), "",
            std::move(source), archive + kEarlierClipSeparator + archiveClip, std::move(category)};
    row.archive = std::move(archive);
    row.archiveClip = std::move(archiveClip);
    return row;
}

void ClipListModel::assignEarlier(std::vector<Row> rows) {
    std::vector<std::string> found;
    for (const Row& row : m_rows)
        if (!row.archive.empty())
            found.push_back(row.clip);
    remove(found);
    for (Row& row : rows) {
        m_folded.push_back(foldedText(row.content));
        cutForDisplay(row.content);
        m_rows.push_back(std::move(row));
    }
    refilter();
}

std::size_t ClipListModel::earlierCount() const {
    return static_cast<std::size_t>(std::count_if(m_rows.begin(), m_rows.end(), [](const Row& row) { return !row.archive.empty(); }));
}

void ClipListModel::assign(std::vector<Row> rows) {
    std::vector<Row> earlier;
    std::vector<FoldedText> earlierFolded;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (!m_rows[i].archive.empty()) {
            earlier.push_back(std::move(m_rows[i]));
            earlierFolded.push_back(std::move(m_folded[i]));
        }
    }
    m_rows = std::move(rows);
    m_folded.clear();
    m_folded.reserve(m_rows.size() + earlier.size());
    for (Row& row : m_rows) {
        m_folded.push_back(foldedText(row.content));
        cutForDisplay(row.content);
    }
    std::move(earlier.begin(), earlier.end(), std::back_inserter(m_rows));
    std::move(earlierFolded.begin(), earlierFolded.end(), std::back_inserter(m_folded));
    refilter();
}

bool ClipListModel::setFilter(std::u16string_view filter, bool patternToggle, std::string_view today) {
    if (filter == m_filter && patternToggle == m_patternToggle && today == m_today)
        return false;
    m_filter = filter;
    m_patternToggle = patternToggle;
    m_today = today;
    m_query = search::parseQuery(m_filter, m_patternToggle);
    const bool searches = m_query.hasText() || !m_query.filters.empty() || !m_query.errors.empty();
    m_matcher = searches ? std::make_unique<search::Matcher>(m_query, m_today) : nullptr;
    refilter();
    return true;
}

std::u16string ClipListModel::searchError() const {
    return m_matcher ? m_matcher->error() : std::u16string();
}

std::vector<search::TextSpan> ClipListModel::marksIn(std::u16string_view text) const {
    if (!m_matcher || !m_matcher->looksAtText())
        return {};
    search::Deadline deadline = search::Deadline::in(kMarkTime);
    return m_matcher->marks(search::viewOf(foldedText(text)), deadline);
}

std::vector<search::TextSpan> ClipListModel::marksAt(std::size_t position) const {
    if (!m_matcher || !m_matcher->looksAtText() || position >= m_shown.size())
        return {};
    search::Deadline deadline = search::Deadline::in(kMarkTime);
    std::vector<search::TextSpan> marks = m_matcher->marks(search::viewOf(m_folded[m_shown[position]]), deadline);
    // Folding keeps every unit where it was, so the folded text's places are the content's.
    const std::size_t shownUnits = m_rows[m_shown[position]].content.size();
    std::vector<search::TextSpan> shown;
    for (const search::TextSpan& mark : marks)
        if (mark.start < shownUnits)
            shown.push_back({mark.start, std::min(mark.length, shownUnits - mark.start)});
    return shown;
}

bool ClipListModel::headerDirection(int column) const {
    if (column < 0 || column >= kColumns)
        return true;
    return column == m_sortColumn ? !m_ascending : m_columnAscending[column];
}

void ClipListModel::sortBy(int column, bool ascending) {
    m_sortColumn = column;
    m_ascending = ascending;
    if (column >= 0 && column < kColumns)
        m_columnAscending[column] = ascending;
    sortShown(column, ascending);
}

void ClipListModel::sortOnce(int column, bool ascending) {
    sortShown(column, ascending);
}

void ClipListModel::upsert(Row row) {
    const auto kept = std::find_if(m_rows.begin(), m_rows.end(), [&](const Row& r) { return r.clip == row.clip; });
    const std::size_t index = static_cast<std::size_t>(kept - m_rows.begin());
    FoldedText folded = foldedText(row.content);
    cutForDisplay(row.content);
    if (kept == m_rows.end()) {
        m_rows.push_back(std::move(row));
        m_folded.push_back(std::move(folded));
    } else {
        *kept = std::move(row);
        m_folded[index] = std::move(folded);
    }
    const auto shownAt = std::find(m_shown.begin(), m_shown.end(), index);
    search::Deadline deadline = search::Deadline::in(kSearchTime);
    const bool matches = shownByFilter(index, deadline);
    if (matches && shownAt == m_shown.end())
        m_shown.push_back(index);
    else if (!matches && shownAt != m_shown.end())
        m_shown.erase(shownAt);
}

void ClipListModel::remove(const std::vector<std::string>& clips) {
    // Each row's new position, or npos for a row that goes.
    std::vector<std::size_t> moved(m_rows.size(), std::string::npos);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (std::find(clips.begin(), clips.end(), m_rows[i].clip) != clips.end())
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

std::string ClipListModel::clipAt(std::size_t position) const {
    return position < m_shown.size() ? shown(position).clip : std::string();
}

std::size_t ClipListModel::shownPosition(std::string_view clip) const {
    for (std::size_t i = 0; i < m_shown.size(); ++i)
        if (m_rows[m_shown[i]].clip == clip)
            return i;
    return m_shown.size();
}

std::size_t ClipListModel::findShown(std::u16string_view text, std::size_t start, bool prefix, bool wrap) const {
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

std::size_t ClipListModel::copyCell(std::size_t position, int column, char16_t* buffer, std::size_t capacity) const {
    if (!buffer || capacity == 0)
        return 0;
    std::size_t length = 0;
    if (position < m_shown.size()) {
        const Row& row = shown(position);
        if (column == 0) {
            length = std::min(row.content.size(), capacity - 1);
            std::copy_n(row.content.begin(), length, buffer);
        } else {
            const std::string& text = asciiColumn(row, column);
            length = std::min(text.size(), capacity - 1);
            std::copy_n(text.begin(), length, buffer);  // ASCII
        }
    }
    buffer[length] = u'\0';
    return length;
}

bool ClipListModel::shownByFilter(std::size_t index, search::Deadline& deadline) const {
    const Row& row = m_rows[index];
    if (!m_matcher || !row.archive.empty())
        return true;
    const search::RowFacts facts{row.kind, row.copyTime, row.source, row.category, search::viewOf(m_folded[index])};
    return m_matcher->matches(facts, deadline) == search::Verdict::Yes;
}

void ClipListModel::refilter() {
    search::Deadline deadline = search::Deadline::in(kSearchTime);
    std::vector<std::size_t> shown;
    shown.reserve(m_rows.size());
    for (std::size_t i = 0; i < m_folded.size() && !deadline.passed(); ++i)
        if (shownByFilter(i, deadline))
            shown.push_back(i);
    m_cutShort = deadline.cut();
    std::swap(shown, m_shown);
    if (m_sortColumn >= 0)
        sortShown(m_sortColumn, m_ascending);
    m_shownChanged = shown != m_shown;
}

// A stable sort, so that rows with the same text keep their order.
void ClipListModel::sortShown(int column, bool ascending) {
    if (column < 0 || column >= kColumns)
        return;
    std::stable_sort(m_shown.begin(), m_shown.end(), [&](std::size_t a, std::size_t b) {
        const Row& first = m_rows[ascending ? a : b];
        const Row& second = m_rows[ascending ? b : a];
        return column == 0 ? first.content < second.content : asciiColumn(first, column) < asciiColumn(second, column);
    });
}

}  // namespace ui::cliplist
