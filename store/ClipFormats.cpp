#include "store/ClipFormats.h"

#include "store/Text.h"

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

std::u16string clipboardText(std::string_view bytes, int format) {
    if (format == kFormatText)
        return codePageToUtf16(bytes.substr(0, bytes.find('\0')));
    return utf16FromBytes(bytes);
}

std::string pictureContent(int width, int height) {
    return std::string(kPictureContentPrefix) + std::to_string(width) + "*" + std::to_string(height);
}

}  // namespace store
