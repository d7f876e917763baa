#include "hooklib/SharedState.h"

#include "hooklib/HotkeyRules.h"
#include "store/Protocol.h"
#include "base/Text.h"
#include "base/Trace.h"
#include "fw/Window.h"

// Only initialised variables with the "shared" attribute land in a shared section.
#define SHARED_SECTION __attribute__((section(".SHARDAT"), shared))

HHOOK g_hKeyboardHook SHARED_SECTION = nullptr;
HHOOK g_hMouseHook SHARED_SECTION = nullptr;
volatile LONG g_bOperXml SHARED_SECTION = 0;
volatile LONG g_bMenuPending SHARED_SECTION = 0;
void* g_pTrackingMenu SHARED_SECTION = nullptr;
volatile LONG g_nChordStart SHARED_SECTION = 0;
SharedOwnChange g_ownChanges[kOwnChangeSlots] SHARED_SECTION = {};
volatile LONG g_nOwnChangeTickets SHARED_SECTION = 0;
volatile LONG g_nSeenSequence SHARED_SECTION = 0;
volatile LONG g_nLastTransform SHARED_SECTION = 0;

int g_bKeyHookReady = 1;
HMODULE g_hLibrary = nullptr;
base::UniqueBitmap g_hMenuBitmaps[3];

HWND findMainWindow() {
    static const std::wstring title = base::toWide(store::kMainWindowTitle);
    return fw::FindTopLevelWindow(title, store::kMainListId);
}

bool notifyMainWindow(UINT message, WPARAM wParam) {
    // A post to a null window would land in the posting thread's own queue: in a foreign
    // application that is a stray thread message, so nothing is posted then.
    HWND main = findMainWindow();
    base::Trace("notify %u %u %s", message, static_cast<unsigned>(wParam), main ? "posted" : "no main window");
    if (main && !PostMessageW(main, message, wParam, 0)) {
        base::ReportFailure("PostMessageW");
        return false;
    }
    return main != nullptr;
}

bool registerLibraryClass(const wchar_t* name, WNDPROC procedure) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = g_hLibrary;
    windowClass.lpszClassName = name;
    if (RegisterClassW(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS)
        return true;
    base::ReportFailure("RegisterClassW");
    return false;
}

LONG beginChord() {
    const LONG now = static_cast<LONG>(GetTickCount() | 1);
    const LONG held = g_nChordStart;
    if (held && !hotkey::isChordStale(static_cast<unsigned long>(held), static_cast<unsigned long>(now)))
        return 0;
    if (InterlockedCompareExchange(&g_nChordStart, now, held) != held)
        return 0;
    // The chord taken over never came to its end: neither did the copy it may have flagged.
    if (held)
        InterlockedExchange(&g_bOperXml, 0);
    return now;
}

void endChord(LONG taken) {
    InterlockedCompareExchange(&g_nChordStart, 0, taken);
}
