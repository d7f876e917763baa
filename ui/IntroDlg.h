// CIntroDlg: the program introduces itself at its first paint, from the intro text file beside
// it ("Instro.dll", a text in the system code page despite its name). Ticking "下次启动时不再显示"
// and closing deletes the file; where it cannot be deleted (a program folder the user may not
// change) the choice is kept in the user's store folder instead.
#pragma once

#include "fw/Dialog.h"

#include <string>

namespace ui {

class CIntroDlg : public fw::CDialog {
public:
    // `introFile` is read relative to the current directory (the program folder); `offMarker`
    // is the file that remembers the choice when the intro file cannot be deleted.
    CIntroDlg(std::wstring introFile, std::wstring offMarker);

    // False when the intro is not to be shown: no readable intro file, or switched off.
    bool LoadText();

    std::wstring m_strText;
    bool m_bDoNotShowAgain = false;

private:
    bool OnInitDialog() override;
    void OnDestroy() override;

    std::wstring m_introFile;
    std::wstring m_offMarker;
};

}  // namespace ui
