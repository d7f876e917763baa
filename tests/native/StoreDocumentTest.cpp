// The store's documents: an empty store, its root's children, what is worth keeping.
#include "store/StoreDocument.h"
#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <vector>

using xml::XmlDocument;

namespace {

using namespace store;

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

TEST(ArchiveNames, WhatIsWorthKeeping) {
    using Elements = std::vector<store::RootElement>;
    EXPECT_FALSE(store::holdsUserClips(Elements{{"tempFile-0", "13"}, {"SysClip", "TRUE"}}));
    EXPECT_TRUE(store::holdsUserClips(Elements{{"tempFile-0", "13"}, {"his4-0", "13"}}));
    EXPECT_TRUE(store::holdsUserClips(Elements{{"copy5-0", "1"}}));
    EXPECT_TRUE(store::holdsUserClips(Elements{{"AddNew", "Work"}}));
}

}  // namespace
