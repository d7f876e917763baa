// The layout of the bitmap files the store writes.
#include "store/BmpLayout.h"
#include "store/DibBlocks.h"
#include "store/LittleEndian.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

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


// A DIB block of 2 x 2 pixels: header (40 bytes), masks when given, then the rows, each pixel's
// bytes numbered so that where each one lands can be checked; a palette of two colours.
std::string dibBlock(int bitCount, int height, std::uint32_t compression = 0, bool masks = false) {
    std::string block(40, '\0');
    const auto put = [&](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            block[at + i] = static_cast<char>(value >> (8 * i));
    };
    put(0, 40);
    put(4, 2);
    put(8, static_cast<std::uint32_t>(height));
    block[12] = 1;
    block[14] = static_cast<char>(bitCount);
    put(16, compression);
    if (bitCount <= 8) {
        put(32, 2);  // a colour table of two
        block.append(8, '\x7f');
    }
    if (masks)
        for (std::uint32_t mask : {0xFF0000u, 0xFF00u, 0xFFu})
            block.append(reinterpret_cast<const char*>(&mask), 4);  // little-endian hosts only
    const int stride = ((2 * bitCount + 31) / 32) * 4;
    for (int i = 0; i < stride * 2; ++i)
        block += static_cast<char>(i + 1);
    return block;
}

TEST(StoreBitmap, APictureGivenAsADibAloneIsMadeIntoTheFileAndTheDibV5) {
    EXPECT_EQ(sourcePictureFormat({13, 8, 2, 17}), 8u);
    EXPECT_EQ(sourcePictureFormat({2, 8, 17}), 2u);
    EXPECT_EQ(sourcePictureFormat({1, 13}), 0u);

    // 24 bits, bottom-up: the rows as they are (stride 8, the padding zero), behind the headers.
    const std::optional<std::string> plain = bmpFileFromTrueColourDib(dibBlock(24, 2), 24);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->size(), 54u + 16u);
    EXPECT_EQ(plain->substr(54), std::string("\x01\x02\x03\x04\x05\x06\0\0\x09\x0a\x0b\x0c\x0d\x0e\0\0", 16));
    // 32 bits, top-down, with the usual masks: the fourth byte dropped and the rows turned over.
    const std::optional<std::string> turned = bmpFileFromTrueColourDib(dibBlock(32, -2, 3, true), 24);
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned->substr(54), std::string("\x09\x0a\x0b\x0d\x0e\x0f\0\0\x01\x02\x03\x05\x06\x07\0\0", 16));
    // Only the system converts a palette, and a file of another depth is not made here.
    EXPECT_FALSE(bmpFileFromTrueColourDib(dibBlock(8, 2), 24));
    EXPECT_FALSE(bmpFileFromTrueColourDib(dibBlock(24, 2), 8));

    // The DIBV5: a 124-byte header in sRGB, the masks inside it, then the rows as they were.
    const std::string masked = dibBlock(32, 2, 3, true);
    const std::optional<std::string> v5 = dibV5FromDib(masked);
    ASSERT_TRUE(v5);
    EXPECT_EQ(v5->size(), *dibV5Size(masked));
    EXPECT_EQ(v5->size(), 124u + 16u);
    EXPECT_EQ(readLittleEndian(*v5, 0), 124u);
    EXPECT_EQ(v5->substr(4, 36), masked.substr(4, 36));
    EXPECT_EQ(v5->substr(40, 12), masked.substr(40, 12));
    EXPECT_EQ(readLittleEndian(*v5, 56), 0x73524742u);
    EXPECT_EQ(v5->substr(124), masked.substr(52));
    const std::optional<std::string> paletted = dibV5FromDib(dibBlock(8, 2));
    ASSERT_TRUE(paletted);
    EXPECT_EQ(paletted->substr(124), dibBlock(8, 2).substr(40));  // colour table and rows

    // Blocks that are not a whole DIB of a known kind: none is read past its end.
    std::string shortRows = dibBlock(24, 2);
    shortRows.pop_back();
    std::string v4Header = dibBlock(24, 2);
    v4Header[0] = 108;
    std::string compressed = dibBlock(24, 2, 1);
    std::string noWidth = dibBlock(24, 2);
    noWidth[4] = 0;
    for (const std::string& bad : {shortRows, v4Header, compressed, noWidth, std::string(12, '\0')}) {
        EXPECT_FALSE(readDibInfo(bad));
        EXPECT_FALSE(bmpFileFromTrueColourDib(bad, 24));
        EXPECT_FALSE(dibV5FromDib(bad));
    }
}

}  // namespace
