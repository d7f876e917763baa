// The main program's plain decisions: program folder, names, picture fitting and store views.
#include "ClipRules.h"
#include "PictureFit.h"
#include "StoreFormat.h"
#include "StoreView.h"
#include "XmlDocument.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace clip;

TEST(AppRules, ProgramFolderDropsTheExecutableName) {
    EXPECT_EQ(programFolder(u"C:\\Program Files\\Dravix\\Dravix.EXE"), u"c:\\program files\\dravix\\");
    EXPECT_EQ(programFolder(u"C:\\Tools\\other.exe"), u"c:\\tools\\other.exe");
    EXPECT_EQ(programFolder(u"D:\\dravix.exe\\dravix.exe"), u"d:\\\\");
}

TEST(AppRules, NumberTextsAndClipNames) {
    using store::clipNameFromNumberText;
    EXPECT_EQ(store::historyNumberText(12), "12");
    EXPECT_EQ(store::slotNumberText('5'), "ctrl+alt+5");
    EXPECT_EQ(clipNameFromNumberText("12"), "his12-");
    EXPECT_EQ(clipNameFromNumberText("ctrl+alt+5"), "copy5");
    // A text that names no clip gives no name, never one that reaches other elements.
    for (const char* odd : {"", "0", "012", "1000", "12-", "-time", "1 2", "ctrl+alt+", "ctrl+alt+55", "ctrl+alt+x",
                            "x", "999999999999"})
        EXPECT_EQ(clipNameFromNumberText(odd), "") << odd;
    EXPECT_EQ(clipNameFromNumberText("999"), "his999-");
    EXPECT_EQ(pictureContent(37, 20), "picture:size 37*20");
    EXPECT_EQ(store::fileListContent(u"C:\\a.txt"), u"File:Path\"C:\\a.txt\"");
}

TEST(PreviewFit, WorkedExamples) {
    PictureFit fit;
    ASSERT_TRUE(fitPicture(400, 300, 800, 200, fit));
    EXPECT_EQ(fit.width, 400);
    EXPECT_EQ(fit.height, 100);
    EXPECT_EQ(fit.x, 0);
    EXPECT_EQ(fit.y, 100);
    ASSERT_TRUE(fitPicture(400, 300, 200, 800, fit));
    EXPECT_EQ(fit.width, 75);
    EXPECT_EQ(fit.height, 300);
    EXPECT_EQ(fit.x, 162);
    EXPECT_EQ(fit.y, 0);
    ASSERT_TRUE(fitPicture(400, 300, 40, 30, fit));  // smaller: own size, centred
    EXPECT_EQ(fit.width, 40);
    EXPECT_EQ(fit.height, 30);
    EXPECT_EQ(fit.x, 180);
    EXPECT_EQ(fit.y, 135);
    EXPECT_FALSE(fitPicture(400, 300, 0, 30, fit));
    ASSERT_TRUE(fitPicture(400, 300, 100000, 100000, fit));
    EXPECT_EQ(fit.height, 300);
}

// Data files as a map: element name -> text, record name -> picture size, element -> path.
class MapReader : public RecordReader {
public:
    std::map<std::string, std::u16string> texts, files;
    std::map<std::string, std::pair<int, int>> pictures;
    std::optional<std::u16string> text(const std::string& element, int) override { return find(texts, element); }
    std::optional<std::pair<int, int>> pictureSize(const std::string& record) override {
        auto it = pictures.find(record);
        return it == pictures.end() ? std::nullopt : std::optional<std::pair<int, int>>(it->second);
    }
    std::optional<std::u16string> firstFile(const std::string& element) override { return find(files, element); }

private:
    static std::optional<std::u16string> find(const std::map<std::string, std::u16string>& map, const std::string& key) {
        auto it = map.find(key);
        return it == map.end() ? std::nullopt : std::optional<std::u16string>(it->second);
    }
};

