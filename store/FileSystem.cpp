// What the file operations of both platforms share.
#include "store/FileSystem.h"

#include <atomic>

namespace store::files {

std::string temporarySibling(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + "." + std::to_string(currentProcessId()) + "-" + std::to_string(++counter) + ".tmp";
}

bool writeFile(const std::string& path, std::string_view bytes) {
    return writeFiles({{path, bytes}});
}

bool writeAtomically(const std::string& path, std::string_view bytes) {
    if (path.empty())
        return false;
    const std::string temporary = temporarySibling(path);
    if (writeFile(temporary, bytes) && replace(temporary, path))
        return true;
    remove(temporary);
    return false;
}

bool PartReader::read(std::uint64_t offset, std::size_t count, std::string& bytes) {
    bytes.resize(count);
    return read(offset, count, bytes.data());
}

bool PartReader::read(std::uint64_t offset, std::size_t count, char* into) {
    std::size_t done = 0;
    while (m_open && done < count) {
        const std::size_t got = readSome(offset + done, into + done, count - done);
        if (got == 0)
            return false;
        done += got;
    }
    return m_open && done == count;
}

}  // namespace store::files
