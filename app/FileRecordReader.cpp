#include "app/FileRecordReader.h"

#include "store/BmpLayout.h"
#include "store/ClipFormats.h"
#include "store/ClipSnapshot.h"
#include "store/DropFiles.h"
#include "store/FileSystem.h"
#include "base/Text.h"

#include <cstdint>

// An empty data file is an empty text: the clip was copied with no characters in it.
std::optional<std::u16string> FileRecordReader::text(const std::string& element, int format) {
    const std::optional<std::string> bytes = store::files::readAll(m_paths.dataFile(element));
    if (!bytes)
        return std::nullopt;
    return store::clipboardText(*bytes, format);
}

base::UniqueBitmap FileRecordReader::loadBitmap(const std::string& recordName) const {
    const std::string path = m_paths.bitmapFile(recordName);
    if (path.empty())
        return base::UniqueBitmap();
    return base::UniqueBitmap(
        static_cast<HBITMAP>(LoadImageW(nullptr, base::toWide(path).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
}

// From the bitmap file's headers alone: a list of a lasting history shows hundreds of screen-sized
// pictures, and loading each whole only to learn its size held the window's first paint for
// seconds.
std::optional<std::pair<int, int>> FileRecordReader::pictureSize(const std::string& recordName) {
    const std::optional<std::string> headers = store::files::readStart(m_paths.bitmapFile(recordName), store::kBmpHeadersSize);
    return headers ? store::bitmapFileSize(*headers) : std::nullopt;
}

std::optional<std::u16string> FileRecordReader::firstFile(const std::string& element) {
    const std::optional<std::string> bytes = store::files::readAll(m_paths.dataFile(element));
    std::u16string path;
    if (!bytes || !store::firstDroppedFilePath(*bytes, path))
        return std::nullopt;
    return path;
}
