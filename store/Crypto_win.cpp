// The system's cryptography on Windows: BCrypt (random bytes, SHA-256, PBKDF2, AES-GCM) and DPAPI
// (CryptProtectData, user scope). Both system DLLs are imported at link time; the calls are those
// of Windows 7 and later (no BCryptHash, which needs Windows 10).
#include "store/Crypto.h"

#include "base/Check.h"
#include "base/Handle.h"
#include "base/Trace.h"

#include <windows.h>
#include <bcrypt.h>
#include <wincrypt.h>

#include <climits>

namespace store::crypto {

namespace {

// BCrypt answers with an NTSTATUS: 0 is success. A refused tag is an answer, not a failure of the
// system: open() passes its status on without a trace.
bool succeeded(NTSTATUS status, const char* call) {
    if (status >= 0)
        return true;
    base::Trace("%s failed: NTSTATUS 0x%08lx", call, static_cast<unsigned long>(status));
    return false;
}

struct AlgorithmTraits {
    using Type = BCRYPT_ALG_HANDLE;
    static Type null() { return nullptr; }
    static void close(Type handle) { BCryptCloseAlgorithmProvider(handle, 0); }
};
using UniqueAlgorithm = base::UniqueHandle<AlgorithmTraits>;
using UniqueKey = base::UniqueHandle<base::HandleTraits<BCRYPT_KEY_HANDLE, decltype(&BCryptDestroyKey), &BCryptDestroyKey>>;
using UniqueHash = base::UniqueHandle<base::HandleTraits<BCRYPT_HASH_HANDLE, decltype(&BCryptDestroyHash), &BCryptDestroyHash>>;
using UniqueLocal = base::UniqueHandle<base::HandleTraits<HLOCAL, decltype(&LocalFree), &LocalFree>>;

UniqueAlgorithm openAlgorithm(const wchar_t* name, ULONG flags = 0) {
    BCRYPT_ALG_HANDLE handle = nullptr;
    if (!succeeded(BCryptOpenAlgorithmProvider(&handle, name, nullptr, flags), "BCryptOpenAlgorithmProvider"))
        return UniqueAlgorithm();
    return UniqueAlgorithm(handle);
}

PUCHAR bytesOf(std::string_view text) {
    return reinterpret_cast<PUCHAR>(const_cast<char*>(text.data()));
}

bool fitsUlong(std::size_t size) {
    return size <= ULONG_MAX;
}

// An AES-256 key in GCM chaining mode; the algorithm stays open as long as the key.
struct GcmKey {
    UniqueAlgorithm algorithm;
    UniqueKey key;
};

GcmKey gcmKey(std::string_view secret) {
    GcmKey made;
    made.algorithm = openAlgorithm(BCRYPT_AES_ALGORITHM);
    BCRYPT_KEY_HANDLE key = nullptr;
    if (!made.algorithm || secret.size() != kKeySize ||
        !succeeded(BCryptSetProperty(made.algorithm.get(), BCRYPT_CHAINING_MODE,
                                     reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_GCM)),
                                     sizeof BCRYPT_CHAIN_MODE_GCM, 0),
                   "BCryptSetProperty") ||
        !succeeded(BCryptGenerateSymmetricKey(made.algorithm.get(), &key, nullptr, 0, bytesOf(secret),
                                              static_cast<ULONG>(secret.size()), 0),
                   "BCryptGenerateSymmetricKey"))
        return GcmKey();
    made.key.reset(key);
    return made;
}

BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO gcmInfo(std::string_view nonce, std::string_view associated, std::string_view tag) {
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info;
    BCRYPT_INIT_AUTH_MODE_INFO(info);
    info.pbNonce = bytesOf(nonce);
    info.cbNonce = static_cast<ULONG>(nonce.size());
    info.pbAuthData = associated.empty() ? nullptr : bytesOf(associated);
    info.cbAuthData = static_cast<ULONG>(associated.size());
    info.pbTag = bytesOf(tag);
    info.cbTag = static_cast<ULONG>(tag.size());
    return info;
}

// BCrypt takes a null output for a question of size and then neither encrypts nor checks the tag:
// empty text is given a buffer of its own, of no length.
PUCHAR bufferOf(std::string_view bytes) {
    static UCHAR none = 0;
    return bytes.empty() ? &none : bytesOf(bytes);
}

DATA_BLOB blobOf(std::string_view bytes) {
    return DATA_BLOB{static_cast<DWORD>(bytes.size()), bytesOf(bytes)};
}

// The bytes of a blob that DPAPI allocated; the blob's memory goes with it.
std::string takeBlob(const DATA_BLOB& blob) {
    UniqueLocal owner(blob.pbData);
    return std::string(reinterpret_cast<const char*>(blob.pbData), blob.cbData);
}

// `bytes` through one DPAPI call (`call(in, entropy or null, out)`), with `entropy` when given.
template <class Call>
std::optional<std::string> throughDpapi(std::string_view bytes, std::string_view entropy, Call&& call) {
    if (!fitsUlong(bytes.size()) || !fitsUlong(entropy.size()))
        return std::nullopt;
    DATA_BLOB in = blobOf(bytes);
    DATA_BLOB salt = blobOf(entropy);
    DATA_BLOB out = {};
    if (!call(&in, entropy.empty() ? nullptr : &salt, &out))
        return std::nullopt;
    return takeBlob(out);
}

}  // namespace

