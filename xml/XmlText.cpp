// Text helpers of the XML component: case folding, escaping, CDATA and UTF conversions.
#include "xml/XmlText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace xml {

namespace {

bool isAsciiLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

// Length of the reference starting with "&" at `at` ("&name;", "&#65;"), or 0 if none starts.
std::size_t referenceLength(std::string_view text, std::size_t at) {
    std::size_t i = at + 1;
    if (i >= text.size())
        return 0;
    const unsigned char first = static_cast<unsigned char>(text[i]);
    if (!isAsciiLetter(first) && first != '#' && first != ':' && first != '_' && first < 0x80)
        return 0;
    for (++i; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ';')
            return i + 1 - at;
        if (!isAsciiLetter(c) && !isDigit(c) && c != '-' && c != '.' && c != ':' && c != '_' && c < 0x80)
            return 0;
    }
    return 0;
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool isSurrogate(char32_t code) {
    return code >= 0xD800 && code <= 0xDFFF;
}

// "&#65;" or "&#x41;" at `at`: the code point and the reference's length, or false when it is
// not a numeric reference this component resolves (no ";", more than 7 digits, code 0, or a
// code that has no UTF-8 form).
bool numericReference(std::string_view text, std::size_t at, char32_t& code, std::size_t& length) {
    std::size_t i = at + 2;
    const bool hex = i < text.size() && text[i] == 'x';
    if (hex)
        ++i;
    const std::size_t digitsStart = i;
    char32_t value = 0;
    for (; i < text.size() && text[i] != ';'; ++i) {
        if (i - digitsStart >= 7)
            return false;
        const unsigned char c = static_cast<unsigned char>(text[i]);
        int digit;
        if (isDigit(c))
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
    }
    if (i >= text.size() || i == digitsStart || value == 0 || value > 0x10FFFF || isSurrogate(value))
        return false;
    code = value;
    length = i + 1 - at;
    return true;
}

struct NamedEntity {
    std::string_view name;
    char character;
};

constexpr NamedEntity kNamedEntities[] = {
    {"&lt;", '<'}, {"&amp;", '&'}, {"&gt;", '>'}, {"&apos;", '\''}, {"&quot;", '"'},
};

// One character decoded from UTF-8 with the lenient rules of this component; -1 when invalid.
// `length` is the number of bytes the character (or the invalid start) takes.
long decodeUtf8(const unsigned char* p, const unsigned char* end, std::size_t& length) {
    const unsigned char lead = *p;
    length = 1;
    if (lead < 0x80)
        return lead;
    if ((lead & 0xF8) == 0xF8)
        return -1;
    int extra;
    long code;
    if (!(lead & 0x20)) {  // 110xxxxx, and a stray 10xxxxxx taken as a two-byte lead
        extra = 1;
        code = lead & 0x1F;
    } else if (!(lead & 0x10)) {
        extra = 2;
        code = lead & 0x0F;
    } else {
        extra = 3;
        code = lead & 0x07;
    }
    for (; extra > 0; --extra) {
        if (p + length >= end || !(p[length] & 0x80))
            return -1;
        code = (code << 6) | (p[length] & 0x3F);
        ++length;
    }
    return code;
}

}  // namespace

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

bool isCanonicalUtf8(std::string_view text) {
    if (std::memchr(text.data(), 0, text.size()))
        return false;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* end = p + text.size();
    while (p < end) {
        // ASCII runs, 32 bytes at a time.
        while (end - p >= 32) {
            std::uint64_t words[4];
            std::memcpy(words, p, 32);
            if ((words[0] | words[1] | words[2] | words[3]) & 0x8080808080808080ull)
                break;
            p += 32;
        }
        if (p >= end)
            break;
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra;
        char32_t minimum;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            minimum = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            minimum = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            minimum = 0x10000;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        char32_t code = c & (0x3F >> extra);
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i] & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || isSurrogate(code))
            return false;
        p += extra + 1;
    }
    return true;
}

std::string escapeText(std::string_view text, TextFlags flags) {
    const char* specials = has(flags, TextFlags::EscapeQuotes) ? "<&>'\"" : "<&>";
    if (text.find_first_of(specials) == std::string_view::npos)
        return std::string(text);
    std::string out;
    out.reserve(text.size() + text.size() / 10 + 7);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': {
            const std::size_t reference = has(flags, TextFlags::KeepReferences) ? referenceLength(text, i) : 0;
            if (reference) {
                out.append(text.substr(i, reference));
                i += reference - 1;
            } else {
                out += "&amp;";
            }
            break;
        }
        case '\'': out += has(flags, TextFlags::EscapeQuotes) ? "&apos;" : "'"; break;
        case '"': out += has(flags, TextFlags::EscapeQuotes) ? "&quot;" : "\""; break;
        default: out += c;
        }
    }
    return out;
}

std::string unescapeText(std::string_view text) {
    std::size_t amp = text.find('&');
    if (amp == std::string_view::npos)
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t copied = 0;
    while (amp != std::string_view::npos) {
        out.append(text.substr(copied, amp - copied));
        copied = amp + 1;
        char32_t code;
        std::size_t length;
        bool replaced = false;
        if (amp + 1 < text.size() && text[amp + 1] == '#') {
            if (numericReference(text, amp, code, length)) {
                appendUtf8(out, code);
                copied = amp + length;
                replaced = true;
            }
        } else {
            for (const NamedEntity& entity : kNamedEntities) {
                if (text.substr(amp, entity.name.size()) == entity.name) {
                    out += entity.character;
                    copied = amp + entity.name.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            out += '&';
        amp = text.find('&', copied);
    }
    out.append(text.substr(copied));
    return out;
}

std::string encodeCdata(std::string_view text) {
    std::string out = "<![CDATA[";
    out.reserve(text.size() + 12);
    std::size_t from = 0;
    for (std::size_t at = text.find("]]>"); at != std::string_view::npos; at = text.find("]]>", from)) {
        out.append(text.substr(from, at - from));
        out += "]]]]><![CDATA[>";
        from = at + 3;
    }
    out.append(text.substr(from));
    out += "]]>";
    return out;
}

std::u16string utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* end = p + text.size();
    while (p < end) {
        std::size_t length;
        const long code = decodeUtf8(p, end, length);
        p += length;
        if (code == 0)
            break;
        if (code < 0 || code > 0x10FFFF) {
            out += u'?';
        } else if (code > 0xFFFF) {
            const long offset = code - 0x10000;
            out += static_cast<char16_t>(0xD800 + (offset >> 10));
            out += static_cast<char16_t>(0xDC00 + (offset & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size() && text[i] != 0; ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
                ++i;
            } else {
                out += '?';
            }
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            out += '?';
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

std::string normalizeUtf8(std::string_view text) {
    if (isCanonicalUtf8(text))
        return std::string(text);
    return utf16ToUtf8(utf8ToUtf16(text));
}

}  // namespace xml
