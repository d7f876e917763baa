// What the system tells of the user's keyboard for the chords' checks (options/ChordProblems.h):
// the key combinations another program registered as hot keys (each asked with RegisterHotKey and
// let go at once) and the keys that type a character with AltGr on the current layout. No
// <windows.h>: the Win32 side is KeyboardProbe_win.cpp.
#pragma once

#include "options/ChordProblems.h"

namespace options {

KeyboardFacts probeKeyboard(const ChordSettings& chords);

}  // namespace options
