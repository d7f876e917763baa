// What the user types in the search box, read as words and filters:
//   类型:文本|图片|文件   type:text|image|files         the clip's kind
//   程序:notepad          app:notepad                   part of the source program's file name
//   日期:今天|昨天|7天|2026-12-01|2026-12-01..2026-12-08  date:today|yesterday|7d|...
//   分类:名字             cat:name                      the clip's category
// A key is followed by ":" or the Chinese "："; a value with spaces is quoted ("分类:"my notes"").
// Filters of one kind admit a clip that any of them admits; everything else must all hold: each
// word (a quoted part is one word, spaces and all), and each kind of filter. A leading "re:" (or
// the box's pattern toggle) makes the text other than the filters one regular expression.
// A filter whose value cannot be read is an error the box shows; a key with no value yet (the
// user is still typing) is no filter at all. Portable: no <windows.h>.
#pragma once

#include "search/Folding.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace search {

// The kinds of clip, numbered as the list's row images are.
enum class ClipKind { Text = 0, Picture = 1, Files = 2 };
enum class FilterKind { Type, Program, Date, Category };

// A day range of a date filter. Relative ones are resolved against the caller's today.
struct DateSpan {
    enum class Shape { Today, Yesterday, LastDays, Days } shape = Shape::Today;
    int days = 0;              // LastDays: the number of days up to today, today included
    std::string from, to;      // Days: "YYYY-MM-DD", inclusive; either may be empty (open)
};
// The days a filter admits, "YYYY-MM-DD" inclusive ("" open at that end).
struct DayRange {
    std::string from, to;
};
// `today` is "YYYY-MM-DD" (or a whole time stamp, whose date counts).
DayRange resolveDays(const DateSpan& span, std::string_view today);

struct Filter {
    FilterKind kind = FilterKind::Type;
    TextSpan span;
    ClipKind clipKind = ClipKind::Text;  // Type
    std::u16string value;                // Program, Category: as typed; Date: the span's text
    DateSpan date;                       // Date
};

struct QueryError {
    TextSpan span;
    std::u16string message;
};

struct Query {
    std::vector<std::u16string> words;  // folded for the search, never empty
    bool pattern = false;
    std::u16string patternText;         // as typed, without "re:" and the filters
    std::vector<Filter> filters;        // those that could be read, in the box's order
    std::vector<QueryError> errors;
    std::vector<TextSpan> filterSpans;  // every token with a filter's key, read or not
    TextSpan textSpan;                  // the words or the pattern (with its "re:"), first to last
    bool hasText() const { return pattern ? !patternText.empty() : !words.empty(); }
};

Query parseQuery(std::u16string_view text, bool patternToggle = false);

// The filters that are on, for the status line: "类型：图片，程序：notepad"; empty with none.
std::u16string filtersStatus(const Query& query);

// What Esc leaves of the box's text, one step at a time: first the words (or the pattern with
// its "re:") go, then the filters, the last in the box first; an empty box stays empty. What is
// left is the remaining filters as typed, one space apart.
std::u16string clearOneStep(std::u16string_view text, bool patternToggle = false);

// The box's text with a filter picked from the menu: the filters of that kind give way to it,
// added at the end with the Chinese key ("类型:图片"; a value with spaces quoted).
std::u16string withFilter(std::u16string_view text, FilterKind kind, std::u16string_view value);

// The fixed items of the menu beside the box (programs and categories come from the store).
struct FilterMenuItem {
    FilterKind kind;
    std::u16string_view value;
    std::u16string_view label;  // with its access key
};
const std::vector<FilterMenuItem>& filterMenuItems();
// The Chinese name of a kind of filter ("类型"), for the menu's submenus and the status line.
std::u16string_view filterKindName(FilterKind kind);

}  // namespace search
