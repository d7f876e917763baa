// CHistoryView: what the main window shows of the store and what the user does there. The tree's
// nodes (the history, the slots, the paste queue, the categories), the list's rows of the node on
// display (read from the store, found by the search box, sorted), the preview of a row, the status
// line's hint or count, and what the list asks of the window (CClipListCtrl::Actions): a paste into
// the program used last, rows deleted, the paste queue filled and emptied, a program no more
// recorded. The window it lives in creates it, lays it out and hands it the messages of its parts.
#pragma once

#include "app/ClipTrayIcon.h"
#include "app/HookLibrary.h"
#include "app/PasteQueueNode.h"
#include "app/PasteTarget.h"
#include "app/ListSearch.h"
#include "app/StoreView.h"
#include "ui/CategoryTreeCtrl.h"
#include "ui/ClipListCtrl.h"
#include "ui/PreviewEdit.h"
#include "store/SysClipBoard.h"
#include "base/Handle.h"
#include "fw/Controls.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace app {

// Tab goes through the search box, the list, the tree and the preview, each named for screen readers.
void orderForTabAndName(HWND window, HWND search, HWND list, HWND tree, HWND preview);
// The list's columns fitted to its width: the times and the number get what their widest text
// needs, the content the rest.
void fitColumns(HWND list);
// The rows shown, for another process's clip menu, written into the block it made (its size
// checked before anything is written); the count plus one, or 0 when there was no such block.
LRESULT copyListRows(const ui::cliplist::ClipListModel& rows, WPARAM processId, LPARAM request);

class CHistoryView {
public:
    struct Nodes {
        HTREEITEM root = nullptr, collection = nullptr, hotkeys = nullptr, queue = nullptr;
    };
    struct Controls {
        HWND list = nullptr, tree = nullptr, preview = nullptr, search = nullptr;
    };
    // What the view needs of the window: the status line.
    using StatusLine = std::function<void(const std::wstring& text)>;

    CHistoryView(store::CSysClipBoard& store, CClipTrayIcon& tray, HookLibrary& hook, StatusLine status);

    // The dialog's list, tree and preview, and the search bar made here; the history's rows shown.
    void Create(HWND window, HWND list, HWND tree, HWND preview, const CSearchBar::Ids& searchIds);
    const Controls& controls() const { return m_controls; }
    CListSearch& search() { return m_search; }
    const Nodes& nodes() const { return m_nodes; }
    ui::CClipListCtrl& clipList() { return m_clipList; }
    ui::CCategoryTreeCtrl& categories() { return m_categories; }
    CPasteQueueNode& queue() { return m_queue; }

    // The rows of the node on display, read again; the store opened shown; the root's text.
    void FillClipList(HTREEITEM node);
    void ShowOpenedStore();
    bool ShowsHistory() const { return m_tree.GetSelectedItem() == m_nodes.collection; }
    void SetRootText(bool unsaved);
    // The rows of the node on display read again (a change made outside the list).
    void RefreshShown() { FillClipList(m_tree.GetSelectedItem()); }
    // The whole text of the history's newest text row as the window opened (its rows' own texts).
    std::optional<std::u16string> TakeNewestHistoryText() { return std::exchange(m_newestHistoryText, std::nullopt); }

    // A stored record shown as the row of `numberText` when `node` is on display.
    void ShowClipRow(HTREEITEM node, const std::string& recordName, const std::string& numberText);
    // Rows recorded or changed, shown together in their places or after the others (nothing
    // happens for none).
    void ShowRecordedRows(std::vector<app::ViewRow> rows);
    void ShowRows();
    void ShowRowsStatus();
    // A history record pasted: its new use time, the rows sorted by use time.
    void ShowPasted(int number);

    bool OnNotify(NMHDR& header, LRESULT& result);
    // The program the user worked in before ours: where a paste from the list goes.
    void NoteForegroundWindow(HWND window) { m_target.Note(window, m_window); }
    // Who hears of the user's deletions and filings (the sync folder).
    struct ChangeListener {
        std::function<void(const std::vector<std::string>& clips)> removed;
        std::function<void(const std::string& clip, const std::string& category)> filed;
    };
    void ListenForChanges(ChangeListener listener) { m_changes = std::move(listener); }
    // Who opens the run or archive a row found in earlier ones lies in (the archive commands).
    void OnOpenArchive(std::function<void(const std::wstring& path)> open) { m_openArchive = std::move(open); }

private:
    bool askThenSave(const std::wstring& question, const std::function<bool()>& save, const wchar_t* failed) const;
    std::vector<std::u16string> categoryNames() const;
    // What the list asks of the view (CClipListCtrl::Actions).
    ui::CClipListCtrl::Actions listActions();
    void showPreview(int row);
    void removeRows(const std::vector<std::string>& clips);
    bool showsQueue() const { return m_tree.GetSelectedItem() == m_nodes.queue; }
    void bringBack(const ui::cliplist::Row& row, bool plainText);

    store::CSysClipBoard& m_store;
    StatusLine m_status;
    HWND m_window = nullptr;
    Controls m_controls;
    fw::CListView m_list;
    ui::CClipListCtrl m_clipList;
    fw::CTreeView m_tree;
    ui::CCategoryTreeCtrl m_categories{m_store};
    ui::CPreviewEdit m_preview;
    Nodes m_nodes;
    CPasteQueueNode m_queue;
    base::UniqueImageList m_listImages;
    base::UniqueImageList m_treeImages;
    CPasteTarget m_target;
    CListSearch m_search;
    bool m_bOpened = false;  // the history was shown once (the window has opened)
    std::optional<std::u16string> m_newestHistoryText;
    ChangeListener m_changes;
    std::function<void(const std::wstring& path)> m_openArchive;
};

}  // namespace app
