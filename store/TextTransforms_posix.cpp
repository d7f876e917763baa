// A stand-in for the system's case and width mappings on a POSIX host (native tests): the C
// library's case mapping, held to the rules of the Windows invariant casing, and the width forms
// of the ranges Windows maps (full-width ASCII and signs, the ideographic space, kana with their
// sound marks, Korean letters), so that one table of cases holds on both.
#include "store/TextMapping.h"

#include <clocale>
#include <cwctype>
#include <locale.h>
#include <wctype.h>

namespace store::textmap {

namespace {

void appendCodePoint(std::u16string& text, char32_t c) {
    if (c < 0x10000) {
        text += static_cast<char16_t>(c);
    } else {
        text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        text += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
}

// Calls `map` with each character of the text (a surrogate pair as one, a lone surrogate as it is).
template <class Map>
std::u16string eachCodePoint(std::u16string_view text, Map&& map) {
    std::u16string result;
    result.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        char32_t c = text[at];
        if (c >= 0xD800 && c <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++at] - 0xDC00);
        map(result, c);
    }
    return result;
}

locale_t utf8Locale() {
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

char32_t caseOf(char32_t c, Case to) {
    const locale_t locale = utf8Locale();
    if (!locale)
        return c < 0x80 ? static_cast<char32_t>(to == Case::Upper ? std::towupper(c) : std::towlower(c)) : c;
    const auto mapped = static_cast<char32_t>(to == Case::Upper ? towupper_l(c, locale) : towlower_l(c, locale));
    // The invariant casing keeps ASCII to itself (ı, İ, ſ and the Kelvin sign stay) and a character
    // in its plane.
    if ((c >= 0x80 && mapped < 0x80) || (c < 0x10000) != (mapped < 0x10000))
        return c;
    return mapped;
}

// Half-width katakana U+FF66..U+FF9D and their full-width forms.
constexpr char16_t kHalfKana = 0xFF66;
constexpr char16_t kFullKana[] = u"ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン";
constexpr char16_t kVoicedMark = 0xFF9E, kSemiVoicedMark = 0xFF9F;

// The voiced (゛) or semi-voiced (゜) form of a full-width kana, or 0 when it has none.
char32_t soundMarked(char32_t kana, char16_t mark) {
    const bool h = kana == 0x30CF || kana == 0x30D2 || kana == 0x30D5 || kana == 0x30D8 || kana == 0x30DB;
    if (mark == kSemiVoicedMark)
        return h ? kana + 2 : 0;
    if (h || (kana >= 0x30AB && kana <= 0x30C8 && kana != 0x30C3))
        return kana + 1;
    return kana == 0x30A6 ? 0x30F4 : kana == 0x30EF ? 0x30F7 : kana == 0x30F2 ? 0x30FA : 0;
}

// Signs, punctuation and Korean letters: (full width, half width), both ways unless noted.
struct WidthPair {
    char32_t full, half;
};
constexpr WidthPair kWidthPairs[] = {
    {0x3000, 0x20},   {0xFFE0, 0xA2},   {0xFFE1, 0xA3},   {0xFFE2, 0xAC},   {0xFFE3, 0xAF},   {0xFFE4, 0xA6},
    {0xFFE5, 0xA5},   {0xFFE6, 0x20A9}, {0xFF5F, 0x2985}, {0xFF60, 0x2986}, {0x3002, 0xFF61}, {0x300C, 0xFF62},
    {0x300D, 0xFF63}, {0x3001, 0xFF64}, {0x30FB, 0xFF65}, {0x3099, 0xFF9E}, {0x309A, 0xFF9F}, {0x3164, 0xFFA0},
};
// Half width only: the spacing sound marks and the typographic quotes.
constexpr WidthPair kToHalfOnly[] = {{0x309B, 0xFF9E}, {0x309C, 0xFF9F}, {0x2018, 0x27},
                                     {0x2019, 0x27},   {0x201C, 0x22},   {0x201D, 0x22}};
// Korean letters: runs of half-width letters U+FFA1.. and the compatibility letters they stand for.
struct JamoRun {
    char32_t half, full, count;
};
constexpr JamoRun kJamoRuns[] = {{0xFFA1, 0x3131, 30}, {0xFFC2, 0x314F, 6}, {0xFFCA, 0x3155, 6},
                                 {0xFFD2, 0x315B, 6},  {0xFFDA, 0x3161, 3}};

// ASCII's printable characters have full-width forms at U+FF01..; the system keeps the backslash.
bool hasFullWidthForm(char32_t c) {
    return c >= 0x21 && c <= 0x7E && c != 0x5C;
}

char32_t pairedWidth(char32_t c, Width to) {
    for (const WidthPair& pair : kWidthPairs)
        if (c == (to == Width::Half ? pair.full : pair.half))
            return to == Width::Half ? pair.half : pair.full;
    if (to == Width::Half)
        for (const WidthPair& pair : kToHalfOnly)
            if (c == pair.full)
                return pair.half;
    for (const JamoRun& run : kJamoRuns) {
        const char32_t from = to == Width::Half ? run.full : run.half;
        if (c >= from && c < from + run.count)
            return c - from + (to == Width::Half ? run.half : run.full);
    }
    return 0;
}

void appendHalfWidth(std::u16string& text, char32_t c) {
    if (c >= 0xFF01 && c <= 0xFF5E && hasFullWidthForm(c - 0xFEE0))
        return appendCodePoint(text, c - 0xFEE0);
    if (const char32_t half = pairedWidth(c, Width::Half))
        return appendCodePoint(text, half);
    for (char16_t i = 0; kFullKana[i]; ++i) {
        for (const char16_t mark : {char16_t(0), kVoicedMark, kSemiVoicedMark}) {
            if (c == (mark ? soundMarked(kFullKana[i], mark) : kFullKana[i])) {
                text += static_cast<char16_t>(kHalfKana + i);
                if (mark)
                    text += mark;
                return;
            }
        }
    }
    appendCodePoint(text, c);
}

void appendFullWidth(std::u16string& text, char32_t c) {
    if (hasFullWidthForm(c))
        return appendCodePoint(text, c + 0xFEE0);
    // A sound mark after a kana that takes it makes one character with it.
    if ((c == kVoicedMark || c == kSemiVoicedMark) && !text.empty())
        if (const char32_t marked = soundMarked(text.back(), static_cast<char16_t>(c))) {
            text.back() = static_cast<char16_t>(marked);
            return;
        }
    if (c >= kHalfKana && c < kHalfKana + sizeof kFullKana / sizeof kFullKana[0] - 1)
        return appendCodePoint(text, kFullKana[c - kHalfKana]);
    const char32_t full = pairedWidth(c, Width::Full);
    appendCodePoint(text, full ? full : c);
}

}  // namespace

std::u16string mapCase(std::u16string_view text, Case to) {
    return eachCodePoint(text, [to](std::u16string& result, char32_t c) { appendCodePoint(result, caseOf(c, to)); });
}

std::u16string mapWidth(std::u16string_view text, Width to) {
    return eachCodePoint(text, to == Width::Half ? appendHalfWidth : appendFullWidth);
}

}  // namespace store::textmap
