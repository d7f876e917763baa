// CMyClipboard: the steps of a paste (a slot chord, the clip menu, the main window's list). The
// clip goes on the clipboard and the paste chord to the target. With the tray's "restore the
// clipboard after a paste" on, the user's clipboard is kept first (in memory and as "tempFile")
// and the clip is offered with its data rendered on request: the library sees the target ask for
// each format, and gives the user's clipboard back, byte for byte, only once the target has read
// what it wanted and is idle again (or at a bound), never before.
#include "store/ClipNames.h"
#include "hooklib/HotkeyRules.h"
#include "hooklib/MyClipboard.h"
#include "store/PasteQueue.h"
#include "store/Protocol.h"
#include "hooklib/SharedState.h"
#include "store/StoreDocument.h"
#include "store/StoreFile.h"
#include "store/TimeStamp.h"
#include "xml/XmlDocument.h"
#include "base/Barrier.h"
#include "base/Check.h"
#include "base/Trace.h"
#include "fw/Settings.h"

using xml::XmlDocument;

using namespace store;

namespace {

constexpr UINT kStepMs = 100;          // between the paste's steps
constexpr UINT kWatchMs = 30;          // while the target reads the paste
constexpr UINT kTargetAnswerMs = 100;  // for the target's window to answer a message
constexpr int kKeepTries = 3;          // another program's copy came between keeping and our change
constexpr UINT kFrontStepMs = 20;      // while the target comes to the front
constexpr int kFrontWaits = 100;       // 2 s: a target that does not come by then gets the keys all the same

// Keys go to the thread in front and, there, to its focus: a target brought to the front from
// another process has it only once its own thread has handled the activation.
bool takesTheKeyboard(HWND target) {
    HWND front = GetForegroundWindow();
    if (!front || GetAncestor(front, GA_ROOT) != GetAncestor(target, GA_ROOT))
        return false;
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    return GetGUIThreadInfo(GetWindowThreadProcessId(target, nullptr), &gui) && gui.hwndFocus;
}

// The time of use of a pasted clip: "-usetime" updated in place, or added after "-time".
// False when there is no index to record it in.
bool recordUseTime(const std::string& indexPath, std::string_view clip) {
    bool present = false;
    updateStoreFile(indexPath, IfMissing::Skip, [&](XmlDocument& doc) {
        present = true;
        const std::string stamp = currentTimeStamp();
        if (findRootChild(doc, useTimeElementName(clip)))
            return doc.enterElement() && doc.setElementText(stamp);
        return findRootChild(doc, timeElementName(clip)) && doc.enterElement() &&
               doc.addElement(useTimeElementName(clip), stamp);
    });
    return present;
}

// The user's choice in the tray menu, read at every paste.
bool restoreClipboardAfterPaste() {
    return fw::ReadUserDword(kSettingsKey, kRestoreClipboardSetting).value_or(0) != 0;
}

// Idle: its thread takes a message within a short bound (a window that has gone is idle too).
bool targetAnswers(HWND target) {
    DWORD_PTR ignored = 0;
    return !IsWindow(target) ||
           SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kTargetAnswerMs, &ignored) != 0;
}

// The marks of a clip offered for one target: what keeps the system's clipboard history and
// other clipboard tools away from it (the same marks the recorder honours).
store::RestorableFormats offerMarks() {
    const std::string notAllowed(4, '\0');  // a DWORD 0
    return {{RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"), notAllowed},
            {RegisterClipboardFormatW(L"CanIncludeInClipboardHistory"), notAllowed},
            {RegisterClipboardFormatW(L"Clipboard Viewer Ignore"), notAllowed}};
}

// What a paste puts on the clipboard: the clip's formats, its text alone, or ("粘贴为") its text
// transformed; the clip in the store stays as it is.
std::optional<store::RestorableFormats> formatsToPaste(const StorePaths& paths, std::string_view clip, bool plainText,
                                                       std::optional<Transform> transform) {
    if (!transform)
        return storedFormats(paths, clip, plainText);
    const std::optional<store::RestorableFormats> stored = storedFormats(paths, clip, false);
    return stored ? std::optional(transformedPaste(*stored, *transform)) : std::nullopt;
}

}  // namespace

