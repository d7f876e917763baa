// The budget of one copy and the order its formats are read in.
#include "store/ClipBudget.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace store;

// The budget of one copy: the architecture's own unless the environment lowers it, and the
// formats read in the order that keeps the texts and the row's bitmap first.
TEST(StoreBudget, LoweredOnlyAndTextsFirst) {
    const struct {
        const char* megabytes;
        bool wide;
        std::size_t budget;
    } budgets[] = {
        {"", true, 256 * kMegabyte},  {"", false, 64 * kMegabyte},   {"1", true, kMegabyte},
        {"63", false, 63 * kMegabyte}, {"300", true, 256 * kMegabyte}, {"64", false, 64 * kMegabyte},
        {"0", true, 256 * kMegabyte},  {"-5", true, 256 * kMegabyte},  {"12x", false, 64 * kMegabyte},
        {"9999999", false, 64 * kMegabyte},
    };
    for (const auto& row : budgets)
        EXPECT_EQ(clipBudgetBytes(row.megabytes, row.wide), row.budget) << row.megabytes << " " << row.wide;
    EXPECT_TRUE(fitsBudget(10, 90, 100));
    EXPECT_FALSE(fitsBudget(10, 91, 100));
    EXPECT_FALSE(fitsBudget(101, 0, 100));

    // An office program's range: its private formats, HTML, a picture and the texts.
    const std::vector<unsigned> formats = {49171, 13, 16, 1, 8, 2, 7, 49300};
    EXPECT_EQ(readingOrder(formats), (std::vector<std::size_t>{1, 3, 6, 2, 5, 0, 4, 7}));
    EXPECT_EQ(readingOrder({}), std::vector<std::size_t>{});
}

}  // namespace
