// What the file operations of both platforms share.
#include "store/FileSystem.h"

namespace store::files {

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
