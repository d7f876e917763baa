// What a machine removes from its own folder, decided from its own journal alone: files are named
// by their entries, never found by listing or sorting the folder. Portable: no <windows.h>.
//
// - A clip's file goes once no entry still adds it: the user deleted it from the history, or it
//   was dropped, because every record of it is older than the age limit, or because the clips
//   kept are over the size the user set (those recorded longest ago go first). A dropped clip is
//   announced by a Dropped entry before its file goes, so readers do not wait for it.
// - A journal segment goes only after every segment before it, only when it is closed, only when
//   every clip it adds has ended (deleted or dropped, and that entry is in a later segment or in
//   itself), and only when every other machine whose seen file is here has read past its last
//   entry, or its last entry is older than kForgetUnreadAfter. So the journal kept is always a
//   suffix in which every clip that ended says so: a machine reading it from any point, or from
//   its start, never brings back a clip its machine deleted. A machine that was away for longer
//   than kForgetUnreadAfter misses the deletions of that time and may keep those rows; it never
//   gets deleted clips back.
#pragma once

#include "sync/Journal.h"

#include <cstdint>
#include <string>
#include <vector>

namespace clipsync {

inline constexpr std::int64_t kDay = 24 * 60 * 60;
inline constexpr std::int64_t kDefaultMaxAge = 30 * kDay;
inline constexpr std::int64_t kForgetUnreadAfter = 60 * kDay;

struct PruneLimits {
    std::int64_t maxAge = kDefaultMaxAge;  // seconds
    std::uint64_t maxBytes = std::uint64_t{1} << 30;
};

struct PrunePlan {
    std::vector<std::string> toDrop;              // clips to announce as Dropped, oldest first
    std::vector<std::string> clipFilesToRemove;   // clips no entry adds any more, after the drops
    std::vector<std::uint64_t> segmentsToRemove;  // oldest first
};

// `segments`: the machine's own, in number order. `othersNext`: for each other machine that said
// how far it read this one, the next seq it would take. `now`: seconds since 1970 (UTC).
PrunePlan planPruning(const std::vector<Segment>& segments, const std::vector<std::uint64_t>& othersNext, std::int64_t now,
                      const PruneLimits& limits);

}  // namespace clipsync
