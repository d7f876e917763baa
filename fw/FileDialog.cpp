#include "fw/FileDialog.h"

#include "base/Check.h"

#include <commdlg.h>
#include <shlobj.h>

namespace fw {

namespace {

// The common dialogs' library is loaded the first time a file dialog opens, from the system's
// folder: with it come the printing libraries (several megabytes the program would otherwise
// hold from its start for a dialog most runs never open).
using FileDialogFunction = BOOL(WINAPI*)(OPENFILENAMEW*);
FileDialogFunction fileDialog(bool save) {
    static const HMODULE library = CHECK_WIN32(LoadLibraryExW(L"comdlg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!library)
        return nullptr;
    return reinterpret_cast<FileDialogFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, save ? "GetSaveFileNameW" : "GetOpenFileNameW")));
}

std::wstring currentDirectory() {
    std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
    folder.resize(GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
    return folder;
}

}  // namespace

std::wstring ChooseFile(HWND owner, const FileDialogRequest& request) {
    wchar_t path[MAX_PATH] = {};
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = request.filter.empty() ? nullptr : request.filter.c_str();
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    dialog.lpstrInitialDir = request.folder.empty() ? nullptr : request.folder.c_str();
    dialog.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_NOCHANGEDIR |
                   (request.save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    // The dialog may move the current directory all the same; the program's files are read from it.
    const std::wstring folder = currentDirectory();
    const FileDialogFunction show = fileDialog(request.save);
    const bool chosen = show && show(&dialog);
    SetCurrentDirectoryW(folder.c_str());
    return chosen ? std::wstring(path) : std::wstring();
}

std::wstring PickFolder(HWND owner, const std::wstring& prompt) {
    BROWSEINFOW browse = {};
    browse.hwndOwner = owner;
    browse.lpszTitle = prompt.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST picked = SHBrowseForFolderW(&browse);
    if (!picked)
        return {};
    wchar_t path[MAX_PATH] = {};
    const bool named = SHGetPathFromIDListW(picked, path) != FALSE;
    CoTaskMemFree(picked);
    return named ? path : std::wstring();
}

}  // namespace fw
