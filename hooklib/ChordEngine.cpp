#include "hooklib/ChordEngine.h"

#include "hooklib/ChordKeys.h"
#include "hooklib/CopyChord.h"
#include "hooklib/OwnChanges.h"
#include "hooklib/PasteChord.h"
#include "hooklib/SharedState.h"
#include "hooklib/StatusKeys.h"
#include "hooklib/LibraryStore.h"
#include "store/PasteQueue.h"
#include "store/Protocol.h"
#include "store/StoreDocument.h"
#include "base/Barrier.h"
#include "base/Check.h"
#include "base/Trace.h"

namespace hooklib {

CChordEngine theChordEngine;

namespace {

constexpr UINT kPollMs = 15;            // while waiting for keys or the main program
constexpr DWORD kKeyReleaseWaitMs = 1000;
constexpr DWORD kChordWaitMs = 3000;    // for the chord under way to end, before a new one starts
constexpr DWORD kBusyWaitMs = 3000;     // for the main window to finish filing the last copy
constexpr DWORD kSeenWaitMs = 500;      // for the main program to read the clipboard's contents

}  // namespace

// The busy flag is taken only when the copy's work begins (see keysReleased): while the main
// window still files the last copy, this one waits rather than being lost.
bool CChordEngine::CopyToSlot(int slotKey, int physicalKey) {
    return whenChordFree([this, slotKey, physicalKey](LONG slot) {
        start(slot, std::make_unique<CCopyChord>(slotKey, physicalKey));
    });
}

bool CChordEngine::PasteSlot(int slotKey, int physicalKey, std::optional<store::Transform> transform) {
    return whenChordFree([this, slotKey, physicalKey, transform](LONG slot) {
        start(slot, CPasteChord::slot(slotKey, physicalKey, m_lastHistoryNumber, transform));
    });
}

// The head is read when the key comes and taken from the queue only once it was pasted (the
// chord's end): a paste that could not be made leaves it at the head for the next press.
bool CChordEngine::PasteQueueHead(bool plainText, int physicalKey) {
    return whenChordFree([this, plainText, physicalKey](LONG slot) {
        const std::optional<store::PasteQueue> queue = store::readPasteQueue(libraryStorePaths().statusFile());
        if (!queue || queue->empty()) {
            endChord(slot);
            base::Trace("paste queue %s: nothing pasted", queue ? "empty" : "unreadable");
            MessageBeep(MB_OK);
            return;
        }
        m_lastHistoryNumber = queue->front();
        start(slot, std::make_unique<CQueuePasteChord>(queue->front(), plainText, physicalKey));
    });
}

bool CChordEngine::PasteClip(std::string clip, std::optional<int> historyNumber, bool plainText, HWND target,
                             std::optional<store::Transform> transform) {
    if (historyNumber)
        m_lastHistoryNumber = *historyNumber;
    if (transform)
        InterlockedExchange(&g_nLastTransform, static_cast<LONG>(*transform));  // its chord repeats it
    return whenChordFree([this, clip = std::move(clip), plainText, target, transform](LONG slot) {
        start(slot, CPasteChord::clip(clip, plainText, m_lastHistoryNumber, transform), target);
    });
}

void CChordEngine::KeyArriving(unsigned virtualKey, bool released) {
    if (m_chord)
        m_chord->keyArriving(virtualKey, released);
}

// A chord asked for while another one (in this program or another) is still finishing is not
// lost: it waits, one per thread, until the desktop's chord slot is free, for a bounded time.
bool CChordEngine::whenChordFree(std::function<void(LONG slot)> begin) {
    if (const LONG slot = beginChord()) {
        begin(slot);
        return true;
    }
    if (m_waitingChord) {
        base::Trace("chord busy: key taken and ignored (another chord waits already)");
        return false;
    }
    const UINT_PTR timer = CHECK_WIN32(SetTimer(nullptr, 0, kPollMs, timerProcChordFree));
    if (!timer)
        return false;
    m_waitingChord = WaitingChord{std::move(begin), GetTickCount(), timer};
    base::Trace("chord waits for the one under way");
    return true;
}

void CALLBACK CChordEngine::timerProcChordFree(HWND, UINT, UINT_PTR, DWORD) {
    base::Guarded("waiting chord", [] { theChordEngine.tryWaitingChord(); });
}

void CChordEngine::tryWaitingChord() {
    if (!m_waitingChord)
        return;
    const LONG slot = beginChord();
    if (!slot && GetTickCount() - m_waitingChord->since < kChordWaitMs)
        return;
    KillTimer(nullptr, m_waitingChord->timer);
    const std::function<void(LONG)> begin = std::move(m_waitingChord->begin);
    m_waitingChord.reset();
    if (!slot) {
        base::Trace("chord given up: the one under way did not end in time");
        MessageBeep(MB_ICONWARNING);
        return;
    }
    begin(slot);
}

// The chord's target is the window it was meant for: the foreground window for a key chord, the
// window clicked for the clip menu. The hook may run in a thread of another program (on 64-bit
// Windows a 32-bit application's keys come to the thread that installed the hooks), so the
// target is never this thread's active window.
bool CChordEngine::start(LONG slot, std::unique_ptr<CChord> chord, HWND target) {
    base::Trace("chord %d begins%s", static_cast<int>(chord->kind()), chord->textOnly() ? ", text only" : "");
    m_chord = std::move(chord);
    m_chord->beginRun(slot, target ? target : GetForegroundWindow(), timerProcStep);
    m_phase = Phase::KeysUp;
    if (m_chord->stepTimer().start(kPollMs))
        return true;
    finishChord(false);
    return false;
}

// Every timer of a chord runs its step inside the barrier: a failure ends the chord, and nothing
// unwinds into the application's message loop.
void CALLBACK CChordEngine::timerProcStep(HWND, UINT, UINT_PTR timer, DWORD) {
    CChordEngine& self = theChordEngine;
    if (!base::Guarded("chord", false, [&] {
            self.stepTimerFired(timer);
            return true;
        }))
        base::Guarded("chord end", [&] { self.finishChord(false); });
}

// A timer stopped after it fired (its message already waiting) is not the step under way.
void CChordEngine::stepTimerFired(UINT_PTR timer) {
    if (!m_chord || !m_chord->stepTimer().fired(timer))
        return;
    switch (m_phase) {
    case Phase::KeysUp:
        return keysReleased();
    case Phase::Seen:
        return clipboardSeen();
    case Phase::Work:
        return apply(m_chord->step());
    }
}

void CChordEngine::keysReleased() {
    const DWORD waited = GetTickCount() - m_chord->stepTimer().began();
    bool held = false;
    for (int key : m_chord->heldKeys())
        held = held || isPhysicallyDown(key);
    if (held && waited < kKeyReleaseWaitMs)
        return;
    if (m_chord->holdsBusyFlag() && !raiseBusyFlag(store::kBusyFree)) {
        if (waited < kKeyReleaseWaitMs + kBusyWaitMs)
            return;
        // A main window that does not file the last copy in time holds up no further copy.
        if (!raiseBusyFlag(store::kBusyAwaitsFiling)) {
            base::Trace("slot copy given up: the busy flag stayed held");
            return finishChord(false);  // the main window never let go of the flag
        }
        base::Trace("the main window has not filed the last slot copy: this one goes on");
    }
    if (m_chord->holdsBusyFlag())
        m_chord->noteBusyFlagTaken();
    waitUntilSeen();
}

// The clipboard's contents are about to be replaced (by our clip, or by the copy the target
// makes): the main program reads them first, or they would never become a row.
void CChordEngine::waitUntilSeen() {
    m_phase = Phase::Seen;
    if (!m_chord->stepTimer().start(kPollMs))
        finishChord(false);
}

void CChordEngine::clipboardSeen() {
    const bool seen = recorderSawClipboard() || !findMainWindow();
    if (!seen && GetTickCount() - m_chord->stepTimer().began() < kSeenWaitMs)
        return;
    m_chord->stepTimer().stop();
    m_chord->noteSeen(seen, GetClipboardSequenceNumber());
    if (!seen)
        base::Trace("the main program has not read the clipboard %lu: going on", GetClipboardSequenceNumber());
    beginWork();
}

// The first time: the status key SysClip (kept for whatever reads it) and the chord's window.
void CChordEngine::beginWork() {
    m_phase = Phase::Work;
    if (!m_chord->window()) {
        SetStatusKey(libraryStorePaths().statusFile(), store::kSysClipKey, store::kSysClipValue);
        if (!makeChordWindow())
            return finishChord(false);
    }
    apply(m_chord->act());
}

// The window's events go to the chord under way, whose window it is.
bool CChordEngine::makeChordWindow() {
    CChordWnd::Events events;
    events.changed = [this] {
        if (m_chord)
            apply(m_chord->clipboardChanged());
    };
    events.render = [this](UINT format) {
        if (m_chord)
            m_chord->renderFormat(format);
    };
    events.renderAll = [this] {
        if (m_chord)
            m_chord->renderAllFormats();
    };
    events.replaced = [this] {
        if (m_chord)
            m_chord->clipboardReplaced();
    };
    return m_chord->makeWindow(std::move(events));
}

void CChordEngine::apply(CChord::Next next) {
    switch (next) {
    case CChord::Next::GoOn:
        return;
    case CChord::Next::WhenSeen:
        return waitUntilSeen();
    case CChord::Next::Completed:
        return finishChord(true);
    case CChord::Next::GivenUp:
        return finishChord(false);
    }
}

// The end of every chord, whatever happened: what the chord holds goes (a clip still offered is
// put on the clipboard whole), the status keys go, the flags come down, the desktop's chord slot
// is free again, and the main window hears of what the chord did. A copy done is handed to the
// main window with its notification; the next copy waits until the main window has filed it (or
// finds no main window to hand it to).
void CChordEngine::finishChord(bool completed) {
    if (!m_chord)
        return;
    m_chord->stepTimer().stop();
    base::Guarded("chord end", [&] { m_chord->settle(); });
    m_chord->dropWindow();
    RemoveChordStatusKeys(libraryStorePaths().statusFile());
    const CChord::Notice notice = m_chord->ending(completed);
    base::Trace("chord %d ends, %s", static_cast<int>(m_chord->kind()), completed ? "completed" : "given up");
    const bool busyFlagTaken = m_chord->busyFlagTaken();
    const LONG slot = m_chord->slot();
    m_chord.reset();
    const bool handOver = busyFlagTaken && completed;
    if (busyFlagTaken)
        setBusyFlag(handOver ? store::kBusyAwaitsFiling : store::kBusyFree);
    endChord(slot);
    if (notice.message && !notifyMainWindow(notice.message, notice.wParam) && handOver)
        InterlockedCompareExchange(&g_bOperXml, store::kBusyFree, store::kBusyAwaitsFiling);
}

}  // namespace hooklib
