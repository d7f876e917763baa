// The clip list's header and sorting: a bitmap per column, the sort arrow, and a sort of the
// rows by one column's text in either direction.
#pragma once

#include <windows.h>

namespace kit {

// The header shows `bitmap` in `column` (pure blue is transparent); the header keeps it.
void SetHeaderBitmap(HWND list, int column, UINT bitmapId);
// The sort arrow on `column` (none on the others).
void ShowSortArrow(HWND list, int column, bool ascending);
// Sorts the rows by the text of `column`, compared as text.
void SortByColumnText(HWND list, int column, bool ascending);

}  // namespace kit
