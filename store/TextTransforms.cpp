#include "store/TextTransforms.h"

#include "store/ClipFormats.h"
#include "store/Text.h"
#include "store/TextMapping.h"

namespace store {

namespace {

using textmap::Case;
using textmap::Width;

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The number of units of the character that begins at `at` (a surrogate pair is two).
std::size_t unitsAt(std::u16string_view text, std::size_t at) {
    return isHighSurrogate(text[at]) && at + 1 < text.size() && isLowSurrogate(text[at + 1]) ? 2 : 1;
}

char32_t codePointAt(std::u16string_view text, std::size_t at) {
    if (unitsAt(text, at) == 2)
        return 0x10000 + ((static_cast<char32_t>(text[at]) - 0xD800) << 10) + (text[at + 1] - 0xDC00);
    return text[at];
}

// The character that ends just before `end` (> 0).
char32_t codePointBefore(std::u16string_view text, std::size_t end) {
    if (end >= 2 && isLowSurrogate(text[end - 1]) && isHighSurrogate(text[end - 2]))
        return codePointAt(text, end - 2);
    return text[end - 1];
}

bool isLineBreak(char16_t unit) {
    return (unit >= 0x0A && unit <= 0x0D) || unit == 0x85 || unit == 0x2028 || unit == 0x2029;
}

// Unicode's White_Space characters (all in the basic plane, so a surrogate is never one).
bool isWhiteSpace(char16_t unit) {
    return unit == 0x09 || unit == 0x20 || isLineBreak(unit) || unit == 0xA0 || unit == 0x1680 ||
           (unit >= 0x2000 && unit <= 0x200A) || unit == 0x202F || unit == 0x205F || unit == 0x3000;
}

// What trimming takes from the ends: white space, and the invisible zero-width space and
// byte-order mark that copies from web pages and files bring along.
bool isTrimmed(char16_t unit) {
    return isWhiteSpace(unit) || unit == 0x200B || unit == 0xFEFF;
}

// Scripts written without spaces between words: Han, kana, Bopomofo, CJK punctuation and
// symbols, full-width forms. (Korean is written with spaces.)
bool isWrittenWithoutSpaces(char32_t c) {
    return (c >= 0x2E80 && c <= 0x2FFF) || (c >= 0x3000 && c <= 0x312F) || (c >= 0x3190 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF01 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFF);
}

std::u16string trimmed(std::u16string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && isTrimmed(text[begin]))
        ++begin;
    while (end > begin && isTrimmed(text[end - 1]))
        --end;
    return std::u16string(text.substr(begin, end - begin));
}

// Each run of white space that holds a line break becomes one space, or nothing between two
// characters of a script written without spaces and at either end of the text; other runs stay.
std::u16string oneLine(std::u16string_view text) {
    std::u16string joined;
    joined.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (!isWhiteSpace(text[at])) {
            joined += text[at++];
            continue;
        }
        std::size_t end = at;
        bool breaks = false;
        for (; end < text.size() && isWhiteSpace(text[end]); ++end)
            breaks = breaks || isLineBreak(text[end]);
        if (!breaks)
            joined.append(text.substr(at, end - at));
        else if (at > 0 && end < text.size() &&
                 !(isWrittenWithoutSpaces(codePointBefore(text, at)) && isWrittenWithoutSpaces(codePointAt(text, end))))
            joined += u' ';
        at = end;
    }
    return joined;
}

// Words are separated by white space; a word's first cased character (one that a case mapping
// changes) goes upper case, the rest of the word lower case. Marks that combine with a letter
// stay after it as they were.
std::u16string titleCase(std::u16string_view text) {
    const std::u16string upper = textmap::mapCase(text, Case::Upper);
    std::u16string title = textmap::mapCase(text, Case::Lower);
    if (upper.size() != text.size() || title.size() != text.size())
        return std::u16string(text);  // mapCase keeps the length; nothing is made up otherwise
    bool capitalised = false;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t units = unitsAt(text, at);
        if (isWhiteSpace(text[at])) {
            capitalised = false;
        } else if (!capitalised && (upper.compare(at, units, text, at, units) != 0 ||
                                    title.compare(at, units, text, at, units) != 0)) {
            title.replace(at, units, upper, at, units);
            capitalised = true;
        }
        at += units;
    }
    return title;
}

// The clip's text: its Unicode text, else its text in the system code page.
std::optional<std::u16string> clipText(const RestorableFormats& formats) {
    for (const auto& [format, bytes] : formats)
        if (format == static_cast<unsigned>(kFormatUnicodeText))
            return utf16FromBytes(bytes);
    for (const auto& [format, bytes] : formats)
        if (format == static_cast<unsigned>(kFormatText))
            return codePageToUtf16(std::string_view(bytes).substr(0, bytes.find('\0')));
    return std::nullopt;
}

}  // namespace

const TransformName& transformName(Transform transform) {
    for (const TransformName& name : kTransformNames)
        if (name.transform == transform)
            return name;
    return kTransformNames[0];
}

std::optional<Transform> transformFromId(std::string_view id) {
    for (const TransformName& name : kTransformNames)
        if (name.id == id)
            return name.transform;
    return std::nullopt;
}

std::optional<Transform> transformFromNumber(unsigned number) {
    for (const TransformName& name : kTransformNames)
        if (static_cast<unsigned>(name.transform) == number)
            return name.transform;
    return std::nullopt;
}

std::u16string transformText(Transform transform, std::u16string_view text) {
    switch (transform) {
    case Transform::Plain:
        break;
    case Transform::Upper:
        return textmap::mapCase(text, Case::Upper);
    case Transform::Lower:
        return textmap::mapCase(text, Case::Lower);
    case Transform::Title:
        return titleCase(text);
    case Transform::Trim:
        return trimmed(text);
    case Transform::OneLine:
        return oneLine(text);
    case Transform::HalfWidth:
        return textmap::mapWidth(text, Width::Half);
    case Transform::FullWidth:
        return textmap::mapWidth(text, Width::Full);
    }
    return std::u16string(text);
}

RestorableFormats transformedPaste(const RestorableFormats& formats, Transform transform) {
    RestorableFormats pasted;
    if (transform == Transform::Plain) {
        for (const auto& format : formats)
            if (isPlainTextFormat(static_cast<int>(format.first)))
                pasted.push_back(format);
        return pasted;
    }
    const std::optional<std::u16string> text = clipText(formats);
    if (!text)
        return pasted;
    pasted.emplace_back(kFormatUnicodeText, utf16Block(transformText(transform, *text)));
    for (const auto& format : formats)
        if (format.first == static_cast<unsigned>(kFormatLocale))
            pasted.push_back(format);
    return pasted;
}

}  // namespace store
