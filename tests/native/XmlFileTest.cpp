// Reading and writing XML files: byte-order mark, UTF-8, other encodings, failures.
#include "xml/XmlDocument.h"
#include "XmlTestSupport.h"
#include "xml/XmlText.h"

#include <gtest/gtest.h>

using xml::writeTextFile;
using xml::XmlDocument;

namespace {

const std::string kBom = "\xEF\xBB\xBF";
const std::string kStore = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<UserInfo>\r\n<AddNew>工作</AddNew>\r\n</UserInfo>\r\n";

TEST(XmlFile, SaveWritesMarkAndUtf8AndLoadReadsItBack) {
    ScratchDir dir;
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument(kStore));
    const std::string path = dir.path("clipboard.xml");
    ASSERT_TRUE(doc.saveFile(path));
    EXPECT_EQ(doc.resultText(), std::to_string(kBom.size() + kStore.size()) + " bytes");
    EXPECT_EQ(readBytes(path), kBom + kStore);

    XmlDocument loaded;
    ASSERT_TRUE(loaded.loadFile(path));
    EXPECT_EQ(loaded.resultText(), std::to_string(kBom.size() + kStore.size()) + " bytes");
    EXPECT_EQ(loaded.documentText(), kStore);
}

TEST(XmlFile, FileWithoutMarkKeepsItsFirstBytes) {
    ScratchDir dir;
    const std::string path = dir.path("nomark.xml");
    writeBytes(path, kStore);
    XmlDocument doc;
    ASSERT_TRUE(doc.loadFile(path));
    EXPECT_EQ(doc.documentText(), kStore);
}

TEST(XmlFile, OtherEncodingIsReadAndWrittenUnchanged) {
    ScratchDir dir;
    const std::string gbk = "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<r>\xD6\xD0\xCE\xC4</r>";
    const std::string path = dir.path("gbk.xml");
    writeBytes(path, gbk);
    XmlDocument doc;
    ASSERT_TRUE(doc.loadFile(path));
    EXPECT_EQ(doc.documentText(), gbk);
    const std::string out = dir.path("gbk-out.xml");
    ASSERT_TRUE(doc.saveFile(out));
    EXPECT_EQ(readBytes(out), gbk);
}

TEST(XmlFile, InvalidUtf8ReadsAsQuestionMarks) {
    ScratchDir dir;
    const std::string path = dir.path("bad.xml");
    writeBytes(path, kBom + "<r>a\xFF\xC3(b</r>");
    XmlDocument doc;
    ASSERT_TRUE(doc.loadFile(path));
    ASSERT_TRUE(doc.findElement());
    EXPECT_EQ(doc.elementText(), "a?" "?(b");
}

TEST(XmlFile, EmptyFileAndEmptyText) {
    ScratchDir dir;
    const std::string path = dir.path("empty.xml");
    writeBytes(path, "");
    XmlDocument doc;
    EXPECT_FALSE(doc.loadFile(path));
    EXPECT_EQ(doc.resultText(), "0 bytes, Empty document");
    std::string result;
    ASSERT_TRUE(writeTextFile(path, "", result));
    EXPECT_EQ(result, "0 bytes");
    EXPECT_EQ(readBytes(path), "");
}

TEST(XmlFile, MissingFileOrFolderGivesTheSystemErrorText) {
    ScratchDir dir;
    XmlDocument doc;
    EXPECT_FALSE(doc.loadFile(dir.path("missing.xml")));
    EXPECT_FALSE(doc.resultText().empty());
    EXPECT_EQ(doc.resultText().find('\n'), std::string::npos);
    EXPECT_FALSE(doc.isWellFormed());
    EXPECT_FALSE(doc.findElement());
    ASSERT_TRUE(doc.setDocument("<r/>"));
    EXPECT_FALSE(doc.saveFile(dir.path("no-such-folder/x.xml")));
    EXPECT_FALSE(doc.resultText().empty());
}

TEST(XmlFile, UnicodePathsWork) {
    ScratchDir dir;
    XmlDocument doc;
    ASSERT_TRUE(doc.setDocument("<r>x</r>"));
    const std::string path = dir.path("剪贴板.xml");
    ASSERT_TRUE(doc.saveFile(path));
    XmlDocument loaded;
    ASSERT_TRUE(loaded.loadFile(path));
    EXPECT_EQ(loaded.documentText(), "<r>x</r>");
}

}  // namespace
