#include "store/RestorableFormats.h"

#include "store/ClipFormats.h"
#include "store/ClipNames.h"
#include "store/DataFiles.h"
#include "store/DropFiles.h"
#include "store/StoreFile.h"
#include "xml/XmlDocument.h"

#include <cstdlib>

using xml::XmlDocument;

namespace store {

namespace {

// Each format of `clip` in the loaded index with its place, in index order, up to the first gap
// or a format number below 1.
template <class Visit>
void eachStoredFormat(XmlDocument& doc, std::string_view clip, Visit&& visit) {
    doc.resetPosition();
    if (!doc.findElement() || !doc.enterElement())
        return;
    for (int i = 0; doc.findElement(formatElementName(clip, i)); ++i) {
        const int format = std::atoi(doc.elementText().c_str());
        if (format < 1)
            return;
        visit(i, format);
    }
}

}  // namespace

std::optional<RestorableFormats> storedFormats(const StorePaths& paths, std::string_view clip, bool plainText) {
    XmlDocument doc;
    if (readStoreFile(paths.indexFile(), doc) != FileState::Loaded)
        return std::nullopt;
    RestorableFormats stored;
    bool readable = true;
    eachStoredFormat(doc, clip, [&](int i, int format) {
        if (!formatRestoresFromBytes(format) || (plainText && !isPlainTextFormat(format)))
            return;
        DataContent content = readDataContent(paths.dataFile(formatElementName(clip, i)));
        readable = readable && content.state != DataState::Unreadable;
        if (bytesRestore(format, content.bytes))
            stored.emplace_back(static_cast<unsigned>(format), std::move(content.bytes));
    });
    if (!readable)
        return std::nullopt;
    return stored;
}

std::map<std::string, std::u16string> fileListTexts(const StorePaths& paths, const std::vector<std::string>& clips) {
    std::map<std::string, std::u16string> texts;
    XmlDocument doc;
    if (clips.empty() || readStoreFile(paths.indexFile(), doc) != FileState::Loaded)
        return texts;
    for (const std::string& clip : clips)
        eachStoredFormat(doc, clip, [&](int i, int format) {
            std::u16string path;
            if (format != kFormatFileList || texts.count(clip))
                return;
            const std::optional<std::string> bytes = readData(paths.dataFile(formatElementName(clip, i)));
            if (bytes && firstDroppedFilePath(*bytes, path))
                texts[clip] = fileListContent(path);
        });
    return texts;
}

RestorableFormats restorableFormats(const ClipSnapshot& snapshot) {
    RestorableFormats formats;
    for (const ClipSnapshot::Format& format : snapshot.formats)
        if (bytesRestore(static_cast<int>(format.format), format.bytes))
            formats.emplace_back(format.format, format.bytes);
    return formats;
}

}  // namespace store
