#include "search/Digest.h"

#include "store/Crypto.h"

#include <algorithm>

namespace search {

std::optional<Digest> sha256(std::string_view bytes) {
    const std::optional<std::string> made = store::crypto::sha256(bytes);
    Digest digest{};
    if (!made || made->size() != digest.size())
        return std::nullopt;
    std::copy(made->begin(), made->end(), digest.begin());
    return digest;
}

}  // namespace search
