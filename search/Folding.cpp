#include "search/Folding.h"

#include <algorithm>

namespace search {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "a wide text's bytes are its units, little-endian");

namespace {

void foldInto(std::u16string_view text, std::u16string& out) {
    out.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        out[i] = foldUnit(text[i]);
}

}  // namespace

std::u16string foldedForSearch(std::u16string_view text) {
    std::u16string folded;
    foldInto(text, folded);
    return folded;
}

bool equalsFolded(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldUnit(a[i]) != foldUnit(b[i]))
            return false;
    return true;
}

FoldedText foldedText(std::u16string_view text) {
    FoldedText folded;
    folded.narrow = std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x100; });
    if (!folded.narrow) {
        foldInto(text, folded.units);
        return folded;
    }
    folded.bytes.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        folded.bytes[i] = static_cast<char>(foldUnit(text[i]));
    return folded;
}

TextView viewOf(const FoldedText& text) {
    if (text.narrow)
        return {true, text.bytes};
    // Reading the units' object representation as bytes is allowed to any type.
    return {false, std::string_view(reinterpret_cast<const char*>(text.units.data()), text.units.size() * 2)};
}

bool holdsFolded(const FoldedText& text, const FoldedText& queryBytes, std::u16string_view queryUnits) {
    if (queryUnits.empty())
        return true;
    if (!text.narrow)
        return text.units.find(queryUnits) != std::u16string::npos;
    // A narrow text holds no unit of 256 or above.
    return queryBytes.narrow && text.bytes.find(queryBytes.bytes) != std::string::npos;
}

}  // namespace search
