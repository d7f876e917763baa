// The clip menu: Ctrl and the right mouse button, in any application, open at the pointer a menu
// of the clips that the main window's list shows; the clip chosen is pasted into the application.
// Ctrl+Alt+` opens it from the keyboard where the user is typing.
#pragma once

#include "store/TextTransforms.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace hooklib {

// The clip chosen in the menu, for the caller to paste into `target` (the text alone with
// `plainText`, Shift held as it was chosen; its text transformed with `transform`, "粘贴为").
using ClipChosen = std::function<void(const std::string& clip, int historyNumber, bool plainText, HWND target,
                                      std::optional<store::Transform> transform)>;

// The mouse hook's part: whether the event is taken (never passed to the application).
bool HandleClipMenuMouse(WPARAM message, const MOUSEHOOKSTRUCT& record, ClipChosen chosen);
// Ctrl+Alt+` (the keyboard hook's part): the same menu at the caret of the focused window, or at
// that window's top left; the focus comes back to it before the choice is handed on.
void OpenClipMenuAtCaret(ClipChosen chosen);

}  // namespace hooklib
