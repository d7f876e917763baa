// The clip list's rows as a model of their own: the rows of the view on display and the part of
// them the list shows, those the search box's query admits (search/Query.h: words, filters and
// patterns, one rule with the search of earlier runs), in the order of the last sort by a
// column (rows recorded since then come last). The list asks for its rows by position (a virtual
// list), so that a keystroke in the search box costs a filter and a sort, not a rewrite of every
// row. A row knows the clip it was made from by the store's name; the number text it shows in
// column 2 is for the eye (and for other programs that read the list), never parsed back.
// No <windows.h>: CClipListCtrl applies it to the list view.
#pragma once

#include "search/Folding.h"
#include "search/Matcher.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ui::cliplist {

// What a row keeps of its text for the list (whose cells show far less); the search looks in
// the whole text.
inline constexpr std::size_t kShownUnits = 1024;

struct Row {
    Row() = default;
    Row(int kind, std::u16string content, std::string copyTime, std::string number, std::string useTime, std::string source,
        std::string clip, std::string category = {}, std::string origin = {})
        : kind(kind), content(std::move(content)), copyTime(std::move(copyTime)), number(std::move(number)),
          useTime(std::move(useTime)), source(std::move(source)), clip(std::move(clip)), category(std::move(category)),
          origin(std::move(origin)) {}

    int kind = 0;                 // the row's image: 0 text, 1 picture, 2 file list
    std::u16string content;       // column 0, cut to kShownUnits once given to the model
    std::string copyTime;         // column 1
    std::string number;           // column 2: the history number, or "ctrl+alt+" and the slot digit
    std::string useTime;          // column 3
    std::string source;           // the program it was copied from (full path), or empty
    std::string clip;             // the store's name of its clip ("his12-", "copy5")
    std::string category;         // the category it is filed in (UTF-8), or empty for none
    std::string origin;           // the machine it arrived from through the sync folder, or empty
    // A row found in an earlier run or an archive ("在以前的记录中查找"): where it lies and its
    // clip's name there; its `clip` is both together, which names no clip of the store.
    std::string archive;
    std::string archiveClip;
};
// Whether `clip` names a row found in an earlier run or an archive (no clip of the store).
bool isEarlierClip(std::string_view clip);
// The row of a search result from an earlier run or an archive.
Row earlierRow(int kind, std::u16string line, std::string copyTime, std::string origin, int number, std::string source,
               std::string category, std::string archive, std::string archiveClip);

inline constexpr int kColumns = 4;

// The search's folding (search/Folding.h), by the names the list has always used.
using search::equalsFolded;
using search::FoldedText;
using search::foldedForSearch;
using search::foldedText;
using search::holdsFolded;

class ClipListModel {
public:
    // The rows of a view freshly read; the search and the sort stay, and so do the rows found in
    // earlier runs (until the next search replaces them).
    void assign(std::vector<Row> rows);
    // The rows found in earlier runs and archives for the query on: they replace those found
    // before, come after the store's rows and are shown as found (the same query chose them).
    void assignEarlier(std::vector<Row> rows);
    std::size_t earlierCount() const;
    // The search box's text read as a query (the pattern toggle on or off) and run against
    // `today` ("YYYY-MM-DD", for the date filters). False when it is the one already filtering.
    bool setFilter(std::u16string_view filter, bool patternToggle = false, std::string_view today = {});
    const search::Query& query() const { return m_query; }
    // The query made ready to run; none while the box is empty.
    const search::Matcher* matcher() const { return m_matcher.get(); }
    // Why the query cannot be run (a filter that cannot be read, a pattern that does not
    // compile): no row is shown then. Empty when it can.
    std::u16string searchError() const;
    // Whether the last search gave up at its time bound before the last row.
    bool searchCutShort() const { return m_cutShort; }
    // What matched in a shown row's content as the list shows it, in order; none without words
    // or a pattern.
    std::vector<search::TextSpan> marksAt(std::size_t position) const;
    // The same in a whole text (the preview's).
    std::vector<search::TextSpan> marksIn(std::u16string_view text) const;
    // Whether the last filter changed which rows are shown, or their order: a keystroke that
    // does not leaves the list as it is.
    bool shownChanged() const { return m_shownChanged; }
    // A click on a column's header: the sorted column turns its direction; another column sorts
    // in the direction its own header was last sorted in (ascending at first). True: ascending.
    bool headerDirection(int column) const;
    // The column stays the sort column: later filters sort the same way; its header remembers
    // the direction.
    void sortBy(int column, bool ascending);
    // The shown rows put in order once, the sort column unchanged.
    void sortOnce(int column, bool ascending);
    // The direction of the last sort by a column (ascending before any).
    bool sortAscending() const { return m_ascending; }
    // A row recorded or changed (the same clip): replaced where it is, or added after the others;
    // shown (or hidden) by the search text.
    void upsert(Row row);
    // The rows of these clips are gone.
    void remove(const std::vector<std::string>& clips);

    std::size_t shownCount() const { return m_shown.size(); }
    std::size_t totalCount() const { return m_rows.size(); }
    const Row& shown(std::size_t position) const { return m_rows[m_shown[position]]; }
    // The clip of a shown row; empty past the rows.
    std::string clipAt(std::size_t position) const;
    // The position of the shown row of this clip, or shownCount().
    std::size_t shownPosition(std::string_view clip) const;
    // The first shown row from `start` on whose content is `text` (Latin letters in any case) or,
    // with `prefix`, begins with it; with `wrap` the search goes on from the top. shownCount()
    // when there is none. The list's type-ahead and other programs find rows this way.
    std::size_t findShown(std::u16string_view text, std::size_t start, bool prefix, bool wrap) const;
    // A shown row's column text as a list's display buffer of `capacity` units takes it: cut to
    // capacity - 1 units and ended with a zero. Its length.
    std::size_t copyCell(std::size_t position, int column, char16_t* buffer, std::size_t capacity) const;
    const std::u16string& filter() const { return m_filter; }

private:
    void refilter();
    void sortShown(int column, bool ascending);
    bool shownByFilter(std::size_t index, search::Deadline& deadline) const;

    std::vector<Row> m_rows;

    std::vector<FoldedText> m_folded;  // each row's whole content as the search compares it
    std::vector<std::size_t> m_shown;      // positions in m_rows
    bool m_shownChanged = true;
    std::u16string m_filter;
    bool m_patternToggle = false;
    std::string m_today;
    search::Query m_query;
    std::unique_ptr<search::Matcher> m_matcher;  // none while the box is empty
    bool m_cutShort = false;
    int m_sortColumn = -1;
    bool m_ascending = true;
    bool m_columnAscending[kColumns] = {true, true, true, true};  // each header's own direction
};

// Find as you type: a row shows when its content holds the query, Latin letters in any case and
// everything else (Chinese) as typed. An empty query shows every row.
bool matchesFilter(std::u16string_view content, std::u16string_view query);
// The positions of the matching contents, in order.
std::vector<std::size_t> filterRows(const std::vector<std::u16string_view>& contents, std::u16string_view query);
// A row's tooltip: the program it was copied from, "来自：WINWORD.EXE" over the full path;
// empty when the record does not say (copied before the program kept sources, or not found).
std::u16string sourceTip(std::string_view sourcePath);
// A row's tooltip: the machine it arrived from, else the program it was copied from.
std::u16string rowTip(const Row& row);

}  // namespace ui::cliplist
