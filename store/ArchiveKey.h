// The key of a password-protected archive: made from the password with PBKDF2-HMAC-SHA256 over a
// random salt, and kept in the archive's index as one element of its root,
//   <DravixArchiveKey>pbkdf2-sha256 600000 <salt, hex> <check, hex></DravixArchiveKey>
// where the check is an AES-GCM seal of a known text under the key: a wrong password is known before
// any file is touched. An older reader takes the element for one more element of the index and carries
// it along; nothing names a file by it. Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace store {

inline constexpr std::string_view kArchiveKeyElement = "DravixArchiveKey";
inline constexpr std::size_t kArchiveSaltSize = 16;
// Opening an archive costs its iterations: more than this is not tried (a made-up archive would
// hold the program for hours).
inline constexpr std::uint32_t kMaxArchiveIterations = 20000000;

struct ArchiveKey {
    std::uint32_t iterations = 0;
    std::string salt;
    std::string check;
};

// The element's text, and the element read back; nothing for a text this program does not make
// (another scheme, a count of iterations out of bounds, bad hex).
std::string archiveKeyText(const ArchiveKey& key);
std::optional<ArchiveKey> parseArchiveKey(std::string_view text);

// A new key for `password` (its UTF-8 bytes): a random salt, the key derived from it, and its check.
struct MadeArchiveKey {
    ArchiveKey element;
    std::string key;  // 32 bytes: never written anywhere
};
std::optional<MadeArchiveKey> makeArchiveKey(std::string_view password, std::uint32_t iterations);
// The key that `password` gives for an archive whose element is `element`; nothing when its check
// does not open (a wrong password) or the system refused.
std::optional<std::string> openArchiveKey(const ArchiveKey& element, std::string_view password);

}  // namespace store
