#include "store/ClipFormats.h"

namespace store {

FormatData formatData(int format) {
    switch (format) {
    case 2:     // CF_BITMAP
        return FormatData::Bitmap;
    case 3:     // CF_METAFILEPICT
    case 0x83:  // CF_DSPMETAFILEPICT
        return FormatData::MetafilePicture;
    case 9:     // CF_PALETTE
        return FormatData::Palette;
    case 14:    // CF_ENHMETAFILE
    case 0x8E:  // CF_DSPENHMETAFILE
        return FormatData::EnhancedMetafile;
    case 0x80:  // CF_OWNERDISPLAY
    case 0x82:  // CF_DSPBITMAP
        return FormatData::NotKept;
    default:
        // CF_PRIVATEFIRST..LAST hold handles only their owner knows; CF_GDIOBJFIRST..LAST are GDI
        // objects of a kind no reader can tell.
        return format >= 0x200 && format <= 0x3FF ? FormatData::NotKept : FormatData::Memory;
    }
}

bool formatHoldsMemory(int format) {
    return formatData(format) == FormatData::Memory;
}

bool isPlainTextFormat(int format) {
    return format == 1 /* CF_TEXT */ || format == 7 /* CF_OEMTEXT */ || format == 13 /* CF_UNICODETEXT */ ||
           format == 16 /* CF_LOCALE */;
}

bool formatRestoresFromBytes(int format) {
    const FormatData data = formatData(format);
    return format > 0 && data != FormatData::Bitmap && data != FormatData::NotKept;
}

namespace {

constexpr std::string_view kMetafilePictureMagic = "MFP1";

std::uint32_t littleEndian32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

// An enhanced metafile's header record: EMR_HEADER, at least its 88 bytes, the " EMF" signature.
bool isEnhancedMetafile(std::string_view bytes) {
    return bytes.size() >= 88 && littleEndian32(bytes, 0) == 1 && littleEndian32(bytes, 40) == 0x464D4520;
}

}  // namespace

bool bytesRestore(int format, std::string_view bytes) {
    if (!formatRestoresFromBytes(format) || bytes.empty())
        return false;
    switch (formatData(format)) {
    case FormatData::EnhancedMetafile:
        return isEnhancedMetafile(bytes);
    case FormatData::MetafilePicture:
        return parseMetafilePicture(bytes).has_value();
    case FormatData::Palette:
        return paletteEntryCount(bytes).has_value();
    default:
        return true;
    }
}

std::string metafilePictureBytes(const MetafilePicture& picture) {
    std::string bytes(kMetafilePictureMagic);
    for (const std::int32_t field : {picture.mappingMode, picture.width, picture.height})
        for (int shift = 0; shift < 32; shift += 8)
            bytes += static_cast<char>((static_cast<std::uint32_t>(field) >> shift) & 0xFF);
    bytes.append(picture.bits);
    return bytes;
}

std::optional<MetafilePicture> parseMetafilePicture(std::string_view bytes) {
    if (bytes.size() < 16 + 18 || bytes.substr(0, 4) != kMetafilePictureMagic)
        return std::nullopt;  // no room for a metafile's own 18-byte header
    const auto field = [&](std::size_t at) { return static_cast<std::int32_t>(littleEndian32(bytes, at)); };
    return MetafilePicture{field(4), field(8), field(12), bytes.substr(16)};
}

std::optional<unsigned> paletteEntryCount(std::string_view bytes) {
    if (bytes.size() < 4 || static_cast<unsigned char>(bytes[0]) != 0x00 || static_cast<unsigned char>(bytes[1]) != 0x03)
        return std::nullopt;
    const unsigned count = static_cast<unsigned char>(bytes[2]) | (static_cast<unsigned char>(bytes[3]) << 8);
    if (count == 0 || bytes.size() != 4 + 4 * static_cast<std::size_t>(count))
        return std::nullopt;
    return count;
}

std::u16string utf16FromBytes(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[at]) |
                                                    (static_cast<unsigned char>(bytes[at + 1]) << 8));
        if (unit == 0)
            break;
        text += unit;
    }
    return text;
}

}  // namespace store
