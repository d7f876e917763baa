// The clip list's header: a bitmap per column and the sort arrow; image lists of picture strips.
#pragma once

#include "base/Handle.h"

#include <windows.h>

namespace kit {

// An image list of `count` pictures of `width` x `height` side by side in one bitmap resource,
// pure blue where they are clear: one bitmap read and added at once (Wine takes about 2 ms to
// load an icon and add it to a list).
base::UniqueImageList LoadImageStrip(HMODULE module, UINT bitmapId, int width, int height, int count);

// The header shows `bitmap` in `column` (pure blue is transparent); the header keeps it.
void SetHeaderBitmap(HWND list, int column, UINT bitmapId);
// The sort arrow on `column` (none on the others).
void ShowSortArrow(HWND list, int column, bool ascending);

}  // namespace kit
