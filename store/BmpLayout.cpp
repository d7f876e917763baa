#include "store/BmpLayout.h"

#include "store/LittleEndian.h"

namespace store {

int bitCountForDisplay(int displayBits) {
    if (displayBits <= 1)
        return 1;
    if (displayBits <= 4)
        return 4;
    if (displayBits <= 8)
        return 8;
    return 24;
}

bool computeBmpLayout(int width, int height, int bitCount, BmpLayout& layout) {
    if (width <= 0 || height <= 0 || (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24))
        return false;
    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * static_cast<unsigned>(bitCount) + 31) / 32) * 4;
    const std::uint64_t pixels = stride * static_cast<std::uint64_t>(height);
    const std::uint64_t colorTable = bitCount <= 8 ? (std::uint64_t{1} << bitCount) * 4 : 0;
    const std::uint64_t fileSize = kBmpHeadersSize + colorTable + pixels;
    if (fileSize > 0xFFFFFFFFull)
        return false;
    layout.width = width;
    layout.height = height;
    layout.bitCount = bitCount;
    layout.stride = static_cast<std::uint32_t>(stride);
    layout.colorTableSize = static_cast<std::uint32_t>(colorTable);
    layout.pixelDataSize = static_cast<std::uint32_t>(pixels);
    layout.pixelOffset = static_cast<std::uint32_t>(kBmpHeadersSize + colorTable);
    layout.fileSize = static_cast<std::uint32_t>(fileSize);
    return true;
}

std::array<std::uint8_t, kBmpHeadersSize> bmpHeaders(const BmpLayout& layout) {
    std::array<std::uint8_t, kBmpHeadersSize> out{};
    // BITMAPFILEHEADER
    out[0] = 'B';
    out[1] = 'M';
    putLittleEndian(&out[2], layout.fileSize, 4);
    putLittleEndian(&out[10], layout.pixelOffset, 4);
    // BITMAPINFOHEADER: size, width, height, planes, bit count; no compression, the rest 0.
    putLittleEndian(&out[14], 40, 4);
    putLittleEndian(&out[18], static_cast<std::uint32_t>(layout.width), 4);
    putLittleEndian(&out[22], static_cast<std::uint32_t>(layout.height), 4);
    putLittleEndian(&out[26], 1, 2);
    putLittleEndian(&out[28], static_cast<std::uint32_t>(layout.bitCount), 2);
    return out;
}

}  // namespace store
