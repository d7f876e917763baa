// The user's categories in a real tree view and a real popup menu.
#include "ui/CategoryLists.h"
#include "store/SysClipBoard.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <string>

namespace {

class CategoryListsTest : public ::testing::Test {
protected:
    CategoryListsTest() : m_store(m_dir.path("ui")) {
        std::filesystem::create_directories(std::filesystem::u8path(m_dir.path("ui")));
    }
    ScratchDir m_dir;
    store::CSysClipBoard m_store;
};

std::wstring itemText(HWND tree, HTREEITEM item, int* image) {
    wchar_t buffer[64] = {};
    TVITEMW query = {};
    query.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    query.hItem = item;
    query.pszText = buffer;
    query.cchTextMax = 64;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    *image = query.iImage * 10 + query.iSelectedImage;
    return buffer;
}

TEST_F(CategoryListsTest, CategoriesFillARealTreeView) {
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_TREEVIEW_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&init));
    HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(tree);
    TVINSERTSTRUCTW insert = {};
    insert.hParent = TVI_ROOT;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(L"分类");
    HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));

    m_store.setValue("工作", "AddNew", 0);
    m_store.setValue("A&B", "AddNew", 0);
    ui::category::fillTree(m_store, tree, root);

    int image = 0;
    HTREEITEM first = TreeView_GetChild(tree, root);
    ASSERT_TRUE(first);
    EXPECT_EQ(itemText(tree, first, &image), L"工作");
    EXPECT_EQ(image, 33);
    HTREEITEM second = TreeView_GetNextSibling(tree, first);
    ASSERT_TRUE(second);
    EXPECT_EQ(itemText(tree, second, &image), L"A&B");
    EXPECT_FALSE(TreeView_GetNextSibling(tree, second));
    DestroyWindow(tree);
}

TEST_F(CategoryListsTest, CategoriesFillAPopupMenuFromCommand110000) {
    HMENU menu = CreatePopupMenu();
    EXPECT_FALSE(ui::category::fillMenu(m_store, menu));
    EXPECT_EQ(GetMenuItemCount(menu), 0);
    m_store.setValue("工作", "AddNew", 0);
    m_store.setValue("家", "AddNew", 0);
    EXPECT_TRUE(ui::category::fillMenu(m_store, menu));
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    EXPECT_EQ(GetMenuItemID(menu, 0), 110000u);
    EXPECT_EQ(GetMenuItemID(menu, 1), 110001u);
    wchar_t text[16] = {};
    GetMenuStringW(menu, 1, text, 16, MF_BYPOSITION);
    EXPECT_STREQ(text, L"家");
    DestroyMenu(menu);
}

}  // namespace
