// CExcludedProgramsDlg: the programs whose copies are never recorded, each with the time it was
// added; "删除" takes the selected one off the list. Enter and Esc close it, as in the other
// dialogs. The list goes in before DoModal; the programs taken off are read after.
#pragma once

#include "fw/Dialog.h"

#include <string>
#include <vector>

class CExcludedProgramsDlg : public fw::CDialog {
public:
    struct Program {
        std::wstring path;
        std::wstring added;
    };
    CExcludedProgramsDlg();
    std::vector<Program> m_programs;
    std::vector<std::wstring> m_removed;

private:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void removeSelected();
    void selectRow(int row);
};