// The head is read when the key comes and taken from the queue only once it was pasted (the
// chord's end): a paste that could not be made leaves it at the head for the next press.
void CMyClipboard::PasteQueueHead(bool plainText, int physicalKey) {
    whenChordFree([this, plainText, physicalKey](LONG chord) {
        const std::optional<PasteQueue> queue = readPasteQueue(paths().statusFile());
        if (!queue || queue->empty()) {
            endChord(chord);
            base::Trace("paste queue %s: nothing pasted", queue ? "empty" : "unreadable");
            MessageBeep(MB_OK);
            return;
        }
        m_nHistoryIndex = queue->front();
        if (start(chord, Kind::PasteQueued, historyClipName(queue->front()),
                  {physicalKey, VK_CONTROL, VK_MENU, VK_SHIFT}, plainText))
            m_pending.queued = queue->front();
    });
}

// A slot paste (and the queue's, which pastes as a slot does) always keeps the user's clipboard
// (as "tempFile"); a paste that gives it back keeps it in memory too. A copy of another program
// that came between keeping and our change is read by the main program and kept anew.
void CMyClipboard::actPaste() {
    const std::optional<Formats> clip = formatsToPaste(paths(), m_pending.clip, m_pending.plainText, m_pending.transform);
    // A queued clip with nothing to paste is gone from the history (or never can be pasted): it
    // leaves the queue. Its text alone missing, it stays for a paste of the whole clip.
    const bool queuedGone = m_pending.kind == Kind::PasteQueued && clip && clip->empty() && !m_pending.plainText;
    if (!clip || queuedGone || (m_pending.plainText && clip->empty())) {
        m_pending.queuedGone = queuedGone;
        return finish(false);  // nothing to paste: the user's clipboard stays as it is
    }
    m_pending.restore = restoreClipboardAfterPaste();
    if (m_pending.kind == Kind::PasteSlot || m_pending.kind == Kind::PasteQueued || m_pending.restore) {
        m_pending.kept = SaveTempClip(m_pending.window->hwnd());
        if (!m_pending.kept)
            return finish(false);
    }
    // Our clip replaces only what was kept, or looked at, and nothing that came since.
    PutRequest request = PutRequest::ownedBy(m_pending.restore ? m_pending.window->hwnd() : findMainWindow(),
                                             m_pending.kept ? m_pending.kept->sequence : m_pending.seenSequence);
    request.requireSeen = m_pending.seen;
    request.delayed = m_pending.restore;
    if (m_pending.restore)
        request.marks = offerMarks();
    if (!request.opener)
        return finish(false);
    if (m_pending.restore)
        m_pending.offered = *clip;  // asked for as soon as the clipboard closes
    m_pending.offering = m_pending.restore;
    switch (putFormats(*clip, request)) {
    case Put::Changed:
        m_pending.offering = false;
        if (++m_pending.tries < kKeepTries)
            return waitUntilSeen();
        base::Trace("paste given up: the clipboard kept changing");
        return finish(false);
    case Put::Failed:
        m_pending.offering = false;
        return finish(false);
    case Put::Done:
        break;
    }
    // A history clip pasted (from a menu, the list or the queue) was used now: making room takes
    // the clip used longest ago, never the one just pasted.
    const bool historyClip = m_pending.kind == Kind::PasteClip || m_pending.kind == Kind::PasteQueued;
    if ((historyClip && !recordUseTime(paths().indexFile(), m_pending.clip)) || !startStep(kStepMs, timerProcPasteData))
        finish(false);
}

void CALLBACK CMyClipboard::timerProcPasteData(HWND, UINT, UINT_PTR, DWORD) {
    guardedStep(&CMyClipboard::sendPasteChord);
}

void CMyClipboard::sendPasteChord() {
    stopStep();
    HWND target = m_pending.target;
    if (IsWindow(target) && !takesTheKeyboard(target)) {
        if (GetForegroundWindow() != target)
            SetForegroundWindow(target);
        if (++m_pending.frontWaits < kFrontWaits) {
            if (!startStep(kFrontStepMs, timerProcPasteData))
                finish(false);
            return;
        }
        base::Trace("paste: the target did not take the keyboard in %d ms", kFrontWaits * static_cast<int>(kFrontStepMs));
    }
    SendEditChord('V');
    if (!startStep(m_pending.restore ? kWatchMs : kStepMs, timerProcAfterPaste))
        finish(true);
}

void CALLBACK CMyClipboard::timerProcAfterPaste(HWND, UINT, UINT_PTR, DWORD) {
    guardedStep(&CMyClipboard::watchPaste);
}

