// The options as the program keeps them per user: values under HKCU\Software\Dravix (the switches;
// the Chords, NoChordPrograms, PasteKeys and ExcludedPrograms keys), and start with Windows as the
// Run value of the system. A missing or wrongly typed value reads as its default. No <windows.h>:
// the Win32 side is OptionsRegistry_win.cpp.
#pragma once

#include "options/Options.h"

namespace options {

Options readOptions();
// Every option written; the lists replaced whole (a name no longer in a list is deleted). False
// when any value could not be written (what could, was).
bool writeOptions(const Options& options);

// Only the chords and the programs without chords (what the hook library needs).
ChordOptions readChordOptions();

// The Run value (HKLM\Software\Microsoft\Windows\CurrentVersion\Run) naming this executable.
bool startsWithWindows();
bool setStartWithWindows(bool on);

}  // namespace options
