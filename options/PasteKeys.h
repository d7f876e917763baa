// The user's paste-key rules (REG_SZ values of Software\Dravix\PasteKeys): a window class or a
// program's file name, and the keys that paste there ("Shift+Insert"). The text of the keys and the
// built-in rules live here, below both the hook library that sends them and the dialog that edits
// them.
#pragma once

#include "options/KeyNames.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace options {

struct PasteKeyRule {
    std::string match;  // "PuTTY", "putty.exe"
    std::string keys;   // "Shift+Insert"
    bool operator==(const PasteKeyRule& other) const { return match == other.match && keys == other.keys; }
    bool operator!=(const PasteKeyRule& other) const { return !(*this == other); }
};

// The built-in rules, after the user's own: consoles and terminals take Shift+Insert, Windows
// Terminal Ctrl+Shift+V.
const std::vector<PasteKeyRule>& builtInPasteKeyRules();

// The keys of a rule: Ctrl (Control), Shift and Alt before a letter, a digit or Insert (Ins), any
// case, spaces around "+" allowed; nothing for any other text.
std::optional<KeyCombo> parsePasteKeys(std::string_view text);

}  // namespace options
