// Copies the open clipboard into memory: every format as the clipboard lists it, and its bitmap
// as a bitmap file. Used by the hook library's transfer and by the main program's recorder.
#pragma once

#include "ClipSnapshot.h"

#include <windows.h>

#include <string>

// Every format of the open clipboard, in the clipboard's own order. Data the source renders
// only on request is asked for here: the caller makes sure the source answers first.
store::ClipSnapshot captureOpenClipboard();

// A Windows bitmap file with the display's depth; empty when the bitmap cannot be read.
std::string bitmapFileBytes(HBITMAP bitmap);
