// The user's categories (the store's "AddNew" elements, in their order) shown as the nodes of a
// tree view and the items of a popup menu.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace store { class CSysClipBoard; }

namespace ui::category {

// The command id of the first category in a category menu; the others follow in order.
inline constexpr UINT kFirstMenuCommand = 110000;

// Each category appended under `root` as a node with the category picture (image 3).
void fillTree(const store::CSysClipBoard& store, HWND tree, HTREEITEM root);
// Each category appended to `menu` from kFirstMenuCommand up; false when none was added.
bool fillMenu(const store::CSysClipBoard& store, HMENU menu);

}  // namespace ui::category
