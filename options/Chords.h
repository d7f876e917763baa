// The user's chords: for each action its modifiers, its key and whether it is turned off. The
// slot actions take the digits (only their modifiers are the user's); the clip menu at the pointer
// is a modifier held with a right click. Defaults are the chords the program always had. One text
// form for the registry, the options file and the dialog's messages: "Ctrl+Shift+数字",
// "Ctrl+Alt+`", "Ctrl+右键单击", with "关闭:" in front of a chord turned off.
#pragma once

#include "options/KeyNames.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace options {

enum class ChordAction {
    CopyToSlot,
    PasteSlot,
    RepeatTransform,  // "粘贴为" for a slot, with the last transform again
    PasteQueueHead,
    ClipMenuAtCaret,
    ShowMainWindow,
    ClipMenuAtPointer,
};
inline constexpr std::size_t kChordActions = 7;
// Every action, in the order the dialog lists them (and ties are settled in).
const std::array<ChordAction, kChordActions>& allChordActions();

enum class ChordShape { SlotDigits, Key, PointerModifier };
ChordShape shapeOf(ChordAction action);

struct Chord {
    unsigned modifiers = 0;  // Modifier bits
    unsigned key = 0;        // the virtual key; 0 for the slot digits and the pointer
    bool off = false;
    bool operator==(const Chord& other) const {
        return modifiers == other.modifiers && key == other.key && off == other.off;
    }
    bool operator!=(const Chord& other) const { return !(*this == other); }
};

struct ChordSettings {
    std::array<Chord, kChordActions> chords;
    const Chord& operator[](ChordAction action) const { return chords[static_cast<std::size_t>(action)]; }
    Chord& operator[](ChordAction action) { return chords[static_cast<std::size_t>(action)]; }
    bool operator==(const ChordSettings& other) const { return chords == other.chords; }
    bool operator!=(const ChordSettings& other) const { return !(*this == other); }
};

// Ctrl+digit, Ctrl+Alt+digit, Ctrl+Alt+Shift+digit, Ctrl+Alt+Q, Ctrl+Alt+`, Alt+C, Ctrl+right click.
const ChordSettings& defaultChords();

// What the user reads for the action: "复制到槽位".
std::string_view actionName(ChordAction action);
// The name of its value under the settings' Chords key and of its element in an options file.
std::string_view actionSettingName(ChordAction action);
std::optional<ChordAction> actionOfSettingName(std::string_view name);

// The chord's keys as the user reads them, on or off: "Ctrl+Shift+数字", "Ctrl+右键单击".
std::string chordText(ChordAction action, const Chord& chord);
// The stored text: chordText, with "关闭:" in front when it is off.
std::string chordSetting(ChordAction action, const Chord& chord);
// A stored text read strictly: the shape of the action (the digits' "数字", a key with a name,
// exactly one of Ctrl, Alt or Shift before "右键单击"), any letter case; nothing for any other.
std::optional<Chord> parseChordSetting(ChordAction action, std::string_view text);
// The chord of a value as the registry gave it: a missing or unreadable one is the default.
Chord chordFromSetting(ChordAction action, const std::optional<std::string>& text);

// The key combinations a chord takes: its key, or each digit 0-9 of the main keyboard for the
// slot actions; none for the pointer's modifier.
std::vector<KeyCombo> combosOf(ChordAction action, const Chord& chord);

}  // namespace options
