// Which of this machine's copies its folder still owes the other machines, decided from its own
// journal when the folder opens. A copy is published while the program runs; one that waited in
// the queue when the program ended (the folder was missing or full), or did not fit the queue,
// was never written, and nothing else would ever send it. Portable: no <windows.h>.
#pragma once

#include "sync/Journal.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace clipsync {

// A row of this machine's history: the key it goes out under and its copy time as a local time
// stamp ("2026-12-11 09:30:00", store/TimeStamp.h).
struct OwnRow {
    std::string key;
    std::string stamp;
};

// The keys of `rows` that no entry of the journal names, oldest first, among those copied since
// syncing was turned on here (`since`, a stamp; nothing without it), since the journal's oldest
// entry kept (a row before it may have been written and pruned since) and within `maxAge` of
// `now` (seconds, UTC: older ones would be pruned at once).
std::vector<std::string> owedRows(const std::vector<Segment>& segments, std::vector<OwnRow> rows, std::string_view since,
                                  std::int64_t now, std::int64_t maxAge);

}  // namespace clipsync
