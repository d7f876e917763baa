#include "TestFiles.h"

#include "store/DataFiles.h"
#include "xml/FileUtf8.h"

#include <atomic>
#include <chrono>

using xml::FileHandle;
using xml::openFileUtf8;
using xml::readFileBytes;

namespace fs = std::filesystem;

namespace {

std::string toUtf8(const fs::path& p) {
    const auto text = p.u8string();
    return std::string(text.begin(), text.end());
}

fs::path fromUtf8(const std::string& text) {
    return fs::u8path(text);
}

}  // namespace

ScratchDir::ScratchDir() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    m_root = fs::temp_directory_path() /
             ("dravix-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(m_root);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
}

std::string ScratchDir::path(const std::string& name) const {
    return toUtf8(m_root / fromUtf8(name));
}

std::string readBytes(const std::string& path) {
    return readFileBytes(path).value_or(std::string());
}

std::string readStoredBytes(const std::string& path) {
    return store::readData(path).value_or(std::string());
}

void writeBytes(const std::string& path, const std::string& bytes) {
    FileHandle file = openFileUtf8(path, "wb");
    if (file && !bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), file.get());
}

bool fileExists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(fromUtf8(path), ignored);
}

std::string utf16Bytes(std::u16string_view text) {
    std::string bytes;
    for (char16_t c : std::u16string(text) + u'\0') {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

std::string utf16Bytes(std::string_view ascii) {
    return utf16Bytes(std::u16string(ascii.begin(), ascii.end()));
}
