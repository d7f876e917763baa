// Scratch files for tests: a fresh folder per test, removed afterwards.
#pragma once

#include <filesystem>
#include <string>

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
