#include "sync/Sealing.h"

#include "store/Crypto.h"
#include "sync/ByteCodec.h"

namespace clipsync {

namespace {

constexpr std::string_view kSaltMagic = "DVXSALT1";
constexpr std::string_view kSealMagic = "DVX";
constexpr std::uint8_t kSealVersion = 1;
constexpr std::size_t kHeaderSize = 3 + 1 + 1 + 8;
constexpr std::size_t kSealOverhead = store::crypto::kNonceSize + store::crypto::kTagSize;
// Higher work factors are allowed (a later version may raise it); this one bounds the wait.
constexpr std::uint32_t kMaxIterations = 50000000;

std::string header(Role role, std::uint64_t bodySize) {
    ByteWriter writer;
    writer.bytes() += kSealMagic;
    writer.number(kSealVersion, 1);
    writer.number(static_cast<std::uint8_t>(role), 1);
    writer.number(bodySize, 8);
    return std::move(writer.bytes());
}

std::string associatedData(std::string_view machineId, std::string_view fileName, std::string_view head) {
    std::string data = "Dravix sync";
    for (std::string_view part : {machineId, fileName, head}) {
        data += '\0';
        data.append(part);
    }
    return data;
}

}  // namespace

std::optional<Salt> makeSalt() {
    std::optional<std::string> bytes = store::crypto::randomBytes(kSaltBytes);
    if (!bytes)
        return std::nullopt;
    return Salt{std::move(*bytes), store::crypto::kMinPasswordIterations};
}

std::string saltFileBytes(const Salt& salt) {
    ByteWriter writer;
    writer.bytes() += kSaltMagic;
    writer.number(salt.iterations, 4);
    writer.text(salt.bytes);
    return std::move(writer.bytes());
}

std::optional<Salt> parseSaltFile(std::string_view bytes) {
    ByteReader reader(bytes);
    std::string_view magic;
    std::uint64_t iterations = 0;
    Salt salt;
    if (!reader.raw(magic, kSaltMagic.size()) || magic != kSaltMagic || !reader.number(iterations, 4) ||
        iterations < store::crypto::kMinPasswordIterations || iterations > kMaxIterations ||
        !reader.text(salt.bytes, 1024) || salt.bytes.size() < 16 || !reader.atEnd())
        return std::nullopt;
    salt.iterations = static_cast<std::uint32_t>(iterations);
    return salt;
}

std::optional<FolderKeys> deriveFolderKeys(std::string_view passphrase, const Salt& salt) {
    const std::optional<std::string> both =
        store::crypto::deriveKey(passphrase, salt.bytes, salt.iterations, 2 * store::crypto::kKeySize);
    if (!both || both->size() != 2 * store::crypto::kKeySize)
        return std::nullopt;
    return FolderKeys{both->substr(0, store::crypto::kKeySize), both->substr(store::crypto::kKeySize)};
}

std::optional<std::string> clipNameOf(const FolderKeys& keys, std::string_view contentDigest) {
    const std::optional<std::string> name = store::crypto::sha256(keys.naming + std::string(contentDigest));
    if (!name)
        return std::nullopt;
    return hexOf(*name);
}

std::uint64_t sealedSize(std::uint64_t plainSize) {
    return kHeaderSize + kSealOverhead + plainSize;
}

std::optional<std::string> sealFile(const FolderKeys& keys, std::string_view machineId, std::string_view fileName, Role role,
                                    std::string_view plain) {
    std::string file = header(role, kSealOverhead + plain.size());
    std::optional<std::string> body =
        store::crypto::sealAesGcm(keys.cipher, associatedData(machineId, fileName, file), plain);
    if (!body || body->size() != kSealOverhead + plain.size())
        return std::nullopt;
    file += *body;
    return file;
}

OpenedFile openFile(const FolderKeys& keys, std::string_view machineId, std::string_view fileName, Role role,
                    std::string_view bytes) {
    OpenedFile opened;
    const std::string_view head = bytes.substr(0, kHeaderSize);
    if (head.size() < kHeaderSize) {
        // An empty placeholder, or the first bytes of our header: more is to come.
        const std::string_view start = kSealMagic.substr(0, head.size());
        opened.state = head.substr(0, start.size()) == start ? Opened::Incomplete : Opened::NotAuthentic;
        return opened;
    }
    ByteReader reader(head);
    std::string_view magic;
    std::uint64_t version = 0, sealedRole = 0, bodySize = 0;
    reader.raw(magic, kSealMagic.size());
    reader.number(version, 1);
    reader.number(sealedRole, 1);
    reader.number(bodySize, 8);
    if (magic != kSealMagic || version != kSealVersion || sealedRole != static_cast<std::uint8_t>(role) ||
        bodySize < kSealOverhead)
        return opened;
    const std::uint64_t have = bytes.size() - kHeaderSize;
    if (have < bodySize) {
        opened.state = Opened::Incomplete;
        return opened;
    }
    if (have > bodySize)
        return opened;
    std::optional<std::string> plain =
        store::crypto::openAesGcm(keys.cipher, associatedData(machineId, fileName, head), bytes.substr(kHeaderSize));
    if (!plain)
        return opened;
    opened.state = Opened::Ok;
    opened.plain = std::move(*plain);
    return opened;
}

}  // namespace clipsync
