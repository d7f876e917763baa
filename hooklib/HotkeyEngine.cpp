// CMyClipboard: the slot chords. The keyboard hook only decides and takes the chord; everything
// else happens in thread timers of the same thread: a wait until the user has let go of the
// chord's keys, a wait until the main program has read what the clipboard holds (our change will
// replace it), the clipboard and store work and the synthesised copy or paste chord, then the
// notification of the main window. Every path out of a chord, failures and exceptions included,
// takes down the flags and status keys it raised. The paste's own steps are in ChordPaste.cpp.
#include "store/ClipNames.h"
#include "hooklib/HotkeyRules.h"
#include "hooklib/MyClipboard.h"
#include "hooklib/PasteKeyRules.h"
#include "store/PasteQueue.h"
#include "store/Protocol.h"
#include "hooklib/SharedState.h"
#include "hooklib/StatusKeys.h"
#include "store/StoreDocument.h"
#include "base/Barrier.h"
#include "base/Check.h"
#include "base/Text.h"
#include "base/Trace.h"
#include "fw/Settings.h"
#include "fw/Window.h"

#include <vector>

using xml::XmlDocument;

using namespace store;

namespace {

constexpr UINT kPollMs = 15;            // while waiting for keys or the copied data
constexpr DWORD kKeyReleaseWaitMs = 1000;
constexpr DWORD kChordWaitMs = 3000;    // for the chord under way to end, before a new one starts
constexpr DWORD kBusyWaitMs = 3000;     // for the main window to finish filing the last copy
constexpr DWORD kSeenWaitMs = 500;      // for the main program to read the clipboard's contents
constexpr DWORD kCopyKeyHoldMs = 200;   // the same, with the copy chord's C held in the hook
constexpr DWORD kRecorderFirstMs = 50;  // the same, for a change that may be the target's answer
constexpr int kQuickOpenTries = 100;    // a millisecond apart: the main program lets go at once

bool isPhysicallyDown(int virtualKey) {
    return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

// False when the system inserted none of the keys (input blocked, or a window of a higher
// integrity level in front).
bool sendChord(const std::vector<hotkey::ChordKey>& chord) {
    std::vector<INPUT> inputs(chord.size());
    for (std::size_t i = 0; i < chord.size(); ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = chord[i].virtualKey;
        inputs[i].ki.wScan = static_cast<WORD>(MapVirtualKeyW(chord[i].virtualKey, MAPVK_VK_TO_VSC));
        inputs[i].ki.dwFlags = (chord[i].release ? KEYEVENTF_KEYUP : 0) |
                               (hotkey::isExtendedKey(chord[i].virtualKey) ? KEYEVENTF_EXTENDEDKEY : 0);
    }
    return CHECK_WIN32(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT))) != 0;
}

std::string windowClass(HWND window) {
    return base::toUtf8(fw::ClassOfWindow(window));
}

// The user's rules are read at every paste: a change in the registry counts from the next one.
std::vector<hotkey::PasteKeyRule> userPasteKeyRules() {
    std::vector<hotkey::PasteKeyRule> rules;
    for (const auto& [match, keys] : fw::ReadUserStrings(kPasteKeysKey))
        rules.push_back({base::toUtf8(match), base::toUtf8(keys)});
    return rules;
}

}  // namespace

// The paste keys are those the target understands (a console takes Shift+Insert). Modifiers the
// user still holds after the wait are used as they are when the chord has them, and let go of
// first when it has not. False when the keys could not be sent (the failure is traced).
bool CMyClipboard::SendEditChord(char letter) {
    HWND target = IsWindow(m_pending.target) ? m_pending.target : GetForegroundWindow();
    std::vector<hotkey::ChordKey> chord;
    if (letter == 'V')
        chord = hotkey::pasteKeysFor(userPasteKeyRules(), windowClass(target), base::toUtf8(fw::ProgramOfWindow(target)));
    else if (letter == 'C')
        chord = hotkey::copyChord(hotkey::isMozillaClass(windowClass(GetForegroundWindow())));
    else
        return false;
    hotkey::HeldModifiers held;
    held.control = isPhysicallyDown(VK_CONTROL);
    held.alt = isPhysicallyDown(VK_MENU);
    held.shift = isPhysicallyDown(VK_SHIFT);
    return sendChord(hotkey::withHeldModifiers(std::move(chord), held));
}

