#include "search/TextFind.h"

#include <cstring>

namespace search {

namespace {

// How common a byte is in the texts people copy: zero (the high byte of every Latin unit of a
// wide text), the space, the most frequent English letters, the high bytes of Chinese units.
int commonness(unsigned char byte) {
    static constexpr std::string_view kFrequentLetters = "etaoinshrdlu";
    if (byte == 0)
        return 100;
    if (byte == ' ')
        return 90;
    if (const std::size_t rank = kFrequentLetters.find(static_cast<char>(byte)); rank != std::string_view::npos)
        return 80 - static_cast<int>(rank * 2);
    if (byte >= 'a' && byte <= 'z')
        return 40;
    if (byte >= '0' && byte <= '9')
        return 30;
    if (byte >= 0x4E && byte <= 0x9F)
        return 45;
    return 5;
}

std::size_t leastCommon(std::string_view bytes) {
    std::size_t best = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (commonness(static_cast<unsigned char>(bytes[i])) < commonness(static_cast<unsigned char>(bytes[best])))
            best = i;
    return best;
}

// The first place from `from` on, a multiple of `step`, where `hay` holds `needle`; npos when none.
std::size_t findBytes(std::string_view hay, std::string_view needle, std::size_t anchor, std::size_t from,
                      std::size_t step) {
    if (needle.empty())
        return from <= hay.size() ? from : std::string_view::npos;
    if (hay.size() < needle.size() || from > hay.size() - needle.size())
        return std::string_view::npos;
    const char* const base = hay.data();
    const char byte = needle[anchor];
    const std::size_t lastAnchor = hay.size() - needle.size() + anchor;
    std::size_t at = from + anchor;
    while (at <= lastAnchor) {
        const void* hit = std::memchr(base + at, byte, lastAnchor - at + 1);
        if (!hit)
            break;
        const std::size_t start = static_cast<std::size_t>(static_cast<const char*>(hit) - base) - anchor;
        if (start % step == 0 && std::memcmp(base + start, needle.data(), needle.size()) == 0)
            return start;
        at = start + anchor + 1;
    }
    return std::string_view::npos;
}

}  // namespace

Needle makeNeedle(std::u16string_view folded) {
    Needle needle;
    needle.units = folded;
    for (char16_t unit : folded) {
        needle.narrowable = needle.narrowable && unit < 0x100;
        needle.narrow += static_cast<char>(unit & 0xFF);
        needle.wide += static_cast<char>(unit & 0xFF);
        needle.wide += static_cast<char>(unit >> 8);
    }
    if (!needle.narrowable)
        needle.narrow.clear();
    needle.narrowAnchor = leastCommon(needle.narrow);
    needle.wideAnchor = leastCommon(needle.wide);
    return needle;
}

std::size_t findNeedle(TextView text, const Needle& needle, std::size_t from) {
    if (text.narrow) {
        if (!needle.narrowable)
            return std::string_view::npos;
        return findBytes(text.bytes, needle.narrow, needle.narrowAnchor, from, 1);
    }
    const std::size_t at = findBytes(text.bytes, needle.wide, needle.wideAnchor, 2 * from, 2);
    return at == std::string_view::npos ? at : at / 2;
}

}  // namespace search
