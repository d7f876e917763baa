// The number texts of the clip list's column 2: the history number, or "ctrl+alt+" + the slot
// digit. A row's clip comes from it; a text that names no clip (anything but a slot digit or a
// history number 1-999) gives an empty name, never a name that reaches other elements.
// Portable: no <windows.h>.
#pragma once

#include <string>
#include <string_view>

namespace store {

inline constexpr std::string_view kSlotNumberPrefix = "ctrl+alt+";
std::string historyNumberText(int number);
std::string slotNumberText(char digit);
std::string clipNameFromNumberText(std::string_view numberText);

}  // namespace store
