// Text as JSON writes it (RFC 8259): the command line's rows for scripts. Portable.
#pragma once

#include <string>
#include <string_view>

namespace app {

// `text` as a JSON string, quotes included: quote and backslash escaped, control characters as
// \n, \t... or \u00XX, U+2028 and U+2029 as \u escapes (JavaScript takes them as line ends), the
// rest as UTF-8. Bytes that are not UTF-8 become "?", so the result is always valid JSON.
std::string jsonString(std::string_view text);

}  // namespace app
