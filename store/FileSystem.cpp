// What the file operations of both platforms share.
#include "store/FileSystem.h"

#include <atomic>

namespace store::files {

std::string temporarySibling(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + "." + std::to_string(currentProcessId()) + "-" + std::to_string(++counter) + ".tmp";
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

}  // namespace store::files
