// The native stand-in: OpenSSL's libcrypto.
#include "search/Digest.h"

#include <openssl/evp.h>

namespace search {

std::optional<Digest> sha256(std::string_view bytes) {
    Digest digest{};
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1 ||
        length != digest.size())
        return std::nullopt;
    return digest;
}

}  // namespace search
