// CSyncCommands: "在多台电脑间同步" in the main window. It owns the sync engine (sync/SyncEngine.h)
// while the user's settings say it is on: copies the recorder filed go out (never those the
// engine's caller refuses: programs kept out, secrets the user lets this machine keep, and what
// the recorder never records: private content), deletions and filings of this machine's rows go
// out (a record that made room for a newer one is no deletion), and what the other machines
// did arrives as rows here (each with its origin, "来自：" and the machine in its tooltip),
// removals and filings; a clip that arrives goes on the clipboard too when the user asked,
// without being recorded again. The tray's tooltip says how syncing goes. Everything here runs
// in the main window's thread; the engine reads and writes the folder in its own threads.
#pragma once

#include "app/ClipTrayIcon.h"
#include "app/HistoryView.h"
#include "app/recorder/ClipRecorder.h"
#include "hooklib/OwnChangeRules.h"
#include "options/SyncSettings.h"
#include "store/SysClipBoard.h"
#include "sync/SyncEngine.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace app {

class CSyncCommands {
public:
    using LastTextOf = std::function<app::recorder::LastText&()>;
    CSyncCommands(store::CSysClipBoard& store, CHistoryView& view, CClipTrayIcon& tray, LastTextOf lastText);
    ~CSyncCommands();
    CSyncCommands(const CSyncCommands&) = delete;
    CSyncCommands& operator=(const CSyncCommands&) = delete;

    // Before Start: the run the last run's store was kept as at this start (not when the store went
    // on). The clips of copies that still waited to go when that run ended lie there now.
    void NoteEarlierRun(std::string keptAs) { m_earlierRun = std::move(keptAs); }
    // The engine started when the settings say so; its news posted to `window` as `message`; the
    // tray's tooltip brought up to date at `statusTimer`.
    void Start(HWND window, UINT message, UINT_PTR statusTimer);
    // At the window's end: what waits to be written is tried once more.
    void Stop();
    // The hook library's test of its own clipboard changes, widened to the changes made here when
    // a clip that arrived was put on the clipboard.
    app::recorder::CClipRecorder::OwnChangeTest OwnChangeTest(app::recorder::CClipRecorder::OwnChangeTest library);

    // The recorder, or a slot copy, filed `copy` as `row` (its clip name and copy time), in the
    // place of the oldest record when `madeRoom`.
    void Recorded(const store::ClipSnapshot& copy, const app::ViewRow& row, bool madeRoom);
    // The user deleted these rows, or filed this one into `category`.
    void RowsRemoved(const std::vector<std::string>& clips);
    void RowFiled(const std::string& clip, const std::string& category);

    // The engine's message and the status timer; true when handled.
    bool HandleMessage(UINT message);
    bool HandleTimer(UINT_PTR id);
    // The settings changed elsewhere (the options dialog's 同步 page): the engine started again.
    // The settings saved by the user: with a new passphrase, a folder of this machine's sealed
    // under another one may be started afresh (clipsync::EngineOptions::startAfreshIfRefused).
    void Restart() { startEngine(true); }

private:
    void startEngine(bool userGavePassphrase = false);
    void takeEvents();
    void givePendingBack();
    std::optional<store::ClipSnapshot> pendingClip(const clipsync::PendingRecord& record) const;
    void applyEvent(const clipsync::SyncEvent& event);
    void fileArrived(const clipsync::SyncEvent& event);
    void removeArrived(const clipsync::RowKey& row);
    void fileArrivedInto(const clipsync::RowKey& row, const std::string& category);
    void noteFiledHere(const std::string& clip, const clipsync::RowKey& row);
    std::string clipOfRow(const clipsync::RowKey& row) const;
    // A record of `clip` left the history: deleted by the user (the other machines delete it too),
    // or its number taken by a newer copy as the history made room (they keep theirs).
    enum class Leaving { Deleted, MadeRoom };
    void forget(const std::string& clip, Leaving how);
    void putOnClipboard(const store::ClipSnapshot& clip);
    void showStatus();
    void refreshView();

    store::CSysClipBoard& m_store;
    CHistoryView& m_view;
    CClipTrayIcon& m_tray;
    LastTextOf m_lastText;
    HWND m_window = nullptr;
    UINT m_message = 0;
    options::SyncSettings m_settings;
    std::string m_earlierRun;        // for the first engine of the run
    std::string m_passphraseDigest;  // of the passphrase the engine started with
    bool m_renewedIdUnsaved = false;  // traced once
    std::unique_ptr<clipsync::SyncEngine> m_engine;
    std::map<std::string, std::string> m_ownKeys;              // clip name -> the key it went out under
    std::map<std::string, clipsync::RowKey> m_arrivedRows;     // clip name -> the row it arrived as
    std::deque<clipsync::SyncEvent> m_pending;                 // taken from the engine, not yet applied
    // The clipboard changes of the last arrived clips put there (a burst puts several before the
    // recorder asks about the first), asked about from the recorder's thread.
    struct OwnPuts {
        static constexpr std::size_t kKept = 8;
        std::mutex mutex;
        std::vector<hooklib::Range> ranges;  // the newest last
    };
    std::shared_ptr<OwnPuts> m_ownPuts = std::make_shared<OwnPuts>();
    std::u16string m_shownStatus;
    bool m_otherPassphraseTold = false;
};

}  // namespace app
