// The clip list's header: a bitmap per column and the sort arrow.
#pragma once

#include <windows.h>

namespace kit {

// The header shows `bitmap` in `column` (pure blue is transparent); the header keeps it.
void SetHeaderBitmap(HWND list, int column, UINT bitmapId);
// The sort arrow on `column` (none on the others).
void ShowSortArrow(HWND list, int column, bool ascending);

}  // namespace kit
