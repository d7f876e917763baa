// The clip menu's small pictures of a clip's bitmap.
#include "store/BmpLayout.h"
#include "store/ClipSnapshot.h"
#include "store/Thumbnail.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

namespace {

using namespace store;

// A picture file of `width` x `height` whose pixel at (x, y) from the top is `color(x, y)`.
std::string pictureFile(int width, int height, int bitCount, const std::function<std::uint8_t(int, int)>& color) {
    BmpLayout layout;
    EXPECT_TRUE(computeBmpLayout(width, height, bitCount, layout));
    const auto headers = bmpHeaders(layout);
    std::string file(headers.begin(), headers.end());
    file.resize(layout.fileSize);
    for (std::uint32_t i = 0; i < layout.colorTableSize / 4; ++i)  // grey levels
        file.replace(kBmpHeadersSize + i * 4, 3, 3, static_cast<char>(i * 255 / (layout.colorTableSize / 4 - 1)));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::size_t row = layout.pixelOffset + layout.stride * static_cast<std::size_t>(height - 1 - y);
            if (bitCount == 24)
                file.replace(row + static_cast<std::size_t>(x) * 3, 3, 3, static_cast<char>(color(x, y)));
            else if (color(x, y))  // 1 bit: white where the colour is not 0
                file[row + static_cast<std::size_t>(x) / 8] |= static_cast<char>(0x80 >> (x % 8));
        }
    return file;
}

// The thumbnail's pixel at (x, y) from the top, one channel.
unsigned thumbnailPixel(const std::string& thumbnail, int x, int y) {
    return static_cast<unsigned char>(thumbnail[54 + 96 * static_cast<std::size_t>(31 - y) + static_cast<std::size_t>(x) * 3]);
}

TEST(StoreBitmap, ThumbnailsAverageThePictureAndRefuseWhatIsNoPicture) {
    // A screen-sized picture, left half black and right half white, the middle column grey.
    const std::string wide = thumbnailFileBytes(pictureFile(1920, 1080, 24, [](int x, int) { return x < 960 ? 0 : 255; }));
    ASSERT_EQ(bitmapFileSize(wide), std::make_pair(32, 32));
    EXPECT_EQ(wide.size(), 54u + 32u * 96u);
    EXPECT_EQ(thumbnailPixel(wide, 0, 0), 0u);
    EXPECT_EQ(thumbnailPixel(wide, 31, 31), 255u);
    // Stripes one pixel wide average out to grey; a picture smaller than the thumbnail is spread.
    const std::string stripes = thumbnailFileBytes(pictureFile(64, 64, 24, [](int x, int) { return x % 2 ? 200 : 100; }));
    EXPECT_EQ(thumbnailPixel(stripes, 5, 5), 150u);
    const std::string tiny = thumbnailFileBytes(pictureFile(2, 1, 1, [](int x, int) { return x; }));
    EXPECT_EQ(thumbnailPixel(tiny, 0, 31), 0u);
    EXPECT_EQ(thumbnailPixel(tiny, 31, 0), 255u);

    std::string cut = pictureFile(40, 40, 24, [](int, int) { return 1; });
    cut.resize(cut.size() - 1);
    std::string compressed = pictureFile(40, 40, 24, [](int, int) { return 1; });
    compressed[30] = 1;  // run-length encoded
    for (const std::string& bad : {cut, compressed, std::string("BM"), std::string(200, 'x'), std::string()})
        EXPECT_EQ(thumbnailFileBytes(bad), "");
}

}  // namespace
