// The search box's language: words, filters and patterns read from what the user types; the
// status line's filters; Esc one step at a time; a filter picked from the menu.
#include "search/Query.h"

#include "xml/XmlText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace search;

std::string utf8(std::u16string_view text) {
    return xml::utf16ToUtf8(text);
}

// A query in one line: its words, its pattern, its filters as the status shows them, its
// errors' places.
std::string described(const Query& query) {
    std::string out;
    for (const std::u16string& word : query.words)
        out += "[" + utf8(word) + "]";
    if (query.pattern)
        out += "re{" + utf8(query.patternText) + "}";
    const std::string status = utf8(filtersStatus(query));
    if (!status.empty())
        out += " " + status;
    for (const QueryError& error : query.errors)
        out += " error@" + std::to_string(error.span.start) + "+" + std::to_string(error.span.length);
    return out;
}

TEST(SearchQuery, WordsFiltersAndPatternsAreReadFromTheBox) {
    struct Case {
        std::u16string text;
        bool toggle;
        std::string expected;
    };
    const Case cases[] = {
        {u"", false, ""},
        {u"  Hello   World ", false, "[hello][world]"},
        {u"\"Hello World\" 剪贴板", false, "[hello world][剪贴板]"},
        {u"类型:图片", false, " 类型：图片"},
        {u"type:TEXT app:Notepad", false, " 类型：文本，程序：Notepad"},
        {u"类型：文件 report", false, "[report] 类型：文件"},  // the Chinese colon
        {u"日期:今天 date:yesterday 日期:7天 date:30d", false, " 日期：今天，日期：昨天，日期：最近 7 天，日期：最近 30 天"},
        {u"date:2026-12-01..2026-12-08", false, " 日期：2026-12-01 至 2026-12-08"},
        {u"日期:2026-2-3", false, " 日期：2026-02-03"},
        {u"date:2026-12-01.. date:..2026-01-31", false, " 日期：2026-12-01 起，日期：至 2026-01-31"},
        {u"分类:\"my notes\" cat:工作", false, " 分类：my notes，分类：工作"},
        {u"http://example.com C:\\tmp", false, "[http://example.com][c:\\tmp]"},  // not keys: words
        {u"类型:", false, ""},                                                   // still typing
        {u"类型:视频 abc", false, "[abc] error@0+5"},
        {u"date:2026-02-30", false, " error@0+15"},
        {u"日期:2026-12-08..2026-12-01", false, " error@0+25"},
        {u"日期:0天", false, " error@0+5"},
        {u"re:a.*b 类型:文本", false, "re{a.*b} 类型：文本"},
        {u"RE:  x  y ", false, "re{x  y}"},
        {u"foo 类型:文本 bar", true, "re{foo bar} 类型：文本"},
        {u"re:", false, "re{}"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(described(parseQuery(c.text, c.toggle)), c.expected) << utf8(c.text);
}

TEST(SearchQuery, RelativeDatesCountFromTheCallersToday) {
    struct Case {
        std::u16string value;
        std::string from, to;
    };
    const Case cases[] = {
        {u"today", "2026-03-01", "2026-03-01"},
        {u"昨天", "2026-02-28", "2026-02-28"},
        {u"7天", "2026-02-23", "2026-03-01"},
        {u"366d", "2025-03-01", "2026-03-01"},
        {u"2026-12-01..", "2026-12-01", ""},
    };
    for (const Case& c : cases) {
        const Query query = parseQuery(u"date:" + c.value);
        ASSERT_EQ(query.filters.size(), 1u) << utf8(c.value);
        const DayRange range = resolveDays(query.filters[0].date, "2026-03-01 08:00:00");
        EXPECT_EQ(range.from, c.from) << utf8(c.value);
        EXPECT_EQ(range.to, c.to) << utf8(c.value);
    }
}

// Esc: the words (or the pattern with its "re:") first, then the filters from the last typed.
TEST(SearchQuery, EscClearsOneStepAtATime) {
    std::u16string text = u"类型:图片 foo  程序:notepad \"a b\"";
    const std::u16string steps[] = {u"类型:图片 程序:notepad", u"类型:图片", u"", u""};
    for (const std::u16string& expected : steps) {
        text = clearOneStep(text);
        EXPECT_EQ(utf8(text), utf8(expected));
    }
    EXPECT_EQ(utf8(clearOneStep(u"re:a|b 日期:今天")), "日期:今天");
    EXPECT_EQ(utf8(clearOneStep(u"re:")), "");
    EXPECT_EQ(utf8(clearOneStep(u"类型:视频 类型:")), "类型:视频");  // unread filters go too
}

TEST(SearchQuery, AFilterPickedFromTheMenuTakesThePlaceOfItsKind) {
    EXPECT_EQ(utf8(withFilter(u"", FilterKind::Type, u"图片")), "类型:图片");
    EXPECT_EQ(utf8(withFilter(u"foo type:text app:word bar", FilterKind::Type, u"图片")), "foo bar app:word 类型:图片");
    EXPECT_EQ(utf8(withFilter(u"re:a b", FilterKind::Category, u"my notes")), "re:a b 分类:\"my notes\"");
    const Query picked = parseQuery(withFilter(u"x", FilterKind::Category, u"my notes"));
    ASSERT_EQ(picked.filters.size(), 1u);
    EXPECT_EQ(utf8(picked.filters[0].value), "my notes");
    for (const FilterMenuItem& item : filterMenuItems()) {
        EXPECT_NE(item.label.find(u'&'), std::u16string_view::npos) << utf8(item.label);
        EXPECT_TRUE(parseQuery(withFilter(u"", item.kind, item.value)).errors.empty()) << utf8(item.value);
    }
}

}  // namespace
