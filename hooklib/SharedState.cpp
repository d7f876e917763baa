#include "hooklib/SharedState.h"

#include "hooklib/HotkeyRules.h"
#include "store/DataFiles.h"
#include "store/Protocol.h"
#include "base/Check.h"
#include "base/Text.h"
#include "base/Trace.h"
#include "fw/Window.h"

namespace hooklib {

// Only initialised variables with the "shared" attribute land in a shared section.
#define SHARED_SECTION __attribute__((section(".SHARDAT"), shared))

HHOOK g_hKeyboardHook SHARED_SECTION = nullptr;
HHOOK g_hMouseHook SHARED_SECTION = nullptr;
volatile LONG g_bOperXml SHARED_SECTION = 0;
volatile LONG g_bMenuPending SHARED_SECTION = 0;
void* g_pTrackingMenu SHARED_SECTION = nullptr;
volatile LONG g_nChordStart SHARED_SECTION = 0;
volatile LONG g_nChordProcess SHARED_SECTION = 0;
SharedOwnChange g_ownChanges[kOwnChangeSlots] SHARED_SECTION = {};
volatile LONG g_nOwnChangeTickets SHARED_SECTION = 0;
volatile LONG g_nSeenSequence SHARED_SECTION = 0;
options::SharedChordRecord g_chordRecord SHARED_SECTION = {};
volatile LONG g_bSealStore SHARED_SECTION = 1;
volatile LONG g_nLastTransform SHARED_SECTION = 0;

bool g_bKeyHookReady = true;
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
    return main && CHECK_WIN32(PostMessageW(main, message, wParam, 0));
}

void followSharedSealing() {
    store::setSealing(g_bSealStore != 0);
}

namespace {

// Whether the process carrying out the chord under way still runs (one we may not open, or not
// known yet, is taken to).
bool chordProcessRuns() {
    const DWORD process = static_cast<DWORD>(g_nChordProcess);
    if (!process || process == GetCurrentProcessId())
        return true;
    const base::UniqueKernelObject handle(OpenProcess(SYNCHRONIZE, FALSE, process));
    if (!handle)
        return GetLastError() != ERROR_INVALID_PARAMETER;
    return WaitForSingleObject(handle.get(), 0) == WAIT_TIMEOUT;
}

}  // namespace

LONG beginChord() {
    const LONG now = static_cast<LONG>(GetTickCount() | 1);
    const LONG held = g_nChordStart;
    if (held && !hooklib::isChordStale(static_cast<unsigned long>(held), static_cast<unsigned long>(now)) &&
        chordProcessRuns())
        return 0;
    if (InterlockedCompareExchange(&g_nChordStart, now, held) != held)
        return 0;
    InterlockedExchange(&g_nChordProcess, static_cast<LONG>(GetCurrentProcessId()));
    // The chord taken over never came to its end: neither did the copy it may have flagged.
    if (held) {
        base::Trace("chord taken over: the one under way never ended");
        InterlockedExchange(&g_bOperXml, 0);
    }
    return now;
}

// The process goes first: a chord seen held with no process is taken to run still.
void endChord(LONG taken) {
    if (g_nChordStart == taken)
        InterlockedCompareExchange(&g_nChordProcess, 0, static_cast<LONG>(GetCurrentProcessId()));
    InterlockedCompareExchange(&g_nChordStart, 0, taken);
}

}  // namespace hooklib
