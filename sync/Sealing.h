// Every file of the sync folder but the salt is sealed with AES-256-GCM (store/Crypto.h, the
// system's) under a key derived from the user's passphrase and the writing machine's salt. The
// associated data binds the machine id, the file's name and its role, so a file moved to another
// name, role or machine's folder does not open. A small header in clear says how long the sealed
// body is: a file shorter than that is still arriving (engines write files piece by piece and
// leave empty placeholders), not a damaged one. Portable: no <windows.h>.
#pragma once

#include "sync/SyncNames.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace clipsync {

// The salt file: random bytes and the PBKDF2 work factor, both kept by the machine that made them.
// Not secret; read before any key exists, so not sealed.
struct Salt {
    std::string bytes;
    std::uint32_t iterations = 0;
};
inline constexpr std::size_t kSaltBytes = 32;
// A new random salt at the least work factor allowed; nothing when the system gave no random bytes.
std::optional<Salt> makeSalt();
std::string saltFileBytes(const Salt& salt);
// Nothing for a file that is no salt of ours, or one whose work factor is under the least allowed.
std::optional<Salt> parseSaltFile(std::string_view bytes);

// The keys of one machine's folder, derived once from the passphrase and its salt: one seals, the
// other names clips.
struct FolderKeys {
    std::string cipher;
    std::string naming;
};
std::optional<FolderKeys> deriveFolderKeys(std::string_view passphrase, const Salt& salt);

// The name of a clip's file: SHA-256 over the naming key followed by the content's SHA-256 digest.
// A plain digest of the content would let whoever sees the folder confirm a guess (that a known
// text was copied) by hashing it; without the key a name tells nothing. The key comes first and
// the hashed input has a fixed length, so SHA-256's extension property gives nothing either.
std::optional<std::string> clipNameOf(const FolderKeys& keys, std::string_view contentDigest);

std::optional<std::string> sealFile(const FolderKeys& keys, std::string_view machineId, std::string_view fileName, Role role,
                                    std::string_view plain);

enum class Opened {
    Ok,
    Incomplete,    // shorter than its header says, or not even a header yet: still arriving
    NotAuthentic,  // whole, but a wrong key, another name, role or machine, or altered bytes
};
struct OpenedFile {
    Opened state = Opened::NotAuthentic;
    std::string plain;
};
OpenedFile openFile(const FolderKeys& keys, std::string_view machineId, std::string_view fileName, Role role,
                    std::string_view bytes);
// The size a sealed file of `plainSize` bytes has.
std::uint64_t sealedSize(std::uint64_t plainSize);

}  // namespace clipsync