// The chord's target is the window it was meant for: the foreground window for a key chord, the
// window clicked for the clip menu. The hook may run in a thread of another program (on 64-bit
// Windows a 32-bit application's keys come to the thread that installed the hooks), so the
// target is never this thread's active window.
bool CMyClipboard::start(LONG chord, Kind kind, std::string clip, std::vector<int> heldKeys, bool plainText,
                         HWND target, std::optional<store::Transform> transform) {
    base::Trace("chord %d begins%s", static_cast<int>(kind), plainText ? ", text only" : "");
    m_pending = Pending{};
    m_pending.kind = kind;
    m_pending.clip = std::move(clip);
    m_pending.plainText = plainText || transform.has_value();  // a transform pastes text alone
    m_pending.transform = transform;
    m_pending.target = target ? target : GetForegroundWindow();
    m_pending.heldKeys = std::move(heldKeys);
    m_pending.since = GetTickCount();
    m_pending.chord = chord;
    if (startStep(kPollMs, timerProcKeysReleased))
        return true;
    finish(false);
    return false;
}

// One step at a time: each step's timer replaces the last one's.
bool CMyClipboard::startStep(UINT ms, TIMERPROC procedure) {
    stopStep();
    m_pending.since = GetTickCount();
    m_pending.timer = SetTimer(nullptr, 0, ms, procedure);
    if (!m_pending.timer)
        base::ReportFailure("SetTimer");
    return m_pending.timer != 0;
}

void CMyClipboard::stopStep() {
    m_pending.awaitingAnswer = false;
    releaseOpenedForCopy();
    m_pending.copyHook.reset();
    m_pending.copyReturnHook.reset();
    if (m_pending.timer)
        KillTimer(nullptr, m_pending.timer);
    m_pending.timer = 0;
}

// A chord asked for while another one (in this program or another) is still finishing is not
// lost: it waits, one per thread, until the desktop's chord slot is free, for a bounded time.
// False when it could neither start nor wait.
bool CMyClipboard::whenChordFree(std::function<void(LONG chord)> begin) {
    if (const LONG chord = beginChord()) {
        begin(chord);
        return true;
    }
    if (m_waitingChord) {
        base::Trace("chord busy: key taken and ignored (another chord waits already)");
        return false;
    }
    const UINT_PTR timer = SetTimer(nullptr, 0, kPollMs, timerProcChordFree);
    if (!timer) {
        base::ReportFailure("SetTimer");
        return false;
    }
    m_waitingChord = WaitingChord{std::move(begin), GetTickCount(), timer};
    base::Trace("chord waits for the one under way");
    return true;
}

void CALLBACK CMyClipboard::timerProcChordFree(HWND, UINT, UINT_PTR, DWORD) {
    base::Guarded("waiting chord", [] { theClipboard.tryWaitingChord(); });
}

void CMyClipboard::tryWaitingChord() {
    if (!m_waitingChord)
        return;
    const LONG chord = beginChord();
    if (!chord && GetTickCount() - m_waitingChord->since < kChordWaitMs)
        return;
    KillTimer(nullptr, m_waitingChord->timer);
    const std::function<void(LONG)> begin = std::move(m_waitingChord->begin);
    m_waitingChord.reset();
    if (!chord) {
        base::Trace("chord given up: the one under way did not end in time");
        MessageBeep(MB_ICONWARNING);
        return;
    }
    begin(chord);
}

// The busy flag is taken only when the copy's work begins (see timerProcKeysReleased): while
// the main window still files the last copy, this one waits rather than being lost.
void CMyClipboard::CopyToSlot(int slotKey, int physicalKey) {
    whenChordFree([this, slotKey, physicalKey](LONG chord) {
        m_nCopyKey = slotKey;
        start(chord, Kind::Copy, {}, {physicalKey, VK_CONTROL});
    });
}

