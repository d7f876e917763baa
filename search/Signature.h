// A row's signature in a run's index: a bitmap of which pairs of neighbouring units its folded
// text holds, the pairs sorted into 1,024 classes (five bits of each unit, its higher bits folded
// into the lower). A word can only be in a text whose signature holds every class of the word's
// pairs, so a search reads the texts of the few rows whose signatures admit its words, and of no
// other row. (A word of one unit has no pair: every row is read.) Portable: no <windows.h>.
#pragma once

#include "search/Folding.h"
#include "search/TextFind.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace search {

inline constexpr std::size_t kSignatureWords = 16;  // 1,024 bits
inline constexpr std::size_t kSignatureBytes = kSignatureWords * 8;

struct Signature {
    std::array<std::uint64_t, kSignatureWords> bits{};
    void addPair(char16_t first, char16_t second);
    // Whether every class of `wanted` is here.
    bool holdsAll(const Signature& wanted) const;
};

Signature signatureOf(TextView text);
// The classes a text must hold to hold all these words.
Signature signatureOf(const std::vector<Needle>& words);

}  // namespace search
