// The names of clips, of their elements and of their data files.
#include "store/ClipNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(StoreNames, ArchiveFilesForElements) {
    using Files = std::vector<std::string>;
    EXPECT_EQ(dataFilesOfElement("copy1-time"), (Files{"copy1.bmp", "copy1.thumb.bmp"}));
    EXPECT_EQ(dataFilesOfElement("his3--time"), (Files{"his3-.bmp", "his3-.thumb.bmp"}));
    EXPECT_EQ(dataFilesOfElement("his3--usetime"), Files{"his3--usetime"});
    EXPECT_EQ(dataFilesOfElement("his3-0"), Files{"his3-0"});
}

TEST(StoreNames, ClipFileNamesAreOnlyTheStoresOwn) {
    for (const char* good : {"copy53", "copy514", "copy0.bmp", "his12-0", "his12-14", "his999-.bmp", "tempFile3",
                             "tempFile.bmp", "his4-.thumb.bmp"})
        EXPECT_TRUE(isClipFileName(good)) << good;
    for (const char* bad : {"copy", "copy5", "tempFile", "copyX1", "copy.bmp", "his12", "his-0", "hisx-0", "his12--time", "notes.txt",
                            "Windows", "system32", "tempFileX", "his12-0.txt", "his12.thumb.bmp", ""})
        EXPECT_FALSE(isClipFileName(bad)) << bad;
}

}  // namespace
