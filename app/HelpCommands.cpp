#include "app/HelpCommands.h"

#include "app/ProgramFolder.h"
#include "app/ClipRules.h"
#include "ui/IntroDlg.h"
#include "store/StorePaths.h"
#include "base/Text.h"
#include "base/Trace.h"

#include <windows.h>
#include <shellapi.h>

namespace app {

namespace {

// The shell opens `file` (a document or an address) with the user's program for it; nothing
// happens when there is none.
void openWithShell(const wchar_t* verb, const std::wstring& file) {
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, verb, file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    base::Trace("shell open %s: %d", base::toUtf8(file).c_str(), static_cast<int>(result));
}

}  // namespace

void openHelp() {
    const std::wstring folder = programFolder();
    SetCurrentDirectoryW(folder.c_str());
    openWithShell(nullptr, std::wstring(app::kHelpFile));
}

void openHomepage() {
    openWithShell(L"open", std::wstring(app::kHomepageUrl));
}

void showIntroOnce(const std::string& storeFolder) {
    ui::CIntroDlg intro(std::wstring(app::kIntroFile), base::toWide(store::joinPath(storeFolder, app::kIntroOffMarker)));
    if (intro.LoadText())
        intro.DoModal(nullptr);
}

}  // namespace app
