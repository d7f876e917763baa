// The check of an index file's own bytes: the system's SHA-256 (never one of ours), through
// store/Crypto.h. A file whose digest does not match was damaged and is built again. Portable.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace search {

using Digest = std::array<std::uint8_t, 32>;

// The SHA-256 of the bytes; nothing when the system could not make it (reported to the trace on
// Windows).
std::optional<Digest> sha256(std::string_view bytes);

}  // namespace search
