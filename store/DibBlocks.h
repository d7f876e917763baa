// A picture the source put on the clipboard as a DIB (format 8) alone. The system derives the
// bitmap (format 2) and the DIBV5 (format 17) from it, but only while the clipboard is held open,
// and under Wine each one means the whole DIB fetched again and converted. So the store derives
// them itself, after the clipboard is closed: the bitmap file it keeps and the DIBV5 block a
// record holds. Portable: no <windows.h>.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace store {

inline constexpr unsigned kFormatDib = 8;
inline constexpr unsigned kFormatDibV5 = 17;

// The picture format the source put itself: the first of the bitmap, the DIB and the DIBV5
// listed (the system lists those it derives after the source's own); 0 when there is none.
unsigned sourcePictureFormat(const std::vector<unsigned>& formats);

// The layout of a DIB block with the plain 40-byte header, not compressed (or with colour
// masks), whose rows all lie inside the block.
struct DibInfo {
    int width = 0;
    int height = 0;          // rows, always positive
    bool topDown = false;    // the first row is the top one
    int bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t stride = 0;
    std::uint32_t pixelOffset = 0;  // where the rows begin in the block
};
std::optional<DibInfo> readDibInfo(std::string_view dib);

// The store's 24-bit bitmap file made straight from a 24-bit DIB, or from a 32-bit one whose
// colours lie in the usual bytes; nullopt for any other (the caller lets the system convert it),
// and when the file is to have another depth than 24.
std::optional<std::string> bmpFileFromTrueColourDib(std::string_view dib, int fileBitCount);

// The size of the DIBV5 block derived from `dib`, and the block itself: the 124-byte header
// with the sRGB colour space, then the colour table and the rows as they were.
std::optional<std::size_t> dibV5Size(std::string_view dib);
std::optional<std::string> dibV5FromDib(std::string_view dib);

}  // namespace store
