// The hook library's own clipboard changes: which sequence numbers a noted range covers, for
// which owner, and when a range left under way stops counting.
#include "hooklib/OwnChangeRules.h"

#include <gtest/gtest.h>

namespace {

using hooklib::Range;

constexpr std::uint32_t kOurs = 400, kOther = 512;

TEST(OwnChangeRules, ARangeCoversItsNumbersForItsOwnerAlone) {
    const Range done{10, 13, kOurs, 1000, false};     // 10, 11, 12
    const Range underWay{20, 0, kOurs, 1000, true};   // 20 and on
    const Range empty{30, 30, kOurs, 1000, false};    // nothing (data rendered without a change)
    const Range wrapped{0xFFFFFFFEu, 2, kOurs, 1000, false};  // ...FE, ...FF, 0, 1
    struct Case {
        const char* what;
        Range range;
        std::uint32_t sequence, owner, now;
        bool covered;
    };
    const Case cases[] = {
        {"before a range", done, 9, kOurs, 1001, false},
        {"its first number", done, 10, kOurs, 1001, true},
        {"its last number", done, 12, kOurs, 1001, true},
        {"one past its end", done, 13, kOurs, 1001, false},
        {"another program's change within it", done, 11, kOther, 1001, false},
        {"a change without an owner", done, 11, 0, 1001, false},
        {"under way: before it", underWay, 19, kOurs, 1001, false},
        {"under way: every number from its first", underWay, 20000, kOurs, 1001, true},
        {"under way: another program's change", underWay, 25, kOther, 1001, false},
        {"under way a moment less than stale", underWay, 21, kOurs, 1000 + hooklib::kStaleMs - 1, true},
        {"under way and stale", underWay, 21, kOurs, 1000 + hooklib::kStaleMs, false},
        {"a finished range never goes stale", done, 11, kOurs, 1000 + 10 * hooklib::kStaleMs, true},
        {"an empty range", empty, 30, kOurs, 1001, false},
        {"across the wrap: before", wrapped, 0xFFFFFFFDu, kOurs, 1001, false},
        {"across the wrap: first", wrapped, 0xFFFFFFFEu, kOurs, 1001, true},
        {"across the wrap: after it", wrapped, 1, kOurs, 1001, true},
        {"across the wrap: past its end", wrapped, 2, kOurs, 1001, false},
        {"stale across the tick wrap", Range{20, 0, kOurs, 0xFFFFFF00u, true}, 21, kOurs, hooklib::kStaleMs, false},
        {"fresh across the tick wrap", Range{20, 0, kOurs, 0xFFFFFF00u, true}, 21, kOurs, 100, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hooklib::covers(c.range, c.sequence, c.owner, c.now), c.covered) << c.what;
}

TEST(OwnChangeRules, AChangeIsOursWhenAnyRangeCoversIt) {
    const std::vector<Range> ranges = {
        {10, 12, kOurs, 1000, false},   // keeping and emptying
        {15, 0, kOther, 1000, true},    // the target's answer to our copy chord, still awaited
        {},                             // a slot never used
    };
    EXPECT_TRUE(hooklib::isOwnChange(ranges, 11, kOurs, 1100));
    EXPECT_FALSE(hooklib::isOwnChange(ranges, 12, kOurs, 1100));   // another program's copy after it
    EXPECT_TRUE(hooklib::isOwnChange(ranges, 16, kOther, 1100));
    EXPECT_FALSE(hooklib::isOwnChange(ranges, 16, kOurs, 1100));
    EXPECT_FALSE(hooklib::isOwnChange(ranges, 0, 0, 1100));
    EXPECT_FALSE(hooklib::isOwnChange({}, 11, kOurs, 1100));
}

}  // namespace
