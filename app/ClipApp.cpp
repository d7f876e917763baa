#include "app/ClipApp.h"

#include "search/IndexBuilder.h"
#include "search/SealedAccess.h"

#include "capture/CaptureDlg.h"

#include "app/ClipDlg.h"
#include "app/ProgramFolder.h"
#include "app/ClipRules.h"
#include "app/PrivacyCommands.h"
#include "store/FileSystem.h"
#include "store/PasteQueue.h"
#include "store/Protocol.h"
#include "store/StoreFile.h"
#include "ui/StoreMessages.h"
#include "store/SysClipBoard.h"
#include "store/TimeStamp.h"
#include "app/UserSwitches.h"
#include "base/Check.h"
#include "base/Handle.h"
#include "base/Text.h"
#include "base/Trace.h"
#include "fw/Settings.h"
#include "fw/Window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <atomic>
#include <memory>
#include <optional>

namespace app {

namespace {

bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void openWithShell(const std::wstring& path) {
    ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, L".", SW_SHOWNORMAL);
}

std::wstring mainTitle() {
    return base::toWide(store::kMainWindowTitle);
}

// A store file met damaged (by us or by the hook library in another application) is reported
// by the main window once its message loop runs, not in the middle of a store operation.
void reportStoreDamage(const std::string&) {
    if (HWND main = fw::FindTopLevelWindow(mainTitle(), store::kMainListId))
        PostMessageW(main, store::kMsgStoreDamaged, 0, 0);
}

}  // namespace

bool CClipApp::InitInstance() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    const std::wstring folder = programFolder();
    if (exists(folder + L"pellimornew")) {
        openWithShell(folder + L"pellimorvchange.exe");
        return false;
    }
    const std::wstring updater = folder + L"pellimorvchange.exe";
    if (exists(updater + L".pellimor!")) {
        DeleteFileW(updater.c_str());
        MoveFileW((updater + L".pellimor!").c_str(), updater.c_str());
    }
    // The live-update program is given its moment before we go on; where it is not installed
    // there is nothing to wait for, and the second would be felt at every start.
    const std::wstring liveUpdate = folder + L"pellimorlive.exe";
    if (exists(liveUpdate)) {
        openWithShell(liveUpdate);
        Sleep(startupPauseMs());
    }
    SetCurrentDirectoryW(folder.c_str());

    base::UniqueKernelObject mutex(CHECK_WIN32(CreateMutexW(nullptr, FALSE, L"Pellimor")));
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        if (HWND first = fw::FindTopLevelWindow(mainTitle(), store::kMainListId)) {
            ShowWindow(first, SW_SHOW);
            ShowWindow(first, SW_SHOWNORMAL);
        }
        return false;
    }

    // The hook library, bound by name: without it or one of its exports the program ends
    // silently; a library without its menu pictures is reported once.
    HookLibrary hook;
    if (!hook.load(L"Latchkit.dll"))
        return false;
    if (!hook.hasMenuImages()) {
        MessageBoxW(nullptr, base::toWide(app::kLoadIconError).c_str(), mainTitle().c_str(), MB_OK | MB_ICONERROR);
        return false;
    }
    // Sealed or not from the first data file written, the previous run's kept included.
    applyStoreSealing(readPrivacySwitches().sealStore, hook);
    store::CSysClipBoard* store = store::CSysClipBoard::getInstance();
    if (!store)
        return false;
    store::CSysClipBoard::setMessageHandler(ui::showStoreMessage);
    auto dialog = std::make_unique<CClipDlg>(std::move(hook), *store);
    // The runs kept, by the user's count or size, from the keep of this start on.
    store->setRunLimit(store::runLimitFromSettings(fw::ReadUserDword(store::kSettingsKey, store::kKeptRunsSetting),
                                                   fw::ReadUserDword(store::kSettingsKey, store::kKeptRunsMegabytesSetting)));
    startStore(*store, *dialog);
    store::setDamageReporter(reportStoreDamage);
    m_pMainDlg = dialog.get();
    dialog->DoModal(nullptr);
    m_pMainDlg = nullptr;
    return false;
}

namespace {

// A run just kept gets its search index in the keep's thread, off the window (a run never
// changes once kept, so it is made once).
void indexKeptRun(const std::string& keptAs, const std::atomic<bool>& stop) {
    if (keptAs.empty() || stop)
        return;
    const search::BuiltIndex built = search::buildIndex(keptAs, search::sealedStoreAccess());
    base::Trace("search index of the run kept: %d", static_cast<int>(built.outcome));
}

}  // namespace

