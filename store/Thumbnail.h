// The small picture the clip menu shows for a picture clip, made once when the clip is stored so
// that the menu, which runs inside other applications, reads a few kilobytes instead of a
// screenshot. Portable: no <windows.h>.
#pragma once

#include <string>
#include <string_view>

namespace store {

inline constexpr int kThumbnailSize = 32;

// A `size` x `size` 24-bit bitmap file of the picture in `bitmapFile` (an uncompressed bitmap
// file of 1, 4, 8, 24 or 32 bits per pixel), each pixel the average of the area it covers; ""
// for bytes that are not such a file or are cut short.
std::string thumbnailFileBytes(std::string_view bitmapFile, int size = kThumbnailSize);

}  // namespace store
