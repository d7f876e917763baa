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

std::string_view fileNameOfPath(std::string_view path) {
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
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
