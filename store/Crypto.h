// The cryptography the program uses, all of it the system's: random bytes, SHA-256, PBKDF2-HMAC-
// SHA256, AES-256-GCM (BCrypt on Windows) and the protection of the user's logon (DPAPI). Used by
// the store's sealed files and password-protected archives, in both deliverables. The native build
// stands in with OpenSSL's libcrypto, and for DPAPI with AES-GCM under a fixed key of its own.
// Every function gives nothing when the system refused. Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace store::crypto {

inline constexpr std::size_t kKeySize = 32;
inline constexpr std::size_t kNonceSize = 12;
inline constexpr std::size_t kTagSize = 16;
inline constexpr std::uint32_t kMinPasswordIterations = 600000;

// `count` random bytes from the system's generator.
std::optional<std::string> randomBytes(std::size_t count);
// The SHA-256 digest (32 bytes) of `bytes`.
std::optional<std::string> sha256(std::string_view bytes);
// A key of `length` bytes derived from `password` with PBKDF2-HMAC-SHA256.
std::optional<std::string> deriveKey(std::string_view password, std::string_view salt, std::uint32_t iterations,
                                     std::size_t length = kKeySize);
// AES-256-GCM under a 32-byte key: a fresh random 12-byte nonce, then the ciphertext, then the
// 16-byte tag. `associated` is authenticated, not encrypted. openAesGcm gives nothing for a wrong
// key, other associated data, or an input cut short or altered.
std::optional<std::string> sealAesGcm(std::string_view key, std::string_view associated, std::string_view plain);
std::optional<std::string> openAesGcm(std::string_view key, std::string_view associated, std::string_view sealed);
// The protection of the user's logon (DPAPI, user scope, no prompt) with `entropy` as the optional
// entropy: only this user, on this machine's profile, opens it again, with the same entropy.
std::optional<std::string> protectForUser(std::string_view plain, std::string_view entropy);
std::optional<std::string> unprotectForUser(std::string_view sealed, std::string_view entropy);

}  // namespace store::crypto
