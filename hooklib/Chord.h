// CChord: one chord under way, the base of each kind (CCopyChord, CPasteChord). The engine
// (ChordEngine.h) starts it, waits until the user has let go of its keys and the main program has
// looked at the clipboard, then hands it its work and the events of its window; the chord says
// what comes next. What every chord has while under way is here: the desktop's chord slot as
// taken, its target, its one step timer, its window, and what the main program had looked at.
#pragma once

#include "hooklib/ChordWindow.h"

#include <windows.h>

#include <memory>
#include <vector>

namespace hooklib {

// One step of a chord at a time: each step's thread timer replaces the last one's, and runs the
// procedure the chord was begun with; began() is when the step under way began.
class CStepTimer {
public:
    CStepTimer() = default;
    CStepTimer(const CStepTimer&) = delete;
    CStepTimer& operator=(const CStepTimer&) = delete;
    ~CStepTimer() { stop(); }

    void use(TIMERPROC procedure);
    // False, reported, when the timer could not be set.
    bool start(UINT ms);
    void stop();
    bool fired(UINT_PTR timer) const { return timer != 0 && timer == m_timer; }
    DWORD began() const { return m_began; }

private:
    TIMERPROC m_procedure = nullptr;
    UINT_PTR m_timer = 0;
    DWORD m_began = 0;
};

class CChord {
public:
    // Numbered as the trace names them.
    enum class Kind { Copy = 1, PasteSlot = 2, PasteClip = 3, PasteQueued = 4 };
    // What a chord's step asks of the engine: go on (its own timer, if any, runs), wait again
    // until the main program has looked at the clipboard and act again, or end.
    enum class Next { GoOn, WhenSeen, Completed, GivenUp };
    // What the main window hears as the chord ends (message 0: nothing).
    struct Notice {
        UINT message = 0;
        WPARAM wParam = 0;
    };

    // The step timer stops and the window goes with the chord.
    virtual ~CChord();
    CChord(const CChord&) = delete;
    CChord& operator=(const CChord&) = delete;

    // The chord begins: `stepProcedure` runs its steps (the engine's), `target` is the window it
    // is meant for.
    void beginRun(LONG slot, HWND target, TIMERPROC stepProcedure);
    Kind kind() const { return m_kind; }
    LONG slot() const { return m_slot; }
    HWND target() const { return m_target; }
    // Waited for until the user lets go of them.
    const std::vector<int>& heldKeys() const { return m_heldKeys; }

    CStepTimer& stepTimer() { return m_stepTimer; }
    const CStepTimer& stepTimer() const { return m_stepTimer; }

    bool makeWindow(CChordWnd::Events events);
    HWND window() const { return m_window ? m_window->hwnd() : nullptr; }
    void dropWindow() { m_window.reset(); }

    // Whether the main program had looked at the clipboard's change `sequence` when the chord's
    // work began (it may have been waited for in vain).
    void noteSeen(bool seen, DWORD sequence);
    void noteBusyFlagTaken() { m_busyFlagTaken = true; }
    bool busyFlagTaken() const { return m_busyFlagTaken; }

    // The chord's own part.
    virtual bool textOnly() const { return false; }
    // A copy holds the busy flag while it works, and hands it to the main window with its clip.
    virtual bool holdsBusyFlag() const { return false; }
    // The work, once the keys are up and the clipboard was looked at (again after WhenSeen).
    virtual Next act() = 0;
    // The step timer fired.
    virtual Next step() = 0;
    // The window's events.
    virtual Next clipboardChanged() { return Next::GoOn; }
    virtual void renderFormat(UINT) {}
    virtual void renderAllFormats() {}
    virtual void clipboardReplaced() {}
    // A key the keyboard hook sees coming to this thread.
    virtual void keyArriving(unsigned, bool) {}
    // The chord ends: first what it holds goes (its window still there), then, the window gone and
    // the status keys removed, what the main window hears.
    virtual void settle() {}
    virtual Notice ending(bool completed) = 0;

protected:
    CChord(Kind kind, std::vector<int> heldKeys) : m_kind(kind), m_heldKeys(std::move(heldKeys)) {}
    bool seen() const { return m_seen; }
    DWORD seenSequence() const { return m_seenSequence; }

private:
    const Kind m_kind;
    const std::vector<int> m_heldKeys;
    LONG m_slot = 0;
    HWND m_target = nullptr;
    std::unique_ptr<CChordWnd> m_window;  // hears of changes; owns an offered clip
    CStepTimer m_stepTimer;  // after the window: it stops first
    bool m_seen = false;
    DWORD m_seenSequence = 0;
    bool m_busyFlagTaken = false;
};

}  // namespace hooklib
