// Which clipboard changes are the hook library's own, as plain functions over plain data (no
// <windows.h>). The library notes each change it makes as a range of clipboard sequence numbers
// together with the process whose window owns the clipboard afterwards; the main program's
// recorder asks about a change it is about to read, holding the clipboard open, and skips it
// when a range covers it.
#pragma once

#include <cstdint>
#include <vector>

namespace hooklib {

// A range still under way after this long was left behind by a library that never finished it
// (its application hung or went away): it covers nothing any more.
inline constexpr std::uint32_t kStaleMs = 10000;

struct Range {
    std::uint32_t first = 0;         // the first sequence number the change may have produced
    std::uint32_t end = 0;           // one past the last, once it is no longer under way
    std::uint32_t ownerProcess = 0;  // the process whose window owns the clipboard after the change
    std::uint32_t startedTick = 0;   // when it was noted (a tick count)
    bool underWay = false;           // still making changes: every number from `first` on
};

bool isStale(const Range& range, std::uint32_t nowTick);

// Whether the range covers the change `sequence` whose clipboard is owned by a window of
// `ownerProcess`. Sequence numbers and tick counts are 32-bit and wrap.
bool covers(const Range& range, std::uint32_t sequence, std::uint32_t ownerProcess, std::uint32_t nowTick);

// Whether any of the ranges covers it. A change whose clipboard has no owner (0) is never ours:
// the library always changes the clipboard through a window.
bool isOwnChange(const std::vector<Range>& ranges, std::uint32_t sequence, std::uint32_t ownerProcess,
                 std::uint32_t nowTick);

}  // namespace hooklib
