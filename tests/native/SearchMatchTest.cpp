// Matching rows: words, filters of each kind and combined, patterns (bounded in time and in
// what they may be), and what matched, to be marked.
#include "search/Matcher.h"

#include "xml/XmlText.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

using namespace search;
using namespace std::chrono_literals;

struct TableRow {
    int kind;
    std::string copyTime, source, category;
    std::u16string content;
};

const std::vector<TableRow>& table() {
    static const std::vector<TableRow> rows = {
        {0, "2026-03-01 09:00:00", "C:\\Windows\\notepad.exe", "", u"Meeting notes: budget 2026"},
        {0, "2026-02-28 18:30:00", "C:\\Program Files\\Word\\WINWORD.EXE", "工作", u"报告全文 Budget 第二版"},
        {1, "2026-02-28 10:00:00", "C:\\Windows\\mspaint.exe", "", u"picture:size 1920*1080"},
        {2, "2026-02-20 10:00:00", "C:\\Windows\\explorer.exe", "工作", u"File:Path\"C:\\报告.docx\""},
        {0, "2026-01-15 12:00:00", "", "My Notes", u"email me: ANNA@example.com, tel 555-0100"},
        {0, "2025-12-31 23:59:59", "C:\\Windows\\Notepad.exe", "", u"Ünïcode CAFÉ résumé"},
    };
    return rows;
}

// The positions of the table's rows the box's text admits, today being 2026-03-01.
std::string admitted(std::u16string_view text, bool toggle = false) {
    const Matcher matcher(parseQuery(text, toggle), "2026-03-01");
    std::string out;
    for (std::size_t i = 0; i < table().size(); ++i) {
        const TableRow& row = table()[i];
        const FoldedText folded = foldedText(row.content);
        Deadline never;
        if (matcher.matches({row.kind, row.copyTime, row.source, row.category, viewOf(folded)}, never) == Verdict::Yes)
            out += std::to_string(i);
    }
    return out;
}

