// CChordEngine: starts the chords of this process (one global object, theChordEngine, used by the
// exports and the hooks). The keyboard hook only decides and asks; the engine takes the desktop's
// one chord slot (or lets the chord wait for the one under way), then runs the chord in thread
// timers of the same thread: a wait until the user has let go of the chord's keys (a copy takes
// the busy flag then), a wait until the main program has read what the clipboard holds (our change
// will replace it), then the chord's own steps (CCopyChord, CPasteChord) and the events of its
// window. Every path out of a chord, failures and exceptions included, takes down the status keys
// and flags it raised, frees the slot and tells the main window what the chord did.
#pragma once

#include "hooklib/Chord.h"
#include "store/TextTransforms.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace hooklib {

class CChordEngine {
public:
    CChordEngine() = default;
    CChordEngine(const CChordEngine&) = delete;
    CChordEngine& operator=(const CChordEngine&) = delete;

    // `slotKey` '0' to '9'; `physicalKey` the key the user pressed (a keypad digit for a keypad
    // chord). Each returns false when the chord could neither start nor wait.
    bool CopyToSlot(int slotKey, int physicalKey);
    // With `transform`, the slot's text alone, transformed ("粘贴为").
    bool PasteSlot(int slotKey, int physicalKey, std::optional<store::Transform> transform = std::nullopt);
    // Ctrl+Alt+Q: the head of the paste queue pasted as a slot is (with `plainText` its text
    // alone); an empty queue pastes nothing and beeps.
    bool PasteQueueHead(bool plainText, int physicalKey);
    // The clip pasted into `target` (null: the foreground window). `historyNumber`, when the clip
    // has one, is what the main window hears was pasted, by this paste and the next slot pastes.
    // With `transform` its text alone, transformed, and the transform noted for the repeat chord.
    bool PasteClip(std::string clip, std::optional<int> historyNumber, bool plainText, HWND target = nullptr,
                   std::optional<store::Transform> transform = std::nullopt);
    // In the keyboard hook, as this thread takes a key.
    void KeyArriving(unsigned virtualKey, bool released);

private:
    enum class Phase { KeysUp, Seen, Work };
    struct WaitingChord {
        std::function<void(LONG slot)> begin;
        DWORD since = 0;
        UINT_PTR timer = 0;
    };
    bool whenChordFree(std::function<void(LONG slot)> begin);
    void tryWaitingChord();
    bool start(LONG slot, std::unique_ptr<CChord> chord, HWND target = nullptr);
    void stepTimerFired(UINT_PTR timer);
    void keysReleased();
    void waitUntilSeen();
    void clipboardSeen();
    void beginWork();
    bool makeChordWindow();
    void apply(CChord::Next next);
    void finishChord(bool completed);
    static void CALLBACK timerProcStep(HWND, UINT, UINT_PTR timer, DWORD);
    static void CALLBACK timerProcChordFree(HWND, UINT, UINT_PTR, DWORD);

    std::unique_ptr<CChord> m_chord;  // the chord under way in this process
    Phase m_phase = Phase::KeysUp;
    std::optional<WaitingChord> m_waitingChord;
    int m_lastHistoryNumber = 0;
};

extern CChordEngine theChordEngine;

}  // namespace hooklib
