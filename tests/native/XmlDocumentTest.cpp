// Parsing, error reporting, navigation and reading of XmlDocument.
#include "xml/XmlDocument.h"
#include "XmlTestSupport.h"

#include <gtest/gtest.h>

#include <string>

using xml::DocumentFlags;
using xml::NodeKind;
using xml::XmlDocument;

namespace {

struct ErrorCase {
    const char* text;
    const char* error;
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class ParseErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ParseErrors, ReportTheFirstErrorAndStayNotWellFormed) {
    XmlDocument doc;
    EXPECT_FALSE(doc.setDocument(GetParam().text));
    EXPECT_EQ(doc.resultText(), GetParam().error);
    EXPECT_FALSE(doc.isWellFormed());
}

INSTANTIATE_TEST_SUITE_P(
    Lenient, ParseErrors,
    ::testing::Values(
        ErrorCase{"", "Empty document"},
        ErrorCase{"just text", "No root element"},
        ErrorCase{"<a><b></a>", "End tag 'a' at offset 7 does not match start tag 'b' at offset 3"},
        ErrorCase{"<a></b></a>", "No start tag for end tag 'b' at offset 3"},
        ErrorCase{"<a>", "Element 'a' at offset 0 not ended"},
        ErrorCase{"<a/><b/>", "Root element has sibling"},
        ErrorCase{"<a><!-x></a>", "Incorrect comment tag at offset 3"},
        ErrorCase{"<a><<b/></a>", "Incorrect tag name character at offset 3"},
        ErrorCase{"<a><!--x", "Comment at offset 3 unterminated"},
        ErrorCase{"<a><![x]></a>", "Incorrect tag at offset 3"},
        ErrorCase{"<a><!x></a>", "Incorrect ! tag at offset 3"},
        ErrorCase{"<a><![CDATA[x", "CDATA Section at offset 3 unterminated"},
        ErrorCase{"<a><?pi x", "Processing instruction at offset 3 unterminated"},
        ErrorCase{"<a></a", "Element end tag at offset 3 unterminated"},
        ErrorCase{"<a><b x='1'", "Element tag at offset 3 unterminated"},
        ErrorCase{"<!DOCTYPE a [ <!ELEMENT a ANY>", "Doctype at offset 0 unterminated"},
        ErrorCase{"<a>x<", "Element tag at offset 4 unterminated"}),
    [](const ::testing::TestParamInfo<ErrorCase>& info) { return "Case" + std::to_string(info.index); });

TEST(XmlParse, MismatchedEndTagKeepsInnerElementAsEmptyChild) {
    XmlDocument doc;
    doc.setDocument("<a><b></a>");
    ASSERT_TRUE(doc.findElement("a"));
    ASSERT_TRUE(doc.findChildElement());
    EXPECT_EQ(doc.childTagName(), "b");
    EXPECT_EQ(doc.childElementText(), "");
    EXPECT_FALSE(doc.findChildElement());
}

TEST(XmlParse, UnknownEndTagIsIgnoredAndElementStillIndexed) {
    XmlDocument doc;
    doc.setDocument("<a></b><c>1</c></a>");
    ASSERT_TRUE(doc.findElement("a"));
    ASSERT_TRUE(doc.findChildElement("c"));
    EXPECT_EQ(doc.childElementText(), "1");
}

TEST(XmlParse, UnendedElementsGiveTheirChildrenToTheirParent) {
    // <b> and <c> are not ended: everything they held now follows them under <a>.
    XmlDocument doc;
    doc.setDocument("<a><b><x/><c><y>1</y></a>");
    EXPECT_EQ(doc.resultText(), "End tag 'a' at offset 22 does not match start tag 'c' at offset 10");
    ASSERT_TRUE(doc.findElement("a"));
    std::string names;
    while (doc.findChildElement())
        names += doc.childTagName() + ",";
    EXPECT_EQ(names, "b,x,c,y,");
    doc.resetChildPosition();
    ASSERT_TRUE(doc.findChildElement("y"));
    EXPECT_EQ(doc.childElementText(), "1");
    expectIndexMatchesReparse(doc);
}

TEST(XmlParse, QuotedGreaterThanDoesNotEndAStartTag) {
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<a t='x>y' u=\"1>2\"><b/></a>"));
    ASSERT_TRUE(doc.findElement("a"));
    EXPECT_EQ(doc.attribute("t"), "x>y");
    EXPECT_EQ(doc.attribute("u"), "1>2");
    EXPECT_EQ(doc.attribute("missing"), "");
    ASSERT_TRUE(doc.findChildElement("b"));
}

