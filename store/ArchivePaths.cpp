#include "store/ArchivePaths.h"

#include "store/Text.h"

namespace store {

namespace {

// Lower case, one kind of separator, no separator at the end.
std::string comparableFolder(std::string_view path) {
    std::string out = asciiLower(path);
    for (char& c : out)
        if (c == '/')
            c = '\\';
    while (out.size() > 1 && out.back() == '\\')
        out.pop_back();
    return out;
}

bool isInside(const std::string& inner, const std::string& outer) {
    return inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 && inner[outer.size()] == '\\';
}

}  // namespace

bool hasArchiveExtension(std::string_view path) {
    return path.size() > kArchiveExtension.size() && endsWithIgnoringCase(path, kArchiveExtension);
}

std::string archiveIndexPath(std::string_view archivePath) {
    return replaceAll(archivePath, kArchiveExtension, kArchiveIndexExtension, true);
}

std::string archiveDataFolder(std::string_view archivePath) {
    return replaceAll(archivePath, kArchiveExtension, {}, true);
}

std::string searchIndexPath(std::string_view archivePath) {
    return std::string(archivePath) + std::string(kSearchIndexExtension);
}

bool foldersOverlap(std::string_view a, std::string_view b) {
    const std::string first = comparableFolder(a), second = comparableFolder(b);
    return first == second || isInside(first, second) || isInside(second, first);
}

bool folderIsOrHolds(std::string_view outer, std::string_view inner) {
    const std::string first = comparableFolder(outer), second = comparableFolder(inner);
    return first == second || isInside(second, first);
}

}  // namespace store
