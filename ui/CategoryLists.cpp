#include "ui/CategoryLists.h"

#include "store/SysClipBoard.h"
#include "base/Text.h"

namespace ui::category {

void fillTree(const store::CSysClipBoard& store, HWND tree, HTREEITEM root) {
    for (const std::string& name : store.categoryNames()) {
        std::wstring text = base::toWide(name);
        TVINSERTSTRUCTW insert = {};
        insert.hParent = root;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.pszText = text.data();
        insert.item.iImage = 3;
        insert.item.iSelectedImage = 3;
        SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
    }
}

bool fillMenu(const store::CSysClipBoard& store, HMENU menu) {
    UINT_PTR command = kFirstMenuCommand;
    bool added = false;
    for (const std::string& name : store.categoryNames())
        added |= AppendMenuW(menu, MF_STRING, command++, base::toWide(name).c_str()) != 0;
    return added;
}

}  // namespace ui::category
