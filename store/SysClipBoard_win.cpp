// CSysClipBoard: the Windows pieces. Every call takes its W form; paths are UTF-8 inside.
#include "SysClipBoard.h"

#include "StoreFormat.h"
#include "XmlDocument.h"

#include <windows.h>
#include <commctrl.h>
#include <io.h>
#include <shellapi.h>

namespace {

std::wstring wide(std::string_view text) {
    const std::u16string utf16 = utf8ToUtf16(text);
    return std::wstring(utf16.begin(), utf16.end());
}

std::string narrow(const wchar_t* text) {
    return utf16ToUtf8(reinterpret_cast<const char16_t*>(text));
}

}  // namespace

CSysClipBoard* CSysClipBoard::getInstance() {
    CSysClipBoard*& instance = instanceSlot();
    if (!instance) {
        wchar_t buffer[MAX_PATH] = {};
        GetWindowsDirectoryW(buffer, MAX_PATH);
        instance = new (std::nothrow) CSysClipBoard(narrow(buffer));
    }
    return instance;
}

std::u16string CSysClipBoard::codePageToUtf16(std::string_view bytes) {
    if (bytes.empty())
        return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::u16string text(static_cast<std::size_t>(length), u'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(text.data()), length);
    return text;
}

bool CSysClipBoard::copyFile(const std::string& from, const std::string& to) {
    return CopyFileW(wide(from).c_str(), wide(to).c_str(), FALSE) != 0;
}

// Creates the folder and any missing folders above it.
bool CSysClipBoard::createFolder(const std::string& path) {
    const std::wstring target = wide(path);
    if (CreateDirectoryW(target.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        return true;
    const std::size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos || cut == 0 || path[cut - 1] == ':' || !createFolder(path.substr(0, cut)))
        return false;
    return CreateDirectoryW(target.c_str(), nullptr) != 0;
}

bool CSysClipBoard::isReadableFile(const std::string& path) {
    return _waccess(wide(path).c_str(), 4) == 0;
}

bool CSysClipBoard::replaceFile(const std::string& from, const std::string& to) {
    return MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
}

void CSysClipBoard::removeFile(const std::string& path) {
    DeleteFileW(wide(path).c_str());
}

std::vector<std::string> CSysClipBoard::filesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(wide(folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(narrow(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

void CSysClipBoard::defaultMessage(const std::string& text) {
    MessageBoxW(GetActiveWindow(), wide(text).c_str(), wide(store::kMainWindowTitle).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
}

// The shell deletes the folder and everything in it: no confirmation, silent, no error
// interface. pFrom is a list ended by a double zero.
bool CSysClipBoard::deleteTree(const std::string& path) const {
    wchar_t from[MAX_PATH + 1] = {};
    const std::wstring source = wide(path);
    if (source.size() >= MAX_PATH - 1)
        return false;
    source.copy(from, source.size());
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from;
    operation.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}

void CSysClipBoard::fillCategoryTree(HWND tree, HTREEITEM categoryRoot) const {
    for (const std::string& name : categoryNames()) {
        std::wstring text = wide(name);
        TVINSERTSTRUCTW insert = {};
        insert.hParent = categoryRoot;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.pszText = text.data();
        insert.item.iImage = 3;
        insert.item.iSelectedImage = 3;
        SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
    }
}

// Command ids from 110000 up, in the order of the categories.
bool CSysClipBoard::fillCategoryMenu(HMENU menu) const {
    UINT_PTR command = kFirstCategoryCommand;
    bool added = false;
    for (const std::string& name : categoryNames())
        added |= AppendMenuW(menu, MF_STRING, command++, wide(name).c_str()) != 0;
    return added;
}
