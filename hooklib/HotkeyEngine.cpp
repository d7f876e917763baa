// CMyClipboard: the slot chords and the paste machinery. The keyboard hook only decides and
// takes the chord; everything else happens in thread timers of the same thread: first a wait
// until the user has let go of the chord's keys, then the clipboard and store work and the
// synthesised copy or paste chord, then the notification of the main window. Every path out of
// a chord, failures and exceptions included, takes down the flags and status keys it raised.
#include "HotkeyRules.h"
#include "MyClipboard.h"
#include "Protocol.h"
#include "SharedState.h"
#include "StatusKeys.h"
#include "StoreFile.h"
#include "StoreFormat.h"
#include "XmlDocument.h"
#include "fw/Barrier.h"
#include "fw/Settings.h"
#include "fw/Trace.h"

#include <vector>

using xml::XmlDocument;

using namespace store;

namespace {

constexpr UINT kStepMs = 100;           // between the paste's steps
constexpr UINT kPollMs = 15;            // while waiting for keys or the copied data
constexpr DWORD kKeyReleaseWaitMs = 1000;
constexpr DWORD kBusyWaitMs = 3000;     // for the main window to finish filing the last copy
constexpr DWORD kCopyWaitMs = 1000;     // for the application to answer the copy chord
constexpr DWORD kPasteTakeWaitMs = 1000;   // for the application to take the paste
constexpr DWORD kForeignPasteWaitMs = 500; // the same, for a paste into another thread's window

bool isPhysicallyDown(int virtualKey) {
    return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

void sendChord(const std::vector<hotkey::ChordKey>& chord) {
    std::vector<INPUT> inputs(chord.size());
    for (std::size_t i = 0; i < chord.size(); ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = chord[i].virtualKey;
        inputs[i].ki.wScan = static_cast<WORD>(MapVirtualKeyW(chord[i].virtualKey, MAPVK_VK_TO_VSC));
        inputs[i].ki.dwFlags = chord[i].release ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::string windowClass(HWND window) {
    wchar_t className[255] = {};
    if (window)
        GetClassNameW(window, className, 255);
    std::string narrow;
    for (const wchar_t* c = className; *c; ++c)
        narrow += *c < 128 ? static_cast<char>(*c) : '?';
    return narrow;
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

UINT_PTR startTimer(UINT ms, TIMERPROC procedure) {
    return SetTimer(nullptr, 0, ms, procedure);
}

// The user's choice in the tray menu, read at every paste.
bool restoreClipboardAfterPaste() {
    return fw::ReadUserDword(kSettingsKey, kRestoreClipboardSetting).value_or(0) != 0;
}

}  // namespace

// Alt and Shift still held after the wait would turn the chord into another one: they are let
// go first. A held Ctrl is used as it is.
void CMyClipboard::SendEditChord(char letter) {
    std::vector<hotkey::ChordKey> chord;
    if (letter == 'V')
        chord = hotkey::pasteChord();
    else if (letter == 'C')
        chord = hotkey::copyChord(hotkey::isMozillaClass(windowClass(GetForegroundWindow())));
    else
        return;
    if (isPhysicallyDown(VK_CONTROL))
        chord = hotkey::withoutKey(chord, hotkey::kVkControl);
    for (const unsigned modifier : {hotkey::kVkAlt, hotkey::kVkShift})
        if (isPhysicallyDown(static_cast<int>(modifier)))
            chord.insert(chord.begin(), hotkey::ChordKey{static_cast<unsigned short>(modifier), true});
    sendChord(chord);
}

// The chord's target is the window it was meant for: the foreground window for a key chord, the
// window clicked for the clip menu. The hook may run in a thread of another program (on 64-bit
// Windows a 32-bit application's keys come to the thread that installed the hooks), so the
// target is never this thread's active window.
bool CMyClipboard::start(LONG chord, Kind kind, std::string clip, std::vector<int> heldKeys, bool plainText,
                         HWND target) {
    fw::Trace("chord %d begins%s", static_cast<int>(kind), plainText ? ", text only" : "");
    m_pending = Pending{kind,           std::move(clip), plainText, target ? target : GetForegroundWindow(),
                        std::move(heldKeys), GetTickCount(), 0,      chord};
    if (startTimer(kPollMs, timerProcKeysReleased))
        return true;
    finish(false);
    return false;
}

// The busy flag is taken only when the copy's work begins (see timerProcKeysReleased): while
// the main window still files the last copy, this one waits rather than being lost.
void CMyClipboard::CopyToSlot(int slotKey, int physicalKey) {
    if (!m_bReady)
        return;
    const LONG chord = beginChord();
    if (!chord) {
        fw::Trace("chord busy: copy key taken and ignored");
        return;  // a chord is under way: the key is taken and ignored
    }
    m_bReady = 0;
    m_nCopyKey = slotKey;
    start(chord, Kind::Copy, {}, {physicalKey, VK_CONTROL});
}

UINT_PTR CMyClipboard::PasteSlot(int slotKey, int physicalKey) {
    const LONG chord = beginChord();
    if (!chord)
        fw::Trace("chord busy: paste key taken and ignored");
    return chord && start(chord, Kind::PasteSlot, slotClipName(static_cast<char>(slotKey)),
                          {physicalKey, VK_CONTROL, VK_MENU});
}

bool CMyClipboard::pasteFromClipboard(std::string_view clip, bool plainText, HWND target) {
    const LONG chord = beginChord();
    return chord && start(chord, Kind::PasteClip, std::string(clip), {VK_MENU, VK_SHIFT}, plainText, target);
}

void CALLBACK CMyClipboard::timerProcKeysReleased(HWND, UINT, UINT_PTR timer, DWORD) {
    CMyClipboard& self = theClipboard;
    const DWORD waited = GetTickCount() - self.m_pending.since;
    bool held = false;
    for (int key : self.m_pending.heldKeys)
        held = held || isPhysicallyDown(key);
    if (held && waited < kKeyReleaseWaitMs)
        return;
    if (self.m_pending.kind == Kind::Copy && InterlockedCompareExchange(&g_bOperXml, 1, 0) != 0) {
        if (waited < kKeyReleaseWaitMs + kBusyWaitMs)
            return;
        KillTimer(nullptr, timer);
        self.m_pending.busyFlagTaken = false;
        self.finish(false);  // the main window never let go of the flag
        return;
    }
    self.m_pending.busyFlagTaken = self.m_pending.kind == Kind::Copy;
    KillTimer(nullptr, timer);
    if (!fw::Guarded("chord", false, [&] {
            self.act();
            return true;
        }))
        self.finish(false);
}

// The chord's work once the keys are up: the status keys, the clipboard, and the copy chord or
// the first step of the paste.
void CMyClipboard::act() {
    const std::string& status = paths().statusFile();
    SetStatusKey(status, kSysClipKey, kSysClipValue);
    switch (m_pending.kind) {
    case Kind::Copy:
        SetStatusKey(status, kPressNumKey, std::string(1, static_cast<char>(m_nCopyKey)));
        SaveTempClip();
        m_pending.clipboardSequence = GetClipboardSequenceNumber();
        m_pending.since = GetTickCount();
        SendEditChord('C');
        if (!startTimer(kPollMs, timerProcAfterCopy))
            finish(false);
        return;
    case Kind::PasteSlot:
    case Kind::PasteClip:
        // The user's clipboard is kept as "tempFile" (a slot paste always keeps it); with the
        // tray's choice it comes back once the paste is taken.
        m_pending.restore = restoreClipboardAfterPaste();
        if (m_pending.kind == Kind::PasteSlot || m_pending.restore)
            SaveTempClip();
        if (!SetClipData(m_pending.clip, m_pending.plainText) ||
            (m_pending.kind == Kind::PasteClip && !recordUseTime(paths().indexFile(), m_pending.clip)) ||
            !startTimer(kStepMs, timerProcPasteData))
            finish(false);
        return;
    case Kind::None:
        finish(false);
        return;
    }
}

// The slot is stored once the application has answered the copy chord (or given up on).
void CALLBACK CMyClipboard::timerProcAfterCopy(HWND, UINT, UINT_PTR timer, DWORD) {
    CMyClipboard& self = theClipboard;
    const DWORD waited = GetTickCount() - self.m_pending.since;
    const bool copied = GetClipboardSequenceNumber() != self.m_pending.clipboardSequence;
    if (!(copied && waited >= 2 * kPollMs) && waited < kCopyWaitMs)
        return;
    KillTimer(nullptr, timer);
    const bool stored = fw::Guarded("chord", false, [&] {
        self.SaveClip(slotClipName(static_cast<char>(self.m_nCopyKey)));
        return true;
    });
    self.finish(stored);
}

void CALLBACK CMyClipboard::timerProcPasteData(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    CMyClipboard& self = theClipboard;
    const bool sent = fw::Guarded("chord", false, [&] {
        HWND target = self.m_pending.target;
        if (IsWindow(target) && GetForegroundWindow() != target)
            SetForegroundWindow(target);
        self.m_pending.pasteKeyToggle = (GetKeyState(hotkey::kVkV) & 1) != 0;
        self.m_pending.since = GetTickCount();
        SendEditChord('V');
        return true;
    });
    if (!sent || !startTimer(self.m_pending.restore ? kPollMs : kStepMs, timerProcAfterPaste))
        self.finish(sent);
}

// The paste is taken once the target's thread has handled our V going down and up: a timer
// comes only after the input and the messages it posted. Here in the target's own thread the
// key's toggle state tells; for a window of another thread a short wait has to do.
bool CMyClipboard::pasteTaken() const {
    const DWORD waited = GetTickCount() - m_pending.since;
    if (GetWindowThreadProcessId(m_pending.target, nullptr) != GetCurrentThreadId())
        return waited >= kForeignPasteWaitMs;
    const SHORT state = GetKeyState(hotkey::kVkV);
    return (((state & 1) != 0) != m_pending.pasteKeyToggle && !(state & 0x8000)) || waited >= kPasteTakeWaitMs;
}

void CALLBACK CMyClipboard::timerProcAfterPaste(HWND, UINT, UINT_PTR timer, DWORD) {
    CMyClipboard& self = theClipboard;
    if (self.m_pending.restore && !self.pasteTaken())
        return;
    KillTimer(nullptr, timer);
    if (!self.m_pending.restore) {
        self.finish(true);
        return;
    }
    // Still under the status key: the clipboard changes back without becoming a record.
    const bool restored = fw::Guarded("chord", false, [&] { return self.SetClipData(kTempClipName); });
    fw::Trace("clipboard %s after the paste", restored ? "restored" : "not restored");
    if (!startTimer(kStepMs, timerProcAfterRestore))
        self.finish(true);
}

void CALLBACK CMyClipboard::timerProcAfterRestore(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    theClipboard.finish(true);
}

// The end of every chord, whatever happened: the status keys go, the flags come down, the
// desktop's chord slot is free again, and the main window hears of a completed chord.
void CMyClipboard::finish(bool completed) {
    removeStatusKeys();
    const Kind kind = m_pending.kind;
    const LONG chord = m_pending.chord;
    const bool busyFlagTaken = m_pending.busyFlagTaken;
    fw::Trace("chord %d ends, %s", static_cast<int>(kind), completed ? "completed" : "given up");
    m_pending = Pending{};
    if (kind == Kind::Copy)
        m_bReady = 1;
    if (busyFlagTaken)
        InterlockedExchange(&g_bOperXml, 0);
    endChord(chord);
    if (!completed)
        return;
    if (kind == Kind::Copy)
        notifyMainWindow(kMsgSlotCopied, static_cast<WPARAM>(m_nCopyKey));
    else if (kind != Kind::None)
        notifyMainWindow(kMsgClipPasted, static_cast<WPARAM>(m_nHistoryIndex));
}

void CALLBACK timerProcAfterResume(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    theClipboard.removeStatusKeys();
}

void CMyClipboard::removeStatusKeys() {
    fw::Guarded("status keys", [&] {
        RemoveKey(paths().statusFile(), kSysClipKey);
        RemoveKey(paths().statusFile(), kPressNumKey);
    });
}
