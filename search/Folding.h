// How the search compares texts: Latin letters (ASCII and Latin-1 capitals) in one case,
// everything else (Chinese) as typed. A text is folded once and kept so; a keystroke folds only
// what was typed. The live list and the indexes of earlier runs fold alike, so that one query
// finds the same rows in both. Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace search {

// A text as the search compares it: a byte a unit when every unit is below 256, which holds a
// long text of Latin letters at half the size; else its UTF-16 units.
struct FoldedText {
    bool narrow = true;
    std::string bytes;     // when narrow
    std::u16string units;  // when not
};

// One unit in the search's case.
inline char16_t foldUnit(char16_t c) {
    // The multiplication sign (U+00D7) lies among the Latin-1 capitals but is no letter.
    if ((c >= u'A' && c <= u'Z') || (c >= u'\u00C0' && c <= u'\u00DE' && c != u'\u00D7'))
        return static_cast<char16_t>(c + 0x20);
    return c;
}

FoldedText foldedText(std::u16string_view text);
std::u16string foldedForSearch(std::u16string_view text);
// Whether two texts are the same, Latin letters in any case.
bool equalsFolded(std::u16string_view a, std::u16string_view b);

// A folded text where it lies (in memory or in an index file): narrow, a byte a unit; wide, its
// units as UTF-16 little-endian bytes. The search looks at bytes alone, so a text read from a
// file is searched where it lies, with no copy.
struct TextView {
    bool narrow = true;
    std::string_view bytes;
    std::size_t units() const { return narrow ? bytes.size() : bytes.size() / 2; }
    char16_t unit(std::size_t at) const {
        return narrow ? static_cast<unsigned char>(bytes[at])
                      : static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * at]) |
                                              static_cast<unsigned char>(bytes[2 * at + 1]) << 8);
    }
};
TextView viewOf(const FoldedText& text);

// A part of a text (or of the search box's text), in UTF-16 units.
struct TextSpan {
    std::size_t start = 0, length = 0;
    bool operator==(const TextSpan& other) const { return start == other.start && length == other.length; }
};

// Whether the folded `text` holds the folded `query` (given both ways: as its units, and as
// bytes when narrow).
bool holdsFolded(const FoldedText& text, const FoldedText& queryBytes, std::u16string_view queryUnits);

}  // namespace search
