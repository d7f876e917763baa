// The search box over the clip list: a query's words and filters narrow the model's rows
// together, what matched is marked within what a row shows, and the status line and the filter
// menu say what is on.
#include "app/SearchRules.h"
#include "ui/ClipListModel.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using cliplist::ClipListModel;
using cliplist::Row;

std::vector<Row> sampleRows() {
    return {
        {0, u"Quarterly report 2026", "2026-12-09 09:00:00", "1", "", "C:\\Windows\\notepad.exe", "his1-", ""},
        {1, u"picture:size 37*20", "2026-12-09 08:00:00", "2", "", "C:\\Apps\\mspaint.exe", "his2-", ""},
        {0, u"report draft", "2026-12-08 17:00:00", "3", "", "C:\\Office\\WINWORD.EXE", "his3-", "工作"},
        {2, u"C:\\report.txt", "2026-12-01 10:00:00", "4", "", "C:\\Windows\\explorer.exe", "his4-", "工作"},
        {0, u"会议记录 report", "2026-11-20 10:00:00", "5", "", "", "his5-", ""},
    };
}

std::vector<std::string> shownNumbers(const ClipListModel& rows) {
    std::vector<std::string> numbers;
    for (std::size_t i = 0; i < rows.shownCount(); ++i)
        numbers.push_back(rows.shown(i).number);
    return numbers;
}

TEST(SearchBox, WordsAndFiltersNarrowTheRowsTogether) {
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
TEST(SearchBox, AQueryThatCannotRunShowsNoRowsAndSaysWhy) {
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
TEST(SearchBox, WhatMatchedIsMarkedWithinTheShownText) {
    const std::u16string longText = u"Needle " + std::u16string(cliplist::kShownUnits, u'x') + u" needle";
    ClipListModel rows;
    rows.assign({{0, longText, "2026-12-09 09:00:00", "1", "", "", "his1-", ""}});
    rows.setFilter(u"NEEDLE", false, "2026-12-09");
    EXPECT_EQ(rows.marksAt(0), (std::vector<search::TextSpan>{{0, 6}}));
    EXPECT_EQ(rows.marksIn(longText).size(), 2u);
    rows.setFilter(u"type:text", false, "2026-12-09");  // no words: nothing to mark
    EXPECT_TRUE(rows.marksAt(0).empty());
    EXPECT_TRUE(rows.marksAt(5).empty());
}

TEST(SearchBox, TheStatusLineSaysWhatIsOn) {
    using searchbox::SearchState;
    const struct {
        SearchState state;
        std::u16string status;
    } cases[] = {
        {{2, 999, false, u"", u"", false}, u"2 / 999"},
        {{1, 5, false, u"类型：图片，程序：notepad", u"", false}, u"1 / 5\u3000筛选：类型：图片，程序：notepad"},
        {{1, 5, true, u"类型：文本", u"", true}, u"1 / 5\u3000筛选：正则表达式，类型：文本\u3000（搜索超时，只显示了部分结果）"},
        {{0, 5, true, u"", u"模式有误：括号不成对", false}, u"模式有误：括号不成对"},
    };
    for (const auto& test : cases)
        EXPECT_EQ(searchbox::searchStatus(test.state), test.status);
}

// Each item has its own id within the menu's range; what cannot be offered is left out.
TEST(SearchBox, TheFilterMenuNumbersItsItemsWithinItsRange) {
    const std::vector<std::u16string> programs(12, u"app.exe");
    const std::vector<searchbox::MenuItem> menu = searchbox::filterMenu(programs, {u"工作"}, 100);
    std::set<unsigned> ids;
    for (const searchbox::MenuItem& item : menu) {
        EXPECT_GE(item.id, 100u);
        EXPECT_LT(item.id, 100u + searchbox::filterMenuIdCount());
        ids.insert(item.id);
    }
    EXPECT_EQ(ids.size(), menu.size());
    EXPECT_TRUE(menu.front().patternToggle);
    EXPECT_EQ(menu.back().label, u"&1 工作");
    EXPECT_EQ(menu.size(), 1 + search::filterMenuItems().size() + searchbox::kMaxOfferedPerKind + 1);
}

TEST(SearchBox, TheProgramsOfferedAreTheRowsMostFrequentFirst) {
    const std::vector<std::string> sources = {"C:\\a\\notepad.exe", "", "C:\\b\\WINWORD.EXE", "D:\\NOTEPAD.EXE",
                                              "C:\\c\\calc.exe", "C:\\b\\winword.exe", "C:\\a\\notepad.exe"};
    EXPECT_EQ(searchbox::programsOfRows(sources), (std::vector<std::u16string>{u"notepad.exe", u"WINWORD.EXE", u"calc.exe"}));
    EXPECT_EQ(searchbox::programsOfRows(sources, 1), (std::vector<std::u16string>{u"notepad.exe"}));
}

}  // namespace
