// Scratch files for tests: a fresh folder per test, removed afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// The folder separator of the system the tests run on.
#ifdef _WIN32
inline const std::string kSep = "\\";
#else
inline const std::string kSep = "/";
#endif

class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // UTF-8 path of `name` inside the folder.
    std::string path(const std::string& name) const;
    const std::filesystem::path& root() const { return m_root; }

private:
    std::filesystem::path m_root;
};

std::string readBytes(const std::string& path);
// A data file of the store as the store reads it (a sealed one opened); "" when it does not read.
std::string readStoredBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);
// A text as the data file of a stored Unicode text holds it: UTF-16, little-endian, with its
// terminating zero. The narrow form takes ASCII.
std::string utf16Bytes(std::u16string_view text);
std::string utf16Bytes(std::string_view ascii);
