// What the key messages of one thread said of the modifiers, for the keyboard hook (portable).
// Windows defines a thread's key state by the key messages it took. Wine, when the pointer enters
// a window or a window opens under it, sets the key state to what the X server knows
// (KeymapNotify), without a message: a Ctrl typed through SendInput (an on-screen keyboard,
// another program, a script) then reads as up although its key-up never came, and the digit
// that follows would be typed over the user's selection instead of making the chord.
#pragma once

namespace hooklib {

// The right Alt, asked of held() apart from Alt: AltGr on the layouts that type with it. A hook is
// told VK_MENU for either Alt key; the right one comes as an extended key.
inline constexpr unsigned kVkRightAlt = 0xA5;

// A modifier taken down by this thread counts as held this long without a key-up: long enough
// for a person's chord, short enough that a key-up taken by another window is soon forgotten.
inline constexpr unsigned long kModifierMemoryMs = 1000;

class ModifierMemory {
public:
    // A key message this thread takes (any key; the left and right modifiers count as theirs;
    // `extended`: the message's extended-key flag).
    void onKey(unsigned virtualKey, bool released, bool extended, unsigned long tick);
    // Whether `modifier` (kVkControl, kVkAlt, kVkShift or kVkRightAlt) is held at `tick`: the key
    // state says so, or this thread took its key-down less than kModifierMemoryMs ago and no
    // key-up since.
    bool held(unsigned modifier, bool keyStateDown, unsigned long tick) const;

private:
    struct Taken {
        bool down = false;       // the last message of the key was a key-down ...
        unsigned long at = 0;    // ... taken at this tick
    };
    static constexpr int kRightAltSlot = 3;
    static int slotOf(unsigned virtualKey);
    Taken m_keys[4];  // Ctrl, Alt, Shift, the right Alt
};

}  // namespace hooklib
