#include "ui/CategoryTreeCtrl.h"

#include "ui/CategoryLists.h"
#include "ui/NewCategoryDlg.h"
#include "store/SysClipBoard.h"
#include "base/Handle.h"
#include "base/Text.h"

#include <commctrl.h>

#include <algorithm>

namespace ui {

void CCategoryTreeCtrl::OnRightClick() {
    const base::UniqueMenu menu(CreatePopupMenu());
    if (!menu || !AppendMenuW(menu.get(), MF_STRING, kCommandAdd, L"添加(&A)"))
        return;
    POINT cursor;
    GetCursorPos(&cursor);
    if (TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY, cursor.x, cursor.y, 0, m_tree.hwnd(), nullptr) ==
        static_cast<BOOL>(kCommandAdd))
        AddCategory();
}

void CCategoryTreeCtrl::AddCategory() {
    CNewCategoryDlg dialog;
    dialog.m_categories = m_store.categoryNames();
    if (dialog.DoModal(GetAncestor(m_tree.hwnd(), GA_ROOT)) != IDOK)
        return;
    m_tree.InsertItem(dialog.m_strName, 3, m_hRoot);
    const std::string name = base::toUtf8(dialog.m_strName);
    m_store.setValue(name.c_str(), "AddNew", 0);
}

void CCategoryTreeCtrl::RebuildCategories(std::initializer_list<HTREEITEM> keep) {
    for (HTREEITEM child = m_tree.GetChild(m_hRoot); child;) {
        HTREEITEM next = m_tree.GetNextSibling(child);
        if (std::find(keep.begin(), keep.end(), child) == keep.end())
            m_tree.DeleteItem(child);
        child = next;
    }
    ui::category::fillTree(m_store, m_tree.hwnd(), m_hRoot);
}

}  // namespace ui
