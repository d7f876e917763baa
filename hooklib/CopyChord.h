// CCopyChord: Ctrl+digit, the target's selection copied into a slot. The user's clipboard is kept
// first (as "tempFile"); the chord notes that changes owned by the target's process are its answer
// and sends the copy keys; the answer is read while the clipboard is still open and written as
// the slot's clip, and the main window hears of it with the busy flag (it files the slot as a
// history record). Another program's copy meanwhile is left to the main program; an answer it
// replaced is asked for again (hooklib::afterCopyChord).
#pragma once

#include "hooklib/Chord.h"
#include "hooklib/ClipboardTransfer.h"
#include "hooklib/OwnChanges.h"
#include "base/Handle.h"

#include <optional>

namespace hooklib {

class CCopyChord : public CChord {
public:
    // `slotKey` '0' to '9'; `physicalKey` the key pressed (a keypad digit for a keypad chord).
    CCopyChord(int slotKey, int physicalKey);
    ~CCopyChord() override;

    bool holdsBusyFlag() const override { return true; }
    Next act() override;
    Next step() override { return checkAnswer(); }
    Next clipboardChanged() override { return checkAnswer(); }
    void keyArriving(unsigned virtualKey, bool released) override;
    void settle() override;
    Notice ending(bool completed) override;

private:
    Next sendCopyChord();
    void watchTargetThread();
    void stopWatching();
    Next checkAnswer();
    bool noteChordHandled(DWORD now);
    transfer::ClipboardRead readAnswer(bool recorderFirst);
    Next storeSlot(const store::ClipSnapshot& snapshot);
    // The target's own thread, through its thread hooks: its WM_COPY coming and returning.
    void copyComing(HWND window);
    void copyReturned(HWND window);
    void openForCopy(HWND window);
    void releaseOpenedForCopy();
    static LRESULT CALLBACK callWndProc(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK callWndProcReturned(int code, WPARAM wParam, LPARAM lParam);

    const int m_slotKey;
    COwnChange m_answer;                // the target's answer to the chord
    int m_chordsSent = 0;
    bool m_awaitingAnswer = false;      // the chord was sent and its answer not yet seen
    bool m_checking = false;
    base::UniqueHook m_copyHook;        // sees the target's WM_COPY coming (its own thread) ...
    base::UniqueHook m_copyReturnHook;  // ... and returning
    HWND m_openedFor = nullptr;         // the clipboard opened for the window about to copy
    DWORD m_checkedSequence = 0;        // the last change looked at
    std::optional<transfer::ClipboardRead> m_answerAtCopy;  // read as the target's WM_COPY returned
    bool m_copyKeyToggle = false;       // the C key's toggle state before our chord
    DWORD m_handledAt = 0;              // when the target's thread had handled the chord (0: not yet)
};

}  // namespace hooklib
