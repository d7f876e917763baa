#include "search/Signature.h"

namespace search {

namespace {

// Five bits of a unit: each (folded) Latin letter a class of its own, the digits three classes
// of their own, the space one, other ASCII two; any other unit its higher five-bit groups folded
// into its lowest, so that a Chinese character's class depends on all of its bits.
unsigned fiveBits(char16_t unit) {
    if (unit >= u'a' && unit <= u'z')
        return static_cast<unsigned>(unit - u'a');
    if (isDigit(unit))
        return 26u + static_cast<unsigned>(unit - u'0') % 3u;
    if (unit == u' ')
        return 29u;
    if (unit < 0x80)
        return 30u + (unit & 1u);
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
    for (std::size_t i = 1; i < units; ++i) {
        const char16_t first = text.unit(i - 1), second = text.unit(i);
        signature.addPair(first, second);
        if (isDigit(first) || isDigit(second))
            signature.addPair(digitClass(first), digitClass(second));
    }
    return signature;
}

Signature signatureOf(const std::vector<Needle>& words, const std::vector<std::pair<char16_t, char16_t>>& pairs) {
    Signature signature;
    for (const Needle& word : words)
        for (std::size_t i = 1; i < word.units.size(); ++i)
            signature.addPair(word.units[i - 1], word.units[i]);
    for (const auto& [first, second] : pairs)
        signature.addPair(first, second);
    return signature;
}

}  // namespace search
