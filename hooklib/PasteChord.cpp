#include "hooklib/PasteChord.h"

#include "hooklib/ChordKeys.h"
#include "hooklib/HotkeyRules.h"
#include "hooklib/OwnChanges.h"
#include "hooklib/SharedState.h"
#include "hooklib/LibraryStore.h"
#include "store/ClipNames.h"
#include "store/PasteQueue.h"
#include "store/Protocol.h"
#include "store/StoreDocument.h"
#include "store/StoreFile.h"
#include "store/TimeStamp.h"
#include "xml/XmlDocument.h"
#include "base/Barrier.h"
#include "base/Check.h"
#include "base/Text.h"
#include "base/Trace.h"
#include "fw/Settings.h"
#include "fw/Window.h"

namespace hooklib {

namespace {

constexpr UINT kStepMs = 100;          // between the paste's steps
constexpr UINT kWatchMs = 30;          // while the target reads the paste
constexpr UINT kTargetAnswerMs = 100;  // for the target's window to answer a message
constexpr int kKeepTries = 3;          // another program's copy came between keeping and our change
constexpr UINT kFrontStepMs = 20;      // while the target comes to the front
constexpr int kFrontWaits = 100;       // 2 s: a target that does not come by then gets the keys all the same

// Keys go to the thread in front and, there, to its focus: a target brought to the front from
// another process has it only once its own thread has handled the activation. A thread keeps its
// focus window while it is not in front, so that alone does not show it; an edit box shows it by
// its caret, which it makes when it gets the focus (keys sent before then did not reach it under
// Wine when our own window took the front back meanwhile).
bool takesTheKeyboard(HWND target) {
    HWND front = GetForegroundWindow();
    if (!front || GetAncestor(front, GA_ROOT) != GetAncestor(target, GA_ROOT))
        return false;
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(target, nullptr), &gui) || !gui.hwndFocus)
        return false;
    return !hooklib::showsCaretWhenFocused(base::toUtf8(fw::ClassOfWindow(gui.hwndFocus))) || gui.hwndCaret == gui.hwndFocus;
}

// The time of use of a pasted clip: "-usetime" updated in place, or added after "-time".
// False when there is no index to record it in.
bool recordUseTime(const std::string& indexPath, std::string_view clip) {
    bool present = false;
    store::updateStoreFile(indexPath, store::IfMissing::Skip, [&](xml::XmlDocument& doc) {
        present = true;
        const std::string stamp = store::currentTimeStamp();
        if (store::findRootChild(doc, store::useTimeElementName(clip)))
            return doc.enterElement() && doc.setElementText(stamp);
        return store::findRootChild(doc, store::timeElementName(clip)) && doc.enterElement() &&
               doc.addElement(store::useTimeElementName(clip), stamp);
    });
    return present;
}

// The user's choice in the tray menu, read at every paste.
bool restoreClipboardAfterPaste() {
    return fw::ReadUserDword(store::kSettingsKey, store::kRestoreClipboardSetting).value_or(0) != 0;
}

// Idle: its thread takes a message within a short bound (a window that has gone is idle too).
bool targetAnswers(HWND target) {
    DWORD_PTR ignored = 0;
    return !IsWindow(target) ||
           SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kTargetAnswerMs, &ignored) != 0;
}

// The marks of a clip offered for one target: what keeps the system's clipboard history and
// other clipboard tools away from it (the same marks the recorder honours).
transfer::Formats offerMarks() {
    const std::string notAllowed(4, '\0');  // a DWORD 0
    return {{RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"), notAllowed},
            {RegisterClipboardFormatW(L"CanIncludeInClipboardHistory"), notAllowed},
            {RegisterClipboardFormatW(L"Clipboard Viewer Ignore"), notAllowed}};
}

// What a paste puts on the clipboard: the clip's formats, its text alone, or ("粘贴为") its text
// transformed; the clip in the store stays as it is.
std::optional<transfer::Formats> formatsToPaste(std::string_view clip, bool plainText,
                                                std::optional<store::Transform> transform) {
    if (!transform)
        return store::storedFormats(libraryStorePaths(), clip, plainText);
    const std::optional<transfer::Formats> stored = store::storedFormats(libraryStorePaths(), clip, false);
    return stored ? std::optional(store::transformedPaste(*stored, *transform)) : std::nullopt;
}

}  // namespace

CPasteChord::CPasteChord(Kind kind, std::vector<int> heldKeys, std::string clip, bool plainText, int historyNumber)
    : CChord(kind, std::move(heldKeys)), m_clip(std::move(clip)), m_plainText(plainText), m_historyNumber(historyNumber) {}

std::unique_ptr<CPasteChord> CPasteChord::slot(int slotKey, int physicalKey, int historyNumber,
                                               std::optional<store::Transform> transform) {
    std::vector<int> held = {physicalKey, VK_CONTROL, VK_MENU};
    if (transform)
        held.push_back(VK_SHIFT);  // the repeat chord holds Shift too
    std::unique_ptr<CPasteChord> chord(new CPasteChord(Kind::PasteSlot, std::move(held),
                                                       store::slotClipName(static_cast<char>(slotKey)),
                                                       transform.has_value(), historyNumber));
    chord->m_transform = transform;
    return chord;
}

