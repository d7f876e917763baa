// The user's chords in the hooks: each thread that takes keys or clicks reads the record the main
// program published in the shared section through a cache of its own (options::ChordOptionsCache),
// read again only when the record's sequence number moved. Nothing here reads the registry.
#pragma once

#include "hooklib/HotkeyRules.h"
#include "options/ChordRecord.h"

#include <windows.h>

namespace hooklib {

// What the key makes under the user's chords. The program in front is asked for only when a chord
// matched and the user named programs where no chord acts.
hooklib::KeyDecision decideUserKey(const options::KeyPress& press);
// Whether a right click with `held` modifiers (options::Modifier bits) over `window` opens the
// clip menu.
bool opensUserPointerMenu(unsigned held, HWND window);
// The record published as the main program packed it (a writer that ended mid-write is taken
// over by the next one).
void publishUserChords(const options::ChordRecord& record);

// The library's start and end in a process: the threads' caches go with the library.
void beginThreadChordCaches();
void endThreadChordCaches();

}  // namespace hooklib
