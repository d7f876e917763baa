#include "store/ClipFormats.h"

namespace store {

bool formatHoldsMemory(int format) {
    switch (format) {
    case 2:     // CF_BITMAP
    case 9:     // CF_PALETTE
    case 14:    // CF_ENHMETAFILE
    case 0x80:  // CF_OWNERDISPLAY
    case 0x82:  // CF_DSPBITMAP
    case 0x8E:  // CF_DSPENHMETAFILE
        return false;
    default:
        return true;
    }
}

bool isPlainTextFormat(int format) {
    return format == 1 /* CF_TEXT */ || format == 7 /* CF_OEMTEXT */ || format == 13 /* CF_UNICODETEXT */ ||
           format == 16 /* CF_LOCALE */;
}

bool formatRestoresFromBytes(int format) {
    return format > 0 && formatHoldsMemory(format) && format != 3 /* CF_METAFILEPICT */ &&
           format != 0x83 /* CF_DSPMETAFILEPICT */;
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

std::string utf16Block(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(2 * text.size() + 2);
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    bytes.append(2, '\0');
    return bytes;
}

}  // namespace store
