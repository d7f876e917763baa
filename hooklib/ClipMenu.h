// The clip menu: Ctrl and the right mouse button, in any application, open at the pointer a menu
// of the clips that the main window's list shows; the clip chosen is pasted into the application.
#pragma once

#include <windows.h>

// The mouse hook's part: whether the event is taken (never passed to the application).
bool HandleClipMenuMouse(WPARAM message, const MOUSEHOOKSTRUCT& record);
