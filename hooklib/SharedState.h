// State of the hook library: the section every process that maps the library shares, and what
// each process has of its own.
#pragma once

#include <windows.h>

// Shared by all processes (section ".SHARDAT"): exactly these five.
extern HHOOK g_hKeyboardHook;
extern HHOOK g_hMouseHook;
extern volatile LONG g_bOperXml;     // 1 while a slot copy is in flight anywhere
extern volatile LONG g_bMenuPending; // 1 while the clip popup menu waits for a choice
extern void* g_pTrackingMenu;        // the menu being tracked, in the process that tracks it

// Per process.
extern int g_bKeyHookReady;          // re-entry guard of KeyboardProc
extern HMODULE g_hLibrary;           // the module of both hooks
extern HBITMAP g_hMenuBitmaps[3];    // colour bitmaps of icons 1000, 1001, 1002

// The main window, found by its exact title; null when it is not there (or paused).
HWND findMainWindow();
// Posts to the main window; nothing is posted when it is not there.
void notifyMainWindow(UINT message, WPARAM wParam);

inline constexpr UINT kMsgSlotCopied = WM_USER + 1;
inline constexpr UINT kMsgClipPasted = WM_USER + 3;
