// The store's time stamps.
#include "store/TimeStamp.h"

#include <gtest/gtest.h>

namespace {

using namespace store;

TEST(StoreTime, StampsArePaddedAndSortAsText) {
    EXPECT_EQ(formatTimeStamp({2012, 5, 7, 9, 3, 41}), "2012-05-07 09:03:41");
    EXPECT_LT(formatTimeStamp({2012, 5, 7, 9, 3, 41}), formatTimeStamp({2012, 11, 1, 0, 0, 0}));
}

}  // namespace
