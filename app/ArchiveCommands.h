// CArchiveCommands: the File menu's work on the whole store (Save, Save As, Open, Open last run)
// and the keep of the run after the first paint, one thing at a time. Each runs in a thread of
// its own, so the window keeps answering; the status line tells how far a command is, and its
// outcome comes back to the window as a message. A command asked for while the keep runs waits
// behind it (the run kept is the store as it was at the start, and "打开上次的记录" then opens
// that very run); one asked for while a command runs is refused with a beep. An archive may be
// saved protected by a password (typed twice in ui/PasswordDlg); opening one asks for it, again
// after a wrong one, until it is right or the user gives up.
#pragma once

#include "app/HistoryView.h"
#include "store/SysClipBoard.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace app {

class CArchiveCommands {
public:
    using KeepWork = std::function<void(const std::atomic<bool>& stop)>;

    // A command's progress is shown on the window's status line; its outcome in the view (the
    // store opened, the root node's " *" gone after a save, the status line as it was).
    CArchiveCommands(store::CSysClipBoard& store, CHistoryView& view, CHistoryView::StatusLine status)
        : m_store(store), m_view(view), m_status(std::move(status)) {}
    ~CArchiveCommands();
    CArchiveCommands(const CArchiveCommands&) = delete;
    CArchiveCommands& operator=(const CArchiveCommands&) = delete;

    // The window the outcomes are posted to, and the messages (wParam: percent done; the
    // command's ArchiveResult; none: the keep has ended).
    void Attach(HWND window, UINT progressMessage, UINT doneMessage, UINT keepDoneMessage);

    // Before the window shows: work kept for after the first paint (keeping the run the store
    // goes on from). StartKeep runs it in its thread; it is told to stop at Stop().
    void KeepAfterFirstPaint(KeepWork work) {
        m_keepPlanned = static_cast<bool>(work);
        m_keepWork = std::move(work);
    }
    void StartKeep();

    // `protect` (with `choose`): the archive is protected by a password the user types. A plain
    // Save writes the archive saved or opened last as it was: protected by the same password.
    void OnSave(bool choose, bool protect = false);
    void OnOpen();
    // An archive or a kept run the user named elsewhere (a row found in it), opened once the
    // user agreed to its taking the place of the store.
    void OpenArchive(const std::wstring& path);
    void OnOpenLastRun();
    // In the window's thread: true when `message` was one of the three and was handled.
    bool HandleMessage(UINT message, WPARAM wParam);

    // Whether a command runs now (a slot copy waits until it is done before it files).
    bool CommandRunning() const { return m_worker.joinable(); }
    // Whether a command or the keep of the run runs now (the store may not be wiped meanwhile).
    bool Busy() const { return CommandRunning() || keepRunning(); }
    // At the window's end: the keep is told to stop, and everything under way is waited for.
    void Stop();

private:
    // OpenRun: a run the program kept, named by the user (a row found in it); opened as the
    // newest one is, its files shared and the archive a plain Save writes left as it was.
    enum class Command { Save, Open, OpenLastRun, OpenRun };
    struct Request {
        Command command;
        std::wstring path;
        std::string password;  // to save with, or to open with; empty: none
    };
    std::wstring chooseArchive(bool save, const std::wstring& folder);
    bool report(store::ArchiveResult result, bool saving, const std::wstring& path);
    // The command now, queued behind the keep, or refused with a beep (false).
    bool admit(Request request);
    void start(const Request& request);
    void onProgress(int percent);
    void onDone(store::ArchiveResult result);
    bool openWithPassword(store::ArchiveResult result);
    void onKeepDone();
    // From the moment a keep is planned: a command asked for before the first paint started it
    // waits for it too (the newest kept run is not known before).
    bool keepRunning() const { return (m_keepPlanned || m_keep.joinable()) && !m_keepDone; }

    store::CSysClipBoard& m_store;
    CHistoryView& m_view;
    CHistoryView::StatusLine m_status;
    HWND m_window = nullptr;
    UINT m_progressMessage = 0, m_doneMessage = 0, m_keepDoneMessage = 0;
    std::wstring m_archivePath;  // the file a plain Save writes, once one was saved or opened
    std::thread m_worker;        // a command under way
    Command m_running = Command::Save;
    std::wstring m_runningPath;
    std::string m_runningPassword;
    std::string m_archivePassword;  // m_archivePath's, when it is protected
    std::optional<Request> m_waiting;  // asked for while the keep runs
    KeepWork m_keepWork;
    bool m_keepPlanned = false;
    std::atomic<bool> m_stopKeep{false};
    std::atomic<bool> m_keepDone{false};
    std::thread m_keep;
};

}  // namespace app
