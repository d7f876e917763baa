// Opening files by UTF-8 path; on Windows the path goes to the wide entry as UTF-16.
#include "xml/FileUtf8.h"

#include "xml/XmlText.h"

#ifdef _WIN32
#include <wchar.h>
#endif

namespace xml {

FileHandle openFileUtf8(const std::string& path, const char* mode) {
#ifdef _WIN32
    const std::u16string widePath = utf8ToUtf16(path);
    std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return FileHandle(_wfopen(reinterpret_cast<const wchar_t*>(widePath.c_str()), wideMode.c_str()));
#else
    return FileHandle(std::fopen(path.c_str(), mode));
#endif
}

std::optional<std::string> readFileBytes(const std::string& path) {
    FileHandle file = openFileUtf8(path, "rb");
    if (!file)
        return std::nullopt;
    std::string bytes;
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        bytes.append(buffer, got);
    return bytes;
}

}  // namespace xml
