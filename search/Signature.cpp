#include "search/Signature.h"

namespace search {

namespace {

// Five bits of a unit, each of its higher five-bit groups folded in: ASCII letters keep 26
// classes of their own, and a Chinese character's class depends on all of its bits.
unsigned fiveBits(char16_t unit) {
    return (unit ^ (unit >> 5) ^ (unit >> 10)) & 31u;
}

}  // namespace

void Signature::addPair(char16_t first, char16_t second) {
    const unsigned pairClass = fiveBits(first) << 5 | fiveBits(second);
    bits[pairClass >> 6] |= std::uint64_t{1} << (pairClass & 63);
}

bool Signature::holdsAll(const Signature& wanted) const {
    for (std::size_t i = 0; i < kSignatureWords; ++i)
        if ((bits[i] & wanted.bits[i]) != wanted.bits[i])
            return false;
    return true;
}

Signature signatureOf(TextView text) {
    Signature signature;
    const std::size_t units = text.units();
    for (std::size_t i = 1; i < units; ++i)
        signature.addPair(text.unit(i - 1), text.unit(i));
    return signature;
}

Signature signatureOf(const std::vector<Needle>& words) {
    Signature signature;
    for (const Needle& word : words)
        for (std::size_t i = 1; i < word.units.size(); ++i)
            signature.addPair(word.units[i - 1], word.units[i]);
    return signature;
}

}  // namespace search
