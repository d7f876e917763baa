// Clipboard formats as the store knows them: the numbers it looks at, which kinds hold a memory
// block, which can be put back from their stored bytes, which a paste "as plain text" keeps, and
// the text of a UTF-16 block. Portable: no <windows.h>.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace store {

// Clipboard format numbers the store looks at.
inline constexpr int kFormatText = 1;
inline constexpr int kFormatBitmap = 2;
inline constexpr int kFormatUnicodeText = 13;
inline constexpr int kFormatFileList = 15;

// How a format's data is kept as bytes: a memory block as it is; an enhanced metafile as its bits;
// a metafile picture as our header (mapping mode and extents) and the metafile's bits; a palette
// as its LOGPALETTE; a bitmap as the clip's bitmap file (it comes back from the DIB the system
// makes of it); not at all for data no program can hand over as bytes (owner-drawn display,
// private handles of the owner, GDI objects of unknown kind).
enum class FormatData { Memory, EnhancedMetafile, MetafilePicture, Palette, Bitmap, NotKept };
FormatData formatData(int format);
// Clipboard formats whose data is a memory block.
bool formatHoldsMemory(int format);
// Formats that can be put back on the clipboard from their stored bytes (every kind but bitmaps,
// which come back with the DIB they are made of, and those not kept).
bool formatRestoresFromBytes(int format);
// Whether these bytes of the format make its data again: a memory block that is not empty, or
// bytes of a handle kind as we keep them (stores of earlier versions kept a metafile picture's
// memory block with a handle in it, and nothing for the other handle kinds).
bool bytesRestore(int format, std::string_view bytes);
// The formats a paste "as plain text" keeps: the three texts and the locale that tells how to
// read the ANSI one.
bool isPlainTextFormat(int format);

// The content text of a picture clip begins so: "picture:size 1920*1080".
inline constexpr std::string_view kPictureContentPrefix = "picture:size ";

// A metafile picture's bytes: "MFP1", three little-endian 32-bit fields (mapping mode, width and
// height as METAFILEPICT has them), then the metafile's bits. The same in both bitnesses.
struct MetafilePicture {
    std::int32_t mappingMode = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::string_view bits;
};
std::string metafilePictureBytes(const MetafilePicture& picture);
std::optional<MetafilePicture> parseMetafilePicture(std::string_view bytes);
// The number of entries of a palette kept as a LOGPALETTE (version 0x300, count, four bytes an
// entry), when its bytes are exactly that.
std::optional<unsigned> paletteEntryCount(std::string_view bytes);

// UTF-16 little-endian bytes (clipboard format 13) as text, up to the first zero character.
std::u16string utf16FromBytes(std::string_view bytes);

}  // namespace store
