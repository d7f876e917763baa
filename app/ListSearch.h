// CListSearch: the search above the main window's list. What is typed into the box, and picked in
// the filter menu beside it, narrows the list's rows (the model filters them); with
// "在以前的记录中查找" on, the kept runs and the archives of the folders searched are searched
// beside them, their rows after the others. The view it serves shows the preview and the status
// line; the status while a search is on is this class's to say.
#pragma once

#include "app/EarlierSearch.h"
#include "app/SearchBar.h"
#include "ui/ClipListCtrl.h"
#include "store/SysClipBoard.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace app {

class CListSearch {
public:
    // What the search needs of the view it serves.
    struct View {
        std::function<void(int row)> previewRow;
        std::function<void()> restoreStatus;  // the status line as the rows make it
        std::function<std::vector<std::u16string>()> listCategories;
        // A setting changed once the user said yes to the question (CHistoryView::askThenSave).
        std::function<bool(const std::wstring& question, const std::function<bool()>& save, const wchar_t* failed)>
            askToSave;
    };

    CListSearch(store::CSysClipBoard& store, ui::CClipListCtrl& clipList, View view);

    // The bar made in `window`, whose list is `list`; the earlier runs' results come to `window`.
    void Create(HWND window, HWND list, const CSearchBar::Ids& ids);
    const CSearchBar& bar() const { return m_bar; }

    // The box's text changed: the rows filtered again, the earlier runs searched again.
    void OnSearchChanged();
    // The filter menu beside the box.
    void OnFilterButton();
    // "在以前的记录中查找" turned on or off (its checkbox, Ctrl+Shift+F).
    void OnEarlierToggled();
    // The results of the earlier runs' search, and the box's colours; true when `message` was
    // one of those.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Ctrl+F, Ctrl+Shift+F, Esc (one step of the search back), Enter on an earlier run's row (and in
    // the box, to search the earlier runs for words too short to be searched as typed) and
    // Down between the search box and the list; true when the key was taken.
    bool HandleKey(HWND window, WPARAM key);
    // The status line while a search is on: the rows that match, the filters, the earlier runs.
    std::wstring Status() const;

private:
    void addArchiveFolder();
    void removeArchiveFolder(const std::string& folder);
    void searchEarlierRuns(bool asked = false);
    void showEarlierResults();

    static constexpr UINT kMsgEarlierResults = WM_APP + 43;

    store::CSysClipBoard& m_store;
    ui::CClipListCtrl& m_clipList;
    View m_view;
    HWND m_window = nullptr;
    HWND m_list = nullptr;
    CSearchBar m_bar;
    CEarlierSearch m_earlier;
    std::optional<search::SearchOutcome> m_earlierOutcome;  // the last results shown
    bool m_earlierTooShort = false;  // the words wait for a longer word or Enter
};

}  // namespace app
