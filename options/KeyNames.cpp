#include "options/KeyNames.h"

#include "store/Text.h"

namespace options {

namespace {

struct NamedKey {
    unsigned virtualKey;
    std::string_view name;
};

// The keys with a name of their own; letters, digits, F keys and the keypad's digits are counted.
constexpr NamedKey kNamedKeys[] = {
    {0xC0, "`"},       {0xBD, "-"},        {0xBB, "="},       {0xDB, "["},      {0xDD, "]"},
    {0xDC, "\\"},      {0xBA, ";"},        {0xDE, "'"},       {0xBC, ","},      {0xBE, "."},
    {0xBF, "/"},       {0x2D, "Insert"},   {0x2E, "Delete"},  {0x24, "Home"},   {0x23, "End"},
    {0x21, "PageUp"},  {0x22, "PageDown"}, {0x25, "Left"},    {0x26, "Up"},     {0x27, "Right"},
    {0x28, "Down"},    {0x20, "Space"},    {0x09, "Tab"},     {0x0D, "Enter"},  {0x1B, "Esc"},
    {0x08, "Backspace"}, {0x13, "Pause"},
};

constexpr NamedKey kAliases[] = {{0x2D, "Ins"}, {0x2E, "Del"}};

constexpr NamedKey kModifierNames[] = {{kCtrl, "Ctrl"}, {kAlt, "Alt"}, {kShift, "Shift"}, {kWin, "Win"}};

std::optional<unsigned> modifierFromName(std::string_view name) {
    const std::string lower = store::asciiLower(name);
    if (lower == "control")
        return kCtrl;
    for (const NamedKey& modifier : kModifierNames)
        if (lower == store::asciiLower(modifier.name))
            return modifier.virtualKey;
    return std::nullopt;
}

// A decimal number of one or two digits between `low` and `high`; nothing otherwise.
std::optional<unsigned> smallNumber(std::string_view digits, unsigned low, unsigned high) {
    if (digits.empty() || digits.size() > 2 || (digits.size() == 2 && digits[0] == '0'))
        return std::nullopt;
    unsigned value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

}  // namespace

std::string_view trimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

std::string keyName(unsigned virtualKey) {
    if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z'))
        return std::string(1, static_cast<char>(virtualKey));
    if (virtualKey >= vk::kF1 && virtualKey < vk::kF1 + 24)
        return "F" + std::to_string(virtualKey - vk::kF1 + 1);
    if (virtualKey >= vk::kKeypad0 && virtualKey < vk::kKeypad0 + 10)
        return "Num" + std::to_string(virtualKey - vk::kKeypad0);
    for (const NamedKey& key : kNamedKeys)
        if (key.virtualKey == virtualKey)
            return std::string(key.name);
    return {};
}

std::optional<unsigned> keyFromName(std::string_view name) {
    const std::string lower = store::asciiLower(name);
    if (lower.size() == 1 && ((lower[0] >= '0' && lower[0] <= '9') || (lower[0] >= 'a' && lower[0] <= 'z')))
        return static_cast<unsigned>(lower[0] >= 'a' ? lower[0] - 'a' + 'A' : lower[0]);
    if (lower.size() > 1 && lower[0] == 'f')
        if (const std::optional<unsigned> number = smallNumber(std::string_view(lower).substr(1), 1, 24))
            return vk::kF1 + *number - 1;
    if (lower.size() == 4 && lower.compare(0, 3, "num") == 0)
        if (const std::optional<unsigned> number = smallNumber(std::string_view(lower).substr(3), 0, 9))
            return vk::kKeypad0 + *number;
    const auto named = [&](const NamedKey& key) { return lower == store::asciiLower(key.name); };
    for (const NamedKey& key : kNamedKeys)
        if (named(key))
            return key.virtualKey;
    for (const NamedKey& key : kAliases)
        if (named(key))
            return key.virtualKey;
    return std::nullopt;
}

unsigned modifierOfKey(unsigned virtualKey) {
    switch (virtualKey) {
    case vk::kShift: return kShift;
    case vk::kControl: return kCtrl;
    case vk::kAlt: return kAlt;
    case vk::kLeftWin:
    case vk::kRightWin: return kWin;
    default: return 0;
    }
}

std::string modifiersText(unsigned modifiers) {
    std::string text;
    for (const NamedKey& modifier : kModifierNames)
        if (modifiers & modifier.virtualKey)
            text.append(modifier.name).append("+");
    return text;
}

std::optional<SplitKeys> splitKeys(std::string_view text) {
    SplitKeys split;
    for (std::size_t plus; (plus = text.find('+')) != std::string_view::npos; text.remove_prefix(plus + 1)) {
        const std::optional<unsigned> modifier = modifierFromName(trimSpaces(text.substr(0, plus)));
        if (!modifier || (split.modifiers & *modifier))
            return std::nullopt;
        split.modifiers |= *modifier;
    }
    split.last = std::string(trimSpaces(text));
    if (split.last.empty())
        return std::nullopt;
    return split;
}

std::optional<KeyCombo> parseKeyCombo(std::string_view text) {
    const std::optional<SplitKeys> split = splitKeys(text);
    if (!split)
        return std::nullopt;
    const std::optional<unsigned> key = keyFromName(split->last);
    if (!key)
        return std::nullopt;
    return KeyCombo{split->modifiers, *key};
}

std::string formatKeyCombo(const KeyCombo& combo) {
    return modifiersText(combo.modifiers) + keyName(combo.key);
}

}  // namespace options