TEST(XmlParse, DoctypeWithInternalSubsetIsOneToken) {
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<!DOCTYPE r [ <!ELEMENT r ANY> <!ATTLIST r a CDATA '>'> ]><r>t</r>"));
    EXPECT_EQ(doc.findNode(NodeKind::DocumentType), NodeKind::DocumentType);
    EXPECT_EQ(doc.tagName(), "r");
    ASSERT_TRUE(doc.findElement("r"));
    EXPECT_EQ(doc.elementText(), "t");
}

TEST(XmlParse, ResultKeepsByteCountBeforeTheError) {
    ScratchDir dir;
    writeBytes(dir.path("bad.xml"), "\xEF\xBB\xBF<a>");
    XmlDocument doc;
    EXPECT_FALSE(doc.loadFile(dir.path("bad.xml")));
    EXPECT_EQ(doc.resultText(), "6 bytes, Element 'a' at offset 0 not ended");
}

TEST(XmlParse, DeepNestingAndLongRunsDoNotOverflow) {
    std::string deep;
    for (int i = 0; i < 200000; ++i)
        deep += "<a>";
    XmlDocument doc;
    EXPECT_FALSE(doc.setDocument(deep));
    EXPECT_EQ(doc.resultText(), "Element 'a' at offset 599997 not ended");
    ASSERT_TRUE(doc.findElement("a"));
    // All unended elements are flattened to the top level.
    int count = 1;
    while (doc.findElement("a"))
        ++count;
    EXPECT_EQ(count, 200000);

    std::string balanced;
    for (int i = 0; i < 100000; ++i)
        balanced += "<b>";
    for (int i = 0; i < 100000; ++i)
        balanced += "</b>";
    EXPECT_TRUE(doc.setDocument(balanced));
}

TEST(XmlParse, TableGrowsAcrossPageBoundary) {
    std::string text = "<r>";
    const int count = 70000;
    for (int i = 0; i < count; ++i)
        text += "<e" + std::to_string(i) + ">" + std::to_string(i) + "</e" + std::to_string(i) + ">";
    text += "</r>";
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument(text));
    EXPECT_GE(doc.capacity(), count + 1);
    ASSERT_TRUE(doc.findElement("r"));
    for (int i : {0, 65534, 65535, 65536, 65537, count - 1}) {
        doc.resetChildPosition();
        const std::string name = "e" + std::to_string(i);
        ASSERT_TRUE(doc.findChildElement(name)) << name;
        EXPECT_EQ(doc.childElementText(), std::to_string(i));
    }
    // Records across the boundary still link: walk all children in order.
    doc.resetChildPosition();
    int walked = 0;
    while (doc.findChildElement())
        ++walked;
    EXPECT_EQ(walked, count);
}

TEST(XmlNavigation, FindElementMatchesNamePrefixesUpToDelimiters) {
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<r><AddNew>x</AddNew><AddNewer>y</AddNewer></r>"));
    ASSERT_TRUE(doc.findElement());
    EXPECT_EQ(doc.tagName(), "r");
    ASSERT_TRUE(doc.findChildElement("AddNew[2]"));
    EXPECT_EQ(doc.childElementText(), "x");
    EXPECT_FALSE(doc.findChildElement("AddNew"));  // "AddNewer" is another name
    doc.resetChildPosition();
    EXPECT_FALSE(doc.findChildElement("addnew"));
    doc.setDocumentFlags(DocumentFlags::IgnoreCase);
    EXPECT_TRUE(doc.findChildElement("addnew"));
}

