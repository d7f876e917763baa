#include "store/SecretRules.h"

#include "store/ClipFormats.h"
#include "store/Text.h"
#include "xml/XmlText.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace store {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isUpperAlnum(char c) {
    return isDigit(c) || (c >= 'A' && c <= 'Z');
}

bool isAlnum(char c) {
    return isUpperAlnum(c) || (c >= 'a' && c <= 'z');
}

bool isBase64Url(char c) {
    return isAlnum(c) || c == '-' || c == '_';
}

template <class Test>
bool allOf(std::string_view text, Test&& test) {
    return std::all_of(text.begin(), text.end(), test);
}

bool startsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

// The text without the white space around it, and without one pair of quotes around that.
std::string_view trimmed(std::string_view text) {
    const auto trim = [](std::string_view t) {
        const std::size_t first = t.find_first_not_of(" \t\r\n");
        if (first == std::string_view::npos)
            return std::string_view();
        return t.substr(first, t.find_last_not_of(" \t\r\n") - first + 1);
    };
    text = trim(text);
    if (text.size() >= 2 && text.front() == text.back() && (text.front() == '"' || text.front() == '\'' || text.front() == '`'))
        text = trim(text.substr(1, text.size() - 2));
    return text;
}

// "-----BEGIN " + a label holding "PRIVATE KEY" + "-----", on one line, anywhere in the text.
bool holdsPrivateKey(std::string_view text) {
    constexpr std::string_view begin = "-----BEGIN ";
    for (std::size_t at = text.find(begin); at != std::string_view::npos; at = text.find(begin, at + 1)) {
        const std::string_view rest = text.substr(at + begin.size());
        const std::size_t end = rest.find("-----");
        const std::string_view label = rest.substr(0, end);
        if (end != std::string_view::npos && label.find('\n') == std::string_view::npos &&
            label.find("PRIVATE KEY") != std::string_view::npos)
            return true;
    }
    return false;
}

bool isAwsAccessKeyId(std::string_view t) {
    return t.size() == 20 && (startsWith(t, "AKIA") || startsWith(t, "ASIA")) && allOf(t.substr(4), isUpperAlnum);
}

bool isGitHubToken(std::string_view t) {
    if (startsWith(t, "github_pat_"))
        return t.size() >= 11 + 40 && allOf(t.substr(11), [](char c) { return isAlnum(c) || c == '_'; });
    for (std::string_view prefix : {"ghp_", "gho_", "ghu_", "ghs_", "ghr_"})
        if (startsWith(t, prefix))
            return t.size() >= prefix.size() + 30 && allOf(t.substr(prefix.size()), isAlnum);
    return false;
}

bool isSlackToken(std::string_view t) {
    return t.size() >= 15 && startsWith(t, "xox") && std::string_view("abposr").find(t[3]) != std::string_view::npos &&
           t[4] == '-' && allOf(t.substr(5), [](char c) { return isAlnum(c) || c == '-'; });
}

// The bot's number, a colon, and 35 characters of base64url.
bool isTelegramBotToken(std::string_view t) {
    const std::size_t colon = t.find(':');
    return colon >= 8 && colon <= 10 && t.size() == colon + 1 + 35 && allOf(t.substr(0, colon), isDigit) &&
           allOf(t.substr(colon + 1), isBase64Url);
}

bool isGoogleApiKey(std::string_view t) {
    return t.size() == 39 && startsWith(t, "AIza") && allOf(t.substr(4), isBase64Url);
}

bool isStripeLiveKey(std::string_view t) {
    return t.size() >= 8 + 20 && startsWith(t, "sk_live_") && allOf(t.substr(8), isAlnum);
}

// Three base64url parts joined by dots, the first a JSON header ("eyJ" is the encoding of `{"`).
bool isJsonWebToken(std::string_view t) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t dot = t.find('.', start);
        parts.push_back(t.substr(start, dot == std::string_view::npos ? dot : dot - start));
        if (dot == std::string_view::npos)
            break;
        start = dot + 1;
    }
    return parts.size() == 3 && parts[0].size() >= 12 && startsWith(parts[0], "eyJ") &&
           std::all_of(parts.begin(), parts.end(),
                       [](std::string_view part) { return !part.empty() && allOf(part, isBase64Url); });
}

bool isToken(std::string_view t) {
    return isAwsAccessKeyId(t) || isGitHubToken(t) || isSlackToken(t) || isTelegramBotToken(t) || isGoogleApiKey(t) ||
           isStripeLiveKey(t) || isJsonWebToken(t);
}

bool passesLuhn(std::string_view digits) {
    int sum = 0;
    bool doubled = false;
    for (auto c = digits.rbegin(); c != digits.rend(); ++c) {
        int digit = *c - '0';
        if (doubled && (digit *= 2) > 9)
            digit -= 9;
        sum += digit;
        doubled = !doubled;
    }
    return sum % 10 == 0;
}

// The usual groups: fours and a last group of one to four, or 4-6-4 and 4-6-5 (Diners, Amex).
bool usualGroups(const std::vector<std::size_t>& groups) {
    if (groups.size() == 1 || groups == std::vector<std::size_t>{4, 6, 4} || groups == std::vector<std::size_t>{4, 6, 5})
        return true;
    for (std::size_t i = 0; i + 1 < groups.size(); ++i)
        if (groups[i] != 4)
            return false;
    return groups.back() >= 1 && groups.back() <= 4;
}

// 13 to 19 digits of a card network (the first digit 2 to 6), in one run or the usual groups split
// by one kind of separator (a space or a dash), passing the Luhn check.
bool isCardNumber(std::string_view t) {
    std::string digits;
    std::vector<std::size_t> groups{0};
    char separator = 0;
    for (char c : t) {
        if (isDigit(c)) {
            digits += c;
            ++groups.back();
        } else if ((c == ' ' || c == '-') && groups.back() > 0 && (separator == 0 || separator == c)) {
            separator = c;
            groups.push_back(0);
        } else {
            return false;
        }
    }
    return digits.size() >= 13 && digits.size() <= 19 && digits[0] >= '2' && digits[0] <= '6' && usualGroups(groups) &&
           passesLuhn(digits);
}

}  // namespace

SecretKind secretKind(std::string_view text) {
    if (text.size() > kLongestSecretText)
        return SecretKind::None;
    if (holdsPrivateKey(text))
        return SecretKind::PrivateKey;
    const std::string_view t = trimmed(text);
    if (isToken(t))
        return SecretKind::Token;
    if (isCardNumber(t))
        return SecretKind::CardNumber;
    return SecretKind::None;
}

SecretKind secretKindOfCopy(const ClipSnapshot& snapshot) {
    for (const int wanted : {kFormatUnicodeText, kFormatText}) {
        const auto format = std::find_if(snapshot.formats.begin(), snapshot.formats.end(),
                                          [wanted](const ClipSnapshot::Format& f) { return f.format == static_cast<unsigned>(wanted); });
        if (format == snapshot.formats.end())
            continue;
        // A text too long to be a secret is not converted either.
        if (format->bytes.size() > (kLongestSecretText + 1) * (wanted == kFormatUnicodeText ? 2 : 1))
            return SecretKind::None;
        const std::u16string text = wanted == kFormatUnicodeText ? utf16FromBytes(format->bytes)
                                                                 : codePageToUtf16(std::string_view(format->bytes.c_str()));
        return secretKind(xml::utf16ToUtf8(text));
    }
    return SecretKind::None;
}

}  // namespace store