class StoreViewTest : public ::testing::Test {
protected:
    void clip(const std::string& name, const std::vector<int>& formats, const std::string& time = "2012-05-07 09:03:41") {
        store::appendRootChild(m_doc, store::timeElementName(name), time);
        store::appendRootChild(m_doc, store::useTimeElementName(name), time);
        for (std::size_t i = 0; i < formats.size(); ++i)
            store::appendRootChild(m_doc, store::formatElementName(name, static_cast<int>(i)), std::to_string(formats[i]));
    }
    std::vector<ViewRow> view(ViewNode node, const std::u16string& text) { return buildStoreView(m_doc, node, text, m_reader); }
    XmlDocument m_doc;
    MapReader m_reader;
    void SetUp() override { store::startEmptyStore(m_doc); }
};

TEST_F(StoreViewTest, HistoryRowsOneRecordEachFromTheFirstDisplayablePart) {
    clip("his1-", {13, 16, 1});
    m_reader.texts["his1-0"] = u"first";
    m_reader.texts["his1-2"] = u"ansi";
    clip("his2-", {2, 8});
    m_reader.pictures["his2-"] = {37, 20};
    clip("his3-", {15});
    m_reader.files["his3-0"] = u"C:\\a.txt";
    clip("his4-", {49161});  // nothing displayable
    clip("copy5", {13});
    m_reader.texts["copy50"] = u"slot";
    const auto rows = view(ViewNode::Collection, u"收集");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].content, u"first");
    EXPECT_EQ(rows[0].number, "1");
    EXPECT_EQ(rows[0].kind, kRowText);
    EXPECT_EQ(rows[1].content, u"picture:size 37*20");
    EXPECT_EQ(rows[1].kind, kRowPicture);
    EXPECT_EQ(rows[2].content, u"File:Path\"C:\\a.txt\"");
    EXPECT_EQ(rows[2].kind, kRowFileList);
    EXPECT_EQ(rows[2].copyTime, "2012-05-07 09:03:41");
}

TEST_F(StoreViewTest, SlotsShowUnderHotkeysWithTheirNumberText) {
    clip("copy5", {2});
    m_reader.pictures["copy5"] = {10, 10};
    clip("his1-", {13});
    m_reader.texts["his1-0"] = u"x";
    const auto rows = view(ViewNode::Hotkeys, u"快捷键");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].number, "ctrl+alt+5");
    EXPECT_EQ(rows[0].kind, kRowPicture);
}

TEST_F(StoreViewTest, CategorisedRecordsMoveToTheirNode) {
    clip("his1-", {13});
    m_reader.texts["his1-0"] = u"filed";
    clip("his2-", {13});
    m_reader.texts["his2-0"] = u"loose";
    ASSERT_TRUE(store::findRootChild(m_doc, "his1--time"));
    m_doc.enterElement();
    m_doc.addElement("his1category", "Work");
    EXPECT_EQ(view(ViewNode::Collection, u"收集").size(), 1u);
    const auto work = view(ViewNode::Other, u"Work");
    ASSERT_EQ(work.size(), 1u);
    EXPECT_EQ(work[0].content, u"filed");
    EXPECT_TRUE(view(ViewNode::Other, u"我的剪贴板").empty());
}

TEST_F(StoreViewTest, UnreadableTextFallsToALaterPart) {
    clip("his1-", {13, 2});
    m_reader.pictures["his1-"] = {5, 6};
    const auto rows = view(ViewNode::Collection, u"收集");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].kind, kRowPicture);
}

}  // namespace

#include "CategoryRules.h"

namespace {

TEST(CategoryRules, ReservedAndStoredNamesAreTakenInTheirCaseOnly) {
    const std::vector<std::u16string> stored = {u"Work", u" 工作 "};
    using category::NameProblem;
    for (const char16_t* taken : {u"InBox", u"HotKey", u"Work", u" 工作 "})
        EXPECT_EQ(category::checkName(taken, stored), NameProblem::Taken);
    for (const char16_t* free : {u"inbox", u"hotkey", u"work", u"工作", u"", u"A&B <x>"})
        EXPECT_EQ(category::checkName(free, stored), NameProblem::None);
    EXPECT_EQ(category::checkName(std::u16string(255, u'类'), stored), NameProblem::None);
    EXPECT_EQ(category::checkName(std::u16string(256, u'类'), stored), NameProblem::TooLong);
}

}  // namespace
