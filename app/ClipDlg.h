// CClipDlg: the main window. It lays out and routes; the work is its parts':
//   app/HistoryView      the tree, the list, the preview, the search box and the paste target
//   app/PasteQueueNode   the paste queue's node and its count in the tray
//   app/ClipboardMonitor the viewer chain, the recorder (app/recorder) and its outcomes shown
//   app/SlotFiling       the hook library's slot copies filed as history records
//   app/ArchiveCommands  Save, Open and the run kept at the start, in threads of their own
//   app/ClipTrayIcon     the tray icon, its menu, tooltip and balloons
//   app/PrivacyCommands  the privacy switches applied, the wipe, clips sealed out of reach
//   app/OptionsCommands  the options dialog, and the options applied at the start and after OK
//   app/CommandServer    the command line's requests (WM_COPYDATA), answered by app/ProgramCommands
//   app/SyncCommands     the sync folder: copies going out, other machines' clips coming in
// This file keeps the window itself: its making, layout, place, menus, pausing and closing.
#pragma once

#include "app/ArchiveCommands.h"
#include "app/ClipTrayIcon.h"
#include "app/ClipboardMonitor.h"
#include "app/CommandServer.h"
#include "app/HistoryView.h"
#include "app/HookLibrary.h"
#include "app/PrivacyCommands.h"
#include "app/OptionsCommands.h"
#include "app/ProgramCommands.h"
#include "app/SlotFiling.h"
#include "app/WindowTasks.h"
#include "app/SyncCommands.h"
#include "kit/CommandBars.h"
#include "kit/DockPanes.h"
#include "store/SysClipBoard.h"
#include "base/Handle.h"
#include "fw/Dialog.h"

#include <string>
#include <utility>

namespace app {

class CClipDlg : public fw::CDialog {
public:
    // The hook library comes bound; the store of the previous run has been emptied. The store
    // is the application's, for the window's life.
    CClipDlg(HookLibrary hook, store::CSysClipBoard& store);
    ~CClipDlg() override;

    // Before DoModal: the run kept at this start came back as the store (its categories are shown
    // with the history), or `notRestored` says why it did not (a balloon once the tray is there).
    void NoteLastRun(bool restored, std::string notRestored) {
        m_lastRunRestored = restored;
        m_lastRunNotRestored = std::move(notRestored);
    }
    // Before DoModal: the last run's store was kept as the run `keptAs` (sync finds there the clips
    // of copies that had not gone yet when it ended).
    void NoteKeptRun(std::string keptAs) { m_sync.NoteEarlierRun(std::move(keptAs)); }
    // Before DoModal: work that waits until the window has painted and then runs in a thread of
    // its own (keeping the run the store goes on from), so that the first paint is not held by
    // it. At exit it is told to stop and waited for.
    using AfterPaintWork = CArchiveCommands::KeepWork;
    void RunAfterFirstPaint(AfterPaintWork work) { m_archive.KeepAfterFirstPaint(std::move(work)); }

    // Called by the application's message filter for every message of the dialog's loop.
    bool PreTranslateMessage(MSG* message);

private:
    // The options saved in the dialog that the window's parts apply: privacy, and the runs kept.
    void applyMoreOptions(const options::Options& options);
    bool fileCommand(int id);
    static constexpr UINT kMsgHideToTray = WM_APP + 1;
    static constexpr UINT kMsgRecorderResults = WM_APP + 2;
    static constexpr UINT kMsgNoteForeground = WM_APP + 3;  // wParam: the window in front, or 0: ask
    static constexpr UINT kMsgArchiveProgress = WM_APP + 4;  // wParam: percent done
    static constexpr UINT kMsgArchiveDone = WM_APP + 5;      // wParam: the ArchiveResult
    static constexpr UINT kMsgKeepDone = WM_APP + 6;         // the run kept at this start
    static constexpr UINT kMsgUnreadable = WM_APP + 7;       // a clip sealed out of this user's reach was met
    static constexpr UINT kMsgWindowTasks = WM_APP + 8;      // work of the command line's worker
    static constexpr UINT kMsgSyncEvents = WM_APP + 9;       // the sync engine has news
    static constexpr UINT kMsgKeyboardProbed = WM_APP + 10;  // the keyboard was asked about the chords
    static constexpr UINT_PTR kSlotRetryTimer = 1;
    static constexpr UINT_PTR kSyncStatusTimer = 2;
    static constexpr UINT_PTR kTrayIconTimer = 3;

    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR& header, LRESULT& result) override;
    bool OnSize(UINT type, int width, int height) override;
    bool OnTimer(UINT_PTR id) override;
    bool OnPaint() override;
    bool OnClose() override;
    void OnDestroy() override;
    void OnOK() override {}
    void OnCancel() override {}

    // The hook library's notifications and the other processes' requests.
    bool handleLibraryMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void layout();
    void setStatusText(const std::wstring& text);
    void setPaused(bool paused);
    void onClipPasted(WPARAM number);
    void onStoreDamaged();
    void startSync();

    store::CSysClipBoard& m_store;
    HookLibrary m_hook;
    HICON m_icon = nullptr;
    HWND m_status = nullptr;
    kit::CCommandBars m_commandBars;
    kit::CDockPanes m_panes;
    CClipTrayIcon m_tray;
    CHistoryView m_view;
    CArchiveCommands m_archive{m_store, m_view, [this](const std::wstring& text) { setStatusText(text); }};
    CClipboardMonitor m_monitor{m_view, m_tray};
    const WindowParts m_parts{m_store, m_hook, m_view, m_tray, m_archive, m_monitor};
    CSlotFiling m_slots{m_parts};
    CPrivacyCommands m_privacy{m_parts};
    COptionsCommands m_options{m_hook, m_tray, {[this] { return m_paused; }, [this](bool paused) { setPaused(paused); }},
                               [this](const options::Options& options) { applyMoreOptions(options); }};
    CWindowTasks m_windowTasks;
    CProgramCommands m_commands;
    CCommandServer m_commandServer{m_commands};  // after what it uses: it goes first
    CSyncCommands m_sync{m_store, m_view, m_tray, [this]() -> app::recorder::LastText& { return m_monitor.lastText(); }};
    bool m_lastRunRestored = false;
    std::string m_lastRunNotRestored;
    bool m_firstPaint = true;
    bool m_bLaidOut = false;  // the controls laid out once all are made (sizes before wait for it)
    bool m_storeDamageReported = false;
    bool m_exitRequested = false;
    bool m_paused = false;
    base::UniqueWinEventHook m_foregroundEvents;  // other programs' windows coming to the front
};

}  // namespace app
