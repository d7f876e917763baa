// The clip list's model: the rows shown by the search and the sort, found by their content and
// by their clip, and the text each column shows.
#include "ui/ClipListModel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace ui::cliplist;

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

// The search box's query: words and filters narrow the rows together, what matched is marked
// within what a row shows.
std::vector<Row> sampleRows() {
    return {
        {0, u"Quarterly report 2026", "2026-12-09 09:00:00", "1", "", "C:\\Windows\\notepad.exe", "his1-", ""},
        {1, u"picture:size 37*20", "2026-12-09 08:00:00", "2", "", "C:\\Apps\\mspaint.exe", "his2-", ""},
        {0, u"report draft", "2026-12-08 17:00:00", "3", "", "C:\\Office\\WINWORD.EXE", "his3-", "工作"},
        {2, u"C:\\report.txt", "2026-12-01 10:00:00", "4", "", "C:\\Windows\\explorer.exe", "his4-", "工作"},
        {0, u"会议记录 report", "2026-11-20 10:00:00", "5", "", "", "his5-", ""},
    };
}

TEST(ClipListModel, WordsAndFiltersNarrowTheRowsTogether) {
    ClipListModel rows;
    rows.assign(sampleRows());
    const struct {
        std::u16string text;
        bool patternToggle;
        std::vector<std::string> shown;
    } cases[] = {
        {u"report", false, {"1", "3", "4", "5"}},
        {u"类型:图片", false, {"2"}},
        {u"type:text report", false, {"1", "3", "5"}},
        {u"类型:文本 类型:文件", false, {"1", "3", "4", "5"}},  // one kind: any of them
        {u"程序:notepad", false, {"1"}},
        {u"app:WINWORD report", false, {"3"}},
        {u"日期:今天", false, {"1", "2"}},
        {u"date:yesterday type:text", false, {"3"}},
        {u"日期:2026-12-01..2026-12-08", false, {"3", "4"}},
        {u"分类:工作 类型:文件", false, {"4"}},
        {u"cat:工作 draft", false, {"3"}},
        {u"re:rep.rt\\s+\\d+", false, {"1"}},
        {u"rep.rt [0-9]+", true, {"1"}},
        {u"记录 report", false, {"5"}},
        {u"类型:", false, {"1", "2", "3", "4", "5"}},  // a key still being typed is no filter
        {u"", false, {"1", "2", "3", "4", "5"}},
    };
    for (const auto& test : cases) {
        rows.setFilter(test.text, test.patternToggle, "2026-12-09");
        EXPECT_EQ(shownNumbers(rows), test.shown) << std::string(test.text.begin(), test.text.end());
        EXPECT_TRUE(rows.searchError().empty());
    }
}

// A pattern that does not compile and a filter that cannot be read show no rows and say why.
TEST(ClipListModel, AQueryThatCannotRunShowsNoRowsAndSaysWhy) {
    ClipListModel rows;
    rows.assign(sampleRows());
    for (const std::u16string text : {u"re:(report", u"re:(a)\\1", u"日期:明年"}) {
        rows.setFilter(text, false, "2026-12-09");
        EXPECT_EQ(rows.shownCount(), 0u);
        EXPECT_FALSE(rows.searchError().empty());
    }
    EXPECT_TRUE(rows.setFilter(u"(report", false, "2026-12-09"));  // no pattern: words
    EXPECT_EQ(shownNumbers(rows), (std::vector<std::string>{}));
    EXPECT_TRUE(rows.searchError().empty());
}

// The marks lie within what a row shows (it keeps kShownUnits), the preview's in the whole text.
TEST(ClipListModel, WhatMatchedIsMarkedWithinTheShownText) {
    const std::u16string longText = u"Needle " + std::u16string(ui::cliplist::kShownUnits, u'x') + u" needle";
    ClipListModel rows;
    rows.assign({{0, longText, "2026-12-09 09:00:00", "1", "", "", "his1-", ""}});
    rows.setFilter(u"NEEDLE", false, "2026-12-09");
    EXPECT_EQ(rows.marksAt(0), (std::vector<search::TextSpan>{{0, 6}}));
    EXPECT_EQ(rows.marksIn(longText).size(), 2u);
    rows.setFilter(u"type:text", false, "2026-12-09");  // no words: nothing to mark
    EXPECT_TRUE(rows.marksAt(0).empty());
    EXPECT_TRUE(rows.marksAt(5).empty());
}

// Rows found in earlier runs were chosen by the same query: they show as found (their line need
// not hold every word), say where they come from, and give way to the next query's.
TEST(ClipListModel, RowsOfEarlierRunsShowAsFoundUntilTheNextQuery) {
    ClipListModel rows;
    rows.assign(sampleRows());
    rows.setFilter(u"draft", false, "2026-12-09");
    rows.assignEarlier({earlierRow(0, u"the beginning of a long text", "2026-11-01 10:00:00", "2026-11-01 09:00:00", 7, "",
                                   "", "C:\\Runs\\run.amc", "his7-")});
    EXPECT_EQ(shownNumbers(rows), (std::vector<std::string>{"3", "2026-11-01 09:00:00 #7"}));
    EXPECT_EQ(rows.earlierCount(), 1u);
    EXPECT_EQ(rows.shown(1).archiveClip, "his7-");
    EXPECT_EQ(rows.shownPosition("his7-"), rows.shownCount());  // no clip of the store
    rows.assign(sampleRows());  // a copy recorded meanwhile refills the view
    EXPECT_EQ(shownNumbers(rows), (std::vector<std::string>{"3", "2026-11-01 09:00:00 #7"}));
    rows.assignEarlier({});
    EXPECT_EQ(shownNumbers(rows), (std::vector<std::string>{"3"}));
}

}  // namespace
