// Latchkit.dll: library start-up and the exported functions, including the two hook procedures.
// No exception may leave a hook procedure, a timer procedure or an export into the caller.
#include "Guard.h"
#include "HotkeyRules.h"
#include "MyClipboard.h"
#include "SharedState.h"
#include "StatusKeys.h"
#include "StoreFormat.h"
#include "fw/Handle.h"

#include <cwchar>

using namespace store;

namespace {

bool isKeyDown(int virtualKey) {
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}

// Only the main program may be ended for a damaged library; any other process that the hooks
// brought the library into carries on without the menu images.
bool isMainProgramProcess() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const wchar_t* name = std::wcsrchr(path, L'\\');
    return _wcsicmp(name ? name + 1 : path, L"dravix.exe") == 0;
}

// The colour bitmaps of icons 1000-1002 at 13 x 13; false if any is missing.
bool loadMenuBitmaps(HINSTANCE library) {
    bool all = true;
    for (int i = 0; i < 3; ++i) {
        fw::UniqueIcon icon(static_cast<HICON>(LoadImageW(library, MAKEINTRESOURCEW(1000 + i), IMAGE_ICON, 13, 13, 0)));
        ICONINFO parts = {};
        if (!icon || !GetIconInfo(icon.get(), &parts)) {
            all = false;
            continue;
        }
        g_hMenuBitmaps[i] = parts.hbmColor;
        if (parts.hbmMask)
            DeleteObject(parts.hbmMask);
        if (!parts.hbmColor)
            all = false;
    }
    return all;
}

void freeMenuBitmaps() {
    for (HBITMAP& bitmap : g_hMenuBitmaps) {
        if (bitmap)
            DeleteObject(bitmap);
        bitmap = nullptr;
    }
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_hLibrary = instance;
        DisableThreadLibraryCalls(instance);
        if (!loadMenuBitmaps(instance) && isMainProgramProcess()) {
            MessageBoxW(nullptr, L"load icon error!", nullptr, MB_OK);
            ExitProcess(0);
        }
    } else if (reason == DLL_PROCESS_DETACH) {
        freeMenuBitmaps();
    }
    return TRUE;
}

extern "C" {

LRESULT CALLBACK KeyboardProc(int code, WPARAM key, LPARAM flags) {
    if (!g_bKeyHookReady)
        return CallNextHookEx(g_hKeyboardHook, code, key, flags);
    g_bKeyHookReady = 0;
    const hotkey::KeyDecision decision = guarded(hotkey::KeyDecision{}, [&] {
        return hotkey::decideKey(code, static_cast<unsigned>(key), (static_cast<DWORD>(flags) & 0x80000000u) != 0,
                                 isKeyDown(hotkey::kVkControl), isKeyDown(hotkey::kVkAlt));
    });
    bool taken = false;
    guarded(0, [&] {
        switch (decision.kind) {
        case hotkey::KeyDecision::CopyToSlot:
            theClipboard.CopyToSlot(decision.slotKey);
            taken = true;
            break;
        case hotkey::KeyDecision::PasteSlot:
            theClipboard.PasteSlot(decision.slotKey);
            taken = true;
            break;
        case hotkey::KeyDecision::ShowMainWindow:
            if (HWND main = findMainWindow()) {
                ShowWindow(main, SW_SHOW);
                ShowWindow(main, SW_RESTORE);
                SetForegroundWindow(main);
            }
            break;
        case hotkey::KeyDecision::PassOn:
            break;
        }
        return 0;
    });
    g_bKeyHookReady = 1;
    return taken ? 1 : CallNextHookEx(g_hKeyboardHook, code, key, flags);
}

LRESULT CALLBACK MouseProc(int code, WPARAM message, LPARAM record) {
    return CallNextHookEx(g_hMouseHook, code, message, record);
}

int WINAPI installhook(HWND) {
    g_hKeyboardHook = SetWindowsHookExW(WH_KEYBOARD, KeyboardProc, g_hLibrary, 0);
    g_hMouseHook = SetWindowsHookExW(WH_MOUSE, MouseProc, g_hLibrary, 0);
    return 1;
}

int WINAPI UnHook() {
    const bool keyboard = UnhookWindowsHookEx(g_hKeyboardHook) != 0;
    const bool mouse = UnhookWindowsHookEx(g_hMouseHook) != 0;
    return keyboard && mouse ? 1 : 0;
}

int WINAPI SaveClipData(const char* clipName) {
    return guarded(0, [&] { return clipName ? theClipboard.SaveClip(clipName) : 0; });
}

UINT_PTR WINAPI Paste2Window(int slotKey) {
    return guarded<UINT_PTR>(0, [&] { return theClipboard.PasteSlot(slotKey); });
}

void WINAPI PasteData2Window(const char* clipName) {
    guarded(0, [&] {
        if (!clipName)
            return 0;
        int index = 0;
        if (hotkey::historyIndexFromName(clipName, index))
            theClipboard.m_nHistoryIndex = index;
        theClipboard.pasteFromClipboard(clipName);
        return 0;
    });
}

// The clip on the clipboard for the caller to look at; the previous contents are kept as the
// clip "tempFile". The status key is removed on every path.
HANDLE WINAPI SetCurrentClipData(const char* clipName) {
    return guarded<HANDLE>(nullptr, [&]() -> HANDLE {
        if (!clipName)
            return nullptr;
        SetStatusKey(theClipboard.statusPath(), kSysClipKey, kSysClipValue);
        theClipboard.SaveTempClip();
        theClipboard.SetClipData(clipName);
        HANDLE bitmap = nullptr;
        {
            fw::ClipboardScope clipboard(GetActiveWindow());
            if (clipboard.isOpen())
                bitmap = GetClipboardData(CF_BITMAP);
        }
        RemoveKey(theClipboard.statusPath(), kSysClipKey);
        return bitmap;
    });
}

UINT_PTR WINAPI ResumeClipData() {
    return guarded<UINT_PTR>(0, [&] {
        SetStatusKey(theClipboard.statusPath(), kSysClipKey, kSysClipValue);
        theClipboard.SetClipData(kTempClipName);
        return SetTimer(nullptr, 0, 100, timerProcAfterResume);
    });
}

int WINAPI GetOperXmlStatus() {
    return g_bOperXml;
}

int WINAPI SetOperXmlStatus(int status) {
    g_bOperXml = status;
    return status;
}

}  // extern "C"
