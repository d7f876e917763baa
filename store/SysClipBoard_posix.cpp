// CSysClipBoard: the file pieces on a POSIX host, so the store operations can be tested and
// measured natively. Text of format 1 is taken as UTF-8 here.
#include "SysClipBoard.h"

#include "XmlDocument.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

std::u16string CSysClipBoard::codePageToUtf16(std::string_view bytes) {
    return utf8ToUtf16(bytes);
}

bool CSysClipBoard::copyFile(const std::string& from, const std::string& to) {
    std::error_code error;
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
}

bool CSysClipBoard::createFolder(const std::string& path) {
    std::error_code error;
    fs::create_directories(path, error);
    return fs::is_directory(path, error);
}

bool CSysClipBoard::isReadableFile(const std::string& path) {
    return access(path.c_str(), R_OK) == 0;
}

bool CSysClipBoard::replaceFile(const std::string& from, const std::string& to) {
    std::error_code error;
    fs::rename(from, to, error);
    return !error;
}

void CSysClipBoard::removeFile(const std::string& path) {
    std::error_code error;
    fs::remove(path, error);
}

std::vector<std::string> CSysClipBoard::filesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.is_regular_file(error))
            names.push_back(entry.path().filename().string());
    return names;
}

void CSysClipBoard::defaultMessage(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

bool CSysClipBoard::deleteTree(const std::string& path) const {
    std::error_code error;
    return fs::remove_all(path, error) > 0 && !error;
}
