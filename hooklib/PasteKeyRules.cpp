#include "hooklib/PasteKeyRules.h"

#include "store/StorePaths.h"
#include "store/Text.h"

#include <algorithm>

namespace hotkey {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

std::optional<unsigned> modifierKey(const std::string& name) {
    if (name == "ctrl" || name == "control")
        return kVkControl;
    if (name == "shift")
        return kVkShift;
    if (name == "alt")
        return kVkAlt;
    return std::nullopt;
}

// Letters and digits are their own virtual keys (upper case letters).
std::optional<unsigned> mainKey(const std::string& name) {
    if (name == "insert" || name == "ins")
        return kVkInsert;
    if (name.size() == 1 && name[0] >= 'a' && name[0] <= 'z')
        return static_cast<unsigned>(name[0] - 'a' + 'A');
    if (name.size() == 1 && name[0] >= '0' && name[0] <= '9')
        return static_cast<unsigned>(name[0]);
    return std::nullopt;
}

bool matches(const PasteKeyRule& rule, std::string_view className, std::string_view programName) {
    const std::string match = store::asciiLower(trimmed(rule.match));
    return !match.empty() && (match == store::asciiLower(className) || match == store::asciiLower(programName));
}

}  // namespace

const std::vector<PasteKeyRule>& builtInPasteKeyRules() {
    static const std::vector<PasteKeyRule> rules = {
        {"ConsoleWindowClass", "Shift+Insert"},
        {"PuTTY", "Shift+Insert"},
        {"mintty", "Shift+Insert"},
        {"KiTTY", "Shift+Insert"},
        {"CASCADIA_HOSTING_WINDOW_CLASS", "Ctrl+Shift+V"},
    };
    return rules;
}

std::optional<std::vector<ChordKey>> parsePasteKeys(std::string_view text) {
    std::vector<unsigned> modifiers;
    std::optional<unsigned> key;
    while (true) {
        const std::size_t plus = text.find('+');
        const std::string name = store::asciiLower(trimmed(text.substr(0, plus)));
        const std::optional<unsigned> modifier = modifierKey(name);
        const bool last = plus == std::string_view::npos;
        if (last) {
            key = mainKey(name);
            break;
        }
        if (!modifier || std::find(modifiers.begin(), modifiers.end(), *modifier) != modifiers.end())
            return std::nullopt;
        modifiers.push_back(*modifier);
        text.remove_prefix(plus + 1);
    }
    if (!key)
        return std::nullopt;
    std::vector<ChordKey> chord;
    for (const unsigned modifier : modifiers)
        chord.push_back({static_cast<unsigned short>(modifier), false});
    chord.push_back({static_cast<unsigned short>(*key), false});
    chord.push_back({static_cast<unsigned short>(*key), true});
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
        chord.push_back({static_cast<unsigned short>(*it), true});
    return chord;
}

std::vector<ChordKey> pasteKeysFor(const std::vector<PasteKeyRule>& userRules, std::string_view className,
                                   std::string_view programPath) {
    const std::string_view programName = store::fileNameOfPath(programPath);
    for (const std::vector<PasteKeyRule>* rules : {&userRules, &builtInPasteKeyRules()})
        for (const PasteKeyRule& rule : *rules)
            if (matches(rule, className, programName))
                if (std::optional<std::vector<ChordKey>> chord = parsePasteKeys(rule.keys))
                    return *chord;
    return pasteChord();
}

std::vector<ChordKey> withHeldModifiers(std::vector<ChordKey> chord, HeldModifiers held) {
    const std::pair<unsigned, bool> modifiers[] = {{kVkControl, held.control}, {kVkAlt, held.alt}, {kVkShift, held.shift}};
    for (const auto& [key, down] : modifiers) {
        if (!down)
            continue;
        const unsigned modifier = key;  // a structured binding cannot be captured (C++17)
        const bool used = std::any_of(chord.begin(), chord.end(), [&](const ChordKey& k) { return k.virtualKey == modifier; });
        if (used)
            chord = withoutKey(std::move(chord), modifier);
        else
            chord.insert(chord.begin(), ChordKey{static_cast<unsigned short>(modifier), true});
    }
    return chord;
}

bool isExtendedKey(unsigned virtualKey) {
    // Page Up/Down, End, Home, the arrows (33-40), Insert and Delete (45, 46).
    return (virtualKey >= 33 && virtualKey <= 40) || virtualKey == 45 || virtualKey == 46;
}

}  // namespace hotkey
