// What the search matched is drawn on the colour of a highlighter pen, in the list and in the
// preview alike.
#pragma once

#include <windows.h>

namespace ui {

inline constexpr COLORREF kMarkColour = RGB(255, 226, 80);

}  // namespace ui
