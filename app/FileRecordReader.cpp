#include "app/FileRecordReader.h"

#include "store/BmpLayout.h"
#include "store/ClipboardCopy.h"
#include "store/ClipFormats.h"
#include "store/ClipSnapshot.h"
#include "store/DataFiles.h"
#include "store/DropFiles.h"

namespace app {

std::optional<std::string> FileRecordReader::content(const std::string& path, const std::string& name, std::size_t count) {
    store::DataContent read = count ? store::readDataStart(path, count) : store::readDataContent(path);
    if (read.state == store::DataState::Unreadable)
        m_unreadable.insert(name);
    if (read.state != store::DataState::Read)
        return std::nullopt;
    return std::move(read.bytes);
}

// An empty data file is an empty text: the clip was copied with no characters in it.
std::optional<std::u16string> FileRecordReader::text(const std::string& element, int format) {
    const std::optional<std::string> bytes = content(m_paths.dataFile(element), element);
    if (!bytes)
        return std::nullopt;
    return store::clipboardText(*bytes, format);
}

base::UniqueBitmap FileRecordReader::loadBitmap(const std::string& recordName) const {
    const std::optional<std::string> file = store::readData(m_paths.bitmapFile(recordName));
    return base::UniqueBitmap(file ? store::bitmapFromFileBytes(*file) : nullptr);
}

// From the bitmap file's headers alone where it is plain: a list of a lasting history shows
// hundreds of screen-sized pictures, and loading each whole only to learn its size held the
// window's first paint for seconds. A sealed one is opened whole.
std::optional<std::pair<int, int>> FileRecordReader::pictureSize(const std::string& recordName) {
    const std::optional<std::string> headers = content(m_paths.bitmapFile(recordName), recordName, store::kBmpHeadersSize);
    return headers ? store::bitmapFileSize(*headers) : std::nullopt;
}

std::optional<std::u16string> FileRecordReader::firstFile(const std::string& element) {
    const std::optional<std::string> bytes = content(m_paths.dataFile(element), element);
    std::u16string path;
    if (!bytes || !store::firstDroppedFilePath(*bytes, path))
        return std::nullopt;
    return path;
}

}  // namespace app
