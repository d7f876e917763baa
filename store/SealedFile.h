// The bytes of a sealed data file: a header of ours, then the protected bytes. The header is a
// 14-byte magic, a version and the kind of seal:
//   "\x89" "DravixSeal" "\r\n\x1a"  version 1  kind (0 marked plain, 1 user, 2 password)
// The magic begins with a byte above ASCII and holds a CR LF and a Ctrl+Z, as PNG's does: no text,
// bitmap, file list or HTML the clipboard gives begins with it, so an older plain file is told from a
// sealed one by its first bytes alone. Should the bytes of a clip begin with it after all (a sealed
// file copied as a clip), they are written marked (kind 0) and read back as they were; an older plain
// file that began with it would read as unreadable: never as garbage, and never deleted.
//   user:     the length (4 bytes, little-endian) and bytes of a key protected by DPAPI (user scope,
//             an entropy value of ours), then AES-256-GCM under that key, all before it
//             authenticated. Only the user who sealed it, in that profile, opens the key. Each
//             process seals under a key of its own, protected once (DPAPI is made for keys: under
//             Wine a call costs milliseconds and large data goes at a few MB/s), and opens each
//             key it meets once.
//   password: AES-256-GCM under a key from the archive's password, the header authenticated.
// Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace store::sealed {

inline constexpr std::string_view kMagic = "\x89" "DravixSeal" "\r\n\x1a";
inline constexpr unsigned char kVersion = 1;
inline constexpr std::size_t kHeaderSize = kMagic.size() + 2;

enum class Kind : unsigned char { MarkedPlain = 0, User = 1, Password = 2 };

// Whether the bytes begin as our header does: with the whole magic, or (a file cut short inside
// it) with at least its first four bytes and nothing after them.
bool beginsLikeSeal(std::string_view bytes);

// The bytes sealed for the user (DPAPI); nothing when the system refused.
std::optional<std::string> sealForUser(std::string_view plain);
// The bytes sealed under a 32-byte key (a password's); nothing when the system refused.
std::optional<std::string> sealWithKey(std::string_view key, std::string_view plain);
// The bytes as a file holds them without a seal: as they are, unless they begin like a seal (then
// marked, so that they read back as they were).
std::string unsealed(std::string_view plain);

// What a data file's bytes hold.
enum class Opened {
    Plain,         // no header of ours: an older plain file, read as it is
    Unsealed,      // a seal of ours, opened (or marked plain bytes)
    NeedsKey,      // sealed with a password, and no key was given
    Unreadable,    // a seal that does not open: another user's, a copied profile's, a wrong key, a
                   // damaged or cut file, or a version this program does not know
};
struct OpenedFile {
    Opened how = Opened::Unreadable;
    std::string bytes;  // the content, for Plain and Unsealed
};
// The content of a data file's bytes; `key` opens a password's seal.
OpenedFile open(std::string_view fileBytes, std::string_view key = {});
// The kind of seal, when the bytes begin with a whole header of ours.
std::optional<Kind> kindOf(std::string_view fileBytes);

}  // namespace store::sealed
