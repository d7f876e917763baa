// The store's file operations on Windows: W calls throughout.
#include "store/FileSystem.h"

#include "store/StorePaths.h"
#include "base/Handle.h"
#include "base/Text.h"
#include "base/Trace.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <atomic>
#include <cwchar>

using base::toUtf8;
using base::toWide;

namespace store {

namespace {

bool writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

std::string computeUserStoreFolder() {
    wchar_t base[MAX_PATH] = {};
    std::wstring folder;
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, base)))
        folder = base;
    else if (GetTempPathW(MAX_PATH, base))
        folder = base;
    while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.pop_back();
    folder += L"\\Dravix";
    CreateDirectoryW(folder.c_str(), nullptr);
    return toUtf8(folder);
}

}  // namespace

const std::string& userStoreFolder() {
    static const std::string folder = computeUserStoreFolder();
    return folder;
}

namespace files {

bool exists(const std::string& path) {
    return !path.empty() && GetFileAttributesW(toWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isReadable(const std::string& path) {
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(toWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isFolder(const std::string& path) {
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(toWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Read with every kind of sharing, deletion included, so that a writer may replace the file
// while we read it (we go on reading the old one).
std::optional<std::string> readAll(const std::string& path) {
    if (path.empty())
        return std::nullopt;
    const base::UniqueFile file(CreateFileW(toWide(path).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return std::nullopt;
    std::string bytes;
    LARGE_INTEGER size = {};
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 && size.QuadPart < (1LL << 31))
        bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) != 0) && got > 0)
        bytes.append(buffer, got);
    if (!ok)
        return std::nullopt;
    return bytes;
}

std::optional<std::string> readStart(const std::string& path, std::size_t count) {
    if (path.empty() || count > (1u << 20))
        return std::nullopt;
    const base::UniqueFile file(CreateFileW(toWide(path).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    std::string bytes(count, '\0');
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(count), &got, nullptr))
        return std::nullopt;
    bytes.resize(got);
    return bytes;
}

unsigned long currentProcessId() {
    return GetCurrentProcessId();
}

// A process that ended but whose handle someone still holds answers with an exit code.
bool processRunning(unsigned long id) {
    if (id == 0)
        return false;
    const base::UniqueKernelObject process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;  // another user's: it runs
    DWORD code = 0;
    return GetExitCodeProcess(process.get(), &code) && code == STILL_ACTIVE;
}

bool writeFile(const std::string& path, std::string_view bytes) {
    return writeFiles({{path, bytes}});
}

bool writeFiles(const FileContents& contents) {
    for (const auto& [path, bytes] : contents)
        if (path.empty())
            return false;
    std::vector<base::UniqueFile> opened;
    bool written = true;
    for (const auto& [path, bytes] : contents) {
        base::UniqueFile file(CreateFileW(toWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file) {
            written = false;
            break;
        }
        opened.push_back(std::move(file));
        if (!(written = writeAll(opened.back().get(), bytes)))
            break;
    }
    for (std::size_t i = 0; written && i < opened.size(); ++i)
        written = FlushFileBuffers(opened[i].get()) != 0;
    const std::size_t created = opened.size();
    opened.clear();  // closed before they are deleted
    for (std::size_t i = 0; !written && i < created; ++i)
        DeleteFileW(toWide(contents[i].first).c_str());
    return written;
}

namespace {

// A refused file operation goes to the trace; the caller learns it failed.
bool reportFailure(const char* call) {
    base::ReportFailure(call);
    return false;
}

// A read-only file is neither replaced nor moved aside (Windows refuses to replace one; Wine would
// not, so we ask first). A reader that does not share deletion (a virus scanner, an editor) blocks
// the move for a moment; our own readers share it and never do.
bool moveRetrying(const std::string& from, const std::string& to, DWORD flags, const std::string& mustBeWritable) {
    const DWORD attributes = GetFileAttributesW(toWide(mustBeWritable).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return reportFailure("MoveFileExW");
    }
    const std::wstring source = toWide(from), target = toWide(to);
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (MoveFileExW(source.c_str(), target.c_str(), flags | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)
            return reportFailure("MoveFileExW");
        Sleep(10);
    }
    return reportFailure("MoveFileExW");
}

}  // namespace

bool replace(const std::string& from, const std::string& to) {
    return moveRetrying(from, to, MOVEFILE_REPLACE_EXISTING, to);
}

// Only a file is moved aside: a folder where a clip's file should be is not ours to move.
bool moveAside(const std::string& path, const std::string& aside) {
    if (isFolder(path)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return reportFailure("MoveFileExW");
    }
    return moveRetrying(path, aside, 0, path);
}

bool rename(const std::string& from, const std::string& to) {
    return MoveFileExW(toWide(from).c_str(), toWide(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0 ||
           reportFailure("MoveFileExW");
}

bool copy(const std::string& from, const std::string& to) {
    return !from.empty() && !to.empty() && CopyFileW(toWide(from).c_str(), toWide(to).c_str(), FALSE) != 0;
}

// CreateHardLinkW needs both names on one NTFS volume; FAT and network shares refuse it.
bool linkOrCopy(const std::string& from, const std::string& to) {
    if (from.empty() || to.empty())
        return false;
    return CreateHardLinkW(toWide(to).c_str(), toWide(from).c_str(), nullptr) != 0 || copy(from, to);
}

bool remove(const std::string& path) {
    return !path.empty() && DeleteFileW(toWide(path).c_str()) != 0;
}

bool createFolder(const std::string& path) {
    if (path.empty())
        return false;
    const std::wstring target = toWide(path);
    if (CreateDirectoryW(target.c_str(), nullptr))
        return true;
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return isFolder(path);  // a file of that name is no folder
    const std::size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos || cut == 0 || path[cut - 1] == ':' || !createFolder(path.substr(0, cut)))
        return false;
    return CreateDirectoryW(target.c_str(), nullptr) != 0;
}

// The shell deletes the folder and everything in it: no confirmation, silent, no error
// interface. pFrom is a list ended by a double zero.
bool deleteTree(const std::string& path) {
    const std::wstring source = toWide(path);
    if (source.empty() || source.size() >= MAX_PATH - 1)
        return false;
    wchar_t from[MAX_PATH + 1] = {};
    source.copy(from, source.size());
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from;
    operation.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}

namespace {

// Calls `found` for every entry of the folder but "." and "..".
template <typename Found>
void forEachEntry(const std::string& folder, Found found) {
    WIN32_FIND_DATAW entry;
    const base::UniqueFind search(FindFirstFileW(toWide(joinPath(folder, "*")).c_str(), &entry));
    if (!search)
        return;
    do {
        if (std::wcscmp(entry.cFileName, L".") != 0 && std::wcscmp(entry.cFileName, L"..") != 0)
            found(entry);
    } while (FindNextFileW(search.get(), &entry));
}

}  // namespace

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    forEachEntry(folder, [&](const WIN32_FIND_DATAW& entry) {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(toUtf8(entry.cFileName));
    });
    return names;
}


std::vector<FileEntry> fileEntriesIn(const std::string& folder) {
    std::vector<FileEntry> entries;
    forEachEntry(folder, [&](const WIN32_FIND_DATAW& entry) {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            return;
        const std::uint64_t size = (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
        const std::uint64_t time =
            (static_cast<std::uint64_t>(entry.ftLastWriteTime.dwHighDateTime) << 32) | entry.ftLastWriteTime.dwLowDateTime;
        entries.push_back({toUtf8(entry.cFileName), size, static_cast<std::int64_t>(time / 10)});
    });
    return entries;
}

std::int64_t currentFileTime() {
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    return static_cast<std::int64_t>(((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime) / 10);
}

std::vector<std::string> foldersIn(const std::string& folder) {
    std::vector<std::string> names;
    forEachEntry(folder, [&](const WIN32_FIND_DATAW& entry) {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            names.push_back(toUtf8(entry.cFileName));
    });
    return names;
}

bool copyTree(const std::string& from, const std::string& to) {
    if (from.empty() || to.empty() || !isFolder(from) || exists(to) || !CreateDirectoryW(toWide(to).c_str(), nullptr))
        return false;
    bool copied = true;
    forEachEntry(from, [&](const WIN32_FIND_DATAW& entry) {
        const std::string name = toUtf8(entry.cFileName);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            return;  // a link is not part of the folder's own contents
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            copied = copyTree(joinPath(from, name), joinPath(to, name)) && copied;
        else
            copied = copy(joinPath(from, name), joinPath(to, name)) && copied;
    });
    return copied;
}

}  // namespace files

}  // namespace store
