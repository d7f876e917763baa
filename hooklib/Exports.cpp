// Latchkit.dll: library start-up and the exported functions, including the two hook procedures.
// No exception may leave a hook procedure, a timer procedure or an export into the caller, and
// nothing here shows a window or ends the process it was loaded into.
#include "hooklib/ChordEngine.h"
#include "hooklib/ChordWindow.h"
#include "hooklib/ClipMenu.h"
#include "hooklib/ClipboardTransfer.h"
#include "hooklib/HeldModifiers.h"
#include "hooklib/HotkeyRules.h"
#include "hooklib/MenuEx.h"
#include "hooklib/OwnChanges.h"
#include "hooklib/SharedState.h"
#include "hooklib/StatusKeys.h"
#include "hooklib/UserChords.h"
#include "hooklib/LibraryStore.h"
#include "store/Protocol.h"
#include "store/StoreDocument.h"
#include "store/StoreFile.h"
#include "base/Barrier.h"
#include "base/Check.h"
#include "base/Handle.h"
#include "base/ScopeExit.h"
#include "base/Trace.h"

using namespace hooklib;
using namespace store;

namespace {

// In the thread that receives the keys, the state of the keys as that thread has seen them.
// The hooks may also run in the thread that installed them, for keys meant for another
// program (a 32-bit application on 64-bit Windows): there only the keyboard itself tells.
bool isKeyDown(int virtualKey) {
    const bool keysThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr) == GetCurrentThreadId();
    return ((keysThread ? GetKeyState(virtualKey) : GetAsyncKeyState(virtualKey)) & 0x8000) != 0;
}

// The modifiers as the key messages of the thread whose keys the hook saw last said them
// (HeldModifiers.h: a key state set anew without a message loses a Ctrl typed through
// SendInput). Per process; another thread's keys start it afresh.
struct ThreadModifiers {
    DWORD thread = 0;
    hooklib::ModifierMemory memory;
};
ThreadModifiers g_modifiers;
SRWLOCK g_modifiersLock = SRWLOCK_INIT;

void noteKey(unsigned virtualKey, bool released, bool extended) {
    AcquireSRWLockExclusive(&g_modifiersLock);
    if (g_modifiers.thread != GetCurrentThreadId())
        g_modifiers = {GetCurrentThreadId(), {}};
    g_modifiers.memory.onKey(virtualKey, released, extended, GetTickCount());
    ReleaseSRWLockExclusive(&g_modifiersLock);
}

bool isModifierDown(unsigned modifier) {
    const bool keyState = isKeyDown(static_cast<int>(modifier));
    AcquireSRWLockShared(&g_modifiersLock);
    const bool held = g_modifiers.thread == GetCurrentThreadId()
                          ? g_modifiers.memory.held(modifier, keyState, GetTickCount())
                          : keyState;
    ReleaseSRWLockShared(&g_modifiersLock);
    return held;
}

// The options::Modifier bits held for the key the hook sees.
unsigned heldModifiers() {
    unsigned held = 0;
    if (isModifierDown(hooklib::kVkControl))
        held |= options::kCtrl;
    if (isModifierDown(hooklib::kVkAlt))
        held |= options::kAlt;
    if (isModifierDown(hooklib::kVkShift))
        held |= options::kShift;
    if (isKeyDown(VK_LWIN) || isKeyDown(VK_RWIN))
        held |= options::kWin;
    return held;
}

void freeMenuBitmaps() {
    for (base::UniqueBitmap& bitmap : g_hMenuBitmaps)
        bitmap.reset();
}

void pasteClip(const char* clipName, bool plainText, std::optional<store::Transform> transform = std::nullopt) {
    if (!clipName)
        return;
    int index = 0;
    const bool named = hooklib::historyIndexFromName(clipName, index);
    theChordEngine.PasteClip(clipName, named ? std::optional<int>(index) : std::nullopt, plainText, nullptr, transform);
}

// The clip menu's choice is pasted by the engine.
void pasteChosen(const std::string& clip, int historyNumber, bool plainText, HWND target,
                 std::optional<store::Transform> transform) {
    theChordEngine.PasteClip(clip, historyNumber, plainText, target, transform);
}

// The transform the user chose last; Plain (the text alone) before any.
store::Transform lastTransform() {
    return store::transformFromNumber(static_cast<unsigned>(InterlockedCompareExchange(&g_nLastTransform, 0, 0)))
        .value_or(store::Transform::Plain);
}

void CALLBACK timerProcAfterResume(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    RemoveChordStatusKeys(libraryStorePaths().statusFile());
}

