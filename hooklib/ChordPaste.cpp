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

}  // namespace

// The head is read when the key comes and taken from the queue only once it was pasted (the
// chord's end): a paste that could not be made leaves it at the head for the next press.
void CMyClipboard::PasteQueueHead(bool plainText, int physicalKey) {
    const LONG chord = beginChord();
    if (!chord) {
        base::Trace("chord busy: queue key taken and ignored");
        return;
    }
    const std::optional<PasteQueue> queue = readPasteQueue(paths().statusFile());
    if (!queue || queue->empty()) {
        endChord(chord);
        base::Trace("paste queue %s: nothing pasted", queue ? "empty" : "unreadable");
        MessageBeep(MB_OK);
        return;
    }
    m_nHistoryIndex = queue->front();
    if (start(chord, Kind::PasteQueued, historyClipName(queue->front()), {physicalKey, VK_CONTROL, VK_MENU, VK_SHIFT},
              plainText))
        m_pending.queued = queue->front();
}

// A slot paste (and the queue's, which pastes as a slot does) always keeps the user's clipboard
// (as "tempFile"); a paste that gives it back keeps it in memory too. A copy of another program
// that came between keeping and our change is read by the main program and kept anew.
void CMyClipboard::actPaste() {
    const std::optional<Formats> clip = storedFormats(paths(), m_pending.clip, m_pending.plainText);
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
    request.offer = &m_pending.offer;
    if (!request.opener)
        return finish(false);
    if (m_pending.restore)
        m_pending.offered = *clip;  // asked for as soon as the clipboard closes
    switch (putFormats(*clip, request)) {
    case Put::Changed:
        if (++m_pending.tries < kKeepTries)
            return waitUntilSeen();
        base::Trace("paste given up: the clipboard kept changing");
        return finish(false);
    case Put::Failed:
        return finish(false);
    case Put::Done:
        break;
    }
    if ((m_pending.kind == Kind::PasteClip && !recordUseTime(paths().indexFile(), m_pending.clip)) ||
        !startStep(kStepMs, timerProcPasteData))
        finish(false);
}

void CALLBACK CMyClipboard::timerProcPasteData(HWND, UINT, UINT_PTR, DWORD) {
    guardedStep(&CMyClipboard::sendPasteChord);
}

void CMyClipboard::sendPasteChord() {
    stopStep();
    HWND target = m_pending.target;
    if (IsWindow(target) && GetForegroundWindow() != target)
        SetForegroundWindow(target);
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

// The target asks for a format of the offered clip; the clipboard is open for it. False when it
// could not be handed out (after SetClipboardData succeeds the system owns the memory).
bool CMyClipboard::render(UINT format) {
    bool handed = false;
    for (const auto& [offered, bytes] : m_pending.offered) {
        if (offered != format)
            continue;
        HGLOBAL memory = memoryBlock(bytes);
        handed = memory && CHECK_WIN32(SetClipboardData(format, memory));
        if (!handed)
            GlobalFree(memory);
        break;
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
        for (const auto& [format, bytes] : m_pending.offered) {
            HGLOBAL memory = memoryBlock(bytes);
            if (!memory || !CHECK_WIN32(SetClipboardData(format, memory))) {
                GlobalFree(memory);
                all = false;
            }
        }
    CloseClipboard();
    return all;
}

// Every format the user had, byte for byte, owned by the main window (the clipboard outlives
// the chord). The offered clip's range ends once the clipboard is ours again.
void CMyClipboard::restoreUserClipboard() {
    m_pending.restoring = true;
    if (!m_pending.kept) {
        base::Trace("clipboard not restored: no kept copy; the pasted clip stays");
        return;
    }
    HWND main = findMainWindow();
    PutRequest request = PutRequest::ownedBy(main ? main : m_pending.window->hwnd());
    request.ending = &m_pending.offer;
    const Formats formats = restorableFormats(m_pending.kept->snapshot);
    const bool restored = putFormats(formats, request) == Put::Done;
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
    PutRequest request = PutRequest::ownedBy(main);
    request.ending = &m_pending.offer;
    if (putFormats(m_pending.offered, request) != Put::Done)
        base::Trace("the offered clip could not be put on the clipboard whole");
}
