#include "RestorableFormats.h"

#include "ClipFormats.h"
#include "ClipNames.h"
#include "FileSystem.h"
#include "StoreFile.h"
#include "XmlDocument.h"

#include <cstdlib>

using xml::XmlDocument;

namespace store {

std::optional<RestorableFormats> storedFormats(const StorePaths& paths, std::string_view clip, bool plainText) {
    XmlDocument doc;
    if (readStoreFile(paths.indexFile(), doc) != FileState::Loaded)
        return std::nullopt;
    RestorableFormats stored;
    doc.resetPosition();
    if (doc.findElement() && doc.enterElement()) {
        for (int i = 0; doc.findElement(formatElementName(clip, i)); ++i) {
            const int format = std::atoi(doc.elementText().c_str());
            if (format < 1)
                break;
            if (!formatRestoresFromBytes(format) || (plainText && !isPlainTextFormat(format)))
                continue;
            std::optional<std::string> bytes = files::readAll(paths.dataFile(formatElementName(clip, i)));
            if (bytes && !bytes->empty())
                stored.emplace_back(static_cast<unsigned>(format), std::move(*bytes));
        }
    }
    return stored;
}

RestorableFormats restorableFormats(const ClipSnapshot& snapshot) {
    RestorableFormats formats;
    for (const ClipSnapshot::Format& format : snapshot.formats)
        if (formatRestoresFromBytes(static_cast<int>(format.format)) && !format.bytes.empty())
            formats.emplace_back(format.format, format.bytes);
    return formats;
}

}  // namespace store