std::unique_ptr<CPasteChord> CPasteChord::clip(std::string clip, bool plainText, int historyNumber,
                                               std::optional<store::Transform> transform) {
    std::unique_ptr<CPasteChord> chord(new CPasteChord(Kind::PasteClip, {VK_MENU, VK_SHIFT}, std::move(clip),
                                                       plainText || transform.has_value(), historyNumber));
    chord->m_transform = transform;
    return chord;
}

// A slot paste (and the queue's, which pastes as a slot does) always keeps the user's clipboard
// (as "tempFile"); a paste that gives it back keeps it in memory too.
CChord::Next CPasteChord::act() {
    const std::optional<transfer::Formats> clip = formatsToPaste(m_clip, m_plainText, m_transform);
    if (!clip || clipGone(*clip) || (m_plainText && clip->empty()))
        return Next::GivenUp;  // nothing to paste: the user's clipboard stays as it is
    m_restore = restoreClipboardAfterPaste();
    if (kind() != Kind::PasteClip || m_restore) {
        m_kept = transfer::keepUserClipboard(libraryStorePaths(), window());
        if (!m_kept)
            return Next::GivenUp;
    }
    return putClip(*clip);
}

// Our clip replaces only what was kept, or looked at, and nothing that came since: a copy of
// another program that came between keeping and our change is read by the main program and kept
// anew.
CChord::Next CPasteChord::putClip(const transfer::Formats& clip) {
    transfer::PutRequest request = transfer::PutRequest::ownedBy(m_restore ? window() : findMainWindow(),
                                                                 m_kept ? m_kept->sequence : seenSequence());
    request.requireSeen = seen();
    request.delayed = m_restore;
    if (m_restore)
        request.marks = offerMarks();
    if (!request.opener)
        return Next::GivenUp;
    if (m_restore)
        m_offered = clip;  // asked for as soon as the clipboard closes
    m_offering = m_restore;
    switch (transfer::putFormats(clip, request)) {
    case transfer::Put::Changed:
        m_offering = false;
        if (++m_tries < kKeepTries)
            return Next::WhenSeen;
        base::Trace("paste given up: the clipboard kept changing");
        return Next::GivenUp;
    case transfer::Put::Failed:
        m_offering = false;
        return Next::GivenUp;
    case transfer::Put::Done:
        break;
    }
    // A history clip pasted (from a menu, the list or the queue) was used now: making room takes
    // the clip used longest ago, never the one just pasted.
    const bool historyClip = kind() == Kind::PasteClip || kind() == Kind::PasteQueued;
    if (historyClip && !recordUseTime(libraryStorePaths().indexFile(), m_clip))
        return Next::GivenUp;
    return stepTimer().start(kStepMs) ? Next::GoOn : Next::GivenUp;
}

CChord::Next CPasteChord::step() {
    return m_keysSent ? watchPaste() : sendPasteChord();
}

CChord::Next CPasteChord::sendPasteChord() {
    stepTimer().stop();
    if (IsWindow(target()) && !takesTheKeyboard(target())) {
        if (GetForegroundWindow() != target())
            SetForegroundWindow(target());
        if (++m_frontWaits < kFrontWaits)
            return stepTimer().start(kFrontStepMs) ? Next::GoOn : Next::GivenUp;
        base::Trace("paste: the target did not take the keyboard in %d ms", kFrontWaits * static_cast<int>(kFrontStepMs));
    }
    sendPasteKeys(target());
    m_keysSent = true;
    return stepTimer().start(m_restore ? kWatchMs : kStepMs) ? Next::GoOn : Next::Completed;
}

CChord::Next CPasteChord::watchPaste() {
    if (!m_restore)
        return Next::Completed;
    const DWORD now = GetTickCount();
    hooklib::PasteWatch watch;
    watch.sinceKeyMs = now - stepTimer().began();
    watch.rendered = m_rendered;
    watch.sinceLastRenderMs = now - m_lastRenderAt;
    watch.clipboardReplaced = m_replaced;
    watch.targetAnswers = hooklib::pasteReadQuiet(watch) && targetAnswers(target());
    switch (hooklib::afterPasteChord(watch)) {
    case hooklib::PasteStep::Wait:
        return Next::GoOn;
    case hooklib::PasteStep::Restore:
        stepTimer().stop();
        if (!m_rendered)
            base::Trace("the target asked for nothing of the paste in %lu ms", watch.sinceKeyMs);
        base::Guarded("restore", [&] { restoreUserClipboard(); });
        return Next::Completed;
    case hooklib::PasteStep::LeaveAlone:
        base::Trace("clipboard not restored: another program copied during the paste");
        return Next::Completed;
    }
    return Next::Completed;
}

// Who asks for the offered clip's data. The window that opened the clipboard tells its process;
// a reader that opened it without a window is the target when it asks from the thread the chord
// runs in (the target's own, for a key chord or the clip menu) or while the target is in front.
bool CPasteChord::targetAsks() const {
    const DWORD targetProcess = processOfWindow(target());
    if (HWND opener = GetOpenClipboardWindow())
        return processOfWindow(opener) == targetProcess;
    if (!InSendMessage())
        return GetWindowThreadProcessId(target(), nullptr) == GetCurrentThreadId();
    return processOfWindow(GetForegroundWindow()) == targetProcess;
}

