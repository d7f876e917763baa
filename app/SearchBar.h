// CSearchBar: the search box above the list, the button beside it that opens the filter menu
// (its items put the filter words into the box; one turns patterns on and off) and the
// "在以前的记录中查找" checkbox under it. It holds the box's state; the view runs the search.
#pragma once

#include "app/SearchRules.h"
#include "base/Handle.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace app {

class CSearchBar {
public:
    struct Ids {
        int box = 0, filters = 0, earlier = 0;
        unsigned firstMenuId = 0;  // the filter menu's items, app::searchbox::filterMenuIdCount() of them
    };

    void Create(HWND window, const Ids& ids);
    HWND box() const { return m_box; }
    HWND filterButton() const { return m_filters; }
    HWND earlierBox() const { return m_earlier; }
    // Laid out at the top of `area`: the box with its button, the checkbox under them. The height
    // taken.
    int Layout(const RECT& area) const;

    std::u16string Text() const;
    bool PatternToggle() const { return m_pattern; }
    bool SearchesEarlier() const { return IsDlgButtonChecked(GetParent(m_earlier), GetDlgCtrlID(m_earlier)) == BST_CHECKED; }
    void ToggleEarlier() const;

    // The folders the filter menu's "存档文件夹" lists: those the user added (each taken off when
    // picked), and the others searched too (shown, not picked).
    struct FolderMenu {
        std::vector<std::string> added;
        std::vector<std::string> others;
    };
    // What the menu asks of the caller: the search run again (the pattern toggle turned), a
    // folder added, or one of the user's taken off.
    struct MenuChoice {
        bool searchAgain = false;
        bool addFolder = false;
        std::string removeFolder;
    };
    // The filter menu under its button, with these programs and categories to pick. A filter
    // picked goes into the box (whose change notification runs the search).
    MenuChoice ShowFilterMenu(const std::vector<std::u16string>& programs, const std::vector<std::u16string>& categories,
                              const FolderMenu& folders);
    // Esc: the box's text one step shorter (search::clearOneStep); false when it was empty.
    bool ClearOneStep() const;
    // The box drawn on light red while what it holds cannot be searched (a filter that cannot be
    // read, a pattern that does not compile; the status line says why).
    void ShowFault(bool fault);
    // WM_CTLCOLOREDIT of the window: true, with the brush in `result`, when it was the box's.
    bool ColourBox(HWND control, HDC dc, LRESULT& result);

private:
    void showPatternCue() const;

    HWND m_box = nullptr, m_filters = nullptr, m_earlier = nullptr;
    unsigned m_firstMenuId = 0;
    int m_rowHeight = 22, m_buttonWidth = 60;
    bool m_pattern = false;
    bool m_fault = false;
    base::UniqueBrush m_faultBrush;
};

}  // namespace app
