#include "store/Thumbnail.h"

#include "store/BmpLayout.h"
#include "store/LittleEndian.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace store {

namespace {

// Reads the pixels of an uncompressed bitmap file, checked against its length.
class BitmapReader {
public:
    explicit BitmapReader(std::string_view file) : m_file(file) {
        if (file.size() < static_cast<std::size_t>(kBmpHeadersSize) || file[0] != 'B' || file[1] != 'M')
            return;
        const std::uint32_t infoSize = readLittleEndian(file, 14);
        const auto width = static_cast<std::int32_t>(readLittleEndian(file, 18));
        const auto height = static_cast<std::int32_t>(readLittleEndian(file, 22));
        m_bits = static_cast<int>(readLittleEndian(file, 28, 2));
        const std::uint32_t compression = readLittleEndian(file, 30);
        const bool plain = compression == 0 || (compression == 3 && m_bits == 32);  // BI_RGB, or BGRX bit fields
        if (infoSize < 40 || width <= 0 || width > 1 << 16 || height == 0 || height < -(1 << 16) ||
            height > 1 << 16 || !plain || (m_bits != 1 && m_bits != 4 && m_bits != 8 && m_bits != 24 && m_bits != 32))
            return;
        m_width = width;
        m_height = height < 0 ? -height : height;
        m_topDown = height < 0;
        m_stride = ((static_cast<std::size_t>(m_width) * static_cast<unsigned>(m_bits) + 31) / 32) * 4;
        m_pixels = readLittleEndian(file, 10);
        m_palette = 14 + static_cast<std::size_t>(infoSize) + (compression == 3 ? 12 : 0);
        const std::size_t colors = m_bits <= 8 ? std::size_t{1} << m_bits : 0;
        m_valid = m_pixels >= m_palette + colors * 4 && m_pixels <= file.size() &&
                  (file.size() - m_pixels) / m_stride >= static_cast<std::size_t>(m_height);
    }

    bool valid() const { return m_valid; }
    int width() const { return m_width; }
    int height() const { return m_height; }

    // Blue, green and red of the pixel at (x, y), y counted from the top.
    std::array<unsigned, 3> pixel(int x, int y) const {
        const std::size_t row = m_pixels + m_stride * static_cast<std::size_t>(m_topDown ? y : m_height - 1 - y);
        if (m_bits >= 24) {
            const std::size_t at = row + static_cast<std::size_t>(x) * static_cast<unsigned>(m_bits / 8);
            return {byte(at), byte(at + 1), byte(at + 2)};
        }
        const std::size_t bit = static_cast<std::size_t>(x) * static_cast<unsigned>(m_bits);
        const unsigned packed = byte(row + bit / 8);
        const unsigned index = (packed >> (8 - m_bits - bit % 8)) & ((1u << m_bits) - 1);
        const std::size_t color = m_palette + index * 4;
        return {byte(color), byte(color + 1), byte(color + 2)};
    }

private:
    unsigned byte(std::size_t at) const { return static_cast<unsigned char>(m_file[at]); }

    std::string_view m_file;
    bool m_valid = false;
    bool m_topDown = false;
    int m_width = 0, m_height = 0, m_bits = 0;
    std::size_t m_stride = 0, m_pixels = 0, m_palette = 0;
};

}  // namespace

std::string thumbnailFileBytes(std::string_view bitmapFile, int size) {
    const BitmapReader source(bitmapFile);
    BmpLayout layout;
    if (!source.valid() || size <= 0 || !computeBmpLayout(size, size, 24, layout))
        return {};
    const auto headers = bmpHeaders(layout);
    std::string file(reinterpret_cast<const char*>(headers.data()), headers.size());
    file.resize(layout.fileSize);
    // Each thumbnail pixel averages the source pixels of its area, or of a grid of at most 8 x 8
    // of them spread over a larger area (a screen-sized picture is 2 million pixels, its
    // thumbnail 1,024); a picture smaller than the thumbnail repeats its pixels. Rows are written
    // bottom-up, as the headers say.
    constexpr int kSamplesPerSide = 8;
    for (int y = 0; y < size; ++y) {
        const int top = y * source.height() / size;
        const int bottom = std::max(top + 1, (y + 1) * source.height() / size);
        for (int x = 0; x < size; ++x) {
            const int left = x * source.width() / size;
            const int right = std::max(left + 1, (x + 1) * source.width() / size);
            const int stepY = std::max(1, (bottom - top) / kSamplesPerSide);
            const int stepX = std::max(1, (right - left) / kSamplesPerSide);
            std::array<std::uint64_t, 3> sum{};
            std::uint64_t count = 0;
            for (int sy = top; sy < bottom; sy += stepY)
                for (int sx = left; sx < right; sx += stepX, ++count) {
                    const auto bgr = source.pixel(sx, sy);
                    for (int c = 0; c < 3; ++c)
                        sum[static_cast<std::size_t>(c)] += bgr[static_cast<std::size_t>(c)];
                }
            const std::size_t at = layout.pixelOffset + layout.stride * static_cast<std::size_t>(size - 1 - y) +
                                   static_cast<std::size_t>(x) * 3;
            for (int c = 0; c < 3; ++c)
                file[at + static_cast<std::size_t>(c)] = static_cast<char>(sum[static_cast<std::size_t>(c)] / count);
        }
    }
    return file;
}

}  // namespace store
