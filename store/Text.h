// Text rules shared by both deliverables: ASCII case folding of whole strings, replacing and
// removing every occurrence of a piece, and the system code page conversions.
#pragma once

#include <string>
#include <string_view>

namespace store {

std::string asciiLower(std::string_view text);
void asciiLowerInPlace(std::string& text);
std::u16string asciiLower(std::u16string_view text);
bool containsIgnoringCase(std::string_view text, std::string_view part);
bool endsWithIgnoringCase(std::string_view text, std::string_view end);

// Every occurrence of `what` replaced by `with` (with `ignoreCase`, matched ASCII-case-blind).
std::string replaceAll(std::string_view text, std::string_view what, std::string_view with, bool ignoreCase = false);
std::u16string replaceAll(std::u16string_view text, std::u16string_view what, std::u16string_view with);

// The system code page: the bytes of clipboard format 1 and of the intro text. On Windows the
// ANSI code page (936 for our users); the native build takes them as UTF-8.
std::u16string codePageToUtf16(std::string_view bytes);
std::string utf16ToCodePage(std::u16string_view text);

}  // namespace store
