#include "FileRecordReader.h"

#include "FileUtf8.h"
#include "StoreFormat.h"
#include "fw/Text.h"

namespace {

std::u16string fromCodePage(const std::string& bytes) {
    const std::string text(bytes.c_str());  // up to the first zero byte
    if (text.empty())
        return {};
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::u16string out(static_cast<std::size_t>(length), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), reinterpret_cast<wchar_t*>(out.data()),
                        length);
    return out;
}

}  // namespace

std::optional<std::string> FileRecordReader::readFile(const std::string& name) const {
    if (!store::isPlainFileName(name))
        return std::nullopt;
    return readFileBytes(m_dataFolder + "\\" + name);
}

std::optional<std::u16string> FileRecordReader::text(const std::string& element, int format) {
    const std::optional<std::string> bytes = readFile(element);
    if (!bytes || bytes->empty())
        return std::nullopt;
    return format == store::kFormatText ? fromCodePage(*bytes) : store::utf16FromBytes(*bytes);
}

HBITMAP FileRecordReader::loadBitmap(const std::string& recordName) const {
    const std::string file = store::bitmapFileName(recordName);
    if (!store::isPlainFileName(file))
        return nullptr;
    return static_cast<HBITMAP>(LoadImageW(nullptr, fw::toWide(m_dataFolder + "\\" + file).c_str(), IMAGE_BITMAP, 0, 0,
                                           LR_LOADFROMFILE));
}

std::optional<std::pair<int, int>> FileRecordReader::pictureSize(const std::string& recordName) {
    HBITMAP bitmap = loadBitmap(recordName);
    if (!bitmap)
        return std::nullopt;
    BITMAP description = {};
    GetObjectW(bitmap, sizeof description, &description);
    DeleteObject(bitmap);
    return std::make_pair(static_cast<int>(description.bmWidth), static_cast<int>(description.bmHeight));
}

std::optional<std::u16string> FileRecordReader::firstFile(const std::string& element) {
    const std::optional<std::string> bytes = readFile(element);
    store::DroppedFileName name;
    if (!bytes || !store::firstDroppedFile(*bytes, name))
        return std::nullopt;
    std::u16string path = name.isWide ? name.wide : fromCodePage(name.narrow);
    if (path.size() > 259)
        path.resize(259);
    return path;
}
