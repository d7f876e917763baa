// CClipDlg: the File menu's help and homepage commands, and the window's part of the archive
// commands (CArchiveCommands): the store opened shown again. The root node's " *" says that the
// store holds changes no archive has.
#include "app/ClipDlg.h"

#include "app/ClipApp.h"
#include "app/ClipRules.h"
#include "ui/IntroDlg.h"
#include "store/Protocol.h"
#include "store/SysClipBoard.h"
#include "base/Text.h"
#include "base/Trace.h"

#include <shellapi.h>

namespace {

// The shell opens `file` (a document or an address) with the user's program for it; nothing
// happens when there is none.
void openWithShell(const wchar_t* verb, const std::wstring& file) {
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, verb, file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    base::Trace("shell open %s: %d", base::toUtf8(file).c_str(), static_cast<int>(result));
}

}  // namespace

// The category nodes and the history view made again from the store; the preview shows nothing
// of what was there before.
void CClipDlg::ShowOpenedStore() {
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
