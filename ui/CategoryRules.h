// The rules for the name of a new user category (no <windows.h>).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ui::category {

// Names are kept as they are typed: any characters, spaces at either end included. Longer
// names than this do not fit a tree node or a menu item whole.
inline constexpr std::size_t kMaxNameLength = 255;  // UTF-16 units

enum class NameProblem { None, Taken, TooLong };

// "InBox" and "HotKey" are always taken (in this letter case only); so is a name stored already.
NameProblem checkName(std::u16string_view name, const std::vector<std::u16string>& stored);

}  // namespace ui::category
