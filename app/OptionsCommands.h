// COptionsCommands: the options dialog ("选项"), opened from the 工具 menu and the tray one at a time
// (a second ask brings the open one to the front), and the options applied in the running program,
// here alone: at the start the chords go to the hook library and a chord that cannot act is told in
// a balloon (the keyboard is asked on a thread of its own: the start does not wait for it); after
// OK the options are saved, then the switches, the pause and the chords take effect at once. The
// excluded programs and the paste-key rules are read where they act (at the next copy, at the next
// paste), so saving them is applying them.
#pragma once

#include "app/ClipTrayIcon.h"
#include "app/HookLibrary.h"
#include "ui/OptionsDlg.h"
#include "options/Options.h"

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace app {

class COptionsCommands {
public:
    // The pause is the main window's: asked for the dialog, set after OK.
    struct Pause {
        std::function<bool()> on;
        std::function<void(bool)> set;
    };
    // What other parts apply of the options after OK (the store's privacy switches).
    using ApplyMore = std::function<void(const options::Options&)>;
    COptionsCommands(const HookLibrary& hook, CClipTrayIcon& tray, Pause pause, ApplyMore applyMore);
    // Waits for the keyboard's probe.
    ~COptionsCommands();
    COptionsCommands(const COptionsCommands&) = delete;
    COptionsCommands& operator=(const COptionsCommands&) = delete;

    // Once the hooks and the tray are up: the chords published, the keyboard probed for them; the
    // probe's end is told to `window` with `probed`, for HandleMessage.
    void ApplyAtStart(HWND window, UINT probed);
    // The probe's end: a chord that cannot act is told. True when `message` was it.
    bool HandleMessage(UINT message);
    // Told after OK saved the 同步 page's settings (the sync engine starts again with them).
    void OnSyncSettingsSaved(std::function<void()> saved) { m_syncSaved = std::move(saved); }
    // The dialog on `page`, owned by `main`; or the open one brought to the front.
    void Open(HWND main, ui::COptionsDlg::Page page);

private:
    void apply(const options::Options& before, const options::Options& after, bool paused);
    // The hook library told of the chords (through its shared section, so every program it is in
    // sees them on its next key); false when the library cannot be told.
    bool publishChords(const options::ChordOptions& chords) const;

    const HookLibrary& m_hook;
    CClipTrayIcon& m_tray;
    Pause m_pause;
    ApplyMore m_applyMore;
    std::function<void()> m_syncSaved;
    ui::COptionsDlg* m_pOpen = nullptr;
    UINT m_probedMessage = 0;
    std::mutex m_noticeLock;
    std::string m_unavailableNotice;  // what the probe found, until the window tells it
    std::thread m_probe;
};

}  // namespace app
