#include "search/Query.h"

#include "search/Folding.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace search {

namespace {

bool isSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\u3000';
}

bool isColon(char16_t c) {
    return c == u':' || c == u'\uFF1A';
}

// A token of the box: its place, its text with the quotes taken out, and where its key ends
// (a colon outside quotes), or npos.
struct Token {
    TextSpan span;
    std::u16string text;
    std::size_t colon = std::u16string::npos;
};

std::vector<Token> tokenize(std::u16string_view text) {
    std::vector<Token> tokens;
    std::size_t at = 0;
    while (at < text.size()) {
        if (isSpace(text[at])) {
            ++at;
            continue;
        }
        Token token;
        token.span.start = at;
        bool quoted = false;
        for (; at < text.size() && (quoted || !isSpace(text[at])); ++at) {
            if (text[at] == u'"')
                quoted = !quoted;
            else if (!quoted && isColon(text[at]) && token.colon == std::u16string::npos)
                token.colon = token.text.size(), token.text += text[at];
            else
                token.text += text[at];
        }
        token.span.length = at - token.span.start;
        tokens.push_back(std::move(token));
    }
    return tokens;
}

// A word the box knows and what it stands for.
template <typename Value>
struct Named {
    std::u16string_view name;
    Value value;
};

// What the folded `word` stands for in `table`.
template <typename Value, std::size_t size>
std::optional<Value> lookUp(const Named<Value> (&table)[size], std::u16string_view word) {
    const std::u16string folded = foldedForSearch(word);
    for (const Named<Value>& known : table)
        if (known.name == folded)
            return known.value;
    return std::nullopt;
}

constexpr Named<FilterKind> kKeys[] = {
    {u"类型", FilterKind::Type},    {u"type", FilterKind::Type},     {u"程序", FilterKind::Program},
    {u"app", FilterKind::Program},  {u"日期", FilterKind::Date},     {u"date", FilterKind::Date},
    {u"分类", FilterKind::Category}, {u"cat", FilterKind::Category},
};

std::optional<FilterKind> keyOf(const Token& token) {
    if (token.colon == std::u16string::npos)
        return std::nullopt;
    return lookUp(kKeys, std::u16string_view(token.text).substr(0, token.colon));
}

constexpr Named<ClipKind> kKindNames[] = {
    {u"文本", ClipKind::Text},     {u"文字", ClipKind::Text},     {u"text", ClipKind::Text},
    {u"图片", ClipKind::Picture},  {u"图像", ClipKind::Picture},  {u"image", ClipKind::Picture},
    {u"picture", ClipKind::Picture}, {u"文件", ClipKind::Files},  {u"files", ClipKind::Files},
    {u"file", ClipKind::Files},
};

std::u16string_view kindName(ClipKind kind) {
    return kind == ClipKind::Text ? u"文本" : kind == ClipKind::Picture ? u"图片" : u"文件";
}

// ---- dates ----

