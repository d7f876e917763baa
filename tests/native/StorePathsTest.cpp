// Names and folders the store may use.
#include "store/StorePaths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace store;

TEST(StoreNames, PlainFileNames) {
    for (const char* good : {"his3-0", "copy1.bmp", "tempFile2", "his999--time", "a b", "中文"})
        EXPECT_TRUE(isPlainFileName(good)) << good;
    for (const char* bad : {"", ".", "..", "..\\x", "a/b", "a\\b", "C:x", "file:stream", "CON", "nul.txt", "com1",
                            "LPT9.bmp", "a.", "a ", "a*b", "a?b", "a|b"})
        EXPECT_FALSE(isPlainFileName(bad)) << bad;
    EXPECT_TRUE(isPlainFileName("COM0"));
    EXPECT_TRUE(isPlainFileName("console"));
}

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
