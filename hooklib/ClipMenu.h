// The clip menu: Ctrl and the right mouse button, in any application, open at the pointer a menu
// of the clips that the main window's list shows; the clip chosen is pasted into the application.
// Ctrl+Alt+` opens it from the keyboard where the user is typing.
#pragma once

#include <windows.h>

// The mouse hook's part: whether the event is taken (never passed to the application).
bool HandleClipMenuMouse(WPARAM message, const MOUSEHOOKSTRUCT& record);
// Ctrl+Alt+` (the keyboard hook's part): the same menu at the caret of the focused window, or at
// that window's top left; the clip chosen is pasted there, and the focus comes back to it.
void OpenClipMenuAtCaret();