UINT_PTR CMyClipboard::PasteSlot(int slotKey, int physicalKey, std::optional<store::Transform> transform) {
    return whenChordFree([this, slotKey, physicalKey, transform](LONG chord) {
        std::vector<int> held = {physicalKey, VK_CONTROL, VK_MENU};
        if (transform)
            held.push_back(VK_SHIFT);  // the repeat chord holds Shift too
        start(chord, Kind::PasteSlot, slotClipName(static_cast<char>(slotKey)), std::move(held), false, nullptr, transform);
    });
}

bool CMyClipboard::pasteFromClipboard(std::string_view clip, bool plainText, HWND target,
                                      std::optional<store::Transform> transform) {
    if (transform)
        InterlockedExchange(&g_nLastTransform, static_cast<LONG>(*transform));  // its chord repeats it
    return whenChordFree([this, clip = std::string(clip), plainText, target, transform](LONG chord) {
        start(chord, Kind::PasteClip, clip, {VK_MENU, VK_SHIFT}, plainText, target, transform);
    });
}

// Every timer of a chord runs its step inside the barrier: a failure ends the chord, and nothing
// unwinds into the application's message loop.
void CMyClipboard::guardedStep(void (CMyClipboard::*step)()) {
    CMyClipboard& self = theClipboard;
    if (!base::Guarded("chord", false, [&] {
            (self.*step)();
            return true;
        }))
        base::Guarded("chord end", [&] { self.finish(false); });
}

void CALLBACK CMyClipboard::timerProcKeysReleased(HWND, UINT, UINT_PTR, DWORD) {
    guardedStep(&CMyClipboard::keysReleased);
}

void CMyClipboard::keysReleased() {
    const DWORD waited = GetTickCount() - m_pending.since;
    bool held = false;
    for (int key : m_pending.heldKeys)
        held = held || isPhysicallyDown(key);
    if (held && waited < kKeyReleaseWaitMs)
        return;
    if (m_pending.kind == Kind::Copy &&
        InterlockedCompareExchange(&g_bOperXml, store::kBusySlotCopy, store::kBusyFree) != store::kBusyFree) {
        if (waited < kKeyReleaseWaitMs + kBusyWaitMs)
            return;
        // A main window that does not file the last copy in time holds up no further copy.
        if (InterlockedCompareExchange(&g_bOperXml, store::kBusySlotCopy, store::kBusyAwaitsFiling) !=
            store::kBusyAwaitsFiling)
            return finish(false);  // the main window never let go of the flag
        base::Trace("the main window has not filed the last slot copy: this one goes on");
    }
    m_pending.busyFlagTaken = m_pending.kind == Kind::Copy;
    waitUntilSeen();
}

// The clipboard's contents are about to be replaced (by our clip, or by the copy the target
// makes): the main program reads them first, or they would never become a row.
void CMyClipboard::waitUntilSeen() {
    if (!startStep(kPollMs, timerProcSeen))
        finish(false);
}

void CALLBACK CMyClipboard::timerProcSeen(HWND, UINT, UINT_PTR, DWORD) {
    guardedStep(&CMyClipboard::clipboardSeen);
}

void CMyClipboard::clipboardSeen() {
    const bool seen = recorderSawClipboard() || !findMainWindow();
    if (!seen && GetTickCount() - m_pending.since < kSeenWaitMs)
        return;
    stopStep();
    m_pending.seen = seen;
    m_pending.seenSequence = GetClipboardSequenceNumber();
    if (!seen)
        base::Trace("the main program has not read the clipboard %lu: going on", GetClipboardSequenceNumber());
    if (m_pending.chordsSent > 0)
        sendCopyChord();
    else
        act();
}

bool CMyClipboard::makeWindow() {
    if (m_pending.window)
        return true;
    CChordWnd::Events events;
    events.changed = [this] { checkAnswer(); };
    events.render = [this](UINT format) {
        if (!render(format))
            base::Trace("paste: format %u could not be handed out; the target reads nothing of it", format);
    };
    events.renderAll = [this] {
        if (!renderAll())
            base::Trace("paste: the offered clip could not be left whole on the clipboard");
    };
    events.replaced = [this] {
        if (!m_pending.restoring && m_pending.offering)
            m_pending.replaced = true;
    };
    m_pending.window = std::make_unique<CChordWnd>(std::move(events));
    return m_pending.window->hwnd() != nullptr;
}

