// Opening files by UTF-8 path, portably: on Windows through the wide C run-time entry.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace xml {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// `mode` is an fopen mode such as "rb" or "wb". Null on failure, with errno set.
FileHandle openFileUtf8(const std::string& path, const char* mode);

// All bytes of a file; nothing when it cannot be opened.
std::optional<std::string> readFileBytes(const std::string& path);

}  // namespace xml
