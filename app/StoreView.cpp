#include "StoreView.h"

#include "ClipRules.h"
#include "StoreFormat.h"
#include "XmlDocument.h"

#include <cstdlib>

namespace clip {

namespace {

std::string removeAll(std::string text, std::string_view what) {
    for (std::size_t at; (at = text.find(what)) != std::string::npos;)
        text.erase(at, what.size());
    return text;
}

std::u16string toUtf16(std::string_view text) {
    return utf8ToUtf16(text);
}

}  // namespace

std::vector<ViewRow> buildStoreView(XmlDocument& index, ViewNode node, const std::u16string& nodeText,
                                    RecordReader& reader) {
    std::vector<ViewRow> rows;
    const std::string prefix = node == ViewNode::Hotkeys ? "copy" : "his";
    std::u16string category = toUtf16(kCollectionText);
    std::string number, lastNumber, recordName, copyTime, useTime;

    index.resetPosition();
    if (!index.findElement() || !index.enterElement())
        return rows;
    while (index.findElement()) {
        const std::string name = index.tagName();
        if (name.find(prefix) == std::string::npos)
            continue;
        if (name.find("time") != std::string::npos) {
            if (name.find("usetime") != std::string::npos) {
                useTime = index.elementText();
                continue;
            }
            // A copy-time element starts a record.
            copyTime = index.elementText();
            const std::string rest = removeAll(name, prefix);
            const std::string key = rest.substr(0, rest.find('-'));
            recordName = node == ViewNode::Hotkeys ? "copy" + key : "his" + key + "-";
            switch (node) {
            case ViewNode::Collection:
                number = key;
                category = toUtf16(kCollectionText);
                break;
            case ViewNode::Hotkeys:
                number = "ctrl+alt+" + key;
                category = toUtf16(kHotkeysText);
                break;
            case ViewNode::Other:
                number = key;
                category.clear();
                break;
            }
            continue;
        }
        if (name.find("category") != std::string::npos) {
            category = toUtf16(index.elementText());
            continue;
        }
        if (nodeText != category || number == lastNumber)
            continue;
        const std::string value = index.elementText();
        if (value.empty())
            continue;
        const int format = std::atoi(value.c_str());
        ViewRow row;
        if (format == 1 || format == 13) {
            std::optional<std::u16string> text = reader.text(name, format);
            if (!text)
                continue;
            row.kind = kRowText;
            row.content = std::move(*text);
        } else if (format == 2) {
            const auto size = reader.pictureSize(recordName);
            if (!size)
                continue;
            row.kind = kRowPicture;
            row.content = toUtf16(pictureContent(size->first, size->second));
        } else if (format == 15) {
            const auto path = reader.firstFile(name);
            if (!path)
                continue;
            row.kind = kRowFileList;
            row.content = store::fileListContent(*path);
        } else {
            continue;
        }
        row.copyTime = copyTime;
        row.number = number;
        row.useTime = useTime;
        rows.push_back(std::move(row));
        lastNumber = number;
    }
    return rows;
}

}  // namespace clip