// The chord's work once the keys are up and the clipboard was read: the status keys, the user's
// clipboard kept, and the copy chord or the paste's first step. The user's clipboard is changed
// only once it was kept.
void CMyClipboard::act() {
    const std::string& status = paths().statusFile();
    SetStatusKey(status, kSysClipKey, kSysClipValue);
    if (!makeWindow())
        return finish(false);
    switch (m_pending.kind) {
    case Kind::Copy:
        SetStatusKey(status, kPressNumKey, std::string(1, static_cast<char>(m_nCopyKey)));
        if (!SaveTempClip(m_pending.window->hwnd()))
            return finish(false);
        // From here on a change of the clipboard owned by the target's process is its answer.
        m_pending.answer = COwnChange::begin(processOfWindow(m_pending.target));
        sendCopyChord();
        return;
    case Kind::PasteSlot:
    case Kind::PasteClip:
    case Kind::PasteQueued:
        actPaste();
        return;
    case Kind::None:
        finish(false);
        return;
    }
}

void CMyClipboard::sendCopyChord() {
    ++m_pending.chordsSent;
    m_pending.checkedSequence = GetClipboardSequenceNumber();
    m_pending.copyKeyToggle = (GetKeyState(hotkey::kVkC) & 1) != 0;
    m_pending.handledAt = 0;
    m_pending.awaitingAnswer = startStep(kPollMs, timerProcAfterCopy);
    if (!m_pending.awaitingAnswer)
        return finish(false);
    // In the target's own thread the copy is seen coming (WM_COPY): thread hooks of our own.
    if (GetWindowThreadProcessId(m_pending.target, nullptr) == GetCurrentThreadId()) {
        m_pending.copyHook.reset(SetWindowsHookExW(WH_CALLWNDPROC, callWndProc, nullptr, GetCurrentThreadId()));
        m_pending.copyReturnHook.reset(
            SetWindowsHookExW(WH_CALLWNDPROCRET, callWndProcReturned, nullptr, GetCurrentThreadId()));
        if (!m_pending.copyHook || !m_pending.copyReturnHook)
            base::ReportFailure("SetWindowsHookExW(WH_CALLWNDPROC)");
    }
    if (!SendEditChord('C'))
        finish(false);  // no copy can come of keys never typed
}

// The target's thread takes our copy chord's C, and (an edit control, most programs' own windows)
// sends itself WM_COPY for it. Another program may have copied a moment ago: the copy waits until
// the main program has looked at that copy. At WM_COPY the clipboard is then opened for the very
// window about to copy (its own open for itself succeeds), so no other program's copy can come
// between the look and the target's copy; if the window copies nothing, it is closed again as
// WM_COPY returns.
void CMyClipboard::keyArriving(unsigned virtualKey, bool released) {
    if (m_pending.awaitingAnswer && virtualKey == hotkey::kVkC && !released && !waitUntilRecorderSaw(kCopyKeyHoldMs))
        base::Trace("the main program has not read the clipboard %lu: the copy goes on", GetClipboardSequenceNumber());
}

void CMyClipboard::openForCopy(HWND window) {
    const DWORD start = GetTickCount();
    for (DWORD waited = 0; waited < kCopyKeyHoldMs; waited = GetTickCount() - start) {
        if (!waitUntilRecorderSaw(kCopyKeyHoldMs - waited))
            break;
        if (OpenClipboard(window)) {
            if (recorderSawClipboard()) {
                m_pending.openedFor = window;
                return;
            }
            CloseClipboard();  // another program copied just then: the main program looks at it first
        }
        base::WaitAnsweringSentMessages(1);  // the main program still reads it
    }
    base::Trace("the clipboard %lu could not be kept for the application's copy: the copy goes on",
              GetClipboardSequenceNumber());
}

