#include "store/StorePaths.h"

#include "store/ClipNames.h"
#include "store/Text.h"

namespace store {

namespace {

// CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-9, LPT1-9, also with an extension ("nul.txt").
bool isDeviceName(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.remove_suffix(1);
    if (base.size() < 3 || base.size() > 7)
        return false;
    const std::string word = asciiLower(base);
    if (word == "con" || word == "prn" || word == "aux" || word == "nul" || word == "conin$" || word == "conout$")
        return true;
    return word.size() == 4 && (word.compare(0, 3, "com") == 0 || word.compare(0, 3, "lpt") == 0) && word[3] >= '1' &&
           word[3] <= '9';
}

}  // namespace

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

std::optional<std::string_view> temporarySiblingBase(std::string_view name) {
    constexpr std::string_view kTemporary = ".tmp";
    if (name.size() <= kTemporary.size() || name.compare(name.size() - kTemporary.size(), kTemporary.size(), kTemporary) != 0)
        return std::nullopt;
    name.remove_suffix(kTemporary.size());
    // "." + digits + "-" + digits
    const std::size_t dot = name.rfind('.');
    const std::size_t dash = name.rfind('-');
    if (dot == std::string_view::npos || dash == std::string_view::npos || dash < dot + 2 || dash + 1 == name.size())
        return std::nullopt;
    for (std::size_t i = dot + 1; i < name.size(); ++i)
        if (i != dash && (name[i] < '0' || name[i] > '9'))
            return std::nullopt;
    return name.substr(0, dot);
}

std::optional<unsigned long> temporarySiblingProcess(std::string_view name) {
    const std::optional<std::string_view> base = temporarySiblingBase(name);
    if (!base)
        return std::nullopt;
    unsigned long process = 0;
    for (std::size_t i = base->size() + 1; i < name.size() && name[i] != '-'; ++i) {
        if (process > 0xFFFFFFFFul / 10)
            return std::nullopt;
        process = process * 10 + static_cast<unsigned long>(name[i] - '0');
    }
    return process;
}

bool isPlainFileName(std::string_view name) {
    if (name.empty() || name.size() > 200 || name == "." || name == "..")
        return false;
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
            c == '>' || c == '|')
            return false;
    }
    // Windows drops trailing dots and spaces, so "a." would name "a"; refuse them outright.
    if (name.back() == '.' || name.back() == ' ')
        return false;
    return !isDeviceName(name);
}

bool isDeletableFolder(std::string_view path) {
    if (path.empty() || path.size() >= 259 || path.find_first_of("*?") != std::string_view::npos)
        return false;
    // Length of the root part: "C:\", "\\server\share\" or "/".
    std::size_t root;
    const bool drive = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/') &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (drive) {
        root = 3;
    } else if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
        const std::size_t server = path.find('\\', 2);
        if (server == std::string_view::npos)
            return false;
        const std::size_t share = path.find('\\', server + 1);
        if (share == std::string_view::npos)
            return false;
        root = share + 1;
    } else if (path[0] == '/') {
        root = 1;
    } else {
        return false;  // relative, or "C:name", or a rooted path without a drive
    }
    std::string_view rest = path.substr(root);
    bool hasComponent = false;
    while (!rest.empty()) {
        const std::size_t cut = rest.find_first_of("\\/");
        const std::string_view part = rest.substr(0, cut);
        if (part == "." || part == ".." || part.find(':') != std::string_view::npos)
            return false;
        hasComponent = hasComponent || !part.empty();
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }
    return hasComponent;
}

}  // namespace store
