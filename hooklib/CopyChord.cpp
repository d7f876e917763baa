#include "hooklib/CopyChord.h"

#include "hooklib/ChordKeys.h"
#include "hooklib/HotkeyRules.h"
#include "hooklib/SharedState.h"
#include "hooklib/StatusKeys.h"
#include "hooklib/LibraryStore.h"
#include "store/ClipNames.h"
#include "store/Protocol.h"
#include "store/StoreDocument.h"
#include "base/Barrier.h"
#include "base/Check.h"
#include "base/Trace.h"

namespace hooklib {

namespace {

constexpr UINT kPollMs = 15;            // while waiting for the copied data
constexpr DWORD kCopyKeyHoldMs = 200;   // for the main program to read the clipboard, with the C held
constexpr DWORD kRecorderFirstMs = 50;  // the same, for a change that may be the target's answer
constexpr int kQuickOpenTries = 100;    // a millisecond apart: the main program lets go at once

// The chord whose thread hooks are set in this thread's process (one chord at a time).
CCopyChord* g_watching = nullptr;

bool isCopyMessage(UINT message) {
    return message == WM_COPY || message == WM_CUT;
}

bool inTargetThread(HWND target) {
    return GetWindowThreadProcessId(target, nullptr) == GetCurrentThreadId();
}

}  // namespace

CCopyChord::CCopyChord(int slotKey, int physicalKey)
    : CChord(Kind::Copy, {physicalKey, VK_CONTROL}), m_slotKey(slotKey) {}

CCopyChord::~CCopyChord() {
    stopWatching();
}

// The user's clipboard is changed only once it was kept. From then on a change of the clipboard
// owned by the target's process is its answer.
CChord::Next CCopyChord::act() {
    if (m_chordsSent > 0)
        return sendCopyChord();
    SetStatusKey(libraryStorePaths().statusFile(), store::kPressNumKey, std::string(1, static_cast<char>(m_slotKey)));
    if (!transfer::keepUserClipboard(libraryStorePaths(), window()))
        return Next::GivenUp;
    m_answer = COwnChange::begin(processOfWindow(target()));
    return sendCopyChord();
}

CChord::Next CCopyChord::sendCopyChord() {
    ++m_chordsSent;
    m_checkedSequence = GetClipboardSequenceNumber();
    m_copyKeyToggle = (GetKeyState(hooklib::kVkC) & 1) != 0;
    m_handledAt = 0;
    stopWatching();
    m_awaitingAnswer = stepTimer().start(kPollMs);
    if (!m_awaitingAnswer)
        return Next::GivenUp;
    if (inTargetThread(target()))
        watchTargetThread();
    return sendCopyKeys() ? Next::GoOn : Next::GivenUp;  // no copy can come of keys never typed
}

// In the target's own thread the copy is seen coming (WM_COPY): thread hooks of our own.
void CCopyChord::watchTargetThread() {
    m_copyHook.reset(CHECK_WIN32(SetWindowsHookExW(WH_CALLWNDPROC, callWndProc, nullptr, GetCurrentThreadId())));
    m_copyReturnHook.reset(
        CHECK_WIN32(SetWindowsHookExW(WH_CALLWNDPROCRET, callWndProcReturned, nullptr, GetCurrentThreadId())));
    g_watching = this;
}

void CCopyChord::stopWatching() {
    m_awaitingAnswer = false;
    releaseOpenedForCopy();
    m_copyHook.reset();
    m_copyReturnHook.reset();
    if (g_watching == this)
        g_watching = nullptr;
}

// The target's thread takes our copy chord's C, and (an edit control, most programs' own windows)
// sends itself WM_COPY for it. Another program may have copied a moment ago: the copy waits until
// the main program has looked at that copy.
void CCopyChord::keyArriving(unsigned virtualKey, bool released) {
    if (m_awaitingAnswer && virtualKey == hooklib::kVkC && !released && !waitUntilRecorderSaw(kCopyKeyHoldMs))
        base::Trace("the main program has not read the clipboard %lu: the copy goes on", GetClipboardSequenceNumber());
}

// At WM_COPY the clipboard is opened for the very window about to copy (its own open for itself
// succeeds), so no other program's copy can come between the look and the target's copy; if the
// window copies nothing, it is closed again as WM_COPY returns.
void CCopyChord::copyComing(HWND window) {
    if (m_awaitingAnswer && !m_openedFor)
        openForCopy(window);
}

void CCopyChord::openForCopy(HWND window) {
    const DWORD start = GetTickCount();
    for (DWORD waited = 0; waited < kCopyKeyHoldMs; waited = GetTickCount() - start) {
        if (!waitUntilRecorderSaw(kCopyKeyHoldMs - waited))
            break;
        if (OpenClipboard(window)) {
            if (recorderSawClipboard()) {
                m_openedFor = window;
                return;
            }
            CloseClipboard();  // another program copied just then: the main program looks at it first
        }
        base::WaitAnsweringSentMessages(1);  // the main program still reads it
    }
    base::Trace("the clipboard %lu could not be kept for the application's copy: the copy goes on",
                GetClipboardSequenceNumber());
}

// The window has just copied: its copy is read now, before another program's copy can replace
// it; the next step of the chord takes it from here.
void CCopyChord::copyReturned(HWND window) {
    if (window == m_openedFor)
        releaseOpenedForCopy();
    if (!m_awaitingAnswer || m_checking || m_answerAtCopy || GetClipboardSequenceNumber() == m_checkedSequence)
        return;
    transfer::ClipboardRead read = readAnswer(false);
    if (read.taken)
        m_answerAtCopy = std::move(read);
}

void CCopyChord::releaseOpenedForCopy() {
    if (m_openedFor && GetOpenClipboardWindow() == m_openedFor)
        CloseClipboard();
    m_openedFor = nullptr;
}

LRESULT CALLBACK CCopyChord::callWndProc(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call && isCopyMessage(call->message) && g_watching)
        base::Guarded("WM_COPY", [&] { g_watching->copyComing(call->hwnd); });
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK CCopyChord::callWndProcReturned(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call && isCopyMessage(call->message) && g_watching)
        base::Guarded("WM_COPY returned", [&] { g_watching->copyReturned(call->hwnd); });
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// In the target's own thread its view of the keys tells whether it has handled the chord.
bool CCopyChord::noteChordHandled(DWORD now) {
    if (inTargetThread(target()) && !m_handledAt) {
        const SHORT state = GetKeyState(hooklib::kVkC);
        if (((state & 1) != 0) != m_copyKeyToggle && !(state & 0x8000))
            m_handledAt = now;
    }
    return m_handledAt != 0;
}

// Called on every change (the chord window's listener) and every poll. A change of another
// program (the owner tells) is left to the main program; the target's answer is read while the
// clipboard is still open, so no later copy can slip in between.
CChord::Next CCopyChord::checkAnswer() {
    if (!m_awaitingAnswer || m_checking)
        return Next::GoOn;
    m_checking = true;
    const DWORD now = GetTickCount();
    hooklib::CopyWatch watch;
    watch.sinceChordMs = now - stepTimer().began();
    watch.chordsSent = m_chordsSent;
    transfer::ClipboardRead read;
    if (m_answerAtCopy) {
        read = std::move(*m_answerAtCopy);
        m_answerAtCopy.reset();
    } else if (GetClipboardSequenceNumber() != m_checkedSequence) {
        read = readAnswer(true);
    }
    watch.answered = read.taken;
    watch.chordHandled = noteChordHandled(now);
    watch.sinceHandledMs = now - m_handledAt;
    m_checking = false;
    const hooklib::CopyStep next = hooklib::afterCopyChord(watch);
    if (next == hooklib::CopyStep::Wait)
        return Next::GoOn;
    stopWatching();
    stepTimer().stop();
    switch (next) {
    case hooklib::CopyStep::Store:
        // Only the change read as the answer was ours: what the application copies next is the user's.
        m_answer.endWith(read.sequence);
        return storeSlot(read.snapshot);
    case hooklib::CopyStep::SendAgain:
        base::Trace("no copy from the application yet: the copy chord again");
        return Next::WhenSeen;
    default:
        base::Trace("slot copy given up: the application copied nothing; the slot stays as it was");
        return Next::GivenUp;
    }
}

// The change now on the clipboard, read when the target's process owns it. Another program's
// change is left to the main program without opening the clipboard: holding it then would keep
// the main program from that copy. The main program looks at every change first (a moment for
// ours, then it lets go) unless the target has only just copied (`recorderFirst` false: its
// WM_COPY returned a moment ago, and another program's next copy may come at any time).
transfer::ClipboardRead CCopyChord::readAnswer(bool recorderFirst) {
    const DWORD targetProcess = processOfWindow(target());
    const DWORD sequence = GetClipboardSequenceNumber();
    DWORD owner = processOfWindow(GetClipboardOwner());
    transfer::ClipboardRead read;
    if (owner != targetProcess) {
        if (GetClipboardSequenceNumber() == sequence)
            m_checkedSequence = sequence;  // the owner was read for this very change
        read.sequence = sequence;
    } else {
        if (recorderFirst)
            waitUntilRecorderSaw(kRecorderFirstMs);
        read = transfer::readClipboard(
            window(),
            [&](DWORD, DWORD ownerProcess) {
                owner = ownerProcess;
                return ownerProcess == targetProcess;
            },
            kQuickOpenTries);
        if (read.opened)
            m_checkedSequence = read.sequence;
    }
    base::Trace("clipboard %lu after the copy chord: owner %lu%s, %u formats", read.sequence, owner,
                read.taken ? " (the target)" : "", static_cast<unsigned>(read.snapshot.formats.size()));
    return read;
}

// The main window hears of the slot only once it holds the new contents.
CChord::Next CCopyChord::storeSlot(const store::ClipSnapshot& snapshot) {
    const std::string slot = store::slotClipName(static_cast<char>(m_slotKey));
    if (snapshot.empty()) {
        base::Trace("slot copy given up: the application's copy holds nothing; the slot stays as it was");
        return Next::GivenUp;
    }
    followSharedSealing();
    if (!store::writeClip(libraryStorePaths(), slot, snapshot)) {
        base::Trace("slot copy not stored: the store could not be written; %s stays as it was", slot.c_str());
        notifyMainWindow(store::kMsgSlotCopyFailed, static_cast<WPARAM>(m_slotKey));
        return Next::GivenUp;
    }
    return Next::Completed;
}

void CCopyChord::settle() {
    stopWatching();
    m_answer.end();
}

// A copy done is handed to the main window with its notification.
CChord::Notice CCopyChord::ending(bool completed) {
    if (!completed)
        return {};
    return {store::kMsgSlotCopied, static_cast<WPARAM>(m_slotKey)};
}

}  // namespace hooklib
