#include "store/SealedFile.h"

#include "store/Crypto.h"
#include "store/LittleEndian.h"

#include <cstdint>
#include <map>
#include <mutex>

namespace store::sealed {

namespace {

// The shortest beginning of the magic that counts as a file cut short inside our header.
constexpr std::size_t kShortestCutHeader = 4;
// A key as DPAPI protects it is a few hundred bytes: a longer length is a damaged file.
constexpr std::size_t kLongestProtectedKey = 4096;
// The keys opened in a process, each once: a session sees one a process that sealed files
// (the main program's runs, the hook library in each application).
constexpr std::size_t kKeysKept = 256;

// Our entropy value for DPAPI: a key of ours opens with it alone, so no other program's DPAPI
// blob of the same user passes for one of our keys.
constexpr std::string_view kUserEntropy = "Dravix sealed data file";

std::string header(Kind kind) {
    std::string bytes(kMagic);
    bytes += static_cast<char>(kVersion);
    bytes += static_cast<char>(kind);
    return bytes;
}

// This process's key for the files it seals for the user, and the same key protected by DPAPI:
// made at its first seal.
struct UserKey {
    std::string key;
    std::string protectedKey;
};

std::optional<UserKey> processKey() {
    static std::mutex guard;
    static std::optional<UserKey> made;
    const std::lock_guard<std::mutex> lock(guard);
    if (!made) {
        std::optional<std::string> key = crypto::randomBytes(crypto::kKeySize);
        std::optional<std::string> protectedKey = key ? crypto::protectForUser(*key, kUserEntropy) : std::nullopt;
        if (protectedKey)
            made = UserKey{std::move(*key), std::move(*protectedKey)};
    }
    return made;
}

// The key inside `protectedKey`, opened by DPAPI once in the process; one that does not open is
// remembered too (a copied profile's store holds thousands of files under a few keys).
std::optional<std::string> openedKey(std::string_view protectedKey) {
    static std::mutex guard;
    static std::map<std::string, std::optional<std::string>, std::less<>> opened;
    {
        const std::lock_guard<std::mutex> lock(guard);
        if (const auto found = opened.find(protectedKey); found != opened.end())
            return found->second;
    }
    std::optional<std::string> key = crypto::unprotectForUser(protectedKey, kUserEntropy);
    if (key && key->size() != crypto::kKeySize)
        key.reset();
    const std::lock_guard<std::mutex> lock(guard);
    if (opened.size() >= kKeysKept)
        opened.clear();
    opened.emplace(std::string(protectedKey), key);
    return key;
}

// The bytes before the AES-GCM seal of a user's file: the header, the protected key's length and
// the protected key.
std::string userFront(std::string_view protectedKey) {
    std::string front = header(Kind::User);
    std::uint8_t length[4];
    putLittleEndian(length, static_cast<std::uint32_t>(protectedKey.size()), 4);
    front.append(reinterpret_cast<const char*>(length), 4);
    front += protectedKey;
    return front;
}

std::optional<std::string> openUserSeal(std::string_view fileBytes) {
    const std::string_view rest = fileBytes.substr(kHeaderSize);
    if (rest.size() < 4)
        return std::nullopt;
    const std::size_t length = readLittleEndian(rest, 0);
    if (length > kLongestProtectedKey || rest.size() < 4 + length)
        return std::nullopt;
    const std::optional<std::string> key = openedKey(rest.substr(4, length));
    if (!key)
        return std::nullopt;
    const std::size_t front = kHeaderSize + 4 + length;
    return crypto::openAesGcm(*key, fileBytes.substr(0, front), fileBytes.substr(front));
}

}  // namespace

bool beginsLikeSeal(std::string_view bytes) {
    if (bytes.size() >= kMagic.size())
        return bytes.substr(0, kMagic.size()) == kMagic;
    return bytes.size() >= kShortestCutHeader && kMagic.substr(0, bytes.size()) == bytes;
}

std::optional<std::string> sealForUser(std::string_view plain) {
    const std::optional<UserKey> key = processKey();
    if (!key)
        return std::nullopt;
    const std::string front = userFront(key->protectedKey);
    const std::optional<std::string> sealed = crypto::sealAesGcm(key->key, front, plain);
    if (!sealed)
        return std::nullopt;
    return front + *sealed;
}

std::optional<std::string> sealWithKey(std::string_view key, std::string_view plain) {
    const std::optional<std::string> sealed = crypto::sealAesGcm(key, header(Kind::Password), plain);
    if (!sealed)
        return std::nullopt;
    return header(Kind::Password) + *sealed;
}

std::string unsealed(std::string_view plain) {
    if (!beginsLikeSeal(plain))
        return std::string(plain);
    return header(Kind::MarkedPlain) + std::string(plain);
}

std::optional<Kind> kindOf(std::string_view fileBytes) {
    if (fileBytes.size() < kHeaderSize || fileBytes.substr(0, kMagic.size()) != kMagic ||
        static_cast<unsigned char>(fileBytes[kMagic.size()]) != kVersion)
        return std::nullopt;
    const auto kind = static_cast<unsigned char>(fileBytes[kMagic.size() + 1]);
    if (kind > static_cast<unsigned char>(Kind::Password))
        return std::nullopt;
    return static_cast<Kind>(kind);
}

OpenedFile open(std::string_view fileBytes, std::string_view key) {
    if (!beginsLikeSeal(fileBytes))
        return {Opened::Plain, std::string(fileBytes)};
    const std::optional<Kind> kind = kindOf(fileBytes);
    if (!kind)
        return {};
    const std::string_view fileHeader = fileBytes.substr(0, kHeaderSize);
    const std::string_view rest = fileBytes.substr(kHeaderSize);
    std::optional<std::string> opened;
    switch (*kind) {
    case Kind::MarkedPlain:
        // Only bytes that began like a seal are ever marked: anything else is a damaged kind.
        if (beginsLikeSeal(rest))
            opened = std::string(rest);
        break;
    case Kind::User:
        opened = openUserSeal(fileBytes);
        break;
    case Kind::Password:
        if (key.empty())
            return {Opened::NeedsKey, {}};
        opened = crypto::openAesGcm(key, fileHeader, rest);
        break;
    }
    if (!opened)
        return {};
    return {Opened::Unsealed, std::move(*opened)};
}

}  // namespace store::sealed
