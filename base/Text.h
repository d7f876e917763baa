// Text at the Win32 boundary: UTF-8 inside the program, UTF-16 for every W call. The one pair of
// converters of both deliverables. One behaviour for bad input both ways, Windows' own: every
// byte sequence that is not UTF-8, and every lone surrogate, becomes U+FFFD (the replacement
// character); nothing is dropped and the text does not end at a zero.
#pragma once

#include <string>
#include <string_view>

namespace base {

std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view text);

// The portable code holds UTF-16 as char16_t; Windows' wchar_t is the same 16 bits.
inline std::wstring toWide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}
inline std::u16string toUtf16(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}

}  // namespace base
