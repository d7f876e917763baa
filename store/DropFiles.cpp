#include "store/DropFiles.h"

#include "store/ClipFormats.h"
#include "store/LittleEndian.h"
#include "store/Text.h"

namespace store {

bool firstDroppedFile(std::string_view block, DroppedFileName& name) {
    // DROPFILES: pFiles (offset of the list), pt (two LONGs), fNC, fWide; 20 bytes.
    constexpr std::size_t kHeaderSize = 20;
    if (block.size() < kHeaderSize)
        return false;
    const std::size_t offset = readLittleEndian(block, 0);
    name.isWide = readLittleEndian(block, 16) != 0;
    if (offset < kHeaderSize || offset >= block.size())
        return false;
    if (name.isWide) {
        name.wide = utf16FromBytes(block.substr(offset));
        // The name must end inside the block, with its zero.
        const std::size_t end = offset + name.wide.size() * 2;
        return !name.wide.empty() && end + 1 < block.size();
    }
    const std::size_t end = block.find('\0', offset);
    if (end == std::string_view::npos || end == offset)
        return false;
    name.narrow.assign(block.substr(offset, end - offset));
    return true;
}

bool firstDroppedFilePath(std::string_view block, std::u16string& path) {
    DroppedFileName name;
    if (!firstDroppedFile(block, name))
        return false;
    path = name.isWide ? name.wide : codePageToUtf16(name.narrow);
    if (path.size() > 259)
        path.resize(259);  // the shell's MAX_PATH buffer
    return true;
}

std::u16string fileListContent(std::u16string_view firstPath) {
    return std::u16string(kFileListContentPrefix) + std::u16string(firstPath) + u"\"";
}

}  // namespace store
