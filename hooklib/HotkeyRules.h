// The decisions of the hotkey engine, as plain functions over plain data (no <windows.h>).
#pragma once

#include "options/ChordDecision.h"

#include <string_view>
#include <vector>

namespace hooklib {

inline constexpr unsigned kVkControl = options::vk::kControl;
inline constexpr unsigned kVkAlt = options::vk::kAlt;
inline constexpr unsigned kVkShift = options::vk::kShift;
inline constexpr unsigned kVkC = 'C';
inline constexpr unsigned kVkV = 'V';
inline constexpr unsigned kVkQ = 'Q';
inline constexpr unsigned kVkOem3 = options::vk::kBackquote;  // the key left of 1 (` on US keyboards)

struct KeyDecision {
    enum Kind { PassOn, CopyToSlot, PasteSlot, ShowMainWindow, PasteQueueHead, OpenClipMenu, RepeatTransform };
    Kind kind = PassOn;
    int slotKey = 0;         // "0" (48) to "9" (57) for the slot actions
    bool plainText = false;  // the queue's head: Shift held, its text alone
};

// What a key-down (or release) seen by the keyboard hook means under the user's chords
// (options::matchKey) in the program `programPath`. Digits of the main keyboard (48-57) and of the
// keypad (96-105) make the slot chords. The right Alt key is AltGr on the layouts that type
// characters with it (Windows adds a left Ctrl to it, so it reads as Ctrl+Alt): while it is down
// no key is a chord, and AltGr+Q ("@" on German and Polish layouts) or AltGr+7 ("{") reach the
// program as typed.
KeyDecision decideKey(const options::ChordOptions& chords, const options::KeyPress& press,
                      std::string_view programPath = {});
// The same under the default chords: Ctrl+digit copies into a slot, Ctrl+Alt+digit pastes it
// (Ctrl+Alt+Shift+digit repeats its last transform), Ctrl+Alt+Q pastes the head of the paste
// queue (with Shift its text alone), Ctrl+Alt+` opens the clip menu at the caret, Alt+C shows the
// main window (and is still passed on).
KeyDecision decideKey(int hookCode, unsigned virtualKey, bool released, bool ctrlDown, bool altDown,
                      bool shiftDown = false, bool rightAltDown = false);

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
// Whether a window of this class makes a caret when it gets the focus (the system's edit and rich
// edit boxes): then its caret shows that its thread has taken the focus.
bool showsCaretWhenFocused(std::string_view className);

// The history number a clip name carries: every "his" and "-" removed, the rest read as a
// number ("his12-" gives 12). False for a name without "his".
bool historyIndexFromName(std::string_view clipName, int& index);

// After the copy chord: what the target application did so far, and what comes next.
struct CopyWatch {
    unsigned long sinceChordMs = 0;    // since the copy chord was sent (the last time)
    bool answered = false;             // the clipboard changed, owned by the target's process
    bool chordHandled = false;         // the target's thread has handled the chord's keys
    unsigned long sinceHandledMs = 0;  // ... this long ago
    int chordsSent = 1;
};
enum class CopyStep { Wait, Store, SendAgain, GiveUp };
// A target answers the chord while it handles its keys; a little later at most. An answer that
// another program's copy replaced before we saw it is asked for again, a few times.
inline constexpr unsigned long kCopyAnswerGraceMs = 150;
inline constexpr unsigned long kCopyAnswerWaitMs = 1000;  // for a target whose keys we cannot watch
inline constexpr int kCopyChords = 3;
CopyStep afterCopyChord(const CopyWatch& watch);

// After the paste chord, with the user's clipboard to give back: the pasted clip was offered
// with its data rendered on request, so the target's reading is seen.
struct PasteWatch {
    unsigned long sinceKeyMs = 0;          // since the paste chord was sent
    int rendered = 0;                      // formats the target asked for so far
    unsigned long sinceLastRenderMs = 0;
    bool targetAnswers = false;            // its window answered a bounded message just now
    bool clipboardReplaced = false;        // another program's copy took the clipboard meanwhile
};
enum class PasteStep { Wait, Restore, LeaveAlone };
inline constexpr unsigned long kPasteQuietMs = 300;   // no further request this long: it has read
inline constexpr unsigned long kPasteBoundMs = 5000;  // restored by then, whatever happened
// Whether it is time to ask the target's window whether it is idle.
bool pasteReadQuiet(const PasteWatch& watch);
PasteStep afterPasteChord(const PasteWatch& watch);

}  // namespace hooklib
