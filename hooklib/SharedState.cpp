#include "SharedState.h"

#include "StoreFormat.h"
#include "fw/Text.h"

// Only initialised variables with the "shared" attribute land in a shared section.
#define SHARED_SECTION __attribute__((section(".SHARDAT"), shared))

HHOOK g_hKeyboardHook SHARED_SECTION = nullptr;
HHOOK g_hMouseHook SHARED_SECTION = nullptr;
volatile LONG g_bOperXml SHARED_SECTION = 0;
volatile LONG g_bMenuPending SHARED_SECTION = 0;
void* g_pTrackingMenu SHARED_SECTION = nullptr;

int g_bKeyHookReady = 1;
HMODULE g_hLibrary = nullptr;
HBITMAP g_hMenuBitmaps[3] = {};

HWND findMainWindow() {
    static const std::wstring title = fw::toWide(store::kMainWindowTitle);
    return FindWindowW(nullptr, title.c_str());
}

void notifyMainWindow(UINT message, WPARAM wParam) {
    // A post to a null window would land in the posting thread's own queue: in a foreign
    // application that is a stray thread message, so nothing is posted then.
    if (HWND main = findMainWindow())
        PostMessageW(main, message, wParam, 0);
}
