#include "store/PartRows.h"

#include "store/ClipFormats.h"
#include "store/DropFiles.h"
#include "xml/XmlText.h"

namespace store {

std::optional<PartRow> partRow(int format, const std::string& element, const std::string& clip, RecordReader& reader) {
    switch (format) {
    case kFormatText:
    case kFormatUnicodeText:
        if (std::optional<std::u16string> text = reader.text(element, format))
            return PartRow{kPartText, std::move(*text)};
        return std::nullopt;
    case kFormatBitmap:
        if (const auto size = reader.pictureSize(clip))
            return PartRow{kPartPicture, xml::utf8ToUtf16(pictureContent(size->first, size->second))};
        return std::nullopt;
    case kFormatFileList:
        if (const auto path = reader.firstFile(element))
            return PartRow{kPartFileList, fileListContent(*path)};
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

}  // namespace store
