// The system's Open and Save As dialogs, and its folder picker.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

struct FileDialogRequest {
    bool save = false;              // Save As: asks before it replaces a file; Open wants one that exists
    std::wstring title;             // empty: the system's own
    std::wstring filter;            // "name\0*.ext\0...", as OPENFILENAME takes it
    std::wstring defaultExtension;  // without the dot
    std::wstring folder;            // where it opens; empty: the system's choice
};

// The path the user chose; empty when the dialog was cancelled. The current directory is the same
// afterwards.
std::wstring ChooseFile(HWND owner, const FileDialogRequest& request);

// A folder of the file system picked in the system's folder dialog, with `prompt` above its tree;
// empty when none was.
std::wstring PickFolder(HWND owner, const std::wstring& prompt);

}  // namespace fw
