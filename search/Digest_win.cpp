// BCrypt's SHA-256 (Windows Vista and later): a hash object made, fed and finished.
#include "search/Digest.h"

#include "base/Handle.h"
#include "base/Trace.h"

#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <limits>

namespace search {

namespace {

// BCrypt calls answer an NTSTATUS: zero or above is success.
bool succeeded(NTSTATUS status, const char* call) {
    if (status >= 0)
        return true;
    base::ReportFailure(call, static_cast<DWORD>(status));
    return false;
}

struct AlgorithmTraits {
    using Type = BCRYPT_ALG_HANDLE;
    static Type null() { return nullptr; }
    static void close(Type handle) { BCryptCloseAlgorithmProvider(handle, 0); }
};
struct HashTraits {
    using Type = BCRYPT_HASH_HANDLE;
    static Type null() { return nullptr; }
    static void close(Type handle) { BCryptDestroyHash(handle); }
};

}  // namespace

std::optional<Digest> sha256(std::string_view bytes) {
    BCRYPT_ALG_HANDLE opened = nullptr;
    if (!succeeded(BCryptOpenAlgorithmProvider(&opened, BCRYPT_SHA256_ALGORITHM, nullptr, 0),
                   "BCryptOpenAlgorithmProvider"))
        return std::nullopt;
    const base::UniqueHandle<AlgorithmTraits> algorithm(opened);
    BCRYPT_HASH_HANDLE made = nullptr;
    if (!succeeded(BCryptCreateHash(algorithm.get(), &made, nullptr, 0, nullptr, 0, 0), "BCryptCreateHash"))
        return std::nullopt;
    const base::UniqueHandle<HashTraits> hash(made);
    // BCryptHashData takes a ULONG's worth at a time.
    constexpr std::size_t kPiece = std::numeric_limits<ULONG>::max() / 2;
    for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
        const std::size_t length = std::min(kPiece, bytes.size() - at);
        auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data() + at));
        if (!succeeded(BCryptHashData(hash.get(), data, static_cast<ULONG>(length), 0), "BCryptHashData"))
            return std::nullopt;
    }
    Digest digest{};
    if (!succeeded(BCryptFinishHash(hash.get(), digest.data(), static_cast<ULONG>(digest.size()), 0), "BCryptFinishHash"))
        return std::nullopt;
    return digest;
}

}  // namespace search
