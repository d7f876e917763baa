// Names, time stamps, archive names and the bitmap file layout of the store.
#include "ClipBudget.h"
#include "ClipSnapshot.h"
#include "StoreFormat.h"
#include "Thumbnail.h"
#include "XmlDocument.h"

#include <gtest/gtest.h>

#include <functional>

using xml::XmlDocument;

using namespace std::string_literals;

namespace {

using namespace store;

TEST(StoreNames, ClipsElementsAndFiles) {
    EXPECT_EQ(slotClipName('1'), "copy1");
    EXPECT_EQ(historyClipName(10), "his10-");
    EXPECT_EQ(timeElementName(historyClipName(10)), "his10--time");
    EXPECT_EQ(useTimeElementName(historyClipName(10)), "his10--usetime");
    EXPECT_EQ(formatElementName(historyClipName(10), 0), "his10-0");
    EXPECT_EQ(formatElementName(slotClipName('1'), 1), "copy11");
    EXPECT_EQ(formatElementName(kTempClipName, 2), "tempFile2");
    EXPECT_EQ(categoryElementName(historyBaseName(10)), "his10category");
    EXPECT_EQ(bitmapFileName(slotClipName('0')), "copy0.bmp");
    EXPECT_EQ(bitmapFileName(historyClipName(3)), "his3-.bmp");
}

TEST(StoreNames, NumberTextsAndClipNames) {
    EXPECT_EQ(historyNumberText(12), "12");
    EXPECT_EQ(slotNumberText('5'), "ctrl+alt+5");
    EXPECT_EQ(clipNameFromNumberText("12"), "his12-");
    EXPECT_EQ(clipNameFromNumberText("ctrl+alt+5"), "copy5");
    // A text that names no clip gives no name, never one that reaches other elements.
    for (const char* odd : {"", "0", "012", "1000", "12-", "-time", "1 2", "ctrl+alt+", "ctrl+alt+55", "ctrl+alt+x",
                            "x", "999999999999"})
        EXPECT_EQ(clipNameFromNumberText(odd), "") << odd;
    EXPECT_EQ(clipNameFromNumberText("999"), "his999-");
    EXPECT_EQ(fileListContent(u"C:\\a.txt"), u"File:Path\"C:\\a.txt\"");
}

TEST(StoreFormats, PlainTextKeepsTheTextsAndTheLocale) {
    for (int format : {1, 7, 13, 16})
        EXPECT_TRUE(isPlainTextFormat(format)) << format;
    for (int format : {0, 2, 8, 15, 17, 0xC0F0})
        EXPECT_FALSE(isPlainTextFormat(format)) << format;
}

TEST(StoreNames, ArchiveFilesForElements) {
    using Files = std::vector<std::string>;
    EXPECT_EQ(dataFilesOfElement("copy1-time"), (Files{"copy1.bmp", "copy1.thumb.bmp"}));
    EXPECT_EQ(dataFilesOfElement("his3--time"), (Files{"his3-.bmp", "his3-.thumb.bmp"}));
    EXPECT_EQ(dataFilesOfElement("his3--usetime"), Files{"his3--usetime"});
    EXPECT_EQ(dataFilesOfElement("his3-0"), Files{"his3-0"});
}

TEST(StoreNames, ArchivePathsReplaceEveryExtension) {
    EXPECT_EQ(archiveIndexPath("D:\\a.amc\\b.amc"), "D:\\a.xml\\b.xml");
    EXPECT_EQ(archiveDataFolder("D:\\a.amc\\b.amc"), "D:\\a\\b");
    EXPECT_EQ(archiveDataFolder("D:\\keep\\work.amc"), "D:\\keep\\work");
}

TEST(StoreNames, PlainFileNames) {
    for (const char* good : {"his3-0", "copy1.bmp", "tempFile2", "his999--time", "a b", "中文"})
        EXPECT_TRUE(isPlainFileName(good)) << good;
    for (const char* bad : {"", ".", "..", "..\\x", "a/b", "a\\b", "C:x", "file:stream", "CON", "nul.txt", "com1",
                            "LPT9.bmp", "a.", "a ", "a*b", "a?b", "a|b"})
        EXPECT_FALSE(isPlainFileName(bad)) << bad;
    EXPECT_TRUE(isPlainFileName("COM0"));
    EXPECT_TRUE(isPlainFileName("console"));
}

TEST(StoreTime, StampsArePaddedAndSortAsText) {
    EXPECT_EQ(formatTimeStamp({2012, 5, 7, 9, 3, 41}), "2012-05-07 09:03:41");
    EXPECT_LT(formatTimeStamp({2012, 5, 7, 9, 3, 41}), formatTimeStamp({2012, 11, 1, 0, 0, 0}));
}

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

TEST(StoreDocument, EmptyStoreAndRootLookups) {
    XmlDocument doc;
    startEmptyStore(doc);
    EXPECT_EQ(doc.documentText(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<UserInfo/>\r\n");
    EXPECT_FALSE(findRootChild(doc, "x"));
    appendRootChild(doc, "x", "1");
    appendRootChild(doc, "y", "2");
    ASSERT_TRUE(findRootChild(doc, "y"));
    EXPECT_EQ(doc.childElementText(), "2");
    ASSERT_TRUE(findRootChild(doc, "x"));
    EXPECT_EQ(doc.childElementText(), "1");
}

}  // namespace

namespace {

using namespace store;

TEST(StoreNames, ClipFileNamesAreOnlyTheStoresOwn) {
    for (const char* good : {"copy53", "copy514", "copy0.bmp", "his12-0", "his12-14", "his999-.bmp", "tempFile3",
                             "tempFile.bmp", "his4-.thumb.bmp"})
        EXPECT_TRUE(isClipFileName(good)) << good;
    for (const char* bad : {"copy", "copy5", "tempFile", "copyX1", "copy.bmp", "his12", "his-0", "hisx-0", "his12--time", "notes.txt",
                            "Windows", "system32", "tempFileX", "his12-0.txt", "his12.thumb.bmp", ""})
        EXPECT_FALSE(isClipFileName(bad)) << bad;
}

std::string dropFiles(bool wide, const std::u16string& list) {
    std::string block(20, '\0');
    block[0] = 20;
    block[16] = wide ? 1 : 0;
    for (char16_t c : list) {
        block += static_cast<char>(c & 0xFF);
        if (wide)
            block += static_cast<char>(c >> 8);
    }
    return block;
}

TEST(StoreFileList, FirstNameOfWideAndNarrowLists) {
    DroppedFileName name;
    ASSERT_TRUE(firstDroppedFile(dropFiles(true, u"C:\\a.txt\0C:\\b.txt\0\0"s), name));
    EXPECT_TRUE(name.isWide);
    EXPECT_EQ(name.wide, u"C:\\a.txt");
    ASSERT_TRUE(firstDroppedFile(dropFiles(false, u"C:\\x\0\0"s), name));
    EXPECT_FALSE(name.isWide);
    EXPECT_EQ(name.narrow, "C:\\x");
}

TEST(StoreFileList, MalformedBlocksAreRefused) {
    DroppedFileName name;
    EXPECT_FALSE(firstDroppedFile("", name));
    EXPECT_FALSE(firstDroppedFile(std::string(19, '\0'), name));
    std::string offsetOutside = dropFiles(true, u"C:\\a\0\0"s);
    offsetOutside[0] = static_cast<char>(200);
    EXPECT_FALSE(firstDroppedFile(offsetOutside, name));
    EXPECT_FALSE(firstDroppedFile(dropFiles(true, u"C:\\unterminated"), name));
    EXPECT_FALSE(firstDroppedFile(dropFiles(true, u"\0\0"s), name));
}

}  // namespace

namespace {

TEST(StorePaths, OnlyFoldersBelowARootMayBeDeleted) {
    for (const char* good : {"C:\\windows\\Brindlecote", "D:\\keep\\work", "\\\\server\\share\\dir", "/tmp/x",
                             "c:/data/archive"})
        EXPECT_TRUE(store::isDeletableFolder(good)) << good;
    for (const char* bad : {"", "C:\\", "C:", "C:/", "C:\\\\", "\\", "\\\\server\\share", "\\\\server\\share\\",
                            "/", "//", "relative\\dir", "C:dir", "C:\\a\\..\\..", "C:\\a\\.", "C:\\*",
                            "C:\\a?", "C:\\a\\file:stream"})
        EXPECT_FALSE(store::isDeletableFolder(bad)) << bad;
    EXPECT_FALSE(store::isDeletableFolder("C:\\" + std::string(300, 'a')));
}

}  // namespace
