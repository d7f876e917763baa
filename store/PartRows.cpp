#include "store/PartRows.h"

#include "store/ClipFormats.h"
#include "store/DropFiles.h"
#include "xml/XmlText.h"

namespace store {

namespace {

// The row of a part whose file gave nothing: one saying so when it is sealed out of this user's
// reach, else none.
std::optional<PartRow> unreadableRow(const RecordReader& reader, const std::string& name) {
    if (!reader.unreadable(name))
        return std::nullopt;
    return PartRow{kPartText, xml::utf8ToUtf16(kUnreadableClipText)};
}

}  // namespace

std::optional<PartRow> partRow(int format, const std::string& element, const std::string& clip, RecordReader& reader) {
    switch (format) {
    case kFormatText:
    case kFormatUnicodeText:
        if (std::optional<std::u16string> text = reader.text(element, format))
            return PartRow{kPartText, std::move(*text)};
        return unreadableRow(reader, element);
    case kFormatBitmap:
        if (const auto size = reader.pictureSize(clip))
            return PartRow{kPartPicture, xml::utf8ToUtf16(pictureContent(size->first, size->second))};
        return unreadableRow(reader, clip);
    case kFormatFileList:
        if (const auto path = reader.firstFile(element))
            return PartRow{kPartFileList, fileListContent(*path)};
        return unreadableRow(reader, element);
    default:
        return std::nullopt;
    }
}

}  // namespace store
