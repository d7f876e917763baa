// CClipListCtrl: the main window's clip list. It shows its model's rows (a virtual list: the
// list asks for each row it draws, finds rows by their content, and keeps the selected rows
// selected through a search or a sort), and has behaviour of its own: deleting the selected
// clips (the Delete key, command 32780, and the main window's toolbar), pasting the one selected
// clip into the application used last (a double click), and a context menu with both and a move
// into a user category. Paste chosen from the menu with Shift held pastes the text alone, and a
// text row's "粘贴为" its text transformed; a row whose program is known offers to record that
// program's copies no more. A row's clip is the
// model's, by name: no shown text is read back.
#pragma once

#include "ui/ClipListModel.h"
#include "store/TextTransforms.h"
#include "fw/Controls.h"
#include "fw/Subclass.h"

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace store { class CSysClipBoard; }

namespace ui {

class CClipListCtrl : private fw::CSubclassedWindow {
public:
    // What the list asks of the window it lives in.
    struct Actions {
        std::function<void(int row)> previewRow;
        // The rows of the node on display, read again from the store.
        std::function<void()> refreshRows;
        // The clip pasted into the application the user worked in before this program, all of
        // its formats or (`plainText`) its text alone.
        std::function<void(const std::string& clip, bool plainText)> pasteRow;
        // The same with the clip's text alone, transformed ("粘贴为"); the clip stays as it is.
        std::function<void(const std::string& clip, store::Transform transform)> pasteRowAs;
        // These clips are gone from the store: their rows go from the list.
        std::function<void(const std::vector<std::string>& clips)> rowsRemoved;
        // The paste queue: these clips appended in this order, or taken out; all of it emptied;
        // whether the list shows the queue.
        std::function<void(const std::vector<std::string>& clips)> queueClips;
        std::function<void(const std::vector<std::string>& clips)> unqueueClips;
        std::function<void()> emptyQueue;
        std::function<bool()> queueShown;
        // The user filed this history clip into `category`.
        std::function<void(const std::string& clip, const std::string& category)> clipFiled;
        // Copies from the program are recorded no more (after the user agreed).
        std::function<void(const std::string& path)> excludeSource;
        // The kept run or archive a row found in earlier ones lies in, opened as 打开 opens one.
        std::function<void(const std::string& archive)> openArchive;
    };

    static constexpr UINT kCommandDelete = 32780;
    static constexpr UINT kMenuDelete = 210000;
    static constexpr UINT kMenuPaste = 220000;
    static constexpr UINT kMenuQueue = 230000;
    static constexpr UINT kMenuUnqueue = 240000;
    static constexpr UINT kMenuClearQueue = 250000;
    static constexpr UINT kMenuExclude = 260000;
    static constexpr UINT kMenuOpenArchive = 270000;
    static constexpr UINT kMenuPasteAs = 32970;  // + the transform's number (ID_PASTE_AS_FIRST)

    // The store whose clips the rows show, and deletes and files them.
    CClipListCtrl(Actions actions, store::CSysClipBoard& store) : m_actions(std::move(actions)), m_store(store) {}

    void Attach(HWND list);

    // ClipListRows.cpp: the rows shown.
    const ui::cliplist::ClipListModel& Rows() const { return m_rows; }
    // The rows of a view freshly read, none selected.
    void Assign(std::vector<ui::cliplist::Row> rows);
    // The list learns how many rows there are and draws them again.
    void Refill();
    // A row recorded or changed: in its place, or after the others (drawn at the next Refill).
    void Upsert(ui::cliplist::Row row);
    // The rows of these clips go, none selected.
    void Remove(const std::vector<std::string>& clips);
    // A change that may move rows (a search, a sort; it says whether it did): the rows selected
    // before stay selected where they are still shown. Whether the list was drawn again.
    bool ChangeKeepingSelection(const std::function<bool(ui::cliplist::ClipListModel&)>& change);
    // The rows sorted by a column, its header's arrow showing the direction; with a click on a
    // header, the direction that header takes now.
    void SortBy(int column, bool ascending);
    void SortByHeader(int column);
    // The clip of the first selected row, or empty.
    std::string FirstSelectedClip() const;
    // LVN_GETDISPINFOW, LVN_GETINFOTIPW, LVN_ODFINDITEMW: filled in place, or the found row (-1).
    void FillDisplayInfo(LVITEMW& item) const;
    void FillInfoTip(NMLVGETINFOTIPW& tip) const;
    LRESULT FindRow(const NMLVFINDITEMW& find) const;
    // NM_CUSTOMDRAW (ClipListMarks.cpp): what matched the search marked in the content column.
    LRESULT DrawMarks(NMLVCUSTOMDRAW& draw);

    // After one confirmation, the selected rows and their clips (elements and files) go; in the
    // queue's view only their places in the queue go (the clips stay in the history).
    void DeleteSelected();
    // Exactly one row selected: its clip is pasted.
    void PasteSelected(bool plainText = false);

private:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void clearSelection() const;
    std::vector<int> selectedRows() const;
    // With `storeOnly`, not the rows found in earlier runs and archives: they are not the store's
    // (nothing of them is deleted, filed or queued).
    std::vector<std::string> selectedClips(bool storeOnly = false) const;
    void showContextMenu(POINT point);
    UINT trackQueueMenu();
    void appendPasteAsMenu(HMENU menu);
    void showEarlierRowMenu(const std::string& clip, const std::string& archive);
    static constexpr const wchar_t* kPasteItem = L"粘贴(&P)";
    void moveToCategory(const std::string& clip, unsigned categoryIndex);

    Actions m_actions;
    store::CSysClipBoard& m_store;
    fw::CListView m_list;
    ui::cliplist::ClipListModel m_rows;  // what the list shows, by position
    bool m_focusedWhilePainting = false;  // asked once a paint, not for every row
    std::uintptr_t m_nChanges = 0;        // published on the list (store::kListChangesProperty)
};

}  // namespace ui
