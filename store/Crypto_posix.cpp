// The native stand-in of the system's cryptography: OpenSSL's libcrypto for the same primitives,
// and for DPAPI an AES-GCM seal under a fixed key of this build (it behaves like DPAPI where the
// tests look: a round trip, and tampered or foreign bytes refused).
#include "store/Crypto.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <climits>
#include <memory>

namespace store::crypto {

namespace {

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

const unsigned char* bytesOf(std::string_view text) {
    return reinterpret_cast<const unsigned char*>(text.data());
}

unsigned char* bytesOf(std::string& text) {
    return reinterpret_cast<unsigned char*>(text.data());
}

bool fitsInt(std::size_t size) {
    return size <= static_cast<std::size_t>(INT_MAX);
}

// Stands for the user's logon secret: a test build's DPAPI seals under this key alone.
constexpr std::string_view kStandInUserKey = "native stand-in of the logon key";
static_assert(kStandInUserKey.size() == kKeySize);

}  // namespace

std::optional<std::string> randomBytes(std::size_t count) {
    std::string bytes(count, '\0');
    if (!fitsInt(count) || (count > 0 && RAND_bytes(bytesOf(bytes), static_cast<int>(count)) != 1))
        return std::nullopt;
    return bytes;
}

std::optional<std::string> sha256(std::string_view bytes) {
    std::string digest(32, '\0');
    unsigned int size = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), bytesOf(digest), &size, EVP_sha256(), nullptr) != 1 || size != 32)
        return std::nullopt;
    return digest;
}

std::optional<std::string> deriveKey(std::string_view password, std::string_view salt, std::uint32_t iterations,
                                     std::size_t length) {
    std::string key(length, '\0');
    if (iterations == 0 || iterations > INT_MAX || !fitsInt(password.size()) || !fitsInt(salt.size()) ||
        !fitsInt(length) ||
        PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), bytesOf(salt), static_cast<int>(salt.size()),
                          static_cast<int>(iterations), EVP_sha256(), static_cast<int>(length), bytesOf(key)) != 1)
        return std::nullopt;
    return key;
}

std::optional<std::string> sealAesGcm(std::string_view key, std::string_view associated, std::string_view plain) {
    std::optional<std::string> nonce = randomBytes(kNonceSize);
    CipherContext context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    if (!nonce || key.size() != kKeySize || !fitsInt(associated.size()) || !fitsInt(plain.size()) || !context)
        return std::nullopt;
    std::string sealed = *nonce;
    sealed.resize(kNonceSize + plain.size() + kTagSize);
    int length = 0;
    unsigned char* out = bytesOf(sealed) + kNonceSize;
    if (EVP_EncryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, bytesOf(key), bytesOf(*nonce)) != 1 ||
        EVP_EncryptUpdate(context.get(), nullptr, &length, bytesOf(associated), static_cast<int>(associated.size())) != 1 ||
        EVP_EncryptUpdate(context.get(), out, &length, bytesOf(plain), static_cast<int>(plain.size())) != 1 ||
        EVP_EncryptFinal_ex(context.get(), out + length, &length) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_GET_TAG, static_cast<int>(kTagSize), out + plain.size()) != 1)
        return std::nullopt;
    return sealed;
}

std::optional<std::string> openAesGcm(std::string_view key, std::string_view associated, std::string_view sealed) {
    CipherContext context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    if (key.size() != kKeySize || sealed.size() < kNonceSize + kTagSize || !fitsInt(sealed.size()) ||
        !fitsInt(associated.size()) || !context)
        return std::nullopt;
    const std::string_view cipher = sealed.substr(kNonceSize, sealed.size() - kNonceSize - kTagSize);
    std::string tag(sealed.substr(sealed.size() - kTagSize));
    std::string plain(cipher.size(), '\0');
    int length = 0;
    if (EVP_DecryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, bytesOf(key), bytesOf(sealed)) != 1 ||
        EVP_DecryptUpdate(context.get(), nullptr, &length, bytesOf(associated), static_cast<int>(associated.size())) != 1 ||
        EVP_DecryptUpdate(context.get(), bytesOf(plain), &length, bytesOf(cipher), static_cast<int>(cipher.size())) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_TAG, static_cast<int>(kTagSize), tag.data()) != 1 ||
        EVP_DecryptFinal_ex(context.get(), bytesOf(plain) + length, &length) != 1)
        return std::nullopt;
    return plain;
}

std::optional<std::string> protectForUser(std::string_view plain, std::string_view entropy) {
    return sealAesGcm(kStandInUserKey, entropy, plain);
}

std::optional<std::string> unprotectForUser(std::string_view sealed, std::string_view entropy) {
    return openAesGcm(kStandInUserKey, entropy, sealed);
}

}  // namespace store::crypto