void CPasteChord::renderFormat(UINT format) {
    if (!render(format))
        base::Trace("paste: format %u could not be handed out; the target reads nothing of it", format);
}

// A format of the offered clip is asked for; the clipboard is open for the reader. Only the
// target's request is answered and counts as its reading: another reader (a clipboard tool that
// ignores the marks) gets nothing, so the target's own request still comes to us. What we hand out
// is noted as the library's change. False when the target's format could not be handed out.
bool CPasteChord::render(UINT format) {
    if (!targetAsks()) {
        base::Trace("paste: format %u asked for by another program: not handed out", format);
        return true;
    }
    bool handed = false;
    {
        const COwnChange rendering = COwnChange::begin(processOfWindow(window()));
        for (const auto& [offered, bytes] : m_offered) {
            if (offered == format) {
                handed = transfer::setFormatData(format, bytes);
                break;
            }
        }
    }
    ++m_rendered;
    m_lastRenderAt = GetTickCount();
    base::Trace("paste: the target asked for format %u", format);
    return handed;
}

void CPasteChord::renderAllFormats() {
    if (!renderAll())
        base::Trace("paste: the offered clip could not be left whole on the clipboard");
}

// The window goes while its clip is still offered: the clip stays whole. False when a format
// could not be left on the clipboard.
bool CPasteChord::renderAll() {
    if (!window() || !CHECK_WIN32(OpenClipboard(window())))
        return false;
    bool all = true;
    if (GetClipboardOwner() == window())
        for (const auto& [format, bytes] : m_offered)
            all = transfer::setFormatData(format, bytes) && all;
    CloseClipboard();
    return all;
}

void CPasteChord::clipboardReplaced() {
    if (!m_restoring && m_offering)
        m_replaced = true;
}

// Every format the user had, byte for byte (those held as handles made again from their bytes),
// owned by the main window (the clipboard outlives the chord). A kept clipboard that lacks one of
// its formats (over the budget, or a kind no program can hand over) is not put back: the pasted
// clip stays, and the trace says which format.
void CPasteChord::restoreUserClipboard() {
    m_restoring = true;
    if (!m_kept) {
        base::Trace("clipboard not restored: no kept copy; the pasted clip stays");
        return;
    }
    if (!m_kept->snapshot.notKept.empty()) {
        base::Trace("clipboard not restored: its format %u could not be kept; the pasted clip stays",
                    m_kept->snapshot.notKept.front());
        return;
    }
    HWND main = findMainWindow();
    const transfer::Formats formats = store::restorableFormats(m_kept->snapshot);
    const bool restored =
        transfer::putFormats(formats, transfer::PutRequest::ownedBy(main ? main : window())) == transfer::Put::Done;
    m_offering = false;
    base::Trace("clipboard %s after the paste (%u formats)", restored ? "restored" : "not restored",
                static_cast<unsigned>(formats.size()));
}

// A clip still offered when the chord ends (it was not given back) is put on the clipboard with
// its data, owned by the main window: the chord's window goes.
void CPasteChord::settle() {
    HWND main = findMainWindow();
    if (!window() || !main || GetClipboardOwner() != window())
        return;
    m_restoring = true;
    if (transfer::putFormats(m_offered, transfer::PutRequest::ownedBy(main)) != transfer::Put::Done)
        base::Trace("the offered clip could not be put on the clipboard whole");
    m_offering = false;
}

CChord::Notice CPasteChord::ending(bool completed) {
    if (completed)
        return {store::kMsgClipPasted, static_cast<WPARAM>(m_historyNumber)};
    return {};
}

CQueuePasteChord::CQueuePasteChord(int number, bool plainText, int physicalKey)
    : CPasteChord(Kind::PasteQueued, {physicalKey, VK_CONTROL, VK_MENU, VK_SHIFT}, store::historyClipName(number),
                  plainText, number),
      m_number(number) {}

// A queued clip with nothing to paste is gone from the history (or never can be pasted): it
// leaves the queue. Its text alone missing, it stays for a paste of the whole clip.
bool CQueuePasteChord::clipGone(const transfer::Formats& clip) {
    m_gone = clip.empty() && !textOnly();
    return m_gone;
}

// The queue's head goes once it was pasted, or when it is gone from the history; the main window
// hears of it with the paste (or with a paste of nothing).
CChord::Notice CQueuePasteChord::ending(bool completed) {
    const bool dequeue = completed || m_gone;
    if (dequeue && !base::Guarded("paste queue", false, [&] {
            return store::popPasteQueueHead(libraryStorePaths().statusFile(), m_number);
        }))
        base::Trace("the pasted clip his%d- could not be taken from the paste queue", m_number);
    if (completed)
        return CPasteChord::ending(completed);
    return dequeue ? Notice{store::kMsgClipPasted, 0} : Notice{};
}

}  // namespace hooklib
