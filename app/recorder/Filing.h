// The one road from a copy in memory to a history record and its row, for the recorder and for a
// slot copy alike: the row decided from the copy (the list's own rule), a text repeating the last
// text dropped (the test and the set one step), the record filed with the lowest free number
// (making room when the user's switch says so), and the row the list shows made from what was filed.
#pragma once

#include "app/StoreView.h"
#include "app/recorder/RecordRules.h"
#include "store/ClipSnapshot.h"
#include "store/StorePaths.h"

#include <functional>
#include <optional>
#include <string>

namespace app::recorder {

struct Filing {
    enum class Outcome {
        Filed,          // a history record: `number`, `row`
        Repeat,         // its text repeats the last text: not filed
        NothingToShow,  // no text, picture or file list: not filed
        HistoryFull,    // no free history number
        Failed,         // the store could not be written
    };
    Outcome outcome = Outcome::Failed;
    int number = 0;
    bool madeRoom = false;  // the number was an older clip's, removed to make room
    ViewRow row;            // the list's row of the record, when filed
};

// Who hears of a copy filed as a history record, with its row and whether it took the number of
// the oldest record to make room (the sync folder's engine).
using FiledCopyListener = std::function<void(const store::ClipSnapshot& copy, const ViewRow& row, bool madeRoom)>;

// `copy` filed as a history record copied at `stamp`.
Filing fileCopy(const store::StorePaths& paths, const store::ClipSnapshot& copy, const std::string& stamp,
                LastText& lastText);

// A history record filed by `file`; in a full history it is filed again making room when the
// user's "make room when full" switch is on (the setting is read only then, off every copy's path).
store::FiledRecord fileMakingRoomWhenAsked(const std::function<store::FiledRecord(store::WhenHistoryFull)>& file);

}  // namespace app::recorder
