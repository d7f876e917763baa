#include "search/SealedAccess.h"

#include "store/DataFiles.h"
#include "store/SealedFile.h"

#include <algorithm>

namespace search {

IndexAccess sealedStoreAccess() {
    IndexAccess access;
    // The first bytes as they lie (an archive's index may be large: read in parts), a sealed file
    // opened whole.
    access.read = [plain = plainFileBytes()](const std::string& path, std::size_t limit) -> std::optional<std::string> {
        std::optional<std::string> bytes = plain(path, limit);
        if (!bytes || !store::sealed::beginsLikeSeal(*bytes))
            return bytes;
        store::DataContent content = store::readDataContent(path);
        if (content.state != store::DataState::Read)
            return std::nullopt;
        content.bytes.resize(std::min(content.bytes.size(), limit));
        return std::move(content.bytes);
    };
    // An index the system would not seal is not written in the clear: an empty file reads as no
    // index, and is made again.
    access.seal = [](std::string_view plain) { return store::dataFileBytes(plain).value_or(std::string()); };
    access.unseal = [](std::string_view sealed) -> std::optional<std::string> {
        store::sealed::OpenedFile opened = store::sealed::open(sealed);
        if (opened.how != store::sealed::Opened::Plain && opened.how != store::sealed::Opened::Unsealed)
            return std::nullopt;
        return std::move(opened.bytes);
    };
    return access;
}

}  // namespace search
