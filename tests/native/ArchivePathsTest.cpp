// The paths of an archive and folders that overlap.
#include "store/ArchivePaths.h"

#include <gtest/gtest.h>

namespace {

using namespace store;

TEST(StoreNames, ArchivePathsReplaceEveryExtension) {
    EXPECT_EQ(archiveIndexPath("D:\\a.amc\\b.amc"), "D:\\a.xml\\b.xml");
    EXPECT_EQ(archiveDataFolder("D:\\a.amc\\b.amc"), "D:\\a\\b");
    EXPECT_EQ(archiveDataFolder("D:\\keep\\work.amc"), "D:\\keep\\work");
}

TEST(ArchiveNames, TheExtensionInAnyCaseAndFoldersThatOverlap) {
    EXPECT_TRUE(store::hasArchiveExtension("D:\\keep\\WORK.AMC"));
    EXPECT_TRUE(store::hasArchiveExtension("work.Amc"));
    EXPECT_FALSE(store::hasArchiveExtension(".amc"));
    EXPECT_FALSE(store::hasArchiveExtension("work.amcx"));
    EXPECT_EQ(store::archiveDataFolder("D:\\keep\\WORK.AMC"), "D:\\keep\\WORK");
    EXPECT_EQ(store::archiveIndexPath("D:\\a.Amc\\b.AMC"), "D:\\a.xml\\b.xml");
    EXPECT_TRUE(store::foldersOverlap("C:\\Users\\u\\Dravix\\Brindlecote", "c:/users/U/dravix/brindlecote/"));
    EXPECT_TRUE(store::foldersOverlap("C:\\Users\\u\\Dravix", "C:\\Users\\u\\Dravix\\Brindlecote"));
    EXPECT_TRUE(store::foldersOverlap("C:\\Users\\u\\Dravix\\Brindlecote\\x", "C:\\Users\\u\\Dravix\\Brindlecote"));
    EXPECT_FALSE(store::foldersOverlap("C:\\Users\\u\\Dravix\\Brindlecote2", "C:\\Users\\u\\Dravix\\Brindlecote"));
    EXPECT_FALSE(store::foldersOverlap("D:\\keep\\work", "C:\\Users\\u\\Dravix\\Brindlecote"));
    EXPECT_TRUE(store::folderIsOrHolds("C:\\Users\\u", "c:/users/U/dravix"));
    EXPECT_TRUE(store::folderIsOrHolds("C:\\Users\\u\\Dravix", "c:/users/U/dravix/"));
    EXPECT_FALSE(store::folderIsOrHolds("C:\\Users\\u\\Dravix\\Runs\\x", "C:\\Users\\u\\Dravix"));
}

}  // namespace
