#include "app/ArchiveCommands.h"

#include "app/ArchiveFolders.h"
#include "app/ProgramFolder.h"
#include "app/ClipRules.h"
#include "ui/PasswordDlg.h"
#include "store/Protocol.h"
#include "store/RunNames.h"
#include "base/Barrier.h"
#include "base/Text.h"
#include "base/Trace.h"
#include "fw/FileDialog.h"

namespace app {

namespace {

std::wstring folderOf(const std::wstring& path) {
    const std::size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

void showMessage(HWND window, std::string_view text, UINT icon) {
    MessageBoxW(window, base::toWide(text).c_str(), base::toWide(store::kMainWindowTitle).c_str(), MB_OK | icon);
}

// A password no longer needed is cleared where it lay, not only let go of.
void forget(std::string& password) {
    SecureZeroMemory(password.data(), password.size());
    password.clear();
}

}  // namespace

CArchiveCommands::~CArchiveCommands() {
    Stop();
}

void CArchiveCommands::Attach(HWND window, UINT progressMessage, UINT doneMessage, UINT keepDoneMessage) {
    m_window = window;
    m_progressMessage = progressMessage;
    m_doneMessage = doneMessage;
    m_keepDoneMessage = keepDoneMessage;
}

bool CArchiveCommands::HandleMessage(UINT message, WPARAM wParam) {
    if (!m_window)
        return false;  // not attached yet: its messages are not known
    if (message == m_progressMessage)
        onProgress(static_cast<int>(wParam));
    else if (message == m_doneMessage)
        onDone(static_cast<store::ArchiveResult>(wParam));
    else if (message == m_keepDoneMessage)
        onKeepDone();
    else
        return false;
    return true;
}

// The keep tells the window when it has ended; a command that waited for it starts then.
void CArchiveCommands::StartKeep() {
    if (!m_keepWork)
        return;
    m_keep = std::thread([this, work = std::move(m_keepWork)] {
        base::Guarded("after the first paint", [&] { work(m_stopKeep); });
        m_keepDone = true;
        PostMessageW(m_window, m_keepDoneMessage, 0, 0);
    });
}

// The file dialog for archives, starting in `folder`: a save form accepts a new name and asks
// before it replaces a file; an open form wants an existing one.
std::wstring CArchiveCommands::chooseArchive(bool save, const std::wstring& folder) {
    fw::FileDialogRequest request;
    request.save = save;
    request.filter = std::wstring(app::kArchiveFilter);
    request.defaultExtension = std::wstring(app::kArchiveExtension);
    request.folder = folder;
    return fw::ChooseFile(m_window, request);
}

bool CArchiveCommands::report(store::ArchiveResult result, bool saving, const std::wstring& path) {
    const std::string text = app::archiveFailureText(result, saving, base::toUtf8(path));
    if (!text.empty())
        showMessage(m_window, text, MB_ICONERROR);
    return text.empty();
}

// A save that failed says why and keeps the mark: the changes are not kept anywhere yet. Only a
// save that succeeded makes its file the one a later plain Save writes.
void CArchiveCommands::OnSave(bool choose, bool protect) {
    if (CommandRunning()) {
        MessageBeep(MB_ICONWARNING);
        return;
    }
    Request request{Command::Save, m_archivePath, m_archivePassword};
    if (choose || request.path.empty()) {
        request.path = chooseArchive(true, programFolder());
        forget(request.password);
        if (request.path.empty())
            return;
        if (protect) {
            std::optional<std::string> password = ui::CPasswordDlg::Ask(m_window, ui::CPasswordDlg::Kind::New);
            if (!password)
                return;
            request.password = std::move(*password);
        }
    }
    admit(std::move(request));
}

// Whether or not the user chose an archive, the category nodes and the history view are made
// again from the store.
void CArchiveCommands::OnOpen() {
    if (CommandRunning()) {
        MessageBeep(MB_ICONWARNING);
        return;
    }
    const std::wstring start = m_archivePath.empty() ? programFolder() : folderOf(m_archivePath);
    const std::wstring path = chooseArchive(false, start);
    if (path.empty())
        m_view.ShowOpenedStore();
    else
        admit({Command::Open, path, {}});
}

void CArchiveCommands::OpenArchive(const std::wstring& path) {
    if (CommandRunning()) {
        MessageBeep(MB_ICONWARNING);
        return;
    }
    const std::string name = base::toUtf8(path.substr(folderOf(path).size() + 1));
    const std::string question = app::openArchiveQuestion(name);
    if (MessageBoxW(m_window, base::toWide(question).c_str(), base::toWide(store::kMainWindowTitle).c_str(),
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    const bool keptRun = base::toUtf8(folderOf(path)) == m_store.runsFolder() && store::parseRunArchive(name);
    admit({keptRun ? Command::OpenRun : Command::Open, path, {}});
}

// The newest run kept at a start comes back as the store; which one that is is known once the
// keep under way has ended. It stays the program's file: a later plain Save still asks where.
void CArchiveCommands::OnOpenLastRun() {
    admit({Command::OpenLastRun, {}, {}});
}

bool CArchiveCommands::admit(Request request) {
    if (CommandRunning() || (keepRunning() && m_waiting)) {
        MessageBeep(MB_ICONWARNING);
        return false;
    }
    if (keepRunning()) {
        base::Trace("archive command %d waits for the run being kept", static_cast<int>(request.command));
        m_status(base::toWide(app::kKeepingRunText));
        m_waiting = std::move(request);
        return true;
    }
    start(request);
    return true;
}

// The command in its thread; the outcome comes back as a message.
void CArchiveCommands::start(const Request& request) {
    std::wstring path = request.path;
    if (request.command == Command::OpenLastRun) {
        const std::string run = m_store.newestKeptRun();
        if (run.empty()) {
            showMessage(m_window, app::kNoKeptRunMessage, MB_ICONINFORMATION);
            m_view.ShowRowsStatus();
            return;
        }
        path = base::toWide(run);
    }
    m_running = request.command;
    m_runningPath = path;
    m_runningPassword = request.password;
    const bool saving = request.command == Command::Save;
    m_status(base::toWide(app::archiveProgressText(saving, 0)));
    base::Trace("archive command %d started", static_cast<int>(request.command));
    // A kept run lies beside the store and only the program writes it: its files are shared.
    const bool keptRun = request.command == Command::OpenLastRun || request.command == Command::OpenRun;
    const store::ArchiveFiles how = keptRun ? store::ArchiveFiles::Shared : store::ArchiveFiles::Copied;
    m_worker = std::thread([this, saving, how, target = base::toUtf8(path), password = request.password]() mutable {
        int told = 0;
        const store::ArchiveProgress progress = [&](std::size_t done, std::size_t total) {
            const int percent = static_cast<int>(done * 100 / total);
            if (percent != told && PostMessageW(m_window, m_progressMessage, static_cast<WPARAM>(percent), 0))
                told = percent;
        };
        // An archive without a password is opened without asking; one with a password, with the
        // one given (none yet: PasswordNeeded, and the window asks).
        const store::PasswordPrompt given = [&password]() -> std::optional<std::string> {
            return password.empty() ? std::nullopt : std::optional<std::string>(password);
        };
        const store::ArchiveResult result = base::Guarded("archive", store::ArchiveResult::WriteFailed, [&] {
            return saving ? m_store.saveArchive(target, progress, password) : m_store.openArchive(target, progress, how, given);
        });
        forget(password);
        PostMessageW(m_window, m_doneMessage, static_cast<WPARAM>(result), 0);
    });
}

void CArchiveCommands::onProgress(int percent) {
    if (CommandRunning())
        m_status(base::toWide(app::archiveProgressText(m_running == Command::Save, percent)));
}

void CArchiveCommands::onKeepDone() {
    if (m_keep.joinable())
        m_keep.join();
    base::Trace("the run kept: archive commands may run");
    if (std::optional<Request> waiting = std::exchange(m_waiting, std::nullopt)) {
        m_view.ShowRowsStatus();
        start(*waiting);
    }
}

void CArchiveCommands::onDone(store::ArchiveResult result) {
    if (m_worker.joinable())
        m_worker.join();
    base::Trace("archive command %d done: %d", static_cast<int>(m_running), static_cast<int>(result));
    m_view.ShowRowsStatus();  // the status line as it was
    if (m_running == Command::Open && openWithPassword(result))
        return;
    const bool done = report(result, m_running == Command::Save, m_runningPath);
    switch (m_running) {
    case Command::Save:
    case Command::Open:
        if (done) {
            m_archivePath = m_runningPath;
            app::archivefolders::rememberArchiveFolder(base::toUtf8(folderOf(m_archivePath)));
            forget(m_archivePassword);
            m_archivePassword = m_runningPassword;
        }
        if (m_running == Command::Open)
            m_view.ShowOpenedStore();
        else if (done)
            m_view.SetRootText(false);
        break;
    case Command::OpenLastRun:
    case Command::OpenRun:
        m_view.ShowOpenedStore();
        break;
    }
    forget(m_runningPassword);
}

// A protected archive: its password asked for (after a wrong one, once that is said) and the open
// started again with it. Given none, the store stays as it was. False for any other outcome.
bool CArchiveCommands::openWithPassword(store::ArchiveResult result) {
    if (result != store::ArchiveResult::PasswordNeeded && result != store::ArchiveResult::WrongPassword)
        return false;
    forget(m_runningPassword);
    if (result == store::ArchiveResult::WrongPassword)
        report(result, false, m_runningPath);
    std::optional<std::string> password = ui::CPasswordDlg::Ask(m_window, ui::CPasswordDlg::Kind::Existing);
    base::Trace("archive password %s", password ? "given" : "not given: the store stays as it was");
    if (!password) {
        m_view.ShowOpenedStore();
        return true;
    }
    start({Command::Open, m_runningPath, std::move(*password)});
    return true;
}

void CArchiveCommands::Stop() {
    if (m_worker.joinable())
        m_worker.join();  // an archive is finished, not cut off
    m_stopKeep = true;
    if (m_keep.joinable())
        m_keep.join();  // told to stop: it ends before its next file
    m_waiting.reset();
}

}  // namespace app
