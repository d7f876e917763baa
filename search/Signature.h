// A row's signature in a run's index: a bitmap of which pairs of neighbouring units its folded
// text holds, the pairs sorted into 1,024 classes (five bits of each unit: a Latin letter's own,
// else its higher bits folded into the lower); a pair with a digit in it counts once more with
// every digit as one (kDigitClass), so that a pattern's \d can ask for it. A word can only be in
// a text whose signature holds every class of the word's pairs, so a search reads the texts of
// the few rows whose signatures admit its words, and of no other row. (A word of one unit has no
// pair: every row is read.) Portable: no <windows.h>.
#pragma once

#include "search/Folding.h"
#include "search/TextFind.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace search {

inline constexpr std::size_t kSignatureWords = 16;  // 1,024 bits
inline constexpr std::size_t kSignatureBytes = kSignatureWords * 8;
inline constexpr char16_t kDigitClass = u'0';

inline bool isDigit(char16_t unit) {
    return unit >= u'0' && unit <= u'9';
}
inline char16_t digitClass(char16_t unit) {
    return isDigit(unit) ? kDigitClass : unit;
}

struct Signature {
    std::array<std::uint64_t, kSignatureWords> bits{};
    void addPair(char16_t first, char16_t second);
    // Whether every class of `wanted` is here.
    bool holdsAll(const Signature& wanted) const;
};

Signature signatureOf(TextView text);
// The classes a text must hold to hold all these words and these pairs (digits as kDigitClass).
Signature signatureOf(const std::vector<Needle>& words, const std::vector<std::pair<char16_t, char16_t>>& pairs = {});

}  // namespace search
