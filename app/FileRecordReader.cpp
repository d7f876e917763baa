#include "FileRecordReader.h"

#include "FileSystem.h"
#include "StoreFormat.h"
#include "Text.h"
#include "base/Text.h"

// An empty data file is an empty text: the clip was copied with no characters in it.
std::optional<std::u16string> FileRecordReader::text(const std::string& element, int format) {
    const std::optional<std::string> bytes = store::files::readAll(m_paths.dataFile(element));
    if (!bytes)
        return std::nullopt;
    if (format == store::kFormatText)
        return store::codePageToUtf16(std::string_view(bytes->c_str()));  // up to the first zero byte
    return store::utf16FromBytes(*bytes);
}

base::UniqueBitmap FileRecordReader::loadBitmap(const std::string& recordName) const {
    const std::string path = m_paths.bitmapFile(recordName);
    if (path.empty())
        return base::UniqueBitmap();
    return base::UniqueBitmap(
        static_cast<HBITMAP>(LoadImageW(nullptr, base::toWide(path).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
}

std::optional<std::pair<int, int>> FileRecordReader::pictureSize(const std::string& recordName) {
    const base::UniqueBitmap bitmap = loadBitmap(recordName);
    BITMAP description = {};
    if (!bitmap || !GetObjectW(bitmap.get(), sizeof description, &description))
        return std::nullopt;
    return std::make_pair(static_cast<int>(description.bmWidth), static_cast<int>(description.bmHeight));
}

std::optional<std::u16string> FileRecordReader::firstFile(const std::string& element) {
    const std::optional<std::string> bytes = store::files::readAll(m_paths.dataFile(element));
    std::u16string path;
    if (!bytes || !store::firstDroppedFilePath(*bytes, path))
        return std::nullopt;
    return path;
}
