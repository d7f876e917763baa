// CCategoryTreeCtrl: the category tree's own behaviour: its right-click menu with the one
// command to add a category, the dialog that names it, and the nodes of the user categories.
#pragma once

#include "fw/Controls.h"

#include <windows.h>

#include <initializer_list>

namespace store { class CSysClipBoard; }

namespace ui {

class CCategoryTreeCtrl {
public:
    static constexpr UINT kCommandAdd = 32804;

    // The store whose categories the tree shows and adds to.
    explicit CCategoryTreeCtrl(store::CSysClipBoard& store) : m_store(store) {}

    void Attach(HWND tree, HTREEITEM root) {
        m_tree = fw::CTreeView(tree);
        m_hRoot = root;
    }
    // NM_RCLICK: the menu at the pointer.
    void OnRightClick();
    // Command 32804: a category named in the dialog becomes the root's last child and an
    // AddNew element of the store.
    void AddCategory();
    // The user categories' nodes (the root's children but the fixed nodes `keep`) made again
    // from the store.
    void RebuildCategories(std::initializer_list<HTREEITEM> keep);

private:
    store::CSysClipBoard& m_store;
    fw::CTreeView m_tree;
    HTREEITEM m_hRoot = nullptr;
};

}  // namespace ui
