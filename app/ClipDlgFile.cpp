// CClipDlg: the File, help and homepage commands. Saving keeps the store beyond the run as an
// archive; opening replaces the store by one. The root node's " *" says that the store holds
// changes no archive has.
#include "app/ClipDlg.h"

#include "store/ArchivePaths.h"
#include "app/ClipApp.h"
#include "app/ClipRules.h"
#include "ui/IntroDlg.h"
#include "store/Protocol.h"
#include "store/SysClipBoard.h"
#include "base/Barrier.h"
#include "base/Text.h"
#include "base/Trace.h"

#include <commdlg.h>
#include <shellapi.h>

namespace {

std::wstring folderOf(const std::wstring& path) {
    const std::size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

// The shell opens `file` (a document or an address) with the user's program for it; nothing
// happens when there is none.
void openWithShell(const wchar_t* verb, const std::wstring& file) {
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, verb, file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    base::Trace("shell open %s: %d", base::toUtf8(file).c_str(), static_cast<int>(result));
}

// The common dialogs' library is loaded the first time a file dialog opens, from the system's
// folder: with it come the printing libraries (several megabytes the program would otherwise
// hold from its start for a dialog most runs never open).
using FileDialogFunction = BOOL(WINAPI*)(OPENFILENAMEW*);
FileDialogFunction fileDialog(bool save) {
    static const HMODULE library = LoadLibraryExW(L"comdlg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!library) {
        base::ReportFailure("LoadLibraryExW comdlg32.dll");
        return nullptr;
    }
    return reinterpret_cast<FileDialogFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, save ? "GetSaveFileNameW" : "GetOpenFileNameW")));
}

}  // namespace

// The file dialog for archives, starting in `folder`: a save form accepts a new name and asks
// before it replaces a file; an open form wants an existing one.
std::wstring CClipDlg::chooseArchive(bool save, const std::wstring& folder) {
    wchar_t path[MAX_PATH] = {};
    const std::wstring filter(clip::kArchiveFilter);
    const std::wstring extension(clip::kArchiveExtension);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = hwnd();
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = folder.c_str();
    dialog.lpstrDefExt = extension.c_str();
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const FileDialogFunction show = fileDialog(save);
    const bool chosen = show && show(&dialog);
    // The dialog may have moved the current directory; the program's files are read from it.
    SetCurrentDirectoryW(CClipApp::programFolder().c_str());
    return chosen ? std::wstring(path) : std::wstring();
}

bool CClipDlg::reportArchive(ArchiveResult result, bool saving, const std::wstring& path) {
    const std::string text = clip::archiveFailureText(result, saving, base::toUtf8(path));
    if (text.empty())
        return true;
    MessageBoxW(hwnd(), base::toWide(text).c_str(), base::toWide(store::kMainWindowTitle).c_str(), MB_OK | MB_ICONERROR);
    return false;
}

// A save that failed says why and keeps the mark: the changes are not kept anywhere yet. Only a
// save that succeeded makes its file the one a later plain Save writes.
void CClipDlg::OnFileSave(bool choose) {
    if (refuseWhileArchiveBusy())
        return;
    std::wstring path = m_strArchivePath;
    if (choose || path.empty()) {
        path = chooseArchive(true, CClipApp::programFolder());
        if (path.empty())
            return;
    }
    startArchive(ArchiveCommand::Save, path);
}

// Whether or not the user chose an archive, the category nodes and the history view are made
// again from the store.
void CClipDlg::OnFileOpen() {
    if (refuseWhileArchiveBusy())
        return;
    const std::wstring start = m_strArchivePath.empty() ? CClipApp::programFolder() : folderOf(m_strArchivePath);
    const std::wstring path = chooseArchive(false, start);
    if (path.empty())
        showOpenedStore();
    else
        startArchive(ArchiveCommand::Open, path);
}

// The newest run kept at a start comes back as the store. It stays the program's file: a later
// plain Save still asks where to save.
void CClipDlg::OnFileOpenLastRun() {
    if (refuseWhileArchiveBusy())
        return;
    const std::string run = m_store.newestKeptRun();
    if (run.empty()) {
        MessageBoxW(hwnd(), base::toWide(clip::kNoKeptRunMessage).c_str(), base::toWide(store::kMainWindowTitle).c_str(),
                    MB_OK | MB_ICONINFORMATION);
        return;
    }
    startArchive(ArchiveCommand::OpenLastRun, base::toWide(run));
}

