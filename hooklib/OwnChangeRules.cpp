#include "hooklib/OwnChangeRules.h"

namespace hooklib {

bool isStale(const Range& range, std::uint32_t nowTick) {
    return range.underWay && static_cast<std::uint32_t>(nowTick - range.startedTick) >= kStaleMs;
}

bool covers(const Range& range, std::uint32_t sequence, std::uint32_t ownerProcess, std::uint32_t nowTick) {
    if (ownerProcess == 0 || range.ownerProcess != ownerProcess || isStale(range, nowTick))
        return false;
    const std::uint32_t offset = sequence - range.first;
    if (range.underWay)
        return offset < 0x80000000u;  // at or after the first number, across a wrap
    return offset < static_cast<std::uint32_t>(range.end - range.first);
}

bool isOwnChange(const std::vector<Range>& ranges, std::uint32_t sequence, std::uint32_t ownerProcess,
                 std::uint32_t nowTick) {
    for (const Range& range : ranges)
        if (covers(range, sequence, ownerProcess, nowTick))
            return true;
    return false;
}

}  // namespace hooklib