TEST(SearchMatch, FiltersOfEachKindAndWordsCombine) {
    struct Case {
        std::u16string text;
        std::string rows;
    };
    const Case cases[] = {
        {u"", "012345"},
        {u"budget", "01"},
        {u"BUDGET 2026", "0"},                 // every word, any order
        {u"2026 budget", "0"},
        {u"报告", "13"},
        {u"café RÉSUMÉ", "5"},                 // Latin-1 in any case
        {u"类型:文本", "0145"},
        {u"type:image", "2"},
        {u"类型:文件 类型:图片", "23"},         // one kind: any of them
        {u"程序:notepad", "05"},
        {u"app:WORD", "1"},
        {u"app:exe 类型:图片", "2"},
        {u"日期:今天", "0"},
        {u"date:yesterday", "12"},
        {u"日期:7天", "012"},
        {u"date:2026-01-01..2026-02-20", "34"},
        {u"date:..2025-12-31", "5"},
        {u"分类:工作", "13"},
        {u"cat:\"my notes\"", "4"},
        {u"分类:工作 报告 类型:文件", "3"},
        {u"程序:notepad 日期:2026-03-01", "0"},
        {u"类型:视频", ""},                     // an error admits nothing
        {u"re:\\d{3}-\\d{4}", "4"},
        {u"re:^meeting|^报告", "01"},
        {u"re:b[a-z]+t\\b 类型:文本", "01"},
        {u"budg.t", ""},                        // words are not patterns
        {u"budg.t", "01"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const bool toggle = i == std::size(cases) - 1;
        EXPECT_EQ(admitted(cases[i].text, toggle), cases[i].rows) << xml::utf16ToUtf8(cases[i].text);
    }
}

TEST(SearchMatch, APatternThatCannotBeUsedSaysWhyAndAdmitsNothing) {
    struct Case {
        std::u16string pattern;
        std::u16string error;
    };
    const Case cases[] = {
        {u"(ab", u"模式有误：括号不成对"},
        {u"[ab", u"模式有误：方括号不成对"},
        {u"*a", u"模式有误：* + ? 前面缺少内容"},
        {u"(a)\\1", u"模式有误：不支持反向引用"},
        {u"a{2000}", u"模式的重复次数太多"},
        {u"(a{40}){60}", u"模式太复杂"},
        {std::u16string(20, u'(') + u"a" + std::u16string(20, u')'), u"模式的括号嵌套太深"},
        {std::u16string(300, u'a'), u"模式太长"},
    };
    for (const Case& c : cases) {
        const Matcher matcher(parseQuery(u"re:" + c.pattern), "2026-03-01");
        EXPECT_EQ(xml::utf16ToUtf8(matcher.error()), xml::utf16ToUtf8(c.error)) << xml::utf16ToUtf8(c.pattern);
        Deadline never;
        EXPECT_EQ(matcher.holdsText(viewOf(foldedText(u"aaa")), never), Verdict::No);
    }
}

// What every match holds, beforehand: each branch of a top-level "|" apart, its literal words
// (what may repeat or be missing left out, groups and classes saying nothing) and the neighbours
// with a digit among them, digits as one class ("0").
TEST(SearchMatch, WhatEveryMatchOfAPatternHoldsIsKnownBeforehand) {
    struct Case {
        std::u16string pattern;
        std::string holds;
    };
    const Case cases[] = {
        {u"https?://[a-z]+\\.COM", "{http,://,.com}"},
        {u"ab+c*d{2}e?f", "{ab,d,f}"},
        {u"foo|bar\\.baz", "{foo}{bar.baz}"},
        {u"foo|[a-z]+", ""},  // a branch that says nothing: nothing known
        {u"(abc)+x\\x41y", "{x,y}"},
        {u"报告.*全文", "{报告,全文}"},
        {u"Ωmega", "{mega}"},  // a letter whose case only the pattern knows ends a word
        {u"INV\\d{4}-\\d\\d", "{inv,-|v0,00,0-,-0,00}"},
        {u"\\d{3}-\\d?x7", "{-,x7|00,0-,x0}"},
    };
    for (const Case& c : cases) {
        std::string holds;
        const Pattern pattern(c.pattern);
        for (const PatternBranch& branch : pattern.branches()) {
            holds += "{";
            for (std::size_t i = 0; i < branch.words.size(); ++i)
                holds += (i ? "," : "") + xml::utf16ToUtf8(branch.words[i].units);
            for (std::size_t i = 0; i < branch.digitPairs.size(); ++i)
                holds += std::string(i ? "," : "|") + static_cast<char>(branch.digitPairs[i].first) +
                         static_cast<char>(branch.digitPairs[i].second);
            holds += "}";
        }
        EXPECT_EQ(holds, c.holds) << xml::utf16ToUtf8(c.pattern);
    }
}

// A search of every kept run starts as the user types only for a query that narrows it: a word
// of 3 letters, or 2 characters beyond ASCII, in every branch; filters alone do too.
TEST(SearchMatch, ASelectiveQueryIsKnownBeforehand) {
    const struct {
        std::u16string text;
        bool selective;
    } cases[] = {
        {u"ze", false}, {u"zep", true}, {u"ze x zep", true}, {u"会", false}, {u"会议", true},
        {u"类型:图片", true}, {u"日期:今天 ab", false}, {u"re:\\d\\d", false}, {u"re:inv\\d", true},
        {u"re:zeppelin|ab", false}, {u"re:zeppelin|报告", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Matcher(parseQuery(c.text), "2026-03-01").selectiveEnough(), c.selective) << xml::utf16ToUtf8(c.text);
}

// (a+)+b over a long row of "a", and a pattern over a text far longer than any row: each returns
// at once with its answer (one pass), or at the deadline saying it was cut short.
TEST(SearchMatch, APatternThatWouldRunAwayIsBoundedInTime) {
    const FoldedText longRow = foldedText(std::u16string(20000, u'a'));
    const auto started = std::chrono::steady_clock::now();
    Deadline generous = Deadline::in(10s);
    EXPECT_EQ(Pattern(u"(a+)+b").search(viewOf(longRow), generous), Verdict::No);
    EXPECT_EQ(Pattern(u"(a|aa)*c").search(viewOf(longRow), generous), Verdict::No);
    EXPECT_FALSE(generous.cut());

    Deadline soon = Deadline::in(50ms);
    const FoldedText huge = foldedText(std::u16string(2'000'000, u'a'));
    EXPECT_EQ(Pattern(u"(a?){400}b").search(viewOf(huge), soon), Verdict::CutShort);
    EXPECT_TRUE(soon.cut());
    EXPECT_LT(std::chrono::steady_clock::now() - started, 8s);
}

TEST(SearchMatch, WhatMatchedIsMarked) {
    struct Case {
        std::u16string text;
        std::u16string content;
        std::vector<TextSpan> marks;
    };
    const Case cases[] = {
        {u"budget", u"Budget: the budget", {{0, 6}, {12, 6}}},
        {u"ab bc", u"xabcx abc", {{1, 3}, {6, 3}}},  // overlapping words joined
        {u"报告", u"年度报告和报告", {{2, 2}, {5, 2}}},
        {u"re:\\d+", u"a12b3", {{1, 2}, {4, 1}}},
        {u"re:x*", u"axxb", {{1, 2}}},              // empty matches mark nothing
        {u"re:^a", u"aaa", {{0, 1}}},
        {u"re:AB+", u"xabbb ab a", {{1, 4}, {6, 2}}},  // tried where its first word is
        {u"类型:文本", u"abc", {}},
    };
    for (const Case& c : cases) {
        const Matcher matcher(parseQuery(c.text), "2026-03-01");
        const FoldedText folded = foldedText(c.content);
        Deadline never;
        EXPECT_EQ(matcher.marks(viewOf(folded), never), c.marks) << xml::utf16ToUtf8(c.text);
    }
}

}  // namespace
