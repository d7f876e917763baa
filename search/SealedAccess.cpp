#include "search/SealedAccess.h"

#include "store/DataFiles.h"
#include "store/SealedFile.h"

namespace search {

IndexAccess sealedStoreAccess() {
    IndexAccess access;
    access.read = [](const std::string& path, std::size_t limit) -> std::optional<std::string> {
        store::DataContent content = store::readDataStart(path, limit);
        if (content.state != store::DataState::Read)
            return std::nullopt;
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