LRESULT CALLBACK CMyClipboard::callWndProc(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    Pending& pending = theClipboard.m_pending;
    if (code == HC_ACTION && call && (call->message == WM_COPY || call->message == WM_CUT) && pending.awaitingAnswer &&
        !pending.openedFor)
        base::Guarded("WM_COPY", [&] { theClipboard.openForCopy(call->hwnd); });
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK CMyClipboard::callWndProcReturned(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    Pending& pending = theClipboard.m_pending;
    if (code == HC_ACTION && call && (call->message == WM_COPY || call->message == WM_CUT)) {
        if (call->hwnd == pending.openedFor)
            theClipboard.releaseOpenedForCopy();
        // The window has just copied: its copy is read now, before another program's copy can
        // replace it; the next step of the chord takes it from here.
        if (pending.awaitingAnswer && !pending.checking && !pending.answerAtCopy &&
            GetClipboardSequenceNumber() != pending.checkedSequence)
            base::Guarded("WM_COPY returned", [&] {
                Captured captured = theClipboard.readAnswer(false);
                if (captured.taken)
                    pending.answerAtCopy = std::move(captured);
            });
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CMyClipboard::releaseOpenedForCopy() {
    if (m_pending.openedFor && GetOpenClipboardWindow() == m_pending.openedFor)
        CloseClipboard();
    m_pending.openedFor = nullptr;
}

void CALLBACK CMyClipboard::timerProcAfterCopy(HWND, UINT, UINT_PTR, DWORD) {
    guardedStep(&CMyClipboard::checkAnswer);
}

// Called on every change (the chord window's listener) and every poll. A change of another
// program (the owner tells) is left to the main program; the target's answer is read while the
// clipboard is still open, so no later copy can slip in between.
void CMyClipboard::checkAnswer() {
    if (!m_pending.awaitingAnswer || m_pending.checking)
        return;
    m_pending.checking = true;
    const DWORD now = GetTickCount();
    hotkey::CopyWatch watch;
    watch.sinceChordMs = now - m_pending.since;
    watch.chordsSent = m_pending.chordsSent;
    Captured captured;
    if (m_pending.answerAtCopy) {
        captured = std::move(*m_pending.answerAtCopy);
        m_pending.answerAtCopy.reset();
    } else if (GetClipboardSequenceNumber() != m_pending.checkedSequence) {
        captured = readAnswer(true);
    }
    watch.answered = captured.taken;
    // In the target's own thread its view of the keys tells whether it has handled the chord.
    if (GetWindowThreadProcessId(m_pending.target, nullptr) == GetCurrentThreadId() && !m_pending.handledAt) {
        const SHORT state = GetKeyState(hotkey::kVkC);
        if (((state & 1) != 0) != m_pending.copyKeyToggle && !(state & 0x8000))
            m_pending.handledAt = now;
    }
    watch.chordHandled = m_pending.handledAt != 0;
    watch.sinceHandledMs = now - m_pending.handledAt;
    m_pending.checking = false;
    switch (hotkey::afterCopyChord(watch)) {
    case hotkey::CopyStep::Wait:
        return;
    case hotkey::CopyStep::Store:
        stopStep();
        // Only the change read as the answer was ours: what the application copies next is the user's.
        m_pending.answer.endWith(captured.sequence);
        storeSlot(captured.snapshot);
        return;
    case hotkey::CopyStep::SendAgain:
        base::Trace("no copy from the application yet: the copy chord again");
        stopStep();
        waitUntilSeen();
        return;
    case hotkey::CopyStep::GiveUp:
        base::Trace("slot copy given up: the application copied nothing; the slot stays as it was");
        stopStep();
        finish(false);
        return;
    }
}

// The change now on the clipboard, read when the target's process owns it. Another program's
// change is left to the main program without opening the clipboard: holding it then would keep
// the main program from that copy. The main program looks at every change first (a moment for
// ours, then it lets go) unless the target has only just copied (`recorderFirst` false: its
// WM_COPY returned a moment ago, and another program's next copy may come at any time).
CMyClipboard::Captured CMyClipboard::readAnswer(bool recorderFirst) {
    const DWORD target = processOfWindow(m_pending.target);
    const DWORD sequence = GetClipboardSequenceNumber();
    DWORD owner = processOfWindow(GetClipboardOwner());
    Captured captured;
    if (owner != target) {
        if (GetClipboardSequenceNumber() == sequence)
            m_pending.checkedSequence = sequence;  // the owner was read for this very change
        captured.sequence = sequence;
    } else {
        if (recorderFirst)
            waitUntilRecorderSaw(kRecorderFirstMs);
        captured = captureClipboard(
            m_pending.window->hwnd(),
            [&](DWORD, DWORD ownerProcess) {
                owner = ownerProcess;
                return ownerProcess == target;
            },
            kQuickOpenTries);
        if (captured.opened)
            m_pending.checkedSequence = captured.sequence;
    }
    base::Trace("clipboard %lu after the copy chord: owner %lu%s, %u formats", captured.sequence, owner,
              captured.taken ? " (the target)" : "", static_cast<unsigned>(captured.snapshot.formats.size()));
    return captured;
}

// The main window hears of the slot only once it holds the new contents.
void CMyClipboard::storeSlot(const store::ClipSnapshot& snapshot) {
    const std::string slot = slotClipName(static_cast<char>(m_nCopyKey));
    if (snapshot.empty()) {
        base::Trace("slot copy given up: the application's copy holds nothing; the slot stays as it was");
        return finish(false);
    }
    if (!writeClip(paths(), slot, snapshot)) {
        base::Trace("slot copy not stored: the store could not be written; %s stays as it was", slot.c_str());
        notifyMainWindow(kMsgSlotCopyFailed, static_cast<WPARAM>(m_nCopyKey));
        return finish(false);
    }
    finish(true);
}

// The end of every chord, whatever happened: a clip still offered is put on the clipboard whole,
// the status keys go, the flags come down, the desktop's chord slot is free again, and the main
// window hears of a completed chord.
void CMyClipboard::finish(bool completed) {
    stopStep();
    base::Guarded("chord end", [&] { settleOffer(); });
    m_pending.window.reset();
    m_pending.answer.end();
    removeStatusKeys();
    const Kind kind = m_pending.kind;
    const LONG chord = m_pending.chord;
    const bool busyFlagTaken = m_pending.busyFlagTaken;
    // The queue's head goes once it was pasted, or when it is gone from the history; the main
    // window hears of it with the paste (or with a paste of nothing).
    const bool dequeue = m_pending.queued != 0 && (completed || m_pending.queuedGone);
    if (dequeue && !base::Guarded("paste queue", false, [&] { return popPasteQueueHead(paths().statusFile(), m_pending.queued); }))
        base::Trace("the pasted clip his%d- could not be taken from the paste queue", m_pending.queued);
    base::Trace("chord %d ends, %s", static_cast<int>(kind), completed ? "completed" : "given up");
    m_pending = Pending{};
    // A copy done is handed to the main window with its notification; the next copy waits
    // until the main window has filed it (or finds no main window to hand it to).
    const bool handOver = busyFlagTaken && completed && kind == Kind::Copy;
    if (busyFlagTaken)
        InterlockedExchange(&g_bOperXml, handOver ? store::kBusyAwaitsFiling : store::kBusyFree);
    endChord(chord);
    if (!completed) {
        if (dequeue)
            notifyMainWindow(kMsgClipPasted, 0);
        return;
    }
    if (kind == Kind::Copy) {
        if (!notifyMainWindow(kMsgSlotCopied, static_cast<WPARAM>(m_nCopyKey)) && handOver)
            InterlockedCompareExchange(&g_bOperXml, store::kBusyFree, store::kBusyAwaitsFiling);
    } else if (kind != Kind::None)
        notifyMainWindow(kMsgClipPasted, static_cast<WPARAM>(m_nHistoryIndex));
}

void CALLBACK timerProcAfterResume(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    base::Guarded("status keys after resume", [] { theClipboard.removeStatusKeys(); });
}

void CMyClipboard::removeStatusKeys() {
    base::Guarded("status keys", [&] {
        RemoveKey(paths().statusFile(), kSysClipKey);
        RemoveKey(paths().statusFile(), kPressNumKey);
    });
}