TEST(XmlNavigation, FailedSearchLeavesPositionUnchanged) {
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<r><a>1</a><b>2</b></r>"));
    ASSERT_TRUE(doc.findChildElement("b"));
    EXPECT_FALSE(doc.findChildElement("a"));
    EXPECT_EQ(doc.childTagName(), "b");
    EXPECT_FALSE(doc.findElement("zz"));
    EXPECT_EQ(doc.tagName(), "r");
}

TEST(XmlNavigation, EnterAndLeaveWalkTheTree) {
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<r><a><x>1</x></a><b>2</b></r>"));
    EXPECT_FALSE(doc.enterElement());
    EXPECT_FALSE(doc.leaveElement());
    ASSERT_TRUE(doc.findChildElement("a"));
    ASSERT_TRUE(doc.enterElement());  // parent r, current a
    EXPECT_EQ(doc.tagName(), "a");
    EXPECT_EQ(doc.elementText(), "");  // has a child element
    ASSERT_TRUE(doc.findChildElement("x"));
    EXPECT_EQ(doc.childElementText(), "1");
    ASSERT_TRUE(doc.findElement("b"));
    EXPECT_EQ(doc.elementText(), "2");
    ASSERT_TRUE(doc.leaveElement());
    EXPECT_EQ(doc.tagName(), "r");
    EXPECT_EQ(doc.childTagName(), "b");
}

TEST(XmlReading, MixedContentConcatenatesTextAndCdata) {
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<r>a&amp;<!--c--><![CDATA[<b>]]><?p x?>z</r>"));
    ASSERT_TRUE(doc.findElement());
    EXPECT_EQ(doc.elementText(), "a&<b>z");
}

TEST(XmlReading, FindNodeStepsThroughEveryKind) {
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<?xml version=\"1.0\" encoding='GB2312'?>\r\n<!--note--><r>t<![CDATA[c]]><e/></r>"));
    EXPECT_EQ(doc.findNode(), NodeKind::ProcessingInstruction);
    EXPECT_EQ(doc.tagName(), "xml");
    EXPECT_EQ(doc.attribute("encoding"), "GB2312");
    EXPECT_EQ(doc.findNode(), NodeKind::Whitespace);
    EXPECT_EQ(doc.findNode(), NodeKind::Comment);
    EXPECT_EQ(doc.tagName(), "#comment");
    EXPECT_EQ(doc.elementText(), "note");
    EXPECT_EQ(doc.findNode(), NodeKind::Element);
    EXPECT_EQ(doc.tagName(), "r");
    EXPECT_EQ(doc.findNode(), NodeKind::None);
    ASSERT_TRUE(doc.enterElement());
    EXPECT_EQ(doc.findNode(NodeKind::Cdata), NodeKind::Cdata);
    EXPECT_EQ(doc.tagName(), "#cdata-section");
    EXPECT_EQ(doc.elementText(), "c");
    EXPECT_EQ(doc.findNode(), NodeKind::Element);
    EXPECT_EQ(doc.tagName(), "e");
    EXPECT_EQ(doc.findNode(), NodeKind::None);
}

TEST(XmlReading, FindNodeReportsStrayEndTagsAndUnreadableStretches) {
    XmlDocument doc;
    doc.setDocument("<r></x><<y/></r>");
    ASSERT_TRUE(doc.findElement());
    ASSERT_TRUE(doc.enterElement());
    EXPECT_EQ(doc.findNode(), NodeKind::UnmatchedEndTag);
    EXPECT_EQ(doc.findNode(), NodeKind::Unreadable);
    EXPECT_EQ(doc.findNode(), NodeKind::Element);
    EXPECT_EQ(doc.tagName(), "y");
}

TEST(XmlReading, ElementWithoutEndTagHasNoText) {
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<r><e/><f></f></r>"));
    ASSERT_TRUE(doc.findChildElement("e"));
    EXPECT_EQ(doc.childElementText(), "");
    ASSERT_TRUE(doc.findChildElement("f"));
    EXPECT_EQ(doc.childElementText(), "");
}

}  // namespace
