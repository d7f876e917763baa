// The layout of the Windows bitmap files the store writes: the bit count that follows the
// display, the sizes and offsets of headers, colour table and rows, and the 54 bytes of the
// two headers. Portable: no <windows.h>.
#pragma once

#include <array>
#include <cstdint>

namespace store {

// Bit count of a saved bitmap from the display's bits per pixel times planes.
int bitCountForDisplay(int displayBits);

struct BmpLayout {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    std::uint32_t stride = 0;           // bytes per pixel row, a multiple of 4
    std::uint32_t colorTableSize = 0;   // bytes
    std::uint32_t pixelDataSize = 0;
    std::uint32_t pixelOffset = 0;      // 54 + colour table
    std::uint32_t fileSize = 0;
};
inline constexpr int kBmpHeadersSize = 54;  // file header 14 + information header 40

// False when the sizes cannot make a bitmap file (non-positive, or over 4 GB).
bool computeBmpLayout(int width, int height, int bitCount, BmpLayout& layout);
// The 14-byte file header followed by the 40-byte information header.
std::array<std::uint8_t, kBmpHeadersSize> bmpHeaders(const BmpLayout& layout);

}  // namespace store