// Days since 1970-01-01 of a civil date, and back (the proleptic Gregorian calendar).
long daysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const long yearOfEra = year - era * 400;
    const long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::string civilText(long days) {
    days += 719468;
    const long era = (days >= 0 ? days : days - 146096) / 146097;
    const long dayOfEra = days - era * 146097;
    const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long shifted = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
    const int month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
    const long year = yearOfEra + era * 400 + (month <= 2);
    char text[48];
    std::snprintf(text, sizeof text, "%04ld-%02d-%02d", year, month, day);
    return text;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// A whole number of ASCII digits, at most `maxDigits` of them; -1 otherwise.
int number(std::u16string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits)
        return -1;
    int value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// "2026-12-01" (month and day may have one digit) as "YYYY-MM-DD"; nothing when it is no date.
std::optional<std::string> calendarDate(std::u16string_view text) {
    const std::size_t first = text.find(u'-');
    const std::size_t second = first == std::u16string_view::npos ? first : text.find(u'-', first + 1);
    if (second == std::u16string_view::npos || first != 4)
        return std::nullopt;
    const int year = number(text.substr(0, first), 4);
    const int month = number(text.substr(first + 1, second - first - 1), 2);
    const int day = number(text.substr(second + 1), 2);
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return std::nullopt;
    return civilText(daysFromCivil(year, month, day));
}

std::optional<DateSpan> dateSpan(std::u16string_view value) {
    const std::u16string folded = foldedForSearch(value);
    DateSpan span;
    if (folded == u"今天" || folded == u"today")
        return span;
    if (folded == u"昨天" || folded == u"yesterday") {
        span.shape = DateSpan::Shape::Yesterday;
        return span;
    }
    const std::u16string_view view = folded;
    for (std::u16string_view unit : {u"天", u"d"}) {
        if (view.size() > unit.size() && view.substr(view.size() - unit.size()) == unit) {
            span.days = number(view.substr(0, view.size() - unit.size()), 4);
            if (span.days < 1)
                return std::nullopt;
            span.shape = DateSpan::Shape::LastDays;
            return span;
        }
    }
    span.shape = DateSpan::Shape::Days;
    const std::size_t dots = view.find(u"..");
    if (dots == std::u16string_view::npos) {
        const std::optional<std::string> day = calendarDate(view);
        if (!day)
            return std::nullopt;
        span.from = span.to = *day;
        return span;
    }
    const std::u16string_view from = view.substr(0, dots), to = view.substr(dots + 2);
    const std::optional<std::string> first = from.empty() ? std::optional<std::string>("") : calendarDate(from);
    const std::optional<std::string> last = to.empty() ? std::optional<std::string>("") : calendarDate(to);
    if (!first || !last || (from.empty() && to.empty()) || (!from.empty() && !to.empty() && *last < *first))
        return std::nullopt;
    span.from = *first;
    span.to = *last;
    return span;
}

std::u16string ascii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

std::u16string dateStatus(const DateSpan& span) {
    switch (span.shape) {
    case DateSpan::Shape::Today:
        return u"今天";
    case DateSpan::Shape::Yesterday:
        return u"昨天";
    case DateSpan::Shape::LastDays:
        return u"最近 " + ascii(std::to_string(span.days)) + u" 天";
    case DateSpan::Shape::Days:
        break;
    }
    if (span.from == span.to)
        return ascii(span.from);
    if (span.to.empty())
        return ascii(span.from) + u" 起";
    if (span.from.empty())
        return u"至 " + ascii(span.to);
    return ascii(span.from) + u" 至 " + ascii(span.to);
}

// ---- reading the filters ----

// The filter a token with a known key makes; an error when its value cannot be read. A key
// without a value is neither.
void readFilter(const Token& token, FilterKind kind, Query& query) {
    query.filterSpans.push_back(token.span);
    const std::u16string_view value = std::u16string_view(token.text).substr(token.colon + 1);
    if (value.empty())
        return;
    Filter filter;
    filter.kind = kind;
    filter.span = token.span;
    filter.value = value;
    std::u16string error;
    if (kind == FilterKind::Type) {
        if (const std::optional<ClipKind> known = lookUp(kKindNames, value))
            filter.clipKind = *known;
        else
            error = u"类型只能是 文本、图片 或 文件";
    } else if (kind == FilterKind::Date) {
        if (const std::optional<DateSpan> span = dateSpan(value))
            filter.date = *span;
        else
            error = u"日期应为 今天、昨天、7天、2026-12-01 或 2026-12-01..2026-12-08";
    }
    if (error.empty())
        query.filters.push_back(std::move(filter));
    else
        query.errors.push_back({token.span, std::move(error)});
}

bool startsWithPatternMark(const Token& token) {
    return token.colon == 2 && foldedForSearch(std::u16string_view(token.text).substr(0, 2)) == u"re";
}

// The box's text from `from` on with the filters' tokens (each with the space before it) taken
// out, trimmed at both ends: the pattern, or the words as typed.
std::u16string withoutSpans(std::u16string_view text, std::size_t from, const std::vector<TextSpan>& filters) {
    std::u16string pattern;
    std::size_t at = from;
    for (const TextSpan& span : filters) {
        if (span.start < from)
            continue;
        std::size_t end = span.start;
        if (end > at && isSpace(text[end - 1]))
            --end;
        pattern.append(text.substr(at, end - at));
        at = span.start + span.length;
    }
    pattern.append(text.substr(at));
    const auto first = std::find_if_not(pattern.begin(), pattern.end(), isSpace);
    const auto last = std::find_if_not(pattern.rbegin(), pattern.rend(), isSpace).base();
    return first < last ? std::u16string(first, last) : std::u16string();
}

void noteText(TextSpan span, Query& query) {
    if (query.textSpan.length == 0)
        query.textSpan = span;
    else
        query.textSpan.length = span.start + span.length - query.textSpan.start;
}

}  // namespace

DayRange resolveDays(const DateSpan& span, std::string_view today) {
    const std::optional<std::string> day = calendarDate(ascii(today.substr(0, 10)));
    if (span.shape == DateSpan::Shape::Days)
        return {span.from, span.to};
    if (!day)
        return {"9999-99-99", ""};  // no today to count from: nothing is admitted
    const long now = daysFromCivil(std::stoi(day->substr(0, 4)), std::stoi(day->substr(5, 2)), std::stoi(day->substr(8, 2)));
    switch (span.shape) {
    case DateSpan::Shape::Yesterday:
        return {civilText(now - 1), civilText(now - 1)};
    case DateSpan::Shape::LastDays:
        return {civilText(now - span.days + 1), *day};
    default:
        return {*day, *day};
    }
}

