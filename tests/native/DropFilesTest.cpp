// The file list of the clipboard (a DROPFILES block).
#include "store/DropFiles.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace {

using namespace store;

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

TEST(StoreFileList, AFileListClipShowsItsFirstFile) {
    EXPECT_EQ(fileListContent(u"C:\\a.txt"), u"File:Path\"C:\\a.txt\"");
}

}  // namespace
