// The clip list's model: the rows shown by the search and the sort, found by their content and
// by their clip, and the text each column shows.
#include "ui/ClipListModel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace cliplist;

// A history row: its clip is named from its number, as the store names it.
Row historyRow(int kind, std::u16string content, std::string copyTime, std::string number, std::string useTime = "") {
    Row row{kind, std::move(content), std::move(copyTime), number, std::move(useTime), "", "", ""};
    row.clip = "his" + number + "-";
    return row;
}

// The shown rows' numbers, in order.
std::vector<std::string> shownNumbers(const ClipListModel& rows) {
    std::vector<std::string> numbers;
    for (std::size_t i = 0; i < rows.shownCount(); ++i)
        numbers.push_back(rows.shown(i).number);
    return numbers;
}

// The list's type-ahead: the next shown row from the start that begins with the typed letters,
// in any case, around to the top; an exact search finds only the whole content.
TEST(ClipListModel, RowsAreFoundByTheirContentAsTheListTypesAhead) {
    ClipListModel rows;
    rows.assign({historyRow(0, u"apple", "", "1"), historyRow(0, u"Banana", "", "2"), historyRow(0, u"apricot", "", "3"),
                 historyRow(0, u"剪贴板", "", "4")});
    EXPECT_EQ(rows.findShown(u"ap", 0, true, true), 0u);
    EXPECT_EQ(rows.findShown(u"AP", 1, true, true), 2u);
    EXPECT_EQ(rows.findShown(u"ap", 3, true, true), 0u);    // around to the top
    EXPECT_EQ(rows.findShown(u"ap", 3, true, false), 4u);   // not found
    EXPECT_EQ(rows.findShown(u"banana", 0, false, false), 1u);
    EXPECT_EQ(rows.findShown(u"ban", 0, false, true), 4u);  // exact: the whole content
    EXPECT_EQ(rows.findShown(u"剪贴", 0, true, true), 3u);
    rows.setFilter(u"a");
    EXPECT_EQ(rows.findShown(u"b", 0, true, true), 1u);     // positions among the shown rows
}

TEST(ClipListModel, SearchSortRecordAndRemoveTogether) {
    using Numbers = std::vector<std::string>;
    ClipListModel rows;
    rows.assign({historyRow(0, u"apple", "2026-12-07 10:00:03", "3"),
                 historyRow(0, u"Banana", "2026-12-07 10:00:01", "1"),
                 historyRow(1, u"picture:size 3*2", "2026-12-07 10:00:02", "2"),
                 historyRow(0, u"pineAPPLE", "2026-12-07 10:00:04", "4")});
    EXPECT_EQ(shownNumbers(rows), (Numbers{"3", "1", "2", "4"}));
    rows.sortBy(1, false);  // newest copy first
    EXPECT_EQ(shownNumbers(rows), (Numbers{"4", "3", "2", "1"}));
    EXPECT_TRUE(rows.setFilter(u"Apple"));
    EXPECT_TRUE(rows.shownChanged());
    EXPECT_FALSE(rows.setFilter(u"Apple"));
    EXPECT_EQ(shownNumbers(rows), (Numbers{"4", "3"}));  // still sorted by the column
    EXPECT_TRUE(rows.setFilter(u"APPL"));                 // the same rows: the list stays as it is
    EXPECT_FALSE(rows.shownChanged());
    EXPECT_TRUE(rows.setFilter(u"Apple"));
    EXPECT_EQ(rows.totalCount(), 4u);

    rows.upsert(historyRow(0, u"crab apple", "2026-12-07 10:00:00", "5"));  // recorded: shown last
    rows.upsert(historyRow(0, u"plain", "2026-12-07 10:00:03", "3", "now"));  // changed: hidden
    rows.upsert(historyRow(0, u"no match", "", "6"));                        // recorded, hidden
    EXPECT_EQ(shownNumbers(rows), (Numbers{"4", "5"}));
    EXPECT_EQ(rows.shownPosition("his5-"), 1u);
    EXPECT_EQ(rows.shownPosition("his3-"), 2u);

    rows.remove({"his4-", "his1-"});
    EXPECT_EQ(shownNumbers(rows), (Numbers{"5"}));
    EXPECT_TRUE(rows.setFilter(u""));
    EXPECT_EQ(shownNumbers(rows), (Numbers{"3", "2", "5", "6"}));
    rows.sortOnce(2, true);  // once: the copy-time order comes back with the next search
    EXPECT_EQ(shownNumbers(rows), (Numbers{"2", "3", "5", "6"}));
    rows.setFilter(u"p");
    EXPECT_EQ(shownNumbers(rows), (Numbers{"3", "2", "5"}));
}

