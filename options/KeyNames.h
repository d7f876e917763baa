// Keys as people write them ("Ctrl+Shift+V", "Alt+F4"): the modifiers, the names of the keys a
// chord may use, and the text of a combination both ways. Portable: the virtual-key numbers are
// Win32's, written out here so that no <windows.h> is needed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace options {

// Modifier bits, in the order their names are written.
enum Modifier : unsigned { kCtrl = 1, kAlt = 2, kShift = 4, kWin = 8 };
inline constexpr unsigned kAllModifiers = kCtrl | kAlt | kShift | kWin;

namespace vk {
inline constexpr unsigned kShift = 0x10;
inline constexpr unsigned kControl = 0x11;
inline constexpr unsigned kAlt = 0x12;
inline constexpr unsigned kInsert = 0x2D;
inline constexpr unsigned kDelete = 0x2E;
inline constexpr unsigned kLeftWin = 0x5B;
inline constexpr unsigned kRightWin = 0x5C;
inline constexpr unsigned kKeypad0 = 0x60;
inline constexpr unsigned kF1 = 0x70;
inline constexpr unsigned kBackquote = 0xC0;  // the key left of 1
}  // namespace vk

// A key with the modifiers held for it.
struct KeyCombo {
    unsigned modifiers = 0;
    unsigned key = 0;
    bool operator==(const KeyCombo& other) const { return modifiers == other.modifiers && key == other.key; }
    bool operator!=(const KeyCombo& other) const { return !(*this == other); }
};

// The names of the keys a chord may end with: letters, digits, F1-F24, the punctuation keys by
// their US characters ("`", "-", "="...), Insert, Delete, Home, End, PageUp, PageDown, the arrows,
// Space, Tab, Enter, Esc, Backspace, Pause, Num0-Num9. Empty for any other key.
std::string keyName(unsigned virtualKey);
// The other way, in any letter case ("ins" and "del" too); nothing for a name not in the list.
std::optional<unsigned> keyFromName(std::string_view name);
// The modifier a modifier key stands for (Shift, Ctrl, Alt, either Win key); 0 for other keys.
unsigned modifierOfKey(unsigned virtualKey);

// "Ctrl+Alt+" for kCtrl | kAlt: each modifier's name and a "+", in the fixed order.
std::string modifiersText(unsigned modifiers);

// A text of "+"-joined parts ("Ctrl + Shift+V", any case, spaces around "+"): the modifiers named
// before the last part, and the last part trimmed. Nothing when a part before the last is not a
// modifier (Ctrl or Control, Alt, Shift, Win) or names one twice, or the last part is empty.
struct SplitKeys {
    unsigned modifiers = 0;
    std::string last;
};
std::optional<SplitKeys> splitKeys(std::string_view text);
// Modifiers and a named key; nothing for any other text.
std::optional<KeyCombo> parseKeyCombo(std::string_view text);
std::string formatKeyCombo(const KeyCombo& combo);

// The text with its leading and trailing spaces gone.
std::string_view trimSpaces(std::string_view text);

}  // namespace options
