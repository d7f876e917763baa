// The library's own clipboard changes, noted in the shared section as they are made (every
// process that maps the library writes there), and the main program's question about a change
// it is about to read. Every operation that changes the clipboard notes a range while it holds
// the clipboard open, so no other program's change can fall before the range begins; the change
// the target application makes in answer to our copy chord is noted before the chord is sent,
// and tells itself apart by its owner: the target's process. The decision is OwnChangeRules.h.
#pragma once

#include <windows.h>

// The process of a window; 0 for none.
DWORD processOfWindow(HWND window);

// One noted range, from begin() until end() (or until it goes).
class COwnChange {
public:
    COwnChange() = default;
    // The changes from the next sequence number on whose clipboard a window of `ownerProcess`
    // owns are the library's, until end().
    static COwnChange begin(DWORD ownerProcess);
    COwnChange(COwnChange&& other) noexcept : m_ticket(other.m_ticket) { other.m_ticket = 0; }
    COwnChange& operator=(COwnChange&& other) noexcept;
    COwnChange(const COwnChange&) = delete;
    COwnChange& operator=(const COwnChange&) = delete;
    ~COwnChange() { end(); }

    // The range ends with the clipboard's present change.
    void end();
    // The range ends with the change `sequence`: later changes of that process are not ours.
    void endWith(DWORD sequence);
    bool underWay() const { return m_ticket != 0; }

private:
    LONG m_ticket = 0;
};

// The body of the export IsOwnClipboardChange: whether the change `sequence`, whose clipboard a
// window of `ownerProcess` owns, is the library's own. It also notes that the main program has
// looked at that change.
bool isOwnClipboardChange(DWORD sequence, DWORD ownerProcess);

// Whether the main program's recorder has looked at the clipboard's present contents (so a change
// of ours may replace them without losing a copy); true when no recorder has ever asked.
bool recorderSawClipboard();
// Waits (a millisecond at a time) until it has, or no main program is there; false when the
// bound ran out first.
bool waitUntilRecorderSaw(DWORD boundMs);
