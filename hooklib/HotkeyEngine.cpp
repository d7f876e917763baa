// CMyClipboard: the slot chords, driven by the keyboard hook in the foreground application's
// thread, and the paste machinery. Each step that waits is a one-shot 100 ms thread timer.
#include "Guard.h"
#include "HotkeyRules.h"
#include "MyClipboard.h"
#include "SharedState.h"
#include "StatusKeys.h"
#include "StoreFormat.h"
#include "XmlDocument.h"

#include <vector>

using namespace store;

namespace {

constexpr UINT kStepMs = 100;

void releaseKey(BYTE virtualKey) {
    keybd_event(virtualKey, 0, KEYEVENTF_KEYUP, 0);
}

void endOperation() {
    RemoveKey(theClipboard.statusPath(), kSysClipKey);
    RemoveKey(theClipboard.statusPath(), kPressNumKey);
}

// The time of use of a pasted clip: "-usetime" updated in place, or added after "-time".
bool recordUseTime(const std::string& indexPath, std::string_view clip) {
    XmlDocument doc;
    if (!doc.loadFile(indexPath))
        return false;
    const std::string stamp = currentTimeStamp();
    if (findRootChild(doc, useTimeElementName(clip))) {
        doc.enterElement();
        doc.setElementText(stamp);
    } else if (findRootChild(doc, timeElementName(clip))) {
        doc.enterElement();
        doc.addElement(useTimeElementName(clip), stamp);
    } else {
        return true;
    }
    doc.saveFile(indexPath);
    return true;
}

}  // namespace

void CMyClipboard::SendEditChord(char letter) {
    std::vector<hotkey::ChordKey> chord;
    if (letter == 'V') {
        chord = hotkey::pasteChord();
    } else if (letter == 'C') {
        wchar_t className[255] = {};
        if (HWND active = GetActiveWindow())
            GetClassNameW(active, className, 255);
        std::string narrow;
        for (const wchar_t* c = className; *c; ++c)
            narrow += *c < 128 ? static_cast<char>(*c) : '?';
        chord = hotkey::copyChord(hotkey::isMozillaClass(narrow));
    } else {
        return;
    }
    std::vector<INPUT> inputs(chord.size());
    for (std::size_t i = 0; i < chord.size(); ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = chord[i].virtualKey;
        inputs[i].ki.dwFlags = chord[i].release ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void CMyClipboard::CopyToSlot(int slotKey) {
    if (!m_bReady)
        return;  // a copy of this process is under way: the key is taken and ignored
    m_bReady = 0;
    if (g_bOperXml == 1) {
        m_bReady = 1;
        return;
    }
    g_bOperXml = 1;
    SetStatusKey(statusPath(), kSysClipKey, kSysClipValue);
    SetStatusKey(statusPath(), kPressNumKey, std::string(1, static_cast<char>(slotKey)));
    SaveTempClip();
    releaseKey(static_cast<BYTE>(slotKey));
    releaseKey(hotkey::kVkControl);
    SendEditChord('C');
    m_nCopyKey = slotKey;
    SetTimer(nullptr, 0, kStepMs, timerProcAfterCopy);
}

void CALLBACK CMyClipboard::timerProcAfterCopy(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    CMyClipboard& self = theClipboard;
    guarded(0, [&] {
        self.SaveClip(slotClipName(static_cast<char>(self.m_nCopyKey)));
        endOperation();
        return 0;
    });
    // The flags are released whatever happened, or every later copy would be refused.
    g_bOperXml = 0;
    self.m_bReady = 1;
    notifyMainWindow(kMsgSlotCopied, static_cast<WPARAM>(self.m_nCopyKey));
}

UINT_PTR CMyClipboard::PasteSlot(int slotKey) {
    releaseKey(static_cast<BYTE>(slotKey));
    releaseKey(hotkey::kVkControl);
    releaseKey(hotkey::kVkAlt);
    SetStatusKey(statusPath(), kSysClipKey, kSysClipValue);
    SaveTempClip();
    SetClipData(slotClipName(static_cast<char>(slotKey)));
    return SetTimer(nullptr, 0, kStepMs, timerProcPasteData);
}

// When the index cannot be read the paste stops before the chord; the status key is removed
// again, or history recording would stay off.
void CMyClipboard::pasteFromClipboard(std::string_view clip) {
    SetStatusKey(statusPath(), kSysClipKey, kSysClipValue);
    SetClipData(clip);
    if (!recordUseTime(indexPath(), clip)) {
        endOperation();
        return;
    }
    SetTimer(nullptr, 0, kStepMs, timerProcPasteData);
}

void CALLBACK CMyClipboard::timerProcPasteData(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND active = GetActiveWindow();
    if (IsWindow(active))
        SetForegroundWindow(active);
    SendEditChord('V');
    SetTimer(nullptr, 0, kStepMs, timerProcAfterPaste);
}

void CALLBACK CMyClipboard::timerProcAfterPaste(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    guarded(0, [] {
        endOperation();
        return 0;
    });
    notifyMainWindow(kMsgClipPasted, static_cast<WPARAM>(theClipboard.m_nHistoryIndex));
}

void CALLBACK timerProcAfterResume(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    guarded(0, [] {
        endOperation();
        return 0;
    });
}
