// One view of the store for the clip list: the rows that a node of the category tree shows,
// built in one pass over the index's elements (no <windows.h>; the data files are read through
// a reader the caller gives).
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

class XmlDocument;

namespace clip {

struct ViewRow {
    int kind = 0;                 // 0 text, 1 picture, 2 file list
    std::u16string content;
    std::string copyTime;
    std::string number;           // list column 2
    std::string useTime;
};

enum class ViewNode { Collection, Hotkeys, Other };

// What the view needs of the data files.
class RecordReader {
public:
    virtual ~RecordReader() = default;
    // The text of a data file of format 1 or 13 (an empty file is an empty text); nothing when
    // it cannot be read.
    virtual std::optional<std::u16string> text(const std::string& element, int format) = 0;
    // The size of a record's bitmap file; nothing when it cannot be loaded.
    virtual std::optional<std::pair<int, int>> pictureSize(const std::string& recordName) = 0;
    // The first path of a file-list data file; nothing when it cannot be read.
    virtual std::optional<std::u16string> firstFile(const std::string& element) = 0;
};

// The rows of the view of `node` (whose tree text is `nodeText`) from a loaded index; an empty
// document gives no rows.
std::vector<ViewRow> buildStoreView(XmlDocument& index, ViewNode node, const std::u16string& nodeText,
                                    RecordReader& reader);

}  // namespace clip
