// The decisions of the hotkey engine, as plain functions over plain data (no <windows.h>).
#pragma once

#include <string_view>
#include <vector>

namespace hotkey {

inline constexpr unsigned kVkControl = 17;
inline constexpr unsigned kVkAlt = 18;
inline constexpr unsigned kVkShift = 16;
inline constexpr unsigned kVkC = 67;
inline constexpr unsigned kVkV = 86;

struct KeyDecision {
    enum Kind { PassOn, CopyToSlot, PasteSlot, ShowMainWindow };
    Kind kind = PassOn;
    int slotKey = 0;  // "0" (48) to "9" (57) for the slot actions
};

// What a key-down (or release) seen by the keyboard hook means. Digits of the main keyboard
// (48-57) and of the keypad (96-105, with Ctrl taken as the same digits) make the slot chords;
// Alt+C shows the main window (and is still passed on).
KeyDecision decideKey(int hookCode, unsigned virtualKey, bool released, bool ctrlDown, bool altDown);

struct ChordKey {
    unsigned short virtualKey;
    bool release;
};

// The copy chord; windows whose class name contains "mozilla" (any case) get a leading "C"
// (a release: a press would type the letter over the selection).
std::vector<ChordKey> copyChord(bool mozillaWindow);
std::vector<ChordKey> pasteChord();
// A chord without the presses and releases of `virtualKey`: a modifier the user still holds is
// neither pressed again nor let go of under the user's finger.
std::vector<ChordKey> withoutKey(std::vector<ChordKey> chord, unsigned virtualKey);

// A chord taken `started` (a tick count) that has not ended by `now` is given up as stale after
// this long: its application hung or went away.
inline constexpr unsigned long kStaleChordMs = 10000;
bool isChordStale(unsigned long started, unsigned long now);
bool isMozillaClass(std::string_view className);

// The history number a clip name carries: every "his" and "-" removed, the rest read as a
// number ("his12-" gives 12). False for a name without "his".
bool historyIndexFromName(std::string_view clipName, int& index);

}  // namespace hotkey
