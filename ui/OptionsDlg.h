// COptionsDlg: the options dialog ("选项"), a property sheet of the pages 常规, 快捷键, 粘贴, 隐私 and
// 同步 (another page is one more member and one AddPage). It holds data and does not decide: the
// options and the pause go in before DoModal and are read after IDOK; Cancel leaves them as they
// went in. The 同步 page keeps its own data: the sync settings go in as m_sync and come out with
// the passphrase typed (empty: the kept one stays). OK takes the shown page's values, then refuses
// chords the rules refuse (and asks about those they warn of), saying which and why, and shows the
// 快捷键 page; the caller saves and applies what it reads after. 导出/导入 write the options shown to
// a file and read them from one: an import says what it will change and is kept only with OK.
#pragma once

#include "ui/OptionsChordsPage.h"
#include "ui/OptionsGeneralPage.h"
#include "ui/OptionsPastePage.h"
#include "ui/OptionsPrivacyPage.h"
#include "ui/OptionsSyncPage.h"
#include "options/Options.h"
#include "fw/PropertySheet.h"

#include <string>

namespace ui {

class COptionsDlg : public fw::CPropertySheet {
public:
    enum Page { General, Chords, Paste, Privacy, Sync };
    COptionsDlg();

    options::Options m_options;
    bool m_bPaused = false;
    Page m_nStartPage = General;
    options::SyncSettings m_sync;
    std::string m_syncPassphrase;

    INT_PTR DoModal(HWND parent);

    // For the pages.
    int Tell(HWND owner, const std::string& text, UINT flags) const;
    void ExportOptions(HWND owner);
    void ImportOptions(HWND owner);
    // The options as they went in: the chords the user changed are checked strictly.
    const options::Options& SavedOptions() const { return m_saved; }

private:
    bool OnOK() override;
    bool chordsAccepted();
    std::string chooseFile(HWND owner, bool save);
    void reloadPages();

    options::Options m_saved;
    COptionsGeneralPage m_general;
    COptionsChordsPage m_chords;
    COptionsPastePage m_paste;
    COptionsPrivacyPage m_privacy;
    COptionsSyncPage m_syncPage{m_sync, m_syncPassphrase};
};

}  // namespace ui
