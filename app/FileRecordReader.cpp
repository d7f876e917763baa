#include "FileRecordReader.h"

#include "ClipSnapshot.h"
#include "FileSystem.h"
#include "StoreFormat.h"
#include "Text.h"
#include "base/Text.h"

#include <cstdint>

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

// Only the file's headers are read (a picture of the screen is megabytes): the size is in them,
// and a file shorter than its header says it is shows no picture.
std::optional<std::pair<int, int>> FileRecordReader::pictureSize(const std::string& recordName) {
    const std::string path = m_paths.bitmapFile(recordName);
    if (path.empty())
        return std::nullopt;
    const base::UniqueFile file(CreateFileW(base::toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string headers(store::kBmpHeadersSize, '\0');
    DWORD got = 0;
    LARGE_INTEGER fileSize = {};
    if (!file || !ReadFile(file.get(), headers.data(), static_cast<DWORD>(headers.size()), &got, nullptr) ||
        got != headers.size() || !GetFileSizeEx(file.get(), &fileSize) ||
        static_cast<std::uint64_t>(fileSize.QuadPart) < store::readLittleEndian(headers, 2))
        return std::nullopt;
    return store::bitmapFileSize(headers);
}

std::optional<std::u16string> FileRecordReader::firstFile(const std::string& element) {
    const std::optional<std::string> bytes = store::files::readAll(m_paths.dataFile(element));
    std::u16string path;
    if (!bytes || !store::firstDroppedFilePath(*bytes, path))
        return std::nullopt;
    return path;
}