Query parseQuery(std::u16string_view text, bool patternToggle) {
    Query query;
    const std::vector<Token> tokens = tokenize(text);
    query.pattern = patternToggle || (!tokens.empty() && startsWithPatternMark(tokens.front()));
    std::size_t patternFrom = text.size();
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (i == 0 && query.pattern && startsWithPatternMark(token)) {
            patternFrom = token.span.start + 3;
            noteText(token.span, query);
            continue;
        }
        if (const std::optional<FilterKind> kind = keyOf(token)) {
            readFilter(token, *kind, query);
            continue;
        }
        patternFrom = std::min(patternFrom, token.span.start);
        noteText(token.span, query);
        if (!query.pattern)
            query.words.push_back(foldedForSearch(token.text));
    }
    if (query.pattern)
        query.patternText = withoutSpans(text, patternFrom, query.filterSpans);
    query.words.erase(std::remove(query.words.begin(), query.words.end(), std::u16string()), query.words.end());
    return query;
}

std::u16string filtersStatus(const Query& query) {
    std::u16string status;
    for (const Filter& filter : query.filters) {
        if (!status.empty())
            status += u"，";
        status += filterKindName(filter.kind);
        status += u"：";
        switch (filter.kind) {
        case FilterKind::Type:
            status += kindName(filter.clipKind);
            break;
        case FilterKind::Date:
            status += dateStatus(filter.date);
            break;
        default:
            status += filter.value;
        }
    }
    return status;
}

namespace {

// The filters' tokens as typed, one space apart, leaving out the one at `skip` (npos: none)
// and those of `skipKind`.
std::u16string joinFilters(std::u16string_view text, const std::vector<TextSpan>& spans, std::size_t skip,
                           std::optional<FilterKind> skipKind = std::nullopt) {
    std::u16string out;
    for (std::size_t i = 0; i < spans.size(); ++i) {
        if (i == skip)
            continue;
        const std::u16string_view token = text.substr(spans[i].start, spans[i].length);
        if (skipKind && keyOf(tokenize(token).front()) == skipKind)
            continue;
        if (!out.empty())
            out += u' ';
        out += token;
    }
    return out;
}

}  // namespace

std::u16string clearOneStep(std::u16string_view text, bool patternToggle) {
    const Query query = parseQuery(text, patternToggle);
    if (query.textSpan.length > 0)
        return joinFilters(text, query.filterSpans, std::u16string::npos);
    if (query.filterSpans.empty())
        return {};
    return joinFilters(text, query.filterSpans, query.filterSpans.size() - 1);
}

std::u16string withFilter(std::u16string_view text, FilterKind kind, std::u16string_view value) {
    const Query query = parseQuery(text);
    const bool quote = std::any_of(value.begin(), value.end(), [](char16_t c) { return isSpace(c) || isColon(c); });
    std::u16string filter(filterKindName(kind));
    filter += u':';
    filter += quote ? u"\"" + std::u16string(value) + u"\"" : std::u16string(value);
    // The words stay first; the other filters follow them as typed, then the one picked.
    std::u16string out = withoutSpans(text, 0, query.filterSpans);
    for (const std::u16string& part : {joinFilters(text, query.filterSpans, std::u16string::npos, kind), filter}) {
        if (part.empty())
            continue;
        if (!out.empty())
            out += u' ';
        out += part;
    }
    return out;
}

std::u16string_view filterKindName(FilterKind kind) {
    switch (kind) {
    case FilterKind::Type:
        return u"类型";
    case FilterKind::Program:
        return u"程序";
    case FilterKind::Date:
        return u"日期";
    case FilterKind::Category:
        return u"分类";
    }
    return u"";
}

const std::vector<FilterMenuItem>& filterMenuItems() {
    static const std::vector<FilterMenuItem> items = {
        {FilterKind::Type, u"文本", u"文本(&T)"},     {FilterKind::Type, u"图片", u"图片(&I)"},
        {FilterKind::Type, u"文件", u"文件(&F)"},     {FilterKind::Date, u"今天", u"今天(&D)"},
        {FilterKind::Date, u"昨天", u"昨天(&Y)"},     {FilterKind::Date, u"7天", u"最近 7 天(&W)"},
        {FilterKind::Date, u"30天", u"最近 30 天(&M)"},
    };
    return items;
}

}  // namespace search
