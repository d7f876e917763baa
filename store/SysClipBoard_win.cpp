// CSysClipBoard: the Windows pieces, the category fillers of the tree and the menu and the
// message box.
#include "SysClipBoard.h"

#include "Protocol.h"
#include "XmlDocument.h"
#include "base/Text.h"

#include <windows.h>
#include <commctrl.h>

void CSysClipBoard::defaultMessage(const std::string& text) {
    MessageBoxW(GetActiveWindow(), base::toWide(text).c_str(), base::toWide(store::kMainWindowTitle).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
}

void CSysClipBoard::fillCategoryTree(NativeHandle tree, NativeHandle categoryRoot) const {
    for (const std::string& name : categoryNames()) {
        std::wstring text = base::toWide(name);
        TVINSERTSTRUCTW insert = {};
        insert.hParent = static_cast<HTREEITEM>(categoryRoot);
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.pszText = text.data();
        insert.item.iImage = 3;
        insert.item.iSelectedImage = 3;
        SendMessageW(static_cast<HWND>(tree), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
    }
}

// Command ids from 110000 up, in the order of the categories.
bool CSysClipBoard::fillCategoryMenu(NativeHandle menu) const {
    UINT_PTR command = kFirstCategoryCommand;
    bool added = false;
    for (const std::string& name : categoryNames())
        added |= AppendMenuW(static_cast<HMENU>(menu), MF_STRING, command++, base::toWide(name).c_str()) != 0;
    return added;
}
