// The 快捷键 page of the options dialog: each chord in a hot-key control (the clip menu at the
// pointer: its modifier in a list) with its "关闭" box, a button back to the defaults, and the
// programs where no chord acts (typed, or picked from the running ones). A control the user did not
// change keeps its chord as it was, Win included (a hot-key control cannot show Win).
#pragma once

#include "ui/OptionsPage.h"
#include "options/Chords.h"

#include <array>

namespace ui {

class COptionsChordsPage : public COptionsPage {
public:
    explicit COptionsChordsPage(COptionsDlg& dialog);
    void Load() override;
    bool OnKillActive() override;

private:
    bool OnCommand(int id, int code, HWND control) override;
    void showChord(std::size_t index);
    bool takeChord(std::size_t index);
    void showPrograms();
    void addProgram(const std::string& typed);
    void removeProgram();

    std::array<LRESULT, options::kChordActions> m_shown = {};  // what each hot-key control was given
};

}  // namespace ui
