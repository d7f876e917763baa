// The text helpers of the XML component, shared with the store: ASCII case folding, escaping,
// UTF-8 / UTF-16, and the text of XML files (UTF-8 with a byte-order mark on disk).
#pragma once

#include "xml/XmlFlags.h"

#include <string>
#include <string_view>

namespace xml {

// ASCII case folding, the one used everywhere (letters outside ASCII are left alone).
inline char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

// "<", "&" and ">" as references (with EscapeQuotes also "'" and "\""; with KeepReferences a
// reference already in the text stays as it is).
std::string escapeText(std::string_view text, TextFlags flags = TextFlags::None);
std::string unescapeText(std::string_view text);
std::string encodeCdata(std::string_view text);

// Decodes UTF-8 leniently up to the end or a zero code point; invalid sequences become "?".
std::u16string utf8ToUtf16(std::string_view text);
// Encodes UTF-16; a lone surrogate becomes "?".
std::string utf16ToUtf8(std::u16string_view text);
// True for text that decodes and encodes back to itself: strict UTF-8 without a zero byte.
bool isCanonicalUtf8(std::string_view text);
// The UTF-8 text as it reads back after decoding and encoding again (invalid bytes as "?").
std::string normalizeUtf8(std::string_view text);

// The encoding named by the text's XML declaration; empty when it names none.
std::string declaredEncoding(std::string_view text);
// `result` is the byte count ("1234 bytes") or the system's error text.
bool readTextFile(const std::string& path, std::string& text, std::string& result);
bool writeTextFile(const std::string& path, std::string_view text, std::string& result);
// The bytes writeTextFile puts on disk for `text`: UTF-8 documents get the byte-order mark.
std::string textFileBytes(std::string_view text);
// The other way: the text that readTextFile makes of a file's bytes (the mark skipped).
void textFromFileBytes(std::string& bytes);

}  // namespace xml
