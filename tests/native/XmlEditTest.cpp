// Edits of XmlDocument: adding, setting text, deleting, and the index staying valid.
#include "store/ClipNames.h"
#include "store/StoreDocument.h"
#include "xml/XmlDocument.h"
#include "XmlTestSupport.h"

#include <gtest/gtest.h>

using xml::kDeclarationLine;
using xml::NodeKind;
using xml::TextFlags;
using xml::XmlDocument;

namespace {

TEST(XmlAdd, ChildOfEmptyElementTagRewritesTheParent) {
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<r/>"));
    ASSERT_TRUE(doc.findElement());
    ASSERT_TRUE(doc.addChildElement("x", "1"));
    EXPECT_EQ(doc.documentText(), "<r>\r\n<x>1</x>\r\n</r>");
    EXPECT_EQ(doc.childTagName(), "x");
    expectIndexMatchesReparse(doc);
}

TEST(XmlAdd, ChildOfEmptyContentGetsALineBreakInFront) {
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<r></r>"));
    ASSERT_TRUE(doc.findElement());
    ASSERT_TRUE(doc.addChildElement("x"));
    EXPECT_EQ(doc.documentText(), "<r>\r\n<x/>\r\n</r>");
    expectIndexMatchesReparse(doc);
}

TEST(XmlAdd, EmptyStoreAndAppendsGiveOneElementPerLine) {
    XmlDocument doc;
    store::startEmptyStore(doc);
    EXPECT_EQ(doc.documentText(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<UserInfo/>\r\n");
    store::appendRootChild(doc, "copy1-time", "2012-05-07 09:03:41");
    store::appendRootChild(doc, "copy1-usetime", "2012-05-07 09:03:41");
    store::appendRootChild(doc, "copy10", "13");
    store::appendRootChild(doc, "copy11", "1");
    EXPECT_EQ(doc.documentText(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
              "<UserInfo>\r\n"
              "<copy1-time>2012-05-07 09:03:41</copy1-time>\r\n"
              "<copy1-usetime>2012-05-07 09:03:41</copy1-usetime>\r\n"
              "<copy10>13</copy10>\r\n"
              "<copy11>1</copy11>\r\n"
              "</UserInfo>\r\n");
    EXPECT_TRUE(doc.isWellFormed());
    expectIndexMatchesReparse(doc);
}

TEST(XmlAdd, AfterCurrentSkipsWhitespaceAndBeforeFlagInsertsAhead) {
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<r>\r\n<a/>\r\n<c/>\r\n</r>"));
    ASSERT_TRUE(doc.findChildElement("a"));
    ASSERT_TRUE(doc.addChildElement("b", "2"));
    EXPECT_EQ(doc.documentText(), "<r>\r\n<a/>\r\n<b>2</b>\r\n<c/>\r\n</r>");
    ASSERT_TRUE(doc.addChildElement("z", "",
                                    TextFlags::InsertBefore | TextFlags::NoLineBreak | TextFlags::SpaceBeforeSlash));
    EXPECT_EQ(doc.documentText(), "<r>\r\n<a/>\r\n<z /><b>2</b>\r\n<c/>\r\n</r>");
    expectIndexMatchesReparse(doc);
}

TEST(XmlAdd, FlagsShapeTheNewElement) {
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<r></r>"));
    ASSERT_TRUE(doc.findElement());
    ASSERT_TRUE(doc.addChildElement("c", "a]]>b", TextFlags::WriteCdata | TextFlags::NoLineBreak));
    ASSERT_TRUE(doc.addChildElement("q", "'\"", TextFlags::EscapeQuotes | TextFlags::NoLineBreak));
    EXPECT_FALSE(doc.addChildElement("s", "text", TextFlags::StartTagOnly));
    EXPECT_EQ(doc.documentText(), "<r>\r\n<c><![CDATA[a]]]]><![CDATA[>b]]></c><q>&apos;&quot;</q></r>");
    doc.resetChildPosition();
    ASSERT_TRUE(doc.findChildElement("c"));
    EXPECT_EQ(doc.childElementText(), "a]]>b");
    expectIndexMatchesReparse(doc);
}

TEST(XmlAdd, RefusedWithoutPositionOrWithUnsafeName) {
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<r/>"));
    EXPECT_FALSE(doc.addChildElement("x"));  // no current element
    ASSERT_TRUE(doc.findElement());
    for (const char* bad : {"", "a b", "a>b", "x></r><y", "a/b", "1x", "a=b", "a&b"})
        EXPECT_FALSE(doc.addChildElement(bad, "t")) << bad;
    EXPECT_EQ(doc.documentText(), "<r/>");
}

TEST(XmlAdd, EscapesAndReadsBack) {
    XmlDocument doc;
    store::startEmptyStore(doc);
    store::appendRootChild(doc, "AddNew", "A&B");
    EXPECT_NE(doc.documentText().find("<AddNew>A&amp;B</AddNew>"), std::string::npos);
    ASSERT_TRUE(store::findRootChild(doc, "AddNew"));
    EXPECT_EQ(doc.childElementText(), "A&B");
}

TEST(XmlSetText, ReplacesContentAndShiftsWhatFollows) {
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<r><a>1</a><b/><c>3</c></r>"));
    ASSERT_TRUE(doc.findChildElement("a"));
    ASSERT_TRUE(doc.setChildElementText("longer text <&>"));
    ASSERT_TRUE(doc.findChildElement("b"));
    ASSERT_TRUE(doc.setChildElementText("2"));
    EXPECT_EQ(doc.documentText(), "<r><a>longer text &lt;&amp;&gt;</a><b>2</b><c>3</c></r>");
    doc.resetChildPosition();
    ASSERT_TRUE(doc.findChildElement("c"));
    EXPECT_EQ(doc.childElementText(), "3");
    expectIndexMatchesReparse(doc);
}

TEST(XmlSetText, RefusedForElementWithChildren) {
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<r><a><x/></a></r>"));
    ASSERT_TRUE(doc.findChildElement("a"));
    EXPECT_FALSE(doc.setChildElementText("t"));
    ASSERT_TRUE(doc.enterElement());
    EXPECT_FALSE(doc.setElementText("t"));
    EXPECT_EQ(doc.documentText(), "<r><a><x/></a></r>");
}

TEST(XmlSetText, CurrentNodeIsRebuiltForItsKind) {
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<r><!--old-->x<y/></r>"));
    ASSERT_TRUE(doc.findElement());
    ASSERT_TRUE(doc.enterElement());
    ASSERT_EQ(doc.findNode(NodeKind::Comment), NodeKind::Comment);
    ASSERT_TRUE(doc.setElementText("new comment"));
    ASSERT_EQ(doc.findNode(NodeKind::Text), NodeKind::Text);
    ASSERT_TRUE(doc.setElementText("a<b"));
    EXPECT_EQ(doc.documentText(), "<r><!--new comment-->a&lt;b<y/></r>");
    expectIndexMatchesReparse(doc);
}

TEST(XmlDelete, RemovesElementWithItsLineAndSelectsPrevious) {
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<r>\r\n<a>1</a>\r\n<b>2</b>\r\n<c>3</c>\r\n</r>"));
    EXPECT_FALSE(doc.deleteElement());
    ASSERT_TRUE(doc.findChildElement("b"));
    ASSERT_TRUE(doc.enterElement());
    ASSERT_TRUE(doc.deleteElement());
    EXPECT_EQ(doc.tagName(), "a");
    EXPECT_EQ(doc.documentText(), "<r>\r\n<a>1</a>\r\n<c>3</c>\r\n</r>");
    ASSERT_TRUE(doc.deleteElement());
    EXPECT_FALSE(doc.deleteElement());  // no previous sibling: nothing current
    EXPECT_EQ(doc.documentText(), "<r>\r\n<c>3</c>\r\n</r>");
    expectIndexMatchesReparse(doc);
}

TEST(XmlDelete, ElementWithDescendantsFreesThemAll) {
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<r><a><x><y/></x><z/></a>tail<b/></r>"));
    ASSERT_TRUE(doc.findChildElement("a"));
    ASSERT_TRUE(doc.enterElement());
    ASSERT_TRUE(doc.deleteElement());
    EXPECT_EQ(doc.documentText(), "<r>tail<b/></r>");
    ASSERT_TRUE(doc.findElement("b"));
    expectIndexMatchesReparse(doc);
}

// A store index of 999 clips is built, saved, loaded and saved again byte for byte; edits in
// the middle keep every later element reachable.
TEST(XmlStoreRoundTrip, NineHundredNinetyNineClips) {
    ScratchDir dir;
    XmlDocument built;
    built.setDocument(makeStoreText(999, 4));
    ASSERT_TRUE(built.isWellFormed());
    const std::string path = dir.path("clipboard.xml");
    ASSERT_TRUE(built.saveFile(path));
    XmlDocument loaded;
    ASSERT_TRUE(loaded.loadFile(path));
    EXPECT_EQ(loaded.documentText(), built.documentText());
    const std::string path2 = dir.path("again.xml");
    ASSERT_TRUE(loaded.saveFile(path2));
    EXPECT_EQ(readBytes(path2), readBytes(path));

    // Remove clip 500 and insert a category after clip 700's time element.
    ASSERT_TRUE(store::findRootChild(loaded, "his500--time"));
    ASSERT_TRUE(loaded.enterElement());
    ASSERT_TRUE(loaded.deleteElement());
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(store::findRootChild(loaded, store::formatElementName("his500-", i)));
        ASSERT_TRUE(loaded.enterElement());
        ASSERT_TRUE(loaded.deleteElement());
    }
    ASSERT_TRUE(store::findRootChild(loaded, "his700--time"));
    ASSERT_TRUE(loaded.enterElement());
    ASSERT_TRUE(loaded.addElement("his700category", "Work"));
    EXPECT_FALSE(store::findRootChild(loaded, "his500-0"));
    for (int n = 501; n <= 999; ++n)
        ASSERT_TRUE(store::findRootChild(loaded, store::formatElementName(store::historyClipName(n), 3))) << n;
    ASSERT_TRUE(store::findRootChild(loaded, "his700category"));
    EXPECT_EQ(loaded.childElementText(), "Work");
    expectIndexMatchesReparse(loaded);
    EXPECT_NE(loaded.documentText().find("</his700--time>\r\n<his700category>Work</his700category>\r\n<his700--usetime>"),
              std::string::npos);
}

TEST(XmlStoreRoundTrip, ManyAddsAndDeletesAgreeWithAFreshParse) {
    XmlDocument doc;
    store::startEmptyStore(doc);
    for (int i = 0; i < 300; ++i) {
        store::appendRootChild(doc, "e" + std::to_string(i), std::to_string(i));
        if (i % 3 == 2) {
            ASSERT_TRUE(store::findRootChild(doc, "e" + std::to_string(i - 1)));
            ASSERT_TRUE(doc.enterElement());
            ASSERT_TRUE(doc.deleteElement());
        }
    }
    expectIndexMatchesReparse(doc);
    EXPECT_TRUE(doc.isWellFormed());
}

}  // namespace

namespace {

TEST(XmlEditable, TextWithErrorsIsReadOnlyButStructuralGapsAreNot) {
    XmlDocument doc;
    doc.setDocument("<r><a>1</a><<b/></r>");
    EXPECT_FALSE(doc.isEditable());
    ASSERT_TRUE(doc.findChildElement("a"));
    EXPECT_EQ(doc.childElementText(), "1");  // still readable
    EXPECT_FALSE(doc.setChildElementText("2"));
    EXPECT_FALSE(doc.addChildElement("b"));
    ASSERT_TRUE(doc.enterElement());
    EXPECT_FALSE(doc.deleteElement());
    EXPECT_EQ(doc.documentText(), "<r><a>1</a><<b/></r>");

    // A declaration without a root is not an error in the text: the root can be added.
    doc.setDocument(kDeclarationLine);
    EXPECT_EQ(doc.resultText(), "No root element");
    EXPECT_TRUE(doc.isEditable());
    EXPECT_TRUE(doc.addElement("UserInfo"));
    EXPECT_TRUE(doc.isWellFormed());
}

TEST(XmlAdd, EmptyElementTagWithDoubledSlashReopensCleanly) {
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<r a='1' //>"));
    ASSERT_TRUE(doc.findElement());
    ASSERT_TRUE(doc.addChildElement("x", "1"));
    EXPECT_EQ(doc.documentText(), "<r a='1'>\r\n<x>1</x>\r\n</r>");
    expectIndexMatchesReparse(doc);
}

TEST(XmlAdd, EditAfterFindNodeKeepsTheNodeOffsetFresh) {
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<r><a/>text</r>"));
    ASSERT_TRUE(doc.findElement());
    ASSERT_TRUE(doc.enterElement());
    ASSERT_EQ(doc.findNode(NodeKind::Text), NodeKind::Text);  // current element stays <a>
    ASSERT_TRUE(doc.addChildElement("x", "1", TextFlags::NoLineBreak));  // moves the text node
    EXPECT_EQ(doc.tagName(), "a");
    ASSERT_EQ(doc.findNode(NodeKind::Text), NodeKind::Text);
    ASSERT_TRUE(doc.setElementText("new"));
    EXPECT_EQ(doc.documentText(), "<r><a>\r\n<x>1</x></a>new</r>");
    expectIndexMatchesReparse(doc);
}

}  // namespace
