#include "StorePaths.h"

#include "StoreFormat.h"

namespace store {

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += kPathSeparator;
    path.append(name);
    return path;
}

std::string StorePaths::indexFile() const {
    return joinPath(m_folder, kIndexFileName);
}

std::string StorePaths::statusFile() const {
    return joinPath(m_folder, kStatusFileName);
}

std::string StorePaths::dataFolder() const {
    return joinPath(m_folder, kDataFolderName);
}

std::string StorePaths::dataFile(std::string_view name) const {
    return isPlainFileName(name) ? joinPath(dataFolder(), name) : std::string();
}

std::string StorePaths::bitmapFile(std::string_view clip) const {
    return dataFile(bitmapFileName(clip));
}

std::string StorePaths::thumbnailFile(std::string_view clip) const {
    return dataFile(thumbnailFileName(clip));
}

}  // namespace store
