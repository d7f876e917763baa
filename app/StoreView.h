// One view of the store for the clip list: the rows that a node of the category tree shows,
// built in one pass over the index's elements (no <windows.h>; the data files are read through
// a reader the caller gives).
#pragma once

#include "ui/ClipListModel.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace xml { class XmlDocument; }

namespace clip {

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
    // Whether a call for `name` (an element, or a record's bitmap) gave nothing because its file is
    // sealed where this user cannot open it (never, for a reader of data in memory).
    virtual bool unreadable(const std::string& /*name*/) const { return false; }
};

// What one part of a clip shows as its row: its kind (the row's image: 0 text, 1 picture, 2 file
// list) and its content text.
struct PartRow {
    int kind = 0;
    std::u16string content;
};

// The row of a clip's part `element` holding `format`: text (1, 13), a picture (2, from the
// clip's bitmap file) or a file list (15); nothing for other formats or data that cannot be
// read, but a text row saying so (kUnreadableClipText) for data sealed where this user cannot
// open it. Every view of a clip, the list's and the clip menu's, shows it this way.
std::optional<PartRow> partRow(int format, const std::string& element, const std::string& clip, RecordReader& reader);

// A row of the list, which knows the clip it was made from (ui/ClipListModel.h).
using ViewRow = cliplist::Row;

enum class ViewNode { Collection, Hotkeys, Other };

// The paste queue's view: the history's rows of the queued numbers, in the queue's order (a
// number without a row shows nothing).
std::vector<ViewRow> queueView(std::vector<ViewRow> history, const std::vector<int>& queue);

// The whole text of the history's newest text row (the latest copy time, the higher number between
// equal times): what the last copy of a restored history was, which a copy repeating it does not
// file again. Nothing when the history holds no text.
std::optional<std::u16string> newestHistoryText(const std::vector<ViewRow>& rows);

// The rows of the view of `node` (whose tree text is `nodeText`) from a loaded index, one per
// record from its first displayable part, in the order of the records; an empty document gives
// no rows.
std::vector<ViewRow> buildStoreView(xml::XmlDocument& index, ViewNode node, const std::u16string& nodeText,
                                    RecordReader& reader);

}  // namespace clip
