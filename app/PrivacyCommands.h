// CPrivacyCommands: the main window's part for privacy. It applies the switches of the options'
// 隐私 page (new data files sealed for the user, in this program and, through the shared section,
// in the hook library in every other; copies that are plainly secrets kept out by the recorder),
// wipes every record on "清除所有记录…", and tells the user once when a clip sealed out of this
// user's reach was met.
#pragma once

#include "app/ArchiveCommands.h"
#include "app/ClipTrayIcon.h"
#include "app/ClipboardMonitor.h"
#include "app/HistoryView.h"
#include "app/HookLibrary.h"
#include "app/WindowParts.h"
#include "options/Options.h"
#include "store/SysClipBoard.h"

#include <windows.h>

namespace app {

// The two switches as the registry keeps them (a missing value: on).
options::Switches readPrivacySwitches();
// New data files sealed or not, in this program and in the hook library.
void applyStoreSealing(bool on, const HookLibrary& hook);

class CPrivacyCommands {
public:
    using Parts = WindowParts;
    explicit CPrivacyCommands(Parts parts) : m_parts(parts) {}
    ~CPrivacyCommands();
    CPrivacyCommands(const CPrivacyCommands&) = delete;
    CPrivacyCommands& operator=(const CPrivacyCommands&) = delete;

    // Once the recorder runs: the switches applied as the registry has them, and a clip sealed out
    // of reach announced to `window` with `unreadableMessage` (from whichever thread met it).
    void Start(HWND window, UINT unreadableMessage);
    // The switches of the options dialog, after its OK.
    void ApplyPrivacyOptions(const options::Options& options);
    // "清除所有记录…": asked once, refused while an archive command or a slot copy is under way.
    void OnWipe();
    // The message of Start: a balloon, once in a run.
    void OnUnreadable() { m_parts.tray.ReportUnreadableClips(); }

private:
    void apply(const options::Switches& switches);
    bool busy() const;
    void showWiped(const store::WipeOutcome& outcome);

    Parts m_parts;
    HWND m_window = nullptr;
};

}  // namespace app
