// The command bars of a dialog: a menu bar from a menu resource and a toolbar from a toolbar
// resource (type 241: version, image width, image height, count, command ids with 0 for a
// separator) and a bitmap strip of the same id. Tooltips come from the string resources of the
// commands. Commands reach the dialog as WM_COMMAND.
#pragma once

#include "base/Handle.h"

#include <windows.h>
#include <commctrl.h>

namespace kit {

class CCommandBars {
public:
    CCommandBars() = default;
    CCommandBars(const CCommandBars&) = delete;
    CCommandBars& operator=(const CCommandBars&) = delete;

    bool SetMenu(HWND owner, UINT menuId);
    bool AddToolbar(HWND owner, UINT toolbarId, int buttonWidth, int buttonHeight);
    HWND toolbar() const { return m_toolbar; }
    int toolbarHeight() const;
    // Answers the toolbar's tooltip request; false for other notifications.
    bool HandleNotify(NMHDR& header);

private:
    HWND m_toolbar = nullptr;
    base::UniqueImageList m_images;  // a toolbar does not free its image list
};

}  // namespace kit