// One archive command at a time; another one asked for meanwhile is refused with a beep (the
// status line says what is under way).
bool CClipDlg::refuseWhileArchiveBusy() {
    if (m_archiveWorker.joinable())
        MessageBeep(MB_ICONWARNING);
    return m_archiveWorker.joinable();
}

// An archive command runs in a thread of its own: the window keeps answering, the status line
// tells how far it is, and the outcome comes back as a message.
void CClipDlg::startArchive(ArchiveCommand command, const std::wstring& path) {
    m_archiveCommand = command;
    m_archiveTaskPath = path;
    const bool saving = command == ArchiveCommand::Save;
    setStatusText(base::toWide(clip::archiveProgressText(saving, 0)));
    base::Trace("archive command %d started", static_cast<int>(command));
    // A kept run lies beside the store and only the program writes it: its files are shared.
    const ArchiveFiles how = command == ArchiveCommand::OpenLastRun ? ArchiveFiles::Shared : ArchiveFiles::Copied;
    m_archiveWorker = std::thread([window = hwnd(), store = &m_store, saving, how, target = base::toUtf8(path)] {
        int told = 0;
        const ArchiveProgress progress = [&](std::size_t done, std::size_t total) {
            const int percent = static_cast<int>(done * 100 / total);
            if (percent != told && PostMessageW(window, kMsgArchiveProgress, static_cast<WPARAM>(percent), 0))
                told = percent;
        };
        const ArchiveResult result = base::Guarded("archive", ArchiveResult::WriteFailed, [&] {
            return saving ? store->saveArchive(target, progress) : store->openArchive(target, progress, how);
        });
        PostMessageW(window, kMsgArchiveDone, static_cast<WPARAM>(result), 0);
    });
}

void CClipDlg::OnArchiveProgress(int percent) {
    if (m_archiveWorker.joinable())
        setStatusText(base::toWide(clip::archiveProgressText(m_archiveCommand == ArchiveCommand::Save, percent)));
}

void CClipDlg::OnArchiveDone(ArchiveResult result) {
    if (m_archiveWorker.joinable())
        m_archiveWorker.join();
    base::Trace("archive command %d done: %d", static_cast<int>(m_archiveCommand), static_cast<int>(result));
    showRows();  // the status line as it was
    const bool done = reportArchive(result, m_archiveCommand == ArchiveCommand::Save, m_archiveTaskPath);
    switch (m_archiveCommand) {
    case ArchiveCommand::Save:
        if (done) {
            m_strArchivePath = m_archiveTaskPath;
            setRootText(false);
        }
        break;
    case ArchiveCommand::Open:
        if (done)
            m_strArchivePath = m_archiveTaskPath;
        showOpenedStore();
        break;
    case ArchiveCommand::OpenLastRun:
        showOpenedStore();
        break;
    }
}

// The category nodes and the history view made again from the store; the preview shows nothing
// of what was there before.
void CClipDlg::showOpenedStore() {
    m_categories.RebuildCategories({m_hCollection, m_hHotkeys, m_hQueue});
    queueChanged();  // opening an archive emptied it
    if (m_tree.GetSelectedItem() == m_hCollection)
        FillClipList(m_hCollection);
    else
        m_tree.SelectItem(m_hCollection);  // the selection change fills the history view
    ShowPreview(-1);
}

void CClipDlg::OnHelp() {
    const std::wstring folder = CClipApp::programFolder();
    SetCurrentDirectoryW(folder.c_str());
    openWithShell(nullptr, std::wstring(clip::kHelpFile));
}

void CClipDlg::showIntroOnce() {
    CIntroDlg intro(std::wstring(clip::kIntroFile),
                    base::toWide(store::joinPath(m_store.getWindowsDir(), clip::kIntroOffMarker)));
    if (intro.LoadText())
        intro.DoModal(nullptr);
}

void CClipDlg::OnHomepage() {
    openWithShell(L"open", std::wstring(clip::kHomepageUrl));
}
