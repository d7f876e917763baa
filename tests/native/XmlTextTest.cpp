// Escaping, references, CDATA and the UTF conversions.
#include "xml/XmlDocument.h"
#include "xml/XmlText.h"

#include <gtest/gtest.h>

using xml::declaredEncoding;
using xml::encodeCdata;
using xml::escapeText;
using xml::normalizeUtf8;
using xml::TextFlags;
using xml::unescapeText;
using xml::utf16ToUtf8;
using xml::utf8ToUtf16;
using xml::XmlDocument;

namespace {

TEST(XmlEscape, EscapesMarkupAndOptionallyQuotes) {
    EXPECT_EQ(escapeText("a<b>&c'\""), "a&lt;b&gt;&amp;c'\"");
    EXPECT_EQ(escapeText("'\"", TextFlags::EscapeQuotes), "&apos;&quot;");
    EXPECT_EQ(escapeText("中文<"), "中文&lt;");
    EXPECT_EQ(escapeText("plain"), "plain");
}

TEST(XmlEscape, KeepsReferencesWhenAsked) {
    EXPECT_EQ(escapeText("&amp; &#65; &x_1.-:; & &;", TextFlags::KeepReferences), "&amp; &#65; &x_1.-:; &amp; &amp;;");
    EXPECT_EQ(escapeText("&amp;"), "&amp;amp;");
}

TEST(XmlUnescape, NamedAndNumericReferences) {
    EXPECT_EQ(unescapeText("A&amp;B"), "A&B");
    EXPECT_EQ(unescapeText("&lt;&gt;&apos;&quot;"), "<>'\"");
    EXPECT_EQ(unescapeText("&#65;&#x42;"), "AB");
    EXPECT_EQ(unescapeText("&#x4E2D;&#25991;"), "中文");
    EXPECT_EQ(unescapeText("&#x1F600;"), "\xF0\x9F\x98\x80");
}

TEST(XmlUnescape, UnknownOrBrokenReferencesStayLiteral) {
    EXPECT_EQ(unescapeText("&foo;"), "&foo;");
    EXPECT_EQ(unescapeText("&amp"), "&amp");
    EXPECT_EQ(unescapeText("&#0;"), "&#0;");
    EXPECT_EQ(unescapeText("&#12345678;"), "&#12345678;");  // more than 7 digits
    EXPECT_EQ(unescapeText("&#xD800;"), "&#xD800;");        // no UTF-8 form
    EXPECT_EQ(unescapeText("&#x110000;"), "&#x110000;");
    EXPECT_EQ(unescapeText("&#;&#x;&"), "&#;&#x;&");
    EXPECT_EQ(unescapeText("a & b &lt"), "a & b &lt");
}

TEST(XmlCdata, SplitsTheTerminator) {
    EXPECT_EQ(encodeCdata("a]]>b"), "<![CDATA[a]]]]><![CDATA[>b]]>");
    EXPECT_EQ(encodeCdata(""), "<![CDATA[]]>");
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<r>" + encodeCdata("]]>x]]>") + "</r>"));
    ASSERT_TRUE(doc.findElement());
    EXPECT_EQ(doc.elementText(), "]]>x]]>");
}

TEST(XmlUtf, DecodesValidTextAndReplacesInvalidSequences) {
    EXPECT_EQ(utf8ToUtf16("A中\xF0\x9F\x98\x80"), (std::u16string{u'A', 0x4E2D, 0xD83D, 0xDE00}));
    EXPECT_EQ(utf8ToUtf16("a\xC3(b"), u"a?(b");   // lead byte followed by ASCII
    EXPECT_EQ(utf8ToUtf16("\xF8x"), u"?x");       // 11111xxx
    EXPECT_EQ(utf8ToUtf16("x\xE4\xB8"), u"x?");    // cut at the end, nothing read beyond
    EXPECT_EQ(utf8ToUtf16(std::string("ab\0cd", 5)), u"ab");  // stops at a zero code point
}

TEST(XmlUtf, EncodesAndJoinsSurrogates) {
    EXPECT_EQ(utf16ToUtf8(std::u16string{u'A', 0x4E2D, 0xD83D, 0xDE00}), "A中\xF0\x9F\x98\x80");
    EXPECT_EQ(utf16ToUtf8(std::u16string{0xD83D}), "?");
    EXPECT_EQ(utf16ToUtf8(std::u16string{0xDE00, u'x'}), "?x");
    EXPECT_EQ(utf16ToUtf8(std::u16string{0xD83D, u'x'}), "?x");
}

TEST(XmlUtf, NormalizeKeepsValidTextAndRepairsInvalid) {
    const std::string valid = "store 中文 \xF0\x9F\x98\x80 text of some length";
    EXPECT_EQ(normalizeUtf8(valid), valid);
    EXPECT_EQ(normalizeUtf8("ok\xFFok"), "ok?ok");
    EXPECT_EQ(normalizeUtf8("\xED\xA0\x80"), "?");  // an encoded surrogate
    EXPECT_EQ(normalizeUtf8("\xC1\x81"), "A");       // overlong form decodes to its character
}

TEST(XmlEncoding, DeclaredEncodingComesFromTheDeclaration) {
    EXPECT_EQ(declaredEncoding("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<r/>"), "UTF-8");
    EXPECT_EQ(declaredEncoding("  <?xml encoding='gb2312' ?><r/>"), "gb2312");
    EXPECT_EQ(declaredEncoding("<?xml version=\"1.0\"?><r/>"), "");
    EXPECT_EQ(declaredEncoding("<r/>"), "");
    EXPECT_EQ(declaredEncoding("<?xml encoding=\"x\""), "");
}

}  // namespace