void CMyClipboard::watchPaste() {
    if (!m_pending.restore)
        return finish(true);
    const DWORD now = GetTickCount();
    hotkey::PasteWatch watch;
    watch.sinceKeyMs = now - m_pending.since;
    watch.rendered = m_pending.rendered;
    watch.sinceLastRenderMs = now - m_pending.lastRenderAt;
    watch.clipboardReplaced = m_pending.replaced;
    watch.targetAnswers = hotkey::pasteReadQuiet(watch) && targetAnswers(m_pending.target);
    switch (hotkey::afterPasteChord(watch)) {
    case hotkey::PasteStep::Wait:
        return;
    case hotkey::PasteStep::Restore:
        stopStep();
        if (!m_pending.rendered)
            base::Trace("the target asked for nothing of the paste in %lu ms", watch.sinceKeyMs);
        base::Guarded("restore", [&] { restoreUserClipboard(); });
        return finish(true);
    case hotkey::PasteStep::LeaveAlone:
        base::Trace("clipboard not restored: another program copied during the paste");
        return finish(true);
    }
}

// Who asks for the offered clip's data. The window that opened the clipboard tells its process;
// a reader that opened it without a window is the target when it asks from the thread the chord
// runs in (the target's own, for a key chord or the clip menu) or while the target is in front.
bool CMyClipboard::targetAsks() const {
    const DWORD target = processOfWindow(m_pending.target);
    if (HWND opener = GetOpenClipboardWindow())
        return processOfWindow(opener) == target;
    if (!InSendMessage())
        return GetWindowThreadProcessId(m_pending.target, nullptr) == GetCurrentThreadId();
    return processOfWindow(GetForegroundWindow()) == target;
}

// A format of the offered clip is asked for; the clipboard is open for the reader. Only the
// target's request is answered and counts as its reading: another reader (a clipboard tool that
// ignores the marks) gets nothing, so the target's own request still comes to us. What we hand out
// is noted as the library's change. False when the target's format could not be handed out.
bool CMyClipboard::render(UINT format) {
    if (!targetAsks()) {
        base::Trace("paste: format %u asked for by another program: not handed out", format);
        return true;
    }
    bool handed = false;
    {
        const COwnChange rendering = COwnChange::begin(processOfWindow(m_pending.window->hwnd()));
        for (const auto& [offered, bytes] : m_pending.offered) {
            if (offered == format) {
                handed = setFormatData(format, bytes);
                break;
            }
        }
    }
    ++m_pending.rendered;
    m_pending.lastRenderAt = GetTickCount();
    base::Trace("paste: the target asked for format %u", format);
    return handed;
}

// The window goes while its clip is still offered: the clip stays whole. False when a format
// could not be left on the clipboard.
bool CMyClipboard::renderAll() {
    HWND window = m_pending.window ? m_pending.window->hwnd() : nullptr;
    if (!window || !CHECK_WIN32(OpenClipboard(window)))
        return false;
    bool all = true;
    if (GetClipboardOwner() == window)
        for (const auto& [format, bytes] : m_pending.offered)
            all = setFormatData(format, bytes) && all;
    CloseClipboard();
    return all;
}

// Every format the user had, byte for byte (those held as handles made again from their bytes),
// owned by the main window (the clipboard outlives the chord). A kept clipboard that lacks one of
// its formats (over the budget, or a kind no program can hand over) is not put back: the pasted
// clip stays, and the trace says which format.
void CMyClipboard::restoreUserClipboard() {
    m_pending.restoring = true;
    if (!m_pending.kept) {
        base::Trace("clipboard not restored: no kept copy; the pasted clip stays");
        return;
    }
    if (!m_pending.kept->snapshot.notKept.empty()) {
        base::Trace("clipboard not restored: its format %u could not be kept; the pasted clip stays",
                    m_pending.kept->snapshot.notKept.front());
        return;
    }
    HWND main = findMainWindow();
    const Formats formats = restorableFormats(m_pending.kept->snapshot);
    const bool restored = putFormats(formats, PutRequest::ownedBy(main ? main : m_pending.window->hwnd())) == Put::Done;
    m_pending.offering = false;
    base::Trace("clipboard %s after the paste (%u formats)", restored ? "restored" : "not restored",
              static_cast<unsigned>(formats.size()));
}

// A clip still offered when the chord ends (it was not given back) is put on the clipboard with
// its data, owned by the main window: the chord's window goes.
void CMyClipboard::settleOffer() {
    HWND window = m_pending.window ? m_pending.window->hwnd() : nullptr;
    HWND main = findMainWindow();
    if (!window || !main || GetClipboardOwner() != window)
        return;
    m_pending.restoring = true;
    if (putFormats(m_pending.offered, PutRequest::ownedBy(main)) != Put::Done)
        base::Trace("the offered clip could not be put on the clipboard whole");
    m_pending.offering = false;
}
