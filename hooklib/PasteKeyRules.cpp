#include "hooklib/PasteKeyRules.h"

#include "store/StorePaths.h"
#include "store/Text.h"

#include <algorithm>

namespace hooklib {

namespace {

bool matches(const PasteKeyRule& rule, std::string_view className, std::string_view programName) {
    const std::string match = store::asciiLower(options::trimSpaces(rule.match));
    return !match.empty() && (match == store::asciiLower(className) || match == store::asciiLower(programName));
}

}  // namespace

std::optional<std::vector<ChordKey>> parsePasteKeys(std::string_view text) {
    const std::optional<options::KeyCombo> combo = options::parsePasteKeys(text);
    if (!combo)
        return std::nullopt;
    const std::pair<unsigned, unsigned short> modifierKeys[] = {
        {options::kCtrl, kVkControl}, {options::kAlt, kVkAlt}, {options::kShift, kVkShift}};
    std::vector<unsigned short> pressed;
    for (const auto& [modifier, key] : modifierKeys)
        if (combo->modifiers & modifier)
            pressed.push_back(key);
    pressed.push_back(static_cast<unsigned short>(combo->key));
    std::vector<ChordKey> chord;
    for (const unsigned short key : pressed)
        chord.push_back({key, false});
    for (auto it = pressed.rbegin(); it != pressed.rend(); ++it)
        chord.push_back({*it, true});
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

}  // namespace hooklib
