// The store's file operations on a POSIX host, so that the store can be tested and measured
// natively.
#include "store/FileSystem.h"

#include "xml/FileUtf8.h"
#include "store/StorePaths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <csignal>
#include <cerrno>

#include <atomic>
#include <cstdlib>
#include <filesystem>

using xml::readFileBytes;

namespace fs = std::filesystem;

namespace store {

const std::string& userStoreFolder() {
    static const std::string folder = [] {
        const char* home = std::getenv("HOME");
        const std::string path = joinPath(home ? home : "/tmp", ".dravix");
        std::error_code error;
        fs::create_directories(path, error);
        return path;
    }();
    return folder;
}

namespace files {

bool exists(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::exists(path, error);
}

bool isReadable(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::is_regular_file(path, error) && access(path.c_str(), R_OK) == 0;
}

bool isFolder(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::is_directory(path, error);
}

std::optional<std::string> readAll(const std::string& path) {
    if (path.empty())
        return std::nullopt;
    return readFileBytes(path);
}

unsigned long currentProcessId() {
    return static_cast<unsigned long>(getpid());
}

bool processRunning(unsigned long id) {
    return id != 0 && (kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM);
}

bool writeFile(const std::string& path, std::string_view bytes) {
    return writeFiles({{path, bytes}});
}

bool writeFiles(const FileContents& contents) {
    for (const auto& [path, bytes] : contents)
        if (path.empty())
            return false;
    std::vector<int> opened;
    bool written = true;
    for (auto [path, bytes] : contents) {
        const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (file < 0) {
            written = false;
            break;
        }
        opened.push_back(file);
        while (written && !bytes.empty()) {
            const ssize_t got = write(file, bytes.data(), bytes.size());
            written = got > 0;
            if (written)
                bytes.remove_prefix(static_cast<std::size_t>(got));
        }
        if (!written)
            break;
    }
    for (int file : opened)
        written = written && fsync(file) == 0;
    for (int file : opened)
        written = close(file) == 0 && written;
    for (std::size_t i = 0; !written && i < opened.size(); ++i)
        unlink(contents[i].first.c_str());
    return written;
}

bool replace(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

std::optional<std::string> readStart(const std::string& path, std::size_t count) {
    const int file = path.empty() ? -1 : open(path.c_str(), O_RDONLY);
    if (file < 0)
        return std::nullopt;
    std::string bytes(count, '\0');
    const ssize_t got = read(file, bytes.data(), count);
    close(file);
    if (got < 0)
        return std::nullopt;
    bytes.resize(static_cast<std::size_t>(got));
    return bytes;
}

bool rename(const std::string& from, const std::string& to) {
    return !exists(to) && std::rename(from.c_str(), to.c_str()) == 0;
}

// Only a file is moved aside (Windows moves no folder over a file name either).
bool moveAside(const std::string& path, const std::string& aside) {
    return !isFolder(path) && rename(path, aside);
}

bool copy(const std::string& from, const std::string& to) {
    std::error_code error;
    return !from.empty() && !to.empty() && fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
}

bool linkOrCopy(const std::string& from, const std::string& to) {
    std::error_code error;
    if (from.empty() || to.empty())
        return false;
    fs::create_hard_link(from, to, error);
    return !error || copy(from, to);
}

bool remove(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::remove(path, error);
}

bool createFolder(const std::string& path) {
    std::error_code error;
    fs::create_directories(path, error);
    return fs::is_directory(path, error);
}

bool deleteTree(const std::string& path) {
    std::error_code error;
    return fs::remove_all(path, error) > 0 && !error;
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.is_regular_file(error))
            names.push_back(entry.path().filename().string());
    return names;
}

std::vector<FileEntry> fileEntriesIn(const std::string& folder) {
    std::vector<FileEntry> entries;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        struct stat status {};
        if (!entry.is_regular_file(error) || stat(entry.path().c_str(), &status) != 0)
            continue;
        entries.push_back({entry.path().filename().string(), static_cast<std::uint64_t>(status.st_size),
                           static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000 + status.st_mtim.tv_nsec / 1000});
    }
    return entries;
}

std::int64_t currentFileTime() {
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

std::vector<std::string> foldersIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.is_directory(error) && !entry.is_symlink(error))
            names.push_back(entry.path().filename().string());
    return names;
}

bool copyTree(const std::string& from, const std::string& to) {
    std::error_code error;
    if (from.empty() || to.empty() || !fs::is_directory(from, error) || fs::exists(to, error))
        return false;
    fs::copy(from, to, fs::copy_options::recursive, error);
    return !error;
}

}  // namespace files

}  // namespace store
