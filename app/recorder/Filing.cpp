#include "app/recorder/Filing.h"

#include "app/ClipRules.h"
#include "app/UserSwitches.h"
#include "store/ClipNames.h"
#include "store/NumberText.h"
#include "store/Protocol.h"
#include "base/Trace.h"

namespace app::recorder {

Filing fileCopy(const store::StorePaths& paths, const store::ClipSnapshot& copy, const std::string& stamp,
                LastText& lastText) {
    Filing filing;
    const std::optional<PartRow> part = snapshotRow(copy);
    if (!part) {
        filing.outcome = Filing::Outcome::NothingToShow;
        return filing;
    }
    const bool text = part->kind == kRowText;
    if (text && !lastText.admit(part->content)) {
        filing.outcome = Filing::Outcome::Repeat;
        return filing;
    }
    const store::FiledRecord filed = fileMakingRoomWhenAsked([&](store::WhenHistoryFull whenFull) {
        return store::fileHistoryRecord(paths, copy, stamp, whenFull);
    });
    switch (filed.outcome) {
    case store::FiledRecord::Outcome::Filed:
        break;
    case store::FiledRecord::Outcome::HistoryFull:
        filing.outcome = Filing::Outcome::HistoryFull;
        break;
    case store::FiledRecord::Outcome::Failed:
        filing.outcome = Filing::Outcome::Failed;
        break;
    }
    if (filed.outcome != store::FiledRecord::Outcome::Filed) {
        if (text)
            lastText.set({});  // not filed: the same text copied again is no repeat
        return filing;
    }
    base::Trace("recorded as his%d-%s", filed.number, filed.madeRoom ? " in place of the oldest unfiled clip" : "");
    filing.outcome = Filing::Outcome::Filed;
    filing.number = filed.number;
    filing.madeRoom = filed.madeRoom;
    filing.row = ViewRow{part->kind,       part->content, filed.stamp, store::historyNumberText(filed.number),
                         filed.stamp,      copy.source,   store::historyClipName(filed.number), {}};
    return filing;
}

store::FiledRecord fileMakingRoomWhenAsked(const std::function<store::FiledRecord(store::WhenHistoryFull)>& file) {
    const store::FiledRecord filed = file(store::WhenHistoryFull::Refuse);
    if (filed.outcome != store::FiledRecord::Outcome::HistoryFull || !userSwitchOn(store::kMakeRoomWhenFullSetting))
        return filed;
    return file(store::WhenHistoryFull::RemoveOldest);
}

}  // namespace app::recorder
