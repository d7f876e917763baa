// The layout of the bitmap files the store writes.
#include "BmpLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace {

using namespace store;

TEST(StoreBitmap, BitCountFollowsTheDisplay) {
    EXPECT_EQ(bitCountForDisplay(1), 1);
    EXPECT_EQ(bitCountForDisplay(2), 4);
    EXPECT_EQ(bitCountForDisplay(4), 4);
    EXPECT_EQ(bitCountForDisplay(8), 8);
    EXPECT_EQ(bitCountForDisplay(16), 24);
    EXPECT_EQ(bitCountForDisplay(32), 24);
}

TEST(StoreBitmap, LayoutOfHeadersTableAndRows) {
    BmpLayout one;
    ASSERT_TRUE(computeBmpLayout(1, 1, 24, one));
    EXPECT_EQ(one.fileSize, 58u);
    EXPECT_EQ(one.pixelOffset, 54u);
    BmpLayout mono;
    ASSERT_TRUE(computeBmpLayout(33, 2, 1, mono));
    EXPECT_EQ(mono.stride, 8u);
    EXPECT_EQ(mono.colorTableSize, 8u);
    EXPECT_EQ(mono.fileSize, 54u + 8u + 16u);
    BmpLayout palette;
    ASSERT_TRUE(computeBmpLayout(3, 1, 8, palette));
    EXPECT_EQ(palette.colorTableSize, 1024u);
    EXPECT_EQ(palette.stride, 4u);
    BmpLayout wide;
    ASSERT_TRUE(computeBmpLayout(5, 3, 24, wide));
    EXPECT_EQ(wide.stride, 16u);

    const auto headers = bmpHeaders(one);
    const std::uint8_t expected[54] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0,
                                       0, 0, 1, 0, 24, 0};
    EXPECT_TRUE(std::equal(headers.begin(), headers.end(), expected));

    BmpLayout bad;
    EXPECT_FALSE(computeBmpLayout(0, 1, 24, bad));
    EXPECT_FALSE(computeBmpLayout(1, 1, 16, bad));
    EXPECT_FALSE(computeBmpLayout(70000, 70000, 24, bad));
}

}  // namespace
