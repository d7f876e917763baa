#include "ClipApp.h"

#include "ClipDlg.h"
#include "ClipRules.h"
#include "StoreFormat.h"
#include "SysClipBoard.h"
#include "fw/Text.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

std::wstring programFolder() {
    wchar_t path[513] = {};
    GetModuleFileNameW(nullptr, path, 512);
    const std::u16string folder = clip::programFolder(reinterpret_cast<const char16_t*>(path));
    return std::wstring(folder.begin(), folder.end());
}

bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void openWithShell(const std::wstring& path) {
    ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, L".", SW_SHOWNORMAL);
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
    openWithShell(folder + L"pellimorlive.exe");
    Sleep(startupPauseMs());
    SetCurrentDirectoryW(folder.c_str());

    HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Pellimor");
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        if (HWND first = FindWindowW(nullptr, fw::toWide(store::kMainWindowTitle).c_str())) {
            ShowWindow(first, SW_SHOW);
            ShowWindow(first, SW_SHOWNORMAL);
        }
        ExitProcess(0);
    }
    m_pMainDlg = new CClipDlg();
    m_pMainDlg->DoModal(nullptr);
    if (mutex)
        CloseHandle(mutex);
    delete m_pMainDlg;
    m_pMainDlg = nullptr;
    return false;
}

int CClipApp::ExitInstance() {
    CSysClipBoard::releaseInstance();
    return 0;
}

bool CClipApp::ProcessMessageFilter(int code, MSG* message) {
    if (m_pMainDlg && m_pMainDlg->hwnd() && code == MSGF_DIALOGBOX && m_pMainDlg->PreTranslateMessage(message))
        return true;
    return fw::CApp::ProcessMessageFilter(code, message);
}

// The pause after starting the live-update program; tests may shorten it with
// DRAVIX_STARTUP_PAUSE_MS.
DWORD CClipApp::startupPauseMs() {
    wchar_t value[16] = {};
    if (GetEnvironmentVariableW(L"DRAVIX_STARTUP_PAUSE_MS", value, 16) > 0)
        return static_cast<DWORD>(_wtoi(value));
    return 1000;
}
