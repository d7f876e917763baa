// Which keys paste in a window: consoles and terminals ignore Ctrl+V and take Shift+Insert (or,
// in Windows Terminal, Ctrl+Shift+V). A plain function over the window's class and its program.
#pragma once

#include "hooklib/HotkeyRules.h"
#include "options/PasteKeys.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hooklib {

inline constexpr unsigned kVkInsert = options::vk::kInsert;

// One rule: a window class or a program's file name ("putty.exe"), and the keys that paste there
// as the user writes them ("Shift+Insert", "Ctrl+Shift+V"); the built-in ones after the user's.
using options::PasteKeyRule;
using options::builtInPasteKeyRules;

// "Ctrl+Shift+V" as a chord (options::parsePasteKeys reads the text): the modifiers pressed in
// the order Ctrl, Alt, Shift, the key pressed and released, the modifiers released in reverse.
// Nothing for a text that is not such keys.
std::optional<std::vector<ChordKey>> parsePasteKeys(std::string_view text);

// The paste chord for a window of `className` whose program is `programPath` (empty when it is
// not known): the first rule, the user's before the built-in ones, whose match is the class or
// the program's file name (ASCII case ignored, as Windows compares both) and whose keys can be
// read; Ctrl+V when none.
std::vector<ChordKey> pasteKeysFor(const std::vector<PasteKeyRule>& userRules, std::string_view className,
                                   std::string_view programPath);

// The chord as it is sent while the user still holds some modifiers: a held modifier the chord
// presses is neither pressed again nor let go of under the user's finger; one it does not use is
// let go of first, or the target would see another chord.
struct HeldModifiers {
    bool control = false;
    bool alt = false;
    bool shift = false;
};
std::vector<ChordKey> withHeldModifiers(std::vector<ChordKey> chord, HeldModifiers held);

// Keys Windows sends with the extended-key flag (Insert and its block, the arrows): without it a
// synthesised Insert reads as the keypad's 0 to programs that look at the scan code.
bool isExtendedKey(unsigned virtualKey);

}  // namespace hooklib
