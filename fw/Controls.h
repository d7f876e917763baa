// Non-owning views of common controls: one line, one message each.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace fw {

class CListView {
public:
    explicit CListView(HWND window = nullptr) : m_hWnd(window) {}
    HWND hwnd() const { return m_hWnd; }
    int GetItemCount() const { return static_cast<int>(SendMessageW(m_hWnd, LVM_GETITEMCOUNT, 0, 0)); }
    int GetNextItem(int start, UINT flags) const {
        return static_cast<int>(SendMessageW(m_hWnd, LVM_GETNEXTITEM, static_cast<WPARAM>(start), flags));
    }
    std::wstring GetItemText(int row, int column) const {
        wchar_t buffer[1024] = {};
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = buffer;
        item.cchTextMax = 1024;
        SendMessageW(m_hWnd, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        return buffer;
    }
    bool SetItemText(int row, int column, const std::wstring& text) const {
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = const_cast<wchar_t*>(text.c_str());
        return SendMessageW(m_hWnd, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)) != 0;
    }
    int GetItemImage(int row) const {
        LVITEMW item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        SendMessageW(m_hWnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    }
    bool SetItemImage(int row, int image) const {
        LVITEMW item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        item.iImage = image;
        return SendMessageW(m_hWnd, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
    }
    int InsertItem(int row, const std::wstring& text, int image) const {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(text.c_str());
        item.iImage = image;
        return static_cast<int>(SendMessageW(m_hWnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }
    bool DeleteItem(int row) const { return SendMessageW(m_hWnd, LVM_DELETEITEM, static_cast<WPARAM>(row), 0) != 0; }
    int InsertColumn(int column, const std::wstring& heading, int width) const {
        LVCOLUMNW info = {};
        info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        info.pszText = const_cast<wchar_t*>(heading.c_str());
        info.cx = width;
        info.iSubItem = column;
        return static_cast<int>(SendMessageW(m_hWnd, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info)));
    }
    bool SetColumnWidth(int column, int width) const {
        return SendMessageW(m_hWnd, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)) != 0;
    }
    void SetExtendedStyle(DWORD style) const { SendMessageW(m_hWnd, LVM_SETEXTENDEDLISTVIEWSTYLE, style, style); }
    void SetImageList(HIMAGELIST images, int kind) const { SendMessageW(m_hWnd, LVM_SETIMAGELIST, kind, reinterpret_cast<LPARAM>(images)); }

private:
    HWND m_hWnd;
};

class CTreeView {
public:
    explicit CTreeView(HWND window = nullptr) : m_hWnd(window) {}
    HWND hwnd() const { return m_hWnd; }
    HTREEITEM InsertItem(const std::wstring& text, int image, HTREEITEM parent, HTREEITEM after = TVI_LAST) const {
        TVINSERTSTRUCTW insert = {};
        insert.hParent = parent;
        insert.hInsertAfter = after;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.pszText = const_cast<wchar_t*>(text.c_str());
        insert.item.iImage = image;
        insert.item.iSelectedImage = image;
        return reinterpret_cast<HTREEITEM>(SendMessageW(m_hWnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    HTREEITEM GetSelectedItem() const { return next(TVGN_CARET, nullptr); }
    bool SelectItem(HTREEITEM item) const { return SendMessageW(m_hWnd, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != 0; }
    bool Expand(HTREEITEM item) const { return SendMessageW(m_hWnd, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item)) != 0; }
    HTREEITEM GetChild(HTREEITEM item) const { return next(TVGN_CHILD, item); }
    HTREEITEM GetNextSibling(HTREEITEM item) const { return next(TVGN_NEXT, item); }
    bool DeleteItem(HTREEITEM item) const { return SendMessageW(m_hWnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)) != 0; }
    std::wstring GetItemText(HTREEITEM item) const {
        wchar_t buffer[260] = {};
        TVITEMW query = {};
        query.mask = TVIF_TEXT;
        query.hItem = item;
        query.pszText = buffer;
        query.cchTextMax = 260;
        SendMessageW(m_hWnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
        return buffer;
    }
    bool SetItemText(HTREEITEM item, const std::wstring& text) const {
        TVITEMW change = {};
        change.mask = TVIF_TEXT;
        change.hItem = item;
        change.pszText = const_cast<wchar_t*>(text.c_str());
        return SendMessageW(m_hWnd, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change)) != 0;
    }
    void SetImageList(HIMAGELIST images) const { SendMessageW(m_hWnd, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images)); }

private:
    HTREEITEM next(UINT relation, HTREEITEM item) const {
        return reinterpret_cast<HTREEITEM>(SendMessageW(m_hWnd, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
    }
    HWND m_hWnd;
};

}  // namespace fw
