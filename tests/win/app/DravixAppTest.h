// The one fixture of tests with dravix.exe running: the clipboard empty at start (nothing to
// record), the window at its first place, the programs' debug log in a scratch folder, and the
// program started and waited for in one way. Fixtures whose tests prepare the store or the
// settings first start it themselves.
#pragma once

#include "DebugLog.h"
#include "DravixProcess.h"
#include "TestFiles.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// 999 history records, written as the store holds them; each record's own elements from `more`.
std::string fullHistoryIndex(const std::function<std::string(const std::string& clip)>& more = nullptr);

// The main window's command "选项".
inline constexpr unsigned kOptionsCommand = 32808;

class DravixAppTest : public ::testing::Test {
protected:
    enum class Start { AtSetUp, ByTheTest };
    explicit DravixAppTest(Start when = Start::AtSetUp) : m_start(when) {}

    void SetUp() override;
    // A test that failed shows the end of the programs' debug log.
    void TearDown() override;

    // Starts the program (ending one that runs) and waits for its window; `m_startup` is how
    // long that took.
    void start();

    // The main window beside the place where targets open, so that a click on its list reaches
    // the list.
    void moveBesideTheTargets();
    // `text` copied by another program, waited for as a row of the list.
    void record(const std::wstring& text);
    // The category dialog, opened by its command: a name typed, then Enter. The dialog, or null.
    HWND nameCategory(const std::wstring& name);
    // The program's "选项" dialog once it came (opened by a menu, or by its command), in front and
    // taking keys; null when none came.
    HWND optionsSheet();
    // The row moved into the category at `position` (0 the first) with the list's own menu,
    // opened by a right click and walked with the keys; waits until the row leaves the view.
    void fileRowInCategory(int row, int position);
    // The list's menu opened with a right click over the first selected row of these.
    HWND rowMenu(const std::vector<int>& rows);
    // The tray icon's menu (the newest icon's) opened with a right click; null when it did not open.
    HWND trayMenu();
    // The row clicked where no earlier click of the test landed (no double click) until the
    // click took (the row selected), and its text waited for in the preview.
    bool previewShows(int row, const std::wstring& text);
    // The file dialog the program opened, in front with its file name box taking keys; null
    // when none came.
    HWND fileDialogTakingKeys();
    // That dialog given `path` typed into its file name box and Enter: the dialog, null when none
    // took the keys. With `shot`, the screenshot `shot`.png of the dialog before the Enter.
    HWND typeIntoFileDialog(const std::wstring& path, const std::wstring& shot = {});
    // ... and waited for until it closed; with `replaces`, the question whether to replace the
    // file is answered Yes (its screenshot `shot`-replace.png).
    void answerFileDialog(const std::wstring& path, bool replaces = false, const std::wstring& shot = {});
    void answerFileDialog(const std::string& path) { answerFileDialog(base::toWide(path)); }
    // The copies not recorded, as the tray's tooltip counts them ("未能记录：n"; none: 0).
    int missedInTooltip() const;
    // Another program's copies "<prefix> 0" ... "<prefix> n-1" once each has settled (waited for,
    // at most `bound`): a row, or counted as missed in the tooltip, with nothing still waiting.
    struct BurstOutcome {
        std::vector<ListRow> rows;
        int recorded = 0;    // copies that are exactly one row
        int repeated = 0;    // copies that are more than one row
        int missed = 0;      // copies not recorded since the tooltip counted `missedBefore` (not only these)
        std::string notOnce;  // the copies seen as no row or as more than one: " i:rows" each
        std::string tooltip;
    };
    BurstOutcome settleBurst(const std::wstring& prefix, int copies, std::chrono::seconds bound, int missedBefore = 0);

    ScratchDir m_dir;
    DebugLog m_log;
    std::unique_ptr<DravixProcess> m_app;
    long long m_startup = 0;  // milliseconds
    int m_clickAcross = 20;

private:
    Start m_start;
};