// A row is its clip's, whatever its column 2 shows: a slot row and a history row may show texts
// that name no clip of their own, and a row recorded again replaces only the row of its clip.
TEST(ClipListModel, ARowIsFoundByItsClipNotByTheNumberItShows) {
    ClipListModel rows;
    rows.assign({{0, u"slot", "", "ctrl+alt+5", "", "", "copy5", ""}, {0, u"history", "", "5", "", "", "his5-", ""}});
    EXPECT_EQ(rows.clipAt(0), "copy5");
    EXPECT_EQ(rows.clipAt(1), "his5-");
    EXPECT_EQ(rows.clipAt(2), "");  // past the rows
    rows.upsert({0, u"slot again", "", "ctrl+alt+5", "", "", "copy5", ""});
    ASSERT_EQ(rows.shownCount(), 2u);
    EXPECT_EQ(rows.shown(0).content, u"slot again");
    EXPECT_EQ(rows.shown(1).content, u"history");
    rows.remove({"his5-"});
    ASSERT_EQ(rows.shownCount(), 1u);
    EXPECT_EQ(rows.shownPosition("copy5"), 0u);
}

// A header clicked: the sorted column turns round; another column sorts as its own header did
// last (ascending at first).
TEST(ClipListModel, AHeaderSortsInTheDirectionItLastHad) {
    ClipListModel rows;
    EXPECT_TRUE(rows.headerDirection(1));
    rows.sortBy(1, true);
    EXPECT_FALSE(rows.headerDirection(1));
    rows.sortBy(1, false);
    EXPECT_TRUE(rows.headerDirection(1));
    EXPECT_TRUE(rows.headerDirection(3));   // never sorted: ascending
    rows.sortBy(3, true);
    EXPECT_FALSE(rows.headerDirection(1));  // column 1's own last direction
    EXPECT_TRUE(rows.sortAscending());
    EXPECT_TRUE(rows.headerDirection(7));   // no such column
}

// What a column shows, cut to the list's buffer and always ended.
TEST(ClipListModel, ACellIsCutToTheListsBuffer) {
    ClipListModel rows;
    rows.assign({{1, u"picture:size 3*2", "2026-12-07 10:00:02", "12", "2026-12-07 11:00:00", "", "his12-", ""}});
    const struct {
        int column;
        std::size_t capacity;
        std::u16string shown;
    } cases[] = {
        {0, 64, u"picture:size 3*2"}, {0, 8, u"picture"}, {1, 64, u"2026-12-07 10:00:02"},
        {2, 64, u"12"},               {2, 2, u"1"},       {3, 64, u"2026-12-07 11:00:00"},
        {0, 1, u""},
    };
    for (const auto& test : cases) {
        char16_t buffer[64];
        std::fill(std::begin(buffer), std::end(buffer), u'#');
        const std::size_t length = rows.copyCell(0, test.column, buffer, test.capacity);
        EXPECT_EQ(std::u16string(buffer, length), test.shown) << test.column << " " << test.capacity;
        EXPECT_EQ(buffer[length], u'\0');
    }
    char16_t untouched = u'#';
    EXPECT_EQ(rows.copyCell(0, 0, &untouched, 0), 0u);  // no room: nothing written
    EXPECT_EQ(untouched, u'#');
}

// A long text: the row keeps what the list can show, never half a surrogate pair, and the search
// still finds words at its very end, whether recorded or read with the view.
TEST(ClipListModel, ALongTextIsShownCutAndSearchedWhole) {
    const std::u16string longText = std::u16string(kShownUnits - 1, u'x') + u"\U0001F600" + u"tail NEEDLE";
    ClipListModel rows;
    rows.assign({historyRow(0, longText, "2026-12-07 10:00:01", "1")});
    rows.upsert(historyRow(0, u"short " + longText, "2026-12-07 10:00:02", "2"));
    EXPECT_EQ(rows.shown(0).content, std::u16string(kShownUnits - 1, u'x'));
    EXPECT_EQ(rows.shown(1).content, (u"short " + longText).substr(0, kShownUnits));
    rows.setFilter(u"needle");
    EXPECT_EQ(shownNumbers(rows), (std::vector<std::string>{"1", "2"}));
}

// Rows of Latin letters are kept a byte a unit and others as UTF-16: a query finds the same rows
// either way, in any case of Latin letters.
TEST(ClipListModel, TheSearchFindsRowsWhateverTheirLetters) {
    ClipListModel rows;
    rows.assign({historyRow(0, u"Hello World", "t", "1"), historyRow(0, u"中文 HELLO", "t", "2"),
                 historyRow(0, u"\u00DCber caf\u00C9", "t", "3")});
    const struct {
        std::u16string query;
        std::vector<std::string> shown;
    } cases[] = {
        {u"hello", {"1", "2"}}, {u"中文", {"2"}},          {u"文 h", {"2"}},
        {u"\u00FCBER", {"3"}},  {u"CAF\u00E9", {"3"}}, {u"\u0100", {}},
    };
    for (const auto& test : cases) {
        rows.setFilter(test.query);
        EXPECT_EQ(shownNumbers(rows), test.shown);
    }
}

}  // namespace