// The store starts empty, but the previous run is kept first (File > open the last run). With
// "启动时恢复上次的记录" on, a store that can be read goes on as it is, and is kept as a run once the
// window is up; else the run just kept is opened as the store.
void CClipApp::startStore(const store::CSysClipBoard& store, CClipDlg& dialog) {
    const std::string stamp = store::currentTimeStamp();
    const bool restore = userSwitchOn(store::kRestoreLastRunSetting);
    std::vector<std::string> notes;
    if (restore && store.continueLastRun(notes)) {
        base::Trace("last run at start: restored (the store goes on)");
        for (const std::string& note : notes)
            base::Trace("last run: %s", note.c_str());
        dialog.NoteLastRun(true, {});
        dialog.RunAfterFirstPaint([&store, stamp](const std::atomic<bool>& stop) {
            const store::LiveRunKept kept = store.keepLiveRun(stamp, stop);
            base::Trace("last run kept while the store goes on: %s (%d)", kept.keptAs.c_str(), static_cast<int>(kept.result));
            for (const std::string& note : kept.notes)
                base::Trace("last run kept: %s", note.c_str());
            indexKeptRun(kept.keptAs, stop);
        });
        return;
    }
    // The queue of the last run comes back with it (the numbers name the same clips).
    const std::optional<store::PasteQueue> queue =
        restore ? store::readPasteQueue(store.paths().statusFile()) : std::nullopt;
    const store::PreviousRun previous = store.keepPreviousRun(stamp, endAtKeepStep());
    base::Trace("previous run: %s %s", previous.kept == store::KeptRun::Kept      ? "kept as"
                                     : previous.kept == store::KeptRun::Damaged ? "damaged, kept whole in"
                                     : previous.kept == store::KeptRun::Failed  ? "not all kept in the runs folder:"
                                                                         : "nothing to keep",
              previous.keptAs.c_str());
    for (const std::string& note : previous.notes)
        base::Trace("previous run: %s", note.c_str());
    if (previous.kept == store::KeptRun::Kept)
        dialog.NoteKeptRun(previous.keptAs);
    dialog.RunAfterFirstPaint([keptAs = previous.keptAs](const std::atomic<bool>& stop) { indexKeptRun(keptAs, stop); });
    store.resetStore(previous);
    if (restore && restoreLastRun(store, previous, dialog) && queue && !queue->empty() &&
        !store::appendToPasteQueue(store.paths().statusFile(), *queue))
        base::Trace("last run at start: its paste queue could not be written back");
}

// The run just kept comes back as the store, as File > "打开上次的记录" opens it, before the window
// and the recorder exist (nothing else writes the store yet). Its files are shared with the run,
// not copied. True when it came back.
bool CClipApp::restoreLastRun(const store::CSysClipBoard& store, const store::PreviousRun& previous, CClipDlg& dialog) {
    std::optional<store::ArchiveResult> opened;
    if (previous.kept == store::KeptRun::Kept && !previous.keptAs.empty())
        opened = store.openArchive(previous.keptAs, nullptr, store::ArchiveFiles::Shared);
    base::Trace("last run at start: %s (%d)", !opened ? "nothing to restore" : opened == store::ArchiveResult::Done ? "restored" : "not restored",
              opened ? static_cast<int>(*opened) : -1);
    dialog.NoteLastRun(opened == store::ArchiveResult::Done, app::lastRunNotRestoredText(previous, opened));
    return opened == store::ArchiveResult::Done;
}

int CClipApp::ExitInstance() {
    store::CSysClipBoard::releaseInstance();
    return 0;
}

bool CClipApp::ProcessMessageFilter(int code, MSG* message) {
    if (filterCaptureKeys(*message))
        return true;
    if (m_pMainDlg && m_pMainDlg->hwnd() && code == MSGF_DIALOGBOX && m_pMainDlg->PreTranslateMessage(message))
        return true;
    return fw::CApp::ProcessMessageFilter(code, message);
}

// While the screen capture is open: the arrow keys move its selection by a pixel (with Shift they
// resize it) and go on as usual; Enter copies the selection and never reaches the dialog's own
// handling.
bool CClipApp::filterCaptureKeys(const MSG& message) {
    capture::CCaptureDlg* capture = capture::CCaptureDlg::current();
    if (!capture || !capture->hwnd() || message.message != WM_KEYDOWN ||
        (message.hwnd != capture->hwnd() && !IsChild(capture->hwnd(), message.hwnd)))
        return false;
    if (message.wParam == VK_RETURN) {
        capture->OnEnterKey();
        return true;
    }
    if (capture->hasSelection()) {
        const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        const capture::Rect moved = capture::nudged(capture->selection(), static_cast<unsigned>(message.wParam), shift);
        if (moved != capture->selection())
            capture->SetSelection(moved);
    }
    return false;
}

// Tests end the program at a step of keeping the previous run, as a crash there would
// (DRAVIX_END_AT_KEEP_STEP names the step, see KeepStep); otherwise nothing.
store::KeepStep CClipApp::endAtKeepStep() {
    wchar_t value[64] = {};
    if (GetEnvironmentVariableW(L"DRAVIX_END_AT_KEEP_STEP", value, 64) == 0)
        return nullptr;
    return [step = base::toUtf8(value)](std::string_view done) {
        if (done != step)
            return;
        base::Trace("ended at the step \"%s\" of keeping the previous run", step.c_str());
        TerminateProcess(GetCurrentProcess(), 3);
    };
}

// The pause after starting the live-update program; tests may shorten it with
// DRAVIX_STARTUP_PAUSE_MS.
DWORD CClipApp::startupPauseMs() {
    wchar_t value[16] = {};
    if (GetEnvironmentVariableW(L"DRAVIX_STARTUP_PAUSE_MS", value, 16) > 0)
        return static_cast<DWORD>(_wtoi(value));
    return 1000;
}

}  // namespace app
