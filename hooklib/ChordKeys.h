// The keys a chord sends to its target: the copy chord, and the paste keys the target
// understands (PasteKeyRules.h), each sent with what the user still holds.
#pragma once

#include <windows.h>

namespace hooklib {

// The keyboard's own view of a key, whichever thread asks.
bool isPhysicallyDown(int virtualKey);
// The copy chord to the window in front. False when not all of its keys could be sent (traced).
bool sendCopyKeys();
// The paste keys of `target` (the window in front when it is gone): the user's rules of the
// registry, read at every paste, before the built-in ones. False when not all could be sent.
bool sendPasteKeys(HWND target);

}  // namespace hooklib
