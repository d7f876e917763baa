// What the system tells of the user's keyboard for the chords' checks (options/ChordProblems.h):
// the key combinations another program registered as hot keys (each asked with RegisterHotKey and
// let go at once) and the keys that type a character with AltGr on a layout. No <windows.h>: the
// Win32 side is KeyboardProbe_win.cpp.
#pragma once

#include "options/ChordProblems.h"

#include <cstdint>

namespace options {

// The keyboard layout of a thread (its HKL as a number), as the probe takes it.
using KeyboardLayout = std::uintptr_t;
// The layout of the calling thread: the one the user types with in its windows.
KeyboardLayout currentKeyboardLayout();

// May take a quarter of a second (each character the layout could type is asked); callable from
// any thread.
KeyboardFacts probeKeyboard(const ChordSettings& chords, KeyboardLayout layout);

}  // namespace options
