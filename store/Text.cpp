#include "store/Text.h"

#include "xml/XmlText.h"

using xml::equalsIgnoringAsciiCase;

namespace store {

namespace {

template <typename Char>
void lowerInPlace(std::basic_string<Char>& text) {
    for (Char& c : text)
        if (c >= Char('A') && c <= Char('Z'))
            c = static_cast<Char>(c - Char('A') + Char('a'));
}

template <typename Char>
std::basic_string<Char> lowerCopy(std::basic_string_view<Char> text) {
    std::basic_string<Char> out(text);
    lowerInPlace(out);
    return out;
}

template <typename Char>
std::basic_string<Char> replaceEvery(std::basic_string_view<Char> text, std::basic_string_view<Char> what,
                                     std::basic_string_view<Char> with, std::basic_string_view<Char> searched) {
    std::basic_string<Char> out;
    if (what.empty())
        return std::basic_string<Char>(text);
    std::size_t from = 0;
    for (std::size_t at = searched.find(what); at != std::basic_string_view<Char>::npos;
         at = searched.find(what, from)) {
        out.append(text.substr(from, at - from));
        out.append(with);
        from = at + what.size();
    }
    out.append(text.substr(from));
    return out;
}

}  // namespace

std::string asciiLower(std::string_view text) {
    return lowerCopy(text);
}

std::u16string asciiLower(std::u16string_view text) {
    return lowerCopy(text);
}

void asciiLowerInPlace(std::string& text) {
    lowerInPlace(text);
}

bool containsIgnoringCase(std::string_view text, std::string_view part) {
    return asciiLower(text).find(asciiLower(part)) != std::string::npos;
}

bool endsWithIgnoringCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && equalsIgnoringAsciiCase(text.substr(text.size() - end.size()), end);
}

std::string replaceAll(std::string_view text, std::string_view what, std::string_view with, bool ignoreCase) {
    if (!ignoreCase)
        return replaceEvery(text, what, with, text);
    const std::string lowerText = asciiLower(text);
    const std::string lowerWhat = asciiLower(what);
    return replaceEvery(text, std::string_view(lowerWhat), with, std::string_view(lowerText));
}

std::u16string replaceAll(std::u16string_view text, std::u16string_view what, std::u16string_view with) {
    return replaceEvery(text, what, with, text);
}

}  // namespace store
