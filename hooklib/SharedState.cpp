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
volatile LONG g_nBusyProcess SHARED_SECTION = 0;
volatile LONG g_nMenuProcess SHARED_SECTION = 0;
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

// Whether a process noted in the shared section still runs (one we may not open, or not known
// yet, is taken to).
bool processRuns(LONG noted) {
    const DWORD process = static_cast<DWORD>(noted);
    if (!process || process == GetCurrentProcessId())
        return true;
    const base::UniqueKernelObject handle(OpenProcess(SYNCHRONIZE, FALSE, process));
    if (!handle)
        return GetLastError() != ERROR_INVALID_PARAMETER;
    return WaitForSingleObject(handle.get(), 0) == WAIT_TIMEOUT;
}

// The process whose end lowers the flag: the one that raised it, but a slot copy handed over to
// be filed is the main program's to lower (0: none known, and the flag waits its time out).
void noteBusyProcess(LONG status) {
    DWORD holder = 0;
    if (status == store::kBusyAwaitsFiling)
        GetWindowThreadProcessId(findMainWindow(), &holder);
    else if (status != store::kBusyFree)
        holder = GetCurrentProcessId();
    InterlockedExchange(&g_nBusyProcess, static_cast<LONG>(holder));
}

// The chord of `chordProcess`, taken over, never came to its end: neither did the copy it may have
// flagged. Its flag comes down, but not one that a process still running raised since (the main
// program filing a copy, a copy of another program).
void lowerFlagOfChord(LONG chordProcess) {
    const LONG status = g_bOperXml;
    const LONG holder = g_nBusyProcess;
    if (status == store::kBusyFree || (holder != chordProcess && processRuns(holder)))
        return;
    if (InterlockedCompareExchange(&g_bOperXml, store::kBusyFree, status) == status) {
        InterlockedCompareExchange(&g_nBusyProcess, 0, holder);
        base::Trace("busy flag %ld of the chord taken over lowered", status);
    }
}

}  // namespace

LONG beginChord() {
    const LONG now = static_cast<LONG>(GetTickCount() | 1);
    const LONG held = g_nChordStart;
    const LONG heldProcess = g_nChordProcess;
    if (held && !hooklib::isChordStale(static_cast<unsigned long>(held), static_cast<unsigned long>(now)) &&
        processRuns(heldProcess))
        return 0;
    if (InterlockedCompareExchange(&g_nChordStart, now, held) != held)
        return 0;
    InterlockedExchange(&g_nChordProcess, static_cast<LONG>(GetCurrentProcessId()));
    if (held) {
        base::Trace("chord taken over: the one under way never ended");
        lowerFlagOfChord(heldProcess);
    }
    return now;
}

// The process goes first: a chord seen held with no process is taken to run still.
void endChord(LONG taken) {
    if (g_nChordStart == taken)
        InterlockedCompareExchange(&g_nChordProcess, 0, static_cast<LONG>(GetCurrentProcessId()));
    InterlockedCompareExchange(&g_nChordStart, 0, taken);
}

// Nothing but this would free the turn of a process killed with its menu open: the shared section
// outlives it while any program has the library loaded, and no menu from the keyboard would open
// again.
bool takeMenuTurn() {
    const LONG self = static_cast<LONG>(GetCurrentProcessId());
    const LONG holder = InterlockedCompareExchange(&g_nMenuProcess, self, 0);
    if (holder == 0)
        return true;
    if (holder == self || processRuns(holder)) {
        base::Trace("clip menu not opened: the menu of process %ld is on its way or open", holder);
        return false;
    }
    if (InterlockedCompareExchange(&g_nMenuProcess, self, holder) != holder)
        return false;
    base::Trace("clip menu turn taken over: process %ld that held it has ended", holder);
    return true;
}

void endMenuTurn() {
    InterlockedCompareExchange(&g_nMenuProcess, 0, static_cast<LONG>(GetCurrentProcessId()));
}

void clearMenuTurn() {
    InterlockedExchange(&g_nMenuProcess, 0);
}

// Nothing else would lower a flag whose process was killed or crashed in the middle of a copy (the
// shared section outlives it while any program has the library loaded): every later copy would
// wait for it and be given up.
LONG busyFlag() {
    const LONG status = g_bOperXml;
    const LONG holder = g_nBusyProcess;
    if (status != store::kBusyFree && !processRuns(holder) &&
        InterlockedCompareExchange(&g_bOperXml, store::kBusyFree, status) == status) {
        InterlockedCompareExchange(&g_nBusyProcess, 0, holder);
        base::Trace("busy flag %ld lowered: process %ld that raised it has ended", status, holder);
    }
    return g_bOperXml;
}

bool raiseBusyFlag(LONG from) {
    busyFlag();
    if (InterlockedCompareExchange(&g_bOperXml, store::kBusySlotCopy, from) != from)
        return false;
    noteBusyProcess(store::kBusySlotCopy);
    return true;
}

void setBusyFlag(LONG status) {
    InterlockedExchange(&g_bOperXml, status);
    noteBusyProcess(status);
}

}  // namespace hooklib
