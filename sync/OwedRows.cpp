#include "sync/OwedRows.h"

#include "store/TimeStamp.h"

#include <algorithm>
#include <set>

namespace clipsync {

std::vector<std::string> owedRows(const std::vector<Segment>& segments, std::vector<OwnRow> rows, std::string_view since,
                                  std::int64_t now, std::int64_t maxAge) {
    if (since.empty())
        return {};
    std::string from = std::max(std::string(since), store::timeStampOf(now - maxAge));
    for (const Segment& segment : segments)
        if (!segment.entries.empty()) {
            from = std::max(from, store::timeStampOf(segment.entries.front().time));  // the oldest entry kept
            break;
        }
    std::set<std::string_view> named;
    for (const Segment& segment : segments)
        for (const Entry& entry : segment.entries)
            if (entry.kind == EntryKind::Added)
                named.insert(entry.localKey);
    std::stable_sort(rows.begin(), rows.end(), [](const OwnRow& a, const OwnRow& b) { return a.stamp < b.stamp; });
    std::vector<std::string> owed;
    for (const OwnRow& row : rows)
        if (row.stamp >= from && !named.count(row.key))
            owed.push_back(row.key);
    return owed;
}

}  // namespace clipsync
