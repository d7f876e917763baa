// Clipboard formats as the store knows them: the numbers it looks at, which kinds hold a memory
// block, which can be put back from their stored bytes, which a paste "as plain text" keeps, and
// the text of a UTF-16 block. Portable: no <windows.h>.
#pragma once

#include <string>
#include <string_view>

namespace store {

// Clipboard format numbers the store looks at.
inline constexpr int kFormatText = 1;
inline constexpr int kFormatBitmap = 2;
inline constexpr int kFormatUnicodeText = 13;
inline constexpr int kFormatFileList = 15;

// Clipboard formats whose data is a memory block (false for GDI handles such as bitmaps,
// palettes and enhanced metafiles, whose data files stay empty).
bool formatHoldsMemory(int format);
// Formats that can be put back on the clipboard from their stored bytes: memory formats that
// hold no handles (a metafile picture holds one, which means nothing once stored).
bool formatRestoresFromBytes(int format);
// The formats a paste "as plain text" keeps: the three texts and the locale that tells how to
// read the ANSI one.
bool isPlainTextFormat(int format);

// The content text of a picture clip begins so: "picture:size 1920*1080".
inline constexpr std::string_view kPictureContentPrefix = "picture:size ";
std::string pictureContent(int width, int height);

// UTF-16 little-endian bytes (clipboard format 13) as text, up to the first zero character.
std::u16string utf16FromBytes(std::string_view bytes);
// The text of a text format's data: format 1 in the system code page up to its first zero byte,
// format 13 as utf16FromBytes reads it.
std::u16string clipboardText(std::string_view bytes, int format);

}  // namespace store
