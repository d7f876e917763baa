// One view of the store for the clip list: the rows that a node of the category tree shows,
// built in one pass over the index's elements (no <windows.h>; the data files are read through
// a reader the caller gives).
#pragma once

#include "store/PartRows.h"
#include "ui/ClipListModel.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace xml { class XmlDocument; }

namespace app {

// What a clip's part shows as a row, and the reader of its data (store/PartRows.h).
using store::PartRow;
using store::partRow;
using store::RecordReader;

// A row of the list, which knows the clip it was made from (ui/ClipListModel.h).
using ViewRow = ui::cliplist::Row;

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

}  // namespace app
