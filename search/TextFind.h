// A word found in a folded text where it lies (search/Folding.h): a narrow text is searched
// byte by byte, a wide one as its units' bytes at even offsets. The scan jumps between the
// places of the word's least common byte, so that a word of rare letters costs little more than
// reading the text once. Portable: no <windows.h>.
#pragma once

#include "search/Folding.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace search {

// A folded word ready for both kinds of text.
struct Needle {
    std::u16string units;
    bool narrowable = true;  // every unit below 256: a narrow text can hold it
    std::string narrow;      // a byte a unit, when narrowable
    std::string wide;        // the units' bytes, little-endian
    std::size_t narrowAnchor = 0, wideAnchor = 0;  // the byte the scan looks for first
};
Needle makeNeedle(std::u16string_view folded);

// The unit at which the text holds the needle from `from` on, or npos.
std::size_t findNeedle(TextView text, const Needle& needle, std::size_t from = 0);

}  // namespace search