// A store file found damaged in this process is reported by the main window.
void reportDamage(const std::string&) {
    notifyMainWindow(kMsgStoreDamaged, 0);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_hLibrary = instance;
        DisableThreadLibraryCalls(instance);
        hooklib::beginThreadChordCaches();
        setDamageReporter(reportDamage);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // Unloaded, not the process ending: what this library made in the process goes.
        freeMenuBitmaps();
        CMenuHookWnd::LetGoOfSpare();
        CMenuHookWnd::UnregisterClass();
        CChordWnd::UnregisterClass();
        hooklib::endThreadChordCaches();
    }
    return TRUE;
}

extern "C" {

// A hook can outlive the program that set it (Wine keeps an ended program's hooks), and two guards
// keep such a hook from acting. Each hook acts only when its handle is in this copy of the
// library's shared section: the library of another installation has a section of its own, in which
// no chords were published and no clipboard read noted. And a chord needs the main window to carry
// it out: a leftover hook of this very file shares the section, but finds no main window.
LRESULT CALLBACK KeyboardProc(int code, WPARAM key, LPARAM flags) {
    if (!g_bKeyHookReady || !g_hKeyboardHook)
        return CallNextHookEx(g_hKeyboardHook, code, key, flags);
    g_bKeyHookReady = false;
    base::ScopeExit ready([] { g_bKeyHookReady = true; });
    const bool released = (static_cast<DWORD>(flags) & 0x80000000u) != 0;
    if (code == HC_ACTION)
        noteKey(static_cast<unsigned>(key), released, (HIWORD(flags) & KF_EXTENDED) != 0);
    hooklib::KeyDecision decision = base::Guarded("KeyboardProc", hooklib::KeyDecision{}, [&] {
        return hooklib::decideUserKey({code, static_cast<unsigned>(key), released, heldModifiers(), isModifierDown(hooklib::kVkRightAlt)});
    });
    // With no main window to carry a chord out, its keys are the program's in front.
    if (decision.kind != hooklib::KeyDecision::PassOn && decision.kind != hooklib::KeyDecision::ShowMainWindow &&
        !findMainWindow()) {
        base::Trace("chord key passed on: the program is not running");
        decision.kind = hooklib::KeyDecision::PassOn;
    }
    const int physicalKey = static_cast<int>(key);
    // A chord key held down repeats: only its first press makes the chord.
    const bool repeat = (static_cast<DWORD>(flags) & 0x40000000u) != 0;
    if (repeat && decision.kind != hooklib::KeyDecision::PassOn && decision.kind != hooklib::KeyDecision::ShowMainWindow)
        return 1;
    if (code == HC_ACTION)
        base::Guarded("KeyboardProc", [&] { theChordEngine.KeyArriving(static_cast<unsigned>(key), released); });
    switch (decision.kind) {
    case hooklib::KeyDecision::CopyToSlot:
        base::Guarded("KeyboardProc", [&] { theChordEngine.CopyToSlot(decision.slotKey, physicalKey); });
        return 1;
    case hooklib::KeyDecision::PasteSlot:
        base::Guarded("KeyboardProc", [&] { theChordEngine.PasteSlot(decision.slotKey, physicalKey); });
        return 1;
    case hooklib::KeyDecision::RepeatTransform:
        base::Guarded("KeyboardProc", [&] { theChordEngine.PasteSlot(decision.slotKey, physicalKey, lastTransform()); });
        return 1;
    case hooklib::KeyDecision::PasteQueueHead:
        base::Guarded("KeyboardProc", [&] { theChordEngine.PasteQueueHead(decision.plainText, physicalKey); });
        return 1;
    case hooklib::KeyDecision::OpenClipMenu:
        base::Guarded("KeyboardProc", [&] { OpenClipMenuAtCaret(pasteChosen); });
        return 1;
    case hooklib::KeyDecision::ShowMainWindow:
        // Asynchronous: the hook must not wait for the main program.
        if (HWND main = findMainWindow()) {
            ShowWindowAsync(main, SW_SHOW);
            ShowWindowAsync(main, SW_RESTORE);
            SetForegroundWindow(main);
        }
        break;
    case hooklib::KeyDecision::PassOn:
        break;
    }
    return CallNextHookEx(g_hKeyboardHook, code, key, flags);
}

LRESULT CALLBACK MouseProc(int code, WPARAM message, LPARAM record) {
    const bool rightButton = message == WM_RBUTTONDOWN || message == WM_RBUTTONUP || message == WM_RBUTTONDBLCLK ||
                             message == WM_NCRBUTTONDOWN || message == WM_NCRBUTTONUP || message == WM_NCRBUTTONDBLCLK;
    if (code >= 0 && rightButton && g_hMouseHook &&
        base::Guarded("MouseProc", false,
                    [&] { return HandleClipMenuMouse(message, *reinterpret_cast<const MOUSEHOOKSTRUCT*>(record), pasteChosen); }))
        return 1;
    return CallNextHookEx(g_hMouseHook, code, message, record);
}

// 1 when both hooks are in place; a hook that could not be set is reported, and then the slot
// chords or the clip menu do not work.
int WINAPI installhook(HWND) {
    g_hKeyboardHook = CHECK_WIN32(SetWindowsHookExW(WH_KEYBOARD, KeyboardProc, g_hLibrary, 0));
    g_hMouseHook = CHECK_WIN32(SetWindowsHookExW(WH_MOUSE, MouseProc, g_hLibrary, 0));
    return g_hKeyboardHook && g_hMouseHook ? 1 : 0;
}

int WINAPI UnHook() {
    const bool keyboard = UnhookWindowsHookEx(g_hKeyboardHook) != 0;
    const bool mouse = UnhookWindowsHookEx(g_hMouseHook) != 0;
    return keyboard && mouse ? 1 : 0;
}

int WINAPI SaveClipData(const char* clipName) {
    return base::Guarded("SaveClipData", 0,
                         [&] { return clipName ? transfer::saveClip(libraryStorePaths(), clipName) : 0; });
}

UINT_PTR WINAPI Paste2Window(int slotKey) {
    return base::Guarded<UINT_PTR>("Paste2Window", 0, [&] { return theChordEngine.PasteSlot(slotKey, slotKey) ? 1 : 0; });
}

void WINAPI PasteData2Window(const char* clipName) {
    base::Guarded("PasteData2Window", [&] { pasteClip(clipName, false); });
}

// The clip's text alone: its rich text, HTML and pictures stay behind.
void WINAPI PastePlainText2Window(const char* clipName) {
    base::Guarded("PastePlainText2Window", [&] { pasteClip(clipName, true); });
}

// The clip's text alone, transformed ("粘贴为", store::Transform's number); the chord that repeats
// the last transform takes this one from now on.
void WINAPI PasteTransformed2Window(const char* clipName, int transform) {
    base::Guarded("PasteTransformed2Window", [&] {
        if (const std::optional<store::Transform> chosen = store::transformFromNumber(static_cast<unsigned>(transform)))
            pasteClip(clipName, true, chosen);
    });
}

// The clip on the clipboard for the caller to look at; the previous contents are kept as the
// clip "tempFile" first (when they cannot be kept, the clipboard stays as it is). The status key
// is removed on every path.
HANDLE WINAPI SetCurrentClipData(const char* clipName) {
    return base::Guarded<HANDLE>("SetCurrentClipData", nullptr, [&]() -> HANDLE {
        if (!clipName)
            return nullptr;
        const std::string& status = libraryStorePaths().statusFile();
        SetStatusKey(status, kSysClipKey, kSysClipValue);
        base::ScopeExit removeKey([&] { base::Guarded("SetCurrentClipData", [&] { RemoveKey(status, kSysClipKey); }); });
        if (!transfer::putClipOverKept(libraryStorePaths(), clipName))
            return nullptr;
        base::ClipboardScope clipboard(findMainWindow());
        return clipboard.isOpen() ? GetClipboardData(CF_BITMAP) : nullptr;
    });
}

// "tempFile" back on the clipboard; without one the clipboard stays as it is.
UINT_PTR WINAPI ResumeClipData() {
    return base::Guarded<UINT_PTR>("ResumeClipData", 0, [&]() -> UINT_PTR {
        SetStatusKey(libraryStorePaths().statusFile(), kSysClipKey, kSysClipValue);
        transfer::restoreKeptClip(libraryStorePaths());
        if (const UINT_PTR timer = SetTimer(nullptr, 0, 100, timerProcAfterResume))
            return timer;
        timerProcAfterResume(nullptr, 0, 0, 0);
        return 0;
    });
}

int WINAPI GetOperXmlStatus() {
    return busyFlag();
}

int WINAPI SetOperXmlStatus(int status) {
    setBusyFlag(status);
    return status;
}

// The main program's "加密保存的记录", for the data files the library writes in every process.
void WINAPI SetSealStore(BOOL on) {
    InterlockedExchange(&g_bSealStore, on ? 1 : 0);
}

// Asked by the main program's recorder about the change it is about to read, with the clipboard
// open and before it asks for any data (it must never render a clip the library offers).
BOOL WINAPI IsOwnClipboardChange(DWORD sequence, DWORD ownerProcessId) {
    return base::Guarded("IsOwnClipboardChange", FALSE,
                       [&] { return isOwnClipboardChange(sequence, ownerProcessId) ? TRUE : FALSE; });
}

// The user's chords and the programs where none acts, from the main program at its start and
// whenever they change; every program the library is in uses them from its next key.
BOOL WINAPI PublishChordOptions(const options::ChordRecord* record) {
    if (!record)
        return FALSE;
    return base::Guarded("PublishChordOptions", FALSE, [&] {
        hooklib::publishUserChords(*record);
        return TRUE;
    });
}

}  // extern "C"
