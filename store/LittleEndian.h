// The little-endian numbers of the Windows layouts the store reads and writes (bitmap file
// headers, DROPFILES blocks), byte by byte so that no alignment or host order counts.
// Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace store {

// The unsigned little-endian number of `width` bytes at `at` (the caller checks the length).
inline std::uint32_t readLittleEndian(std::string_view bytes, std::size_t at, int width = 4) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

// `value` as `width` little-endian bytes at `at`.
inline void putLittleEndian(std::uint8_t* at, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace store
