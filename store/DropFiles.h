// The file list of the clipboard (format 15, a DROPFILES block): its first file name, read
// against the block's size, and the text a file-list clip shows. Portable: no <windows.h>.
#pragma once

#include <string>
#include <string_view>

namespace store {

// The first file name of a DROPFILES block, checked against the block's size: false when the
// block is malformed or holds no name. Wide lists give UTF-16 in `wide`; others give their
// code-page bytes in `narrow`.
struct DroppedFileName {
    bool isWide = false;
    std::u16string wide;
    std::string narrow;
};
bool firstDroppedFile(std::string_view block, DroppedFileName& name);
// The first file of a DROPFILES block as UTF-16 (code-page lists converted), cut to the shell's
// 259 characters; false when the block holds no name.
bool firstDroppedFilePath(std::string_view block, std::u16string& path);
// The content text of a file-list clip: "File:Path\"" + its first file + "\"".
inline constexpr std::u16string_view kFileListContentPrefix = u"File:Path\"";
std::u16string fileListContent(std::u16string_view firstPath);

}  // namespace store
