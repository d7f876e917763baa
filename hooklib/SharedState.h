// State of the hook library: the section every process that maps the library shares, and what
// each process has of its own.
#pragma once

#include "options/ChordRecord.h"
#include "base/Handle.h"

#include <windows.h>

namespace hooklib {

// Shared by all processes (section ".SHARDAT").
extern HHOOK g_hKeyboardHook;
extern HHOOK g_hMouseHook;
extern volatile LONG g_bOperXml;      // the busy flag: store::kBusyFree, kBusySlotCopy or kBusyAwaitsFiling (Protocol.h)
extern volatile LONG g_nBusyProcess;  // the process that raised it (0: none)
extern volatile LONG g_nMenuProcess;  // the process whose clip menu is on its way or open (0: none)
extern void* g_pTrackingMenu;         // the menu being tracked, in the process that tracks it
// The tick count at which the chord now being carried out was taken (0: none). One chord at a
// time in the whole desktop: the same key-down seen again (in another thread or process) is
// swallowed rather than run twice.
extern volatile LONG g_nChordStart;
// The process carrying out that chord (0: not known yet, or none): a chord whose process has gone
// (its application closed or crashed in the middle) is taken over at once.
extern volatile LONG g_nChordProcess;
// The library's own clipboard changes, for the main program to skip (OwnChanges.h): a ring of
// ranges of sequence numbers. A slot's version is odd while it is being written.
struct SharedOwnChange {
    volatile LONG version;
    volatile LONG ticket;        // which range took the slot (never 0)
    volatile LONG first;         // the first sequence number of the range
    volatile LONG end;           // one past its last, once it is no longer under way
    volatile LONG ownerProcess;  // the process whose window owns the clipboard after the change
    volatile LONG startedTick;
    volatile LONG underWay;
};
inline constexpr int kOwnChangeSlots = 16;
extern SharedOwnChange g_ownChanges[kOwnChangeSlots];
extern volatile LONG g_nOwnChangeTickets;
// The sequence number the main program's recorder asked about last (0: no recorder asked yet).
extern volatile LONG g_nSeenSequence;
// Whether new data files are sealed for the user (the main program's "加密保存的记录", told by
// SetSealStore); on until it says otherwise.
extern volatile LONG g_bSealStore;

// The user's chords and the programs where none acts, as the main program published them
// (PublishChordOptions); a record never published reads as the default chords.
extern options::SharedChordRecord g_chordRecord;

// The "粘贴为" the user chose last, in any process (store::Transform): its chord repeats it.
extern volatile LONG g_nLastTransform;

// Per process.
extern bool g_bKeyHookReady;          // re-entry guard of KeyboardProc
extern HMODULE g_hLibrary;            // the module of both hooks
extern base::UniqueBitmap g_hMenuBitmaps[3];  // pictures of icons 1000, 1001, 1002 (null until the first menu)

// The main window (its title and its clip list); null when it is not there (or paused).
HWND findMainWindow();
// Posts to the main window; nothing is posted when it is not there.
// False when there is no main window to tell, or the message could not be posted.
bool notifyMainWindow(UINT message, WPARAM wParam);

// The store's sealing (store/DataFiles.h) as the shared section says now: set before every
// data file this process writes, since the main program may change it at any time.
void followSharedSealing();

// Takes the desktop's one chord slot: the tick count it was taken at (never 0), or 0 while
// another chord is being carried out. A chord that never ended (its application hung or went
// away) is taken over after a while. endChord frees the slot only if it is still the one taken.
LONG beginChord();
void endChord(LONG taken);

// One clip menu at a time in the whole desktop. takeMenuTurn takes it for this process: false
// while another process's menu is on its way or open; the menu of a process that has ended (killed
// or crashed with it open) is taken over. endMenuTurn frees it if this process holds it;
// clearMenuTurn frees it whoever holds it (the pointer's button went down again).
bool takeMenuTurn();
void endMenuTurn();
void clearMenuTurn();

// The busy flag, always with the process that set it: a flag whose process has ended is lowered
// when it is next looked at. busyFlag is the flag now; raiseBusyFlag sets kBusySlotCopy only if the
// flag is `from`; setBusyFlag sets it whatever it was.
LONG busyFlag();
bool raiseBusyFlag(LONG from);
void setBusyFlag(LONG status);

}  // namespace hooklib
