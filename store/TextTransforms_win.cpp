// The system's case and width mappings: LCMapStringEx with the invariant locale, so that a paste
// transforms the same way whatever the user's language settings.
#include "store/TextMapping.h"

#include "base/Check.h"

#include <windows.h>

#include <climits>

namespace store::textmap {

namespace {

// The text mapped by LCMapStringEx with `flags`; the text unchanged when the system refuses it
// (the failure is traced).
std::u16string mapped(std::u16string_view text, DWORD flags) {
    if (text.empty() || text.size() > INT_MAX / 4)
        return std::u16string(text);
    const auto* source = reinterpret_cast<const wchar_t*>(text.data());
    const int sourceUnits = static_cast<int>(text.size());
    const int units = CHECK_WIN32(LCMapStringEx(LOCALE_NAME_INVARIANT, flags, source, sourceUnits, nullptr, 0,
                                                nullptr, nullptr, 0));
    if (units <= 0)
        return std::u16string(text);
    std::u16string result(static_cast<std::size_t>(units), u'\0');
    const int written = CHECK_WIN32(LCMapStringEx(LOCALE_NAME_INVARIANT, flags, source, sourceUnits,
                                                  reinterpret_cast<wchar_t*>(result.data()), units, nullptr, nullptr, 0));
    if (written <= 0)
        return std::u16string(text);
    result.resize(static_cast<std::size_t>(written));
    return result;
}

}  // namespace

std::u16string mapCase(std::u16string_view text, Case to) {
    std::u16string result = mapped(text, to == Case::Upper ? LCMAP_UPPERCASE : LCMAP_LOWERCASE);
    // The simple case mapping keeps the length; a system that did otherwise is not followed.
    return result.size() == text.size() ? result : std::u16string(text);
}

std::u16string mapWidth(std::u16string_view text, Width to) {
    return mapped(text, to == Width::Half ? LCMAP_HALFWIDTH : LCMAP_FULLWIDTH);
}

}  // namespace store::textmap
