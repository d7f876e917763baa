#include "store/DibBlocks.h"

#include "store/BmpLayout.h"
#include "store/ClipFormats.h"
#include "store/LittleEndian.h"

#include <cstring>

namespace store {

namespace {

constexpr std::uint32_t kInfoHeaderSize = 40, kV5HeaderSize = 124;
constexpr std::uint32_t kUncompressed = 0, kColourMasks = 3;  // BI_RGB, BI_BITFIELDS
constexpr std::uint32_t kSrgb = 0x73524742;                    // LCS_sRGB, "sRGB"
constexpr std::uint32_t kIntentImages = 4;                     // LCS_GM_IMAGES

bool isPictureFormat(unsigned format) {
    return format == static_cast<unsigned>(kFormatBitmap) || format == kFormatDib || format == kFormatDibV5;
}

// The masks block after a 40-byte header with colour masks (BI_BITFIELDS).
std::uint32_t masksSize(const DibInfo& info) {
    return info.compression == kColourMasks ? 12 : 0;
}

}  // namespace

unsigned sourcePictureFormat(const std::vector<unsigned>& formats) {
    for (unsigned format : formats)
        if (isPictureFormat(format))
            return format;
    return 0;
}

std::optional<DibInfo> readDibInfo(std::string_view dib) {
    if (dib.size() < kInfoHeaderSize || readLittleEndian(dib, 0) != kInfoHeaderSize)
        return std::nullopt;
    DibInfo info;
    const auto width = static_cast<std::int32_t>(readLittleEndian(dib, 4));
    const auto height = static_cast<std::int32_t>(readLittleEndian(dib, 8));
    info.bitCount = static_cast<int>(readLittleEndian(dib, 14, 2));
    info.compression = readLittleEndian(dib, 16);
    const std::uint32_t coloursUsed = readLittleEndian(dib, 32);
    const bool knownDepth = info.bitCount == 1 || info.bitCount == 4 || info.bitCount == 8 || info.bitCount == 16 ||
                            info.bitCount == 24 || info.bitCount == 32;
    const bool masked = info.compression == kColourMasks && (info.bitCount == 16 || info.bitCount == 32);
    if (width <= 0 || height == 0 || height == INT32_MIN || !knownDepth || (info.compression != kUncompressed && !masked))
        return std::nullopt;
    info.width = width;
    info.height = height < 0 ? -height : height;
    info.topDown = height < 0;
    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * static_cast<unsigned>(info.bitCount) + 31) / 32) * 4;
    const std::uint64_t colours = coloursUsed ? coloursUsed : (info.bitCount <= 8 ? 1u << info.bitCount : 0);
    const std::uint64_t offset = kInfoHeaderSize + masksSize(info) + colours * 4;
    if (colours > 4096 || offset + stride * static_cast<std::uint64_t>(info.height) > dib.size())
        return std::nullopt;
    info.stride = static_cast<std::uint32_t>(stride);
    info.pixelOffset = static_cast<std::uint32_t>(offset);
    return info;
}

std::optional<std::string> bmpFileFromTrueColourDib(std::string_view dib, int fileBitCount) {
    const std::optional<DibInfo> info = readDibInfo(dib);
    if (fileBitCount != 24 || !info)
        return std::nullopt;
    const bool usualMasks = info->compression == kUncompressed ||
                            (readLittleEndian(dib, 40) == 0xFF0000 && readLittleEndian(dib, 44) == 0xFF00 &&
                             readLittleEndian(dib, 48) == 0xFF);
    BmpLayout layout;
    if (!(info->bitCount == 24 || (info->bitCount == 32 && usualMasks)) ||
        !computeBmpLayout(info->width, info->height, 24, layout))
        return std::nullopt;
    const auto headers = bmpHeaders(layout);
    std::string file(layout.fileSize, '\0');
    std::memcpy(file.data(), headers.data(), headers.size());
    const int bytesPerPixel = info->bitCount / 8;
    for (int row = 0; row < info->height; ++row) {
        const int sourceRow = info->topDown ? info->height - 1 - row : row;  // the file's rows go bottom-up
        const char* from = dib.data() + info->pixelOffset + static_cast<std::size_t>(sourceRow) * info->stride;
        char* to = file.data() + layout.pixelOffset + static_cast<std::size_t>(row) * layout.stride;
        if (bytesPerPixel == 3) {
            std::memcpy(to, from, static_cast<std::size_t>(info->width) * 3);
            continue;
        }
        for (int x = 0; x < info->width; ++x, from += 4, to += 3)
            std::memcpy(to, from, 3);
    }
    return file;
}

std::optional<std::size_t> dibV5Size(std::string_view dib) {
    const std::optional<DibInfo> info = readDibInfo(dib);
    if (!info)
        return std::nullopt;
    return dib.size() - kInfoHeaderSize - masksSize(*info) + kV5HeaderSize;
}

std::optional<std::string> dibV5FromDib(std::string_view dib) {
    const std::optional<DibInfo> info = readDibInfo(dib);
    if (!info)
        return std::nullopt;
    const std::size_t rest = kInfoHeaderSize + masksSize(*info);
    std::string v5(kV5HeaderSize + dib.size() - rest, '\0');
    auto* header = reinterpret_cast<std::uint8_t*>(v5.data());
    std::memcpy(header, dib.data(), kInfoHeaderSize);
    putLittleEndian(header, kV5HeaderSize, 4);
    if (masksSize(*info))
        std::memcpy(header + 40, dib.data() + 40, 12);  // red, green and blue masks; no alpha
    putLittleEndian(header + 56, kSrgb, 4);
    putLittleEndian(header + 108, kIntentImages, 4);
    std::memcpy(v5.data() + kV5HeaderSize, dib.data() + rest, dib.size() - rest);
    return v5;
}

}  // namespace store