std::optional<std::string> randomBytes(std::size_t count) {
    std::string bytes(count, '\0');
    if (!fitsUlong(count) || (count > 0 && !succeeded(BCryptGenRandom(nullptr, bytesOf(bytes), static_cast<ULONG>(count),
                                                                       BCRYPT_USE_SYSTEM_PREFERRED_RNG),
                                                      "BCryptGenRandom")))
        return std::nullopt;
    return bytes;
}

std::optional<std::string> sha256(std::string_view bytes) {
    const UniqueAlgorithm algorithm = openAlgorithm(BCRYPT_SHA256_ALGORITHM);
    BCRYPT_HASH_HANDLE handle = nullptr;
    if (!algorithm || !fitsUlong(bytes.size()) ||
        !succeeded(BCryptCreateHash(algorithm.get(), &handle, nullptr, 0, nullptr, 0, 0), "BCryptCreateHash"))
        return std::nullopt;
    const UniqueHash hash(handle);
    std::string digest(32, '\0');
    if (!succeeded(BCryptHashData(hash.get(), bytesOf(bytes), static_cast<ULONG>(bytes.size()), 0), "BCryptHashData") ||
        !succeeded(BCryptFinishHash(hash.get(), bytesOf(digest), static_cast<ULONG>(digest.size()), 0), "BCryptFinishHash"))
        return std::nullopt;
    return digest;
}

std::optional<std::string> deriveKey(std::string_view password, std::string_view salt, std::uint32_t iterations,
                                     std::size_t length) {
    const UniqueAlgorithm hmac = openAlgorithm(BCRYPT_SHA256_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG);
    std::string key(length, '\0');
    if (!hmac || iterations == 0 || !fitsUlong(password.size()) || !fitsUlong(salt.size()) || !fitsUlong(length) ||
        !succeeded(BCryptDeriveKeyPBKDF2(hmac.get(), password.empty() ? nullptr : bytesOf(password),
                                         static_cast<ULONG>(password.size()), salt.empty() ? nullptr : bytesOf(salt),
                                         static_cast<ULONG>(salt.size()), iterations, bytesOf(key),
                                         static_cast<ULONG>(length), 0),
                   "BCryptDeriveKeyPBKDF2"))
        return std::nullopt;
    return key;
}

std::optional<std::string> sealAesGcm(std::string_view key, std::string_view associated, std::string_view plain) {
    std::optional<std::string> nonce = randomBytes(kNonceSize);
    const GcmKey gcm = gcmKey(key);
    if (!nonce || !gcm.key || !fitsUlong(plain.size()) || !fitsUlong(associated.size()))
        return std::nullopt;
    std::string sealed = *nonce;
    sealed.resize(kNonceSize + plain.size() + kTagSize);
    const std::string_view tag(sealed.data() + kNonceSize + plain.size(), kTagSize);
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info = gcmInfo(*nonce, associated, tag);
    ULONG written = 0;
    if (!succeeded(BCryptEncrypt(gcm.key.get(), bufferOf(plain), static_cast<ULONG>(plain.size()), &info, nullptr, 0,
                                 bufferOf(std::string_view(sealed).substr(kNonceSize, plain.size())),
                                 static_cast<ULONG>(plain.size()), &written, 0),
                   "BCryptEncrypt") ||
        written != plain.size())
        return std::nullopt;
    return sealed;
}

std::optional<std::string> openAesGcm(std::string_view key, std::string_view associated, std::string_view sealed) {
    if (sealed.size() < kNonceSize + kTagSize || !fitsUlong(sealed.size()) || !fitsUlong(associated.size()))
        return std::nullopt;
    const GcmKey gcm = gcmKey(key);
    if (!gcm.key)
        return std::nullopt;
    const std::string_view nonce = sealed.substr(0, kNonceSize);
    const std::string_view cipher = sealed.substr(kNonceSize, sealed.size() - kNonceSize - kTagSize);
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info = gcmInfo(nonce, associated, sealed.substr(sealed.size() - kTagSize));
    std::string plain(cipher.size(), '\0');
    ULONG written = 0;
    // A wrong key or altered bytes answer STATUS_AUTH_TAG_MISMATCH: expected, so not traced.
    const NTSTATUS status = BCryptDecrypt(gcm.key.get(), bufferOf(cipher), static_cast<ULONG>(cipher.size()), &info, nullptr,
                                          0, bufferOf(plain), static_cast<ULONG>(plain.size()), &written, 0);
    if (status < 0 || written != plain.size())
        return std::nullopt;
    return plain;
}

std::optional<std::string> protectForUser(std::string_view plain, std::string_view entropy) {
    return throughDpapi(plain, entropy, [](DATA_BLOB* in, DATA_BLOB* salt, DATA_BLOB* out) {
        return CHECK_WIN32(CryptProtectData(in, nullptr, salt, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, out)) != FALSE;
    });
}

// Another user's seal, a copied profile's or altered bytes are refused: an answer the caller
// reports, so the refusal itself is not traced.
std::optional<std::string> unprotectForUser(std::string_view sealed, std::string_view entropy) {
    return throughDpapi(sealed, entropy, [](DATA_BLOB* in, DATA_BLOB* salt, DATA_BLOB* out) {
        return CryptUnprotectData(in, nullptr, salt, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, out) != FALSE;
    });
}

}  // namespace store::crypto
