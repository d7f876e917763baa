// Which chord a key press makes, and whether a right click opens the clip menu, under the user's
// chords: plain functions the hook library calls on every key and click.
#pragma once

#include "options/ChordOptions.h"

#include <optional>
#include <string_view>

namespace options {

struct KeyPress {
    int hookCode = 0;           // the keyboard hook's code: only HC_ACTION (0) makes a chord
    unsigned virtualKey = 0;
    bool released = false;
    unsigned held = 0;          // the Modifier bits held
    bool rightAltDown = false;  // AltGr on the layouts that type with it
};

struct ChordMatch {
    std::optional<ChordAction> action;  // nothing: the key reaches the program as typed
    int slotKey = 0;                    // '0' to '9' for the slot actions (keypad digits too)
    bool plainText = false;             // the queue's head with Shift held beyond its chord
};

// A chord acts when its key is pressed with its modifiers held; more may be held, but Win only when
// the chord has it (Win chords are the shell's). Where several fit, the one with the most
// modifiers wins (Ctrl+Alt+digit pastes, though Ctrl+digit copies); a chord turned off still holds
// its keys, so they reach the program rather than a chord with fewer modifiers. Nothing acts while
// the right Alt is down (AltGr types characters as Ctrl+Alt), on a release, for a hook code other
// than HC_ACTION, or in a program where no chord acts (`programPath`, empty when not known).
ChordMatch matchKey(const ChordOptions& options, const KeyPress& press, std::string_view programPath = {});

// Whether a right click with `held` modifiers opens the clip menu: the pointer's modifier is held,
// the chord is on, Win is not held, and the program is not one where no chord acts.
bool opensPointerMenu(const ChordOptions& options, unsigned held, std::string_view programPath = {});

}  // namespace options
