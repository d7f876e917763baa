// Text at the Win32 boundary: UTF-8 inside the program, UTF-16 for every W call.
#pragma once

#include <string>
#include <string_view>

namespace fw {

std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view text);

}  // namespace fw
