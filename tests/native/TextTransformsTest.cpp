// The paste transforms over UTF-16: one table, run natively against the stand-in mappings and
// under Wine against LCMapStringEx (store_tests_win), so both give the same texts. Surrogate pairs
// and combining marks stay whole; Chinese beside Latin is the everyday case.
#include "store/ClipFormats.h"
#include "store/TextTransforms.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace store;

namespace {

struct TransformCase {
    Transform transform;
    std::u16string text;
    std::u16string expected;
};

std::string units(const std::u16string& text) {
    std::string shown;
    for (const char16_t unit : text)
        shown += " " + std::to_string(static_cast<unsigned>(unit));
    return shown;
}

TEST(TextTransforms, EachTransformOverTheTable) {
    const TransformCase cases[] = {
        {Transform::Plain, u"", u""},
        {Transform::Plain, u"e\u0301 😀 你好", u"e\u0301 😀 你好"},
        {Transform::Upper, u"", u""},
        {Transform::Upper, u"hello, 世界 é e\u0301 ÿ σ ж ｅ", u"HELLO, 世界 É E\u0301 Ÿ Σ Ж Ｅ"},
        {Transform::Upper, u"😀𠀀a", u"😀𠀀A"},
        {Transform::Upper, u"ı", u"ı"},  // the invariant casing keeps ASCII to itself
        {Transform::Lower, u"HELLO, 世界 É Ÿ Σ Ж Ｅ", u"hello, 世界 é ÿ σ ж ｅ"},
        {Transform::Lower, u"İ", u"İ"},
        {Transform::Title, u"hello wORLD", u"Hello World"},
        {Transform::Title, u"  3d printing\tnow", u"  3D Printing\tNow"},
        {Transform::Title, u"e\u0301cole (hello) o'neil", u"E\u0301cole (Hello) O'neil"},
        {Transform::Title, u"你好 world 😀abc", u"你好 World 😀Abc"},
        {Transform::Title, u"", u""},
        {Transform::Trim, u"\u3000 \t hello 世界 \u00A0\r\n", u"hello 世界"},
        {Transform::Trim, u"\u200B\uFEFFa b\u200B", u"a b"},
        {Transform::Trim, u"😀 ", u"😀"},
        {Transform::Trim, u"  \u3000", u""},
        {Transform::OneLine, u"first line\r\nsecond line", u"first line second line"},
        {Transform::OneLine, u"你好，\n  世界", u"你好，世界"},
        {Transform::OneLine, u"中文\r\nEnglish\n中文", u"中文 English 中文"},
        {Transform::OneLine, u"a  b\n\n\nc", u"a  b c"},
        {Transform::OneLine, u"\n\n  lead\u2028trail \n", u"lead trail"},
        {Transform::OneLine, u"𠀀\n𠀁 e\u0301\nx", u"𠀀𠀁 e\u0301 x"},
        {Transform::OneLine, u"", u""},
        {Transform::HalfWidth, u"ＨＥＬＬＯ，　世界！１２３", u"HELLO, 世界!123"},
        {Transform::HalfWidth, u"ｅ\u0301 ガパア ￥￡ ㄱㅏ 😀", u"e\u0301 ｶﾞﾊﾟｱ ¥£ ﾡￂ 😀"},
        {Transform::HalfWidth, u"", u""},
        {Transform::FullWidth, u"Hello, 世界! 123", u"Ｈｅｌｌｏ，　世界！　１２３"},
        {Transform::FullWidth, u"e\u0301ｶﾞﾊﾟｱ¥ﾡ😀", u"ｅ\u0301ガパア￥ㄱ😀"},
        {Transform::FullWidth, u"", u""},
    };
    for (const TransformCase& c : cases) {
        const std::u16string result = transformText(c.transform, c.text);
        EXPECT_EQ(result, c.expected) << transformName(c.transform).id << ":" << units(c.text) << " gave" << units(result);
    }
}

TEST(TextTransforms, NamesAndNumbersNameEachTransformOnce) {
    std::set<std::string_view> ids;
    for (const TransformName& name : kTransformNames) {
        EXPECT_EQ(transformFromId(name.id), name.transform);
        EXPECT_EQ(transformFromNumber(static_cast<unsigned>(name.transform)), name.transform);
        EXPECT_NE(name.menuText.find("(&"), std::string_view::npos) << name.id << " has no access key";
        ids.insert(name.id);
    }
    EXPECT_EQ(ids.size(), kTransformCount);
    EXPECT_FALSE(transformFromId("UPPER"));
    EXPECT_FALSE(transformFromNumber(kTransformCount));
}

TEST(TextTransforms, APasteTransformsTheTextAloneAndKeepsTheLocale) {
    const std::string locale("\x04\x08\0\0", 4);
    const RestorableFormats clip{{13, utf16Block(u"abc 你好")}, {1, "abc"}, {7, "abc"}, {16, locale}, {49300, "<b>abc</b>"}};
    EXPECT_EQ(transformedPaste(clip, Transform::Upper), (RestorableFormats{{13, utf16Block(u"ABC 你好")}, {16, locale}}));
    EXPECT_EQ(transformedPaste(clip, Transform::Plain),
              (RestorableFormats{{13, utf16Block(u"abc 你好")}, {1, "abc"}, {7, "abc"}, {16, locale}}));
    // A text in the system code page alone; a clip without text gives nothing to paste.
    EXPECT_EQ(transformedPaste({{1, std::string("abc\0", 4)}}, Transform::Title), (RestorableFormats{{13, utf16Block(u"Abc")}}));
    EXPECT_EQ(transformedPaste({{15, "files"}, {49300, "<b/>"}}, Transform::Trim), RestorableFormats{});
}

}  // namespace
