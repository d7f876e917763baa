// CClipListCtrl: the behaviour of the main window's clip list: deleting the selected clips (the
// Delete key, command 32780, and the main window's toolbar), pasting the one selected clip into
// the application used last (a double click), and a context menu with both and a move into a
// user category. Paste chosen from the menu with Shift held pastes the text alone; a row whose
// program is known offers to record that program's copies no more.
#pragma once

#include "fw/Controls.h"
#include "fw/Subclass.h"

#include <windows.h>

#include <string>
#include <vector>

class CClipListCtrl : private fw::CSubclassedWindow {
public:
    // What the list asks of the window it lives in.
    class Owner {
    public:
        virtual ~Owner() = default;
        virtual void ShowPreview(int row) = 0;
        // The rows of the node on display, read again from the store.
        virtual void RefreshView() = 0;
        // The clip pasted into the application the user worked in before this program, all of
        // its formats or (`plainText`) its text alone.
        virtual void PasteClip(const std::string& clip, bool plainText) = 0;
        // The clips of the rows with these number texts (column 2) are gone from the store: the
        // rows go from the list.
        virtual void RowsRemoved(const std::vector<std::wstring>& numbers) = 0;
        // The paste queue: the clips of these rows appended in this order, or taken out; all
        // of it emptied; whether the list shows the queue.
        virtual void QueueRows(const std::vector<std::wstring>& numbers) = 0;
        virtual void UnqueueRows(const std::vector<std::wstring>& numbers) = 0;
        virtual void ClearQueue() = 0;
        virtual bool ShowsQueue() const = 0;
        // The program the row's clip was copied from (its full path), or empty.
        virtual std::string SourceOfRow(int row) const = 0;
        // Copies from the program are recorded no more (after the user agreed).
        virtual void ExcludeProgram(const std::string& path) = 0;
    };

    static constexpr UINT kCommandDelete = 32780;
    static constexpr UINT kMenuDelete = 210000;
    static constexpr UINT kMenuPaste = 220000;
    static constexpr UINT kMenuQueue = 230000;
    static constexpr UINT kMenuUnqueue = 240000;
    static constexpr UINT kMenuClearQueue = 250000;
    static constexpr UINT kMenuExclude = 260000;

    explicit CClipListCtrl(Owner& owner) : m_owner(owner) {}

    void Attach(HWND list);
    // After one confirmation, the selected rows and their clips (elements and files) go; in the
    // queue's view only their places in the queue go (the clips stay in the history).
    void DeleteSelected();
    // Exactly one row selected: its clip is pasted.
    void PasteSelected(bool plainText = false);

private:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    std::vector<int> selectedRows() const;
    std::string clipOfRow(int row) const;
    std::vector<std::wstring> selectedNumbers() const;
    void showContextMenu(POINT point);
    UINT trackQueueMenu();
    void moveToCategory(int row, unsigned categoryIndex);

    Owner& m_owner;
    fw::CListView m_list;
};
