// Text in a code page of Windows to UTF-16 and back: the one conversion behind base::toWide and
// toUtf8 (CP_UTF8) and the store's text in the system code page (CP_ACP, clipboard format 1).
// Bad input is handled as base/Text.h says.
#pragma once

#include <string>
#include <string_view>

namespace base {

std::wstring codePageToWide(std::string_view bytes, unsigned codePage);
std::string wideToCodePage(std::wstring_view text, unsigned codePage);

}  // namespace base
