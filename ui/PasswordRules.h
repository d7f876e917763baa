// What a password typed in the password dialog may be, in Chinese. Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ui::password {

// The most characters a password field takes.
inline constexpr std::size_t kMaxPasswordUnits = 256;

// What is wrong with a new password typed twice (empty, the two not the same); nothing when it is
// fine. An existing one is only checked for being there.
std::optional<std::string> newPasswordProblem(std::u16string_view first, std::u16string_view again);
std::optional<std::string> givenPasswordProblem(std::u16string_view password);

}  // namespace ui::password
