#include "options/ChordDecision.h"

#include <bitset>

namespace options {

namespace {

// The slot digit a key stands for: the main keyboard's and the keypad's digits; 0 for other keys.
int slotDigitOf(unsigned virtualKey) {
    if (virtualKey >= '0' && virtualKey <= '9')
        return static_cast<int>(virtualKey);
    if (virtualKey >= vk::kKeypad0 && virtualKey < vk::kKeypad0 + 10)
        return static_cast<int>(virtualKey - vk::kKeypad0 + '0');
    return 0;
}

bool modifiersFit(unsigned chord, unsigned held) {
    return (chord & held) == chord && (chord & kWin) == (held & kWin);
}

bool keyFits(ChordAction action, const Chord& chord, unsigned virtualKey) {
    switch (shapeOf(action)) {
    case ChordShape::SlotDigits: return slotDigitOf(virtualKey) != 0;
    case ChordShape::Key: return chord.key == virtualKey;
    default: return false;
    }
}

// Ranks a fitting chord: more modifiers first, then a chord that is on before one turned off.
int rankOf(const Chord& chord) {
    return static_cast<int>(std::bitset<4>(chord.modifiers).count()) * 2 + (chord.off ? 0 : 1);
}

}  // namespace

ChordMatch matchKey(const ChordOptions& options, const KeyPress& press, std::string_view programPath) {
    ChordMatch match;
    if (press.released || press.hookCode != 0 || press.rightAltDown)
        return match;
    if (isNoChordProgram(options.noChordPrograms, programPath))
        return match;
    std::optional<ChordAction> best;
    int bestRank = -1;
    for (const ChordAction action : allChordActions()) {
        const Chord& chord = options.chords[action];
        if (!keyFits(action, chord, press.virtualKey) || !modifiersFit(chord.modifiers, press.held))
            continue;
        if (rankOf(chord) > bestRank) {
            best = action;
            bestRank = rankOf(chord);
        }
    }
    if (!best || options.chords[*best].off)
        return match;
    match.action = best;
    if (shapeOf(*best) == ChordShape::SlotDigits)
        match.slotKey = slotDigitOf(press.virtualKey);
    match.plainText = *best == ChordAction::PasteQueueHead && (press.held & kShift) &&
                      !(options.chords[*best].modifiers & kShift);
    return match;
}

bool opensPointerMenu(const ChordOptions& options, unsigned held, std::string_view programPath) {
    const Chord& chord = options.chords[ChordAction::ClipMenuAtPointer];
    return !chord.off && chord.modifiers != 0 && modifiersFit(chord.modifiers, held) &&
           !isNoChordProgram(options.noChordPrograms, programPath);
}

}  // namespace options
