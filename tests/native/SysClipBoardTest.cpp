// The store operations on a scratch store: natively and under Wine.
#include "store/BmpLayout.h"
#include "store/ClipFormats.h"
#include "store/ClipNames.h"
#include "store/ClipSnapshot.h"
#include "store/StoreFile.h"
#include "StoreFixtures.h"
#include "store/SysClipBoard.h"
#include "TestFiles.h"
#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

using xml::XmlDocument;

using namespace std::string_literals;
using namespace store;

namespace {

const char* const kStamp = "2012-05-07 09:03:41";

class StoreTest : public ::testing::Test {
protected:
    StoreTest() : m_store(m_dir.path("win")) {
        std::filesystem::create_directories(std::filesystem::u8path(m_dir.path("win") + kSep + "Brindlecote"));
        store::CSysClipBoard::setMessageHandler([this](const std::string& text) { m_messages.push_back(text); });
    }
    ~StoreTest() override { store::CSysClipBoard::setMessageHandler(nullptr); }

    std::string index() const { return m_dir.path("win") + kSep + "clipboard.xml"; }
    std::string data(const std::string& name) const { return m_dir.path("win") + kSep + "Brindlecote" + kSep + name; }

    // A clip as the hook library writes it: time, use time, formats with their data files.
    void storeClip(const std::string& clip, const std::vector<std::pair<int, std::string>>& formats) {
        m_store.setValue(kStamp, timeElementName(clip), 1);
        m_store.setValue(kStamp, useTimeElementName(clip), 1);
        for (std::size_t i = 0; i < formats.size(); ++i) {
            const std::string name = formatElementName(clip, static_cast<int>(i));
            m_store.setValue(std::to_string(formats[i].first).c_str(), name, 1);
            writeBytes(data(name), formats[i].second);
        }
    }

    ScratchDir m_dir;
    store::CSysClipBoard m_store;
    std::vector<std::string> m_messages;
};

TEST_F(StoreTest, FreeHistoryNumbersAreReusedLowestFirst) {
    EXPECT_EQ(m_store.findCanUseHisClip(), 1);  // no index: no message
    for (int n : {1, 2, 4})
        storeClip(historyClipName(n), {{13, utf16Bytes(u"x")}});
    EXPECT_EQ(m_store.findCanUseHisClip(), 3);
    storeClip(historyClipName(3), {{13, utf16Bytes(u"y")}});
    EXPECT_EQ(m_store.findCanUseHisClip(), 5);
    m_store.removeClip(historyClipName(2));
    EXPECT_EQ(m_store.findCanUseHisClip(), 2);
    // A clip without its format element 0 counts as free.
    m_store.setValue(kStamp, "his2--time", 1);
    EXPECT_EQ(m_store.findCanUseHisClip(), 2);
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(StoreTest, FullHistoryGivesOneThousand) {
    writeBytes(index(), "\xEF\xBB\xBF" + makeStoreText(999, 2, 10, 5));
    EXPECT_EQ(m_store.findCanUseHisClip(), 1000);
    m_store.removeClip("his500-");
    EXPECT_EQ(m_store.findCanUseHisClip(), 500);
}

std::vector<std::string> g_damaged;

TEST_F(StoreTest, AnUnreadableIndexIsKeptAsideOnceAndWhatCanBeReadIsCarriedOver) {
    g_damaged.clear();
    store::setDamageReporter([](const std::string& keptAs) { g_damaged.push_back(keptAs); });
    writeBytes(index(), "");
    EXPECT_EQ(m_store.findCanUseHisClip(), 1);
    EXPECT_EQ(m_messages, std::vector<std::string>{"CSysClipBoard::findCanUseHisClip"});
    // Readers leave it as it is.
    EXPECT_EQ(m_store.getValue("x"), "");
    EXPECT_FALSE(m_store.hasElement("AddNew", ""));
    EXPECT_TRUE(m_store.categoryNames().empty());
    EXPECT_EQ(readBytes(index()), "");
    EXPECT_TRUE(g_damaged.empty());
    // The first writer keeps it aside under another name, says so, and goes on with a store.
    m_store.setValue("1", "k", 0);
    ASSERT_EQ(g_damaged, std::vector<std::string>{index() + ".damaged"});
    EXPECT_EQ(readBytes(index() + ".damaged"), "");
    EXPECT_EQ(m_store.getValue("k"), "1");

    // A damaged index with readable elements before the damage: they are carried over.
    const std::string cut = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<UserInfo>\r\n"
                            "<his1--time>2026</his1--time>\r\n<his1-0>13</his1-0>\r\n<his2-";
    writeBytes(index(), cut);
    m_store.removeElement("his1--time");
    ASSERT_EQ(g_damaged.size(), 2u);
    EXPECT_EQ(g_damaged[1], index() + ".damaged2");
    EXPECT_EQ(readBytes(index() + ".damaged2"), cut);
    EXPECT_EQ(m_store.getValue("his1-0"), "13");
    EXPECT_EQ(m_store.getValue("his1--time"), "");
    store::setDamageReporter(nullptr);
}

TEST_F(StoreTest, ValuesAreSetUpdatedAndAppended) {
    m_store.setValue(nullptr, "k", 1);
    EXPECT_FALSE(fileExists(index()));
    m_store.setValue("A&B", "AddNew", 0);
    EXPECT_TRUE(m_store.hasElement("AddNew", "A&B"));
    EXPECT_FALSE(m_store.hasElement("AddNew", "a&b"));
    m_store.setValue("A&B", "AddNew", 0);
    m_store.setValue("工作", "AddNew", 0);
    EXPECT_EQ(m_store.categoryNames(), (std::vector<std::string>{"A&B", "A&B", "工作"}));
    EXPECT_TRUE(m_store.hasElement("AddNew", "工作"));
    m_store.setValue("1", "k", 1);
    m_store.setValue("2", "k", 1);
    EXPECT_EQ(m_store.getValue("k"), "2");
    EXPECT_NE(readBytes(index()).find("<AddNew>A&amp;B</AddNew>"), std::string::npos);
    m_store.removeElement("k");
    EXPECT_EQ(m_store.getValue("k"), "");
}

TEST_F(StoreTest, RemoveElementWithoutIndexWritesNothing) {
    m_store.removeElement("k");
    EXPECT_FALSE(fileExists(index()));
}

TEST_F(StoreTest, CategoryGoesRightAfterTheTimeElementAndIsUpdated) {
    storeClip(historyClipName(7), {{13, utf16Bytes(u"x")}});
    m_store.setCategory("Work", "his7");
    EXPECT_NE(readBytes(index()).find("<his7--time>2012-05-07 09:03:41</his7--time>\r\n"
                                      "<his7category>Work</his7category>\r\n<his7--usetime>"),
              std::string::npos);
    m_store.setCategory("Home", "his7");
    EXPECT_EQ(m_store.getValue("his7category"), "Home");
    XmlDocument doc;
    ASSERT_TRUE(doc.loadFile(index()));
    int count = 0;
    doc.findElement();
    doc.enterElement();
    while (doc.findElement("his7category"))
        ++count;
    EXPECT_EQ(count, 1);
    // A slot clip has no "his" time element: nothing is stored.
    storeClip(slotClipName('1'), {{1, "a"}});
    const std::string before = readBytes(index());
    m_store.setCategory("Work", "copy1");
    EXPECT_EQ(readBytes(index()), before);
}

TEST_F(StoreTest, RemoveClipTakesItsElementsAndTheirFiles) {
    storeClip(historyClipName(1), {{13, utf16Bytes(u"a")}, {1, "a"}});
    storeClip(historyClipName(2), {{13, utf16Bytes(u"b")}});
    m_store.removeClip(historyClipName(1));
    EXPECT_EQ(m_store.getValue("his1--time"), "");
    EXPECT_EQ(m_store.getValue("his1-1"), "");
    EXPECT_EQ(m_store.getValue("his2-0"), "13");
    EXPECT_FALSE(fileExists(data("his1-0")));
    EXPECT_TRUE(fileExists(data("his2-0")));
}

TEST_F(StoreTest, RemoveClipTakesEveryElementWhereverItStandsAndItsFiles) {
    // A slot stored a second time: its use time now stands before its time element.
    storeClip(slotClipName('3'), {{1, "a"}});
    m_store.removeClip(slotClipName('3'));
    m_store.setValue(kStamp, "copy3-usetime", 1);
    m_store.setValue(kStamp, "copy3-time", 1);
    m_store.setValue("1", "copy30", 1);
    writeBytes(data("copy30"), "a");
    writeBytes(data("copy3.bmp"), "BM");
    writeBytes(data("copy3.thumb.bmp"), "BM");
    // A history clip filed in a category, with a copy that has no use time (a slot copy).
    storeClip(historyClipName(12), {{13, "x"}});
    m_store.setCategory("Work", historyBaseName(12));
    m_store.setValue(kStamp, "his13--time", 1);
    m_store.setValue("2", "his13-0", 1);
    m_store.removeClip(slotClipName('3'));
    m_store.removeClip(historyClipName(12));
    m_store.removeClip(historyClipName(13));
    EXPECT_EQ(readBytes(index()).find("copy3"), std::string::npos);
    EXPECT_EQ(readBytes(index()).find("his12"), std::string::npos);
    EXPECT_EQ(readBytes(index()).find("his13"), std::string::npos);
    EXPECT_FALSE(fileExists(data("copy30")));
    EXPECT_FALSE(fileExists(data("copy3.bmp")));
    EXPECT_FALSE(fileExists(data("copy3.thumb.bmp")));
    EXPECT_FALSE(fileExists(data("his12-0")));
    EXPECT_EQ(m_store.findCanUseHisClip(), 1);
}

TEST_F(StoreTest, TextComesFromTheFirstTextFormatInIndexOrder) {
    storeClip("his1-", {{13, utf16Bytes(u"unicode 中文")}, {1, "ansi\0pad"s}});
    storeClip("his2-", {{1, "ansi\0pad"s}, {13, utf16Bytes(u"unicode")}});
    storeClip("his3-", {{2, ""}, {8, "dib"}});
    storeClip("his4-", {{13, utf16Bytes(u"u")}});
    EXPECT_EQ(m_store.getTextFromName("his1-"), u"unicode 中文");
    EXPECT_EQ(m_store.getTextFromName("his2-"), u"ansi");
    EXPECT_EQ(m_store.getTextFromName("his3-"), u"");
    EXPECT_EQ(m_store.getTextFromName("his9-"), u"");
    // A missing data file: the next text format is taken.
    std::filesystem::remove(std::filesystem::u8path(data("his2-0")));
    EXPECT_EQ(m_store.getTextFromName("his2-"), u"unicode");
}

TEST_F(StoreTest, FileListTextShowsTheFirstOfThreeFiles) {
    std::string block(20, '\0');
    block[0] = 20;
    block[16] = 1;
    for (char16_t c : u"C:\\docs\\a.txt\0C:\\docs\\b.txt\0C:\\docs\\c.txt\0\0"s) {
        block += static_cast<char>(c & 0xFF);
        block += static_cast<char>(c >> 8);
    }
    storeClip("his1-", {{15, block}});
    EXPECT_EQ(m_store.getFileListText("his1-"), u"File:Path\"C:\\docs\\a.txt\"");
    storeClip("his2-", {{15, "garbage"}});
    EXPECT_EQ(m_store.getFileListText("his2-"), u"");
}

TEST_F(StoreTest, DeleteFolderRefusesRootsAndEmptyPaths) {
    EXPECT_FALSE(m_store.deleteFolder(""));
#ifdef _WIN32
    EXPECT_FALSE(m_store.deleteFolder("C:\\"));
    EXPECT_FALSE(m_store.deleteFolder("C:"));
#else
    EXPECT_FALSE(m_store.deleteFolder("/"));
#endif
    const std::string folder = m_dir.path("gone");
    std::filesystem::create_directories(std::filesystem::u8path(folder + kSep + "inner"));
    writeBytes(folder + kSep + "inner" + kSep + "f", "x");
    EXPECT_TRUE(m_store.deleteFolder(folder));
    EXPECT_FALSE(fileExists(folder));
}

class ArchiveTest : public StoreTest {
protected:
    void fillStore() {
        storeClip(historyClipName(1), {{13, utf16Bytes(u"text")}, {1, "text"}});
        storeClip(historyClipName(2), {{2, ""}, {8, "dib bytes"}});
        writeBytes(data("his2-.bmp"), "BM bitmap");
        writeBytes(data("his2-.thumb.bmp"), "BM thumbnail");
        storeClip(slotClipName('1'), {{1, "slot"}});
        m_store.setValue("工作", "AddNew", 0);
        m_store.setCategory("工作", "his1");
    }
    std::string keep(const std::string& name) const { return m_dir.path("keep") + kSep + name; }
    void makeKeep() { std::filesystem::create_directories(std::filesystem::u8path(m_dir.path("keep"))); }
};

// The program a record came from goes with it (an archive without one, as those of earlier
// versions, opens as before: the other tests' stores have none).
TEST_F(ArchiveTest, SaveAndOpenRoundTrip) {
    fillStore();
    m_store.setValue("C:\\Office & Co\\WINWORD.EXE", sourceElementName(historyClipName(1)), 0);
    makeKeep();
    const std::string archive = keep("work.amc");
    const std::string indexBytes = readBytes(index());
    ASSERT_EQ(m_store.saveArchive(archive), store::ArchiveResult::Done);
    EXPECT_EQ(readBytes(archive), indexBytes);
    for (const char* file : {"his1-0", "his1-1", "his2-0", "his2-1", "his2-.bmp", "his2-.thumb.bmp", "copy10"})
        EXPECT_TRUE(fileExists(keep("work" + kSep + file))) << file;
    EXPECT_FALSE(fileExists(keep("work.xml")));

    // A fresh store, then the archive opened into it.
    std::filesystem::remove(std::filesystem::u8path(index()));
    std::filesystem::remove_all(std::filesystem::u8path(data("")));
    ASSERT_EQ(m_store.openArchive(archive), store::ArchiveResult::Done);
    EXPECT_EQ(readBytes(index()), indexBytes);
    EXPECT_EQ(readStoredBytes(data("his2-.bmp")), "BM bitmap");
    EXPECT_EQ(readStoredBytes(data("his2-1")), "dib bytes");
    EXPECT_EQ(m_store.getTextFromName("his1-"), u"text");
    EXPECT_EQ(m_store.categoryNames(), std::vector<std::string>{"工作"});
    EXPECT_EQ(m_store.getValue("his1--source"), "C:\\Office & Co\\WINWORD.EXE");
    EXPECT_TRUE(fileExists(archive));
}

// The files are copied without the store lock, telling how far they are; what the store
// changed meanwhile is in the archive as the store holds it at the end.
TEST_F(ArchiveTest, ASaveTellsItsProgressAndKeepsWhatChangedMeanwhile) {
    fillStore();
    std::vector<std::size_t> told;
    const auto changeOnce = [&](std::size_t done, std::size_t total) {
        told.push_back(done * 100 / total);
        if (told.size() == 1) {
            storeClip(slotClipName('1'), {{1, "slot changed"}});
            storeClip(historyClipName(3), {{1, "added meanwhile"}});
        }
    };
    makeKeep();
    ASSERT_EQ(m_store.saveArchive(keep("during.amc"), changeOnce), store::ArchiveResult::Done);
    EXPECT_EQ(told.back(), 100u);
    EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
    EXPECT_EQ(readBytes(keep("during" + kSep + "copy10")), "slot changed");
    EXPECT_EQ(readBytes(keep("during" + kSep + "his3-0")), "added meanwhile");
    EXPECT_NE(readBytes(keep("during.amc")).find("his3-0"), std::string::npos);
}

TEST_F(ArchiveTest, EmptyStoreSavesAnEmptyRoot) {
    makeKeep();
    ASSERT_EQ(m_store.saveArchive(keep("work.amc")), store::ArchiveResult::Done);
    EXPECT_EQ(readBytes(keep("work.amc")), "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<UserInfo/>\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(keep("work"))));
}

TEST_F(ArchiveTest, NamesComeFromEveryAmcInThePath) {
    fillStore();
    std::filesystem::create_directories(std::filesystem::u8path(m_dir.path("a.amc")));
    const std::string archive = m_dir.path("a.amc") + kSep + "b.amc";
    ASSERT_EQ(m_store.saveArchive(archive), store::ArchiveResult::Done);
    EXPECT_TRUE(fileExists(archive));
    EXPECT_TRUE(fileExists(m_dir.path("a") + kSep + "b" + kSep + "his1-0"));
    ASSERT_EQ(m_store.openArchive(archive), store::ArchiveResult::Done);
    EXPECT_EQ(m_store.getValue("his1-0"), "13");
    EXPECT_NE(m_store.saveArchive(m_dir.path("no-extension")), store::ArchiveResult::Done);
}

TEST_F(ArchiveTest, SavingOverAnArchiveReplacesItAndKeepsForeignFiles) {
    fillStore();
    makeKeep();
    const std::string archive = keep("work.amc");
    ASSERT_EQ(m_store.saveArchive(archive), store::ArchiveResult::Done);
    writeBytes(keep("work" + kSep + "notes.txt"), "mine");
    writeBytes(keep("work.xml"), "user file");
    m_store.removeClip(historyClipName(2));
    storeClip(historyClipName(5), {{1, "new"}});
    ASSERT_EQ(m_store.saveArchive(archive), store::ArchiveResult::Done);
    EXPECT_EQ(readBytes(archive), readBytes(index()));
    EXPECT_TRUE(fileExists(keep("work" + kSep + "his5-0")));
    EXPECT_FALSE(fileExists(keep("work" + kSep + "his2-1")));
    EXPECT_EQ(readBytes(keep("work" + kSep + "notes.txt")), "mine");
    EXPECT_EQ(readBytes(keep("work.xml")), "user file");

    // A folder of clip files alone is replaced in one step: the new files, and nothing beside it.
    std::filesystem::remove(std::filesystem::u8path(keep("work" + kSep + "notes.txt")));
    m_store.removeClip(historyClipName(5));
    ASSERT_EQ(m_store.saveArchive(archive), store::ArchiveResult::Done);
    EXPECT_TRUE(fileExists(keep("work" + kSep + "his1-0")));
    EXPECT_FALSE(fileExists(keep("work" + kSep + "his5-0")));
    std::set<std::string> beside;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(keep(""))))
        beside.insert(entry.path().filename().u8string());
    EXPECT_EQ(beside, (std::set<std::string>{"work", "work.amc", "work.xml"}));
}

TEST_F(ArchiveTest, UnreadableArchiveLeavesTheStoreAlone) {
    fillStore();
    makeKeep();
    const std::string before = readBytes(index());
    EXPECT_NE(m_store.openArchive(keep("missing.amc")), store::ArchiveResult::Done);
    writeBytes(keep("empty.amc"), "");
    EXPECT_NE(m_store.openArchive(keep("empty.amc")), store::ArchiveResult::Done);
    EXPECT_EQ(readBytes(index()), before);
    EXPECT_TRUE(fileExists(data("his1-0")));
}

TEST_F(ArchiveTest, MalformedArchiveLeavesTheStoreUntouched) {
    fillStore();
    makeKeep();
    const std::string before = readBytes(index());
    // An end tag that matches nothing, and a file cut short inside the root.
    writeBytes(keep("cut.amc"), "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<UserInfo>\r\n"
                                "<his1--time>2012-05-07 09:03:41</his1--time>\r\n<his1-0>13</his1-0>\r\n"
                                "<bad>x</oops>\r\n<his1-1>1</his1-1>\r\n</UserInfo>\r\n");
    writeBytes(keep("short.amc"), "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<UserInfo>\r\n<his1-0>13</his1-0>\r\n<his1-1>1");
    EXPECT_EQ(m_store.openArchive(keep("cut.amc")), store::ArchiveResult::ArchiveUnreadable);
    EXPECT_EQ(m_store.openArchive(keep("short.amc")), store::ArchiveResult::ArchiveUnreadable);
    EXPECT_EQ(readBytes(index()), before);
    EXPECT_TRUE(fileExists(data("his1-0")));
}

TEST_F(ArchiveTest, HostileArchiveNamesNeverReachOutsideTheFolders) {
    makeKeep();
    writeBytes(keep("stolen.txt"), "secret");
    writeBytes(keep("hostile.amc"), "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<UserInfo>\r\n"
                                    "<x\\..\\..\\stolen.txt>1</x\\..\\..\\stolen.txt>\r\n"
                                    "<C:stolen.txt>1</C:stolen.txt>\r\n"
                                    "<CON>1</CON>\r\n"
                                    "<his1-0:stream>1</his1-0:stream>\r\n"
                                    "<x\\..\\..\\..\\keep\\stolen-time>1</x\\..\\..\\..\\keep\\stolen-time>\r\n"
                                    "<his1-0>13</his1-0>\r\n</UserInfo>\r\n");
    std::filesystem::create_directories(std::filesystem::u8path(keep("hostile")));
    writeBytes(keep("hostile" + kSep + "his1-0"), utf16Bytes(u"fine"));
    ASSERT_EQ(m_store.openArchive(keep("hostile.amc")), store::ArchiveResult::Done);
    EXPECT_EQ(m_store.getTextFromName("his1-"), u"fine");
    EXPECT_EQ(m_store.getValue("CON"), "1");  // the element is kept; only its file is not
    EXPECT_FALSE(fileExists(m_dir.path("win") + kSep + "stolen.txt"));
    EXPECT_FALSE(fileExists(m_dir.path("stolen.txt")));
    EXPECT_EQ(readBytes(keep("stolen.txt")), "secret");
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(data(""))))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1u);

    // Saving that store back out copies nothing but the clip file either.
    ASSERT_EQ(m_store.saveArchive(keep("again.amc")), store::ArchiveResult::Done);
    EXPECT_TRUE(fileExists(keep("again" + kSep + "his1-0")));
    EXPECT_EQ(readBytes(keep("stolen.txt")), "secret");
}

// A snapshot becomes a clip in one step: its files are written first under other names and
// put in place with the index; old format keys go, and an empty snapshot only removes them.
TEST_F(StoreTest, ASnapshotBecomesAClipWithItsFilesInPlace) {
    storeClip("copy5", {{13, "old"}, {1, "old"}, {16, "old"}});
    ClipSnapshot snapshot;
    snapshot.formats = {{0, 13, utf16Bytes(u"new")}, {1, 7, "oem"}};
    const std::string stamp = "2020-01-02 03:04:05";
    {
        StagedClip staged(m_store.paths(), snapshot);
        ASSERT_TRUE(staged.written());
        ASSERT_TRUE(updateStoreFile(index(), IfMissing::Create, [&](XmlDocument& doc) { return staged.commit(doc, "copy5", stamp); }));
    }
    EXPECT_EQ(m_store.getValue("copy50"), "13");
    EXPECT_EQ(m_store.getValue("copy51"), "7");
    EXPECT_EQ(m_store.getValue("copy52"), "");
    EXPECT_EQ(m_store.getValue("copy5-time"), stamp);
    EXPECT_EQ(m_store.getValue("copy5-usetime"), stamp);
    EXPECT_EQ(readStoredBytes(data("copy51")), "oem");
    EXPECT_EQ(m_store.getTextFromName("copy5"), u"new");
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(data(""))))
        files += entry.path().extension() == ".tmp" ? 100 : 1;
    EXPECT_EQ(files, 3u);  // copy50 and copy51, and the old copy52 that nothing names any more

    // A picture: its bitmap and the menu's thumbnail made of it; a later text takes the thumbnail.
    BmpLayout layout;
    ASSERT_TRUE(computeBmpLayout(640, 480, 24, layout));
    const auto headers = bmpHeaders(layout);
    ClipSnapshot picture;
    picture.formats = {{0, kFormatBitmap, ""}};
    picture.bitmapFile = std::string(headers.begin(), headers.end()) + std::string(layout.pixelDataSize, '\x40');
    const auto storeAs = [&](const ClipSnapshot& contents) {
        StagedClip staged(m_store.paths(), contents);
        ASSERT_TRUE(updateStoreFile(index(), IfMissing::Skip, [&](XmlDocument& doc) { return staged.commit(doc, "copy7", stamp); }));
    };
    storeAs(picture);
    EXPECT_EQ(readStoredBytes(data("copy7.bmp")), picture.bitmapFile);
    EXPECT_EQ(bitmapFileSize(readStoredBytes(data("copy7.thumb.bmp"))), std::make_pair(32, 32));
    storeAs(snapshot);
    EXPECT_FALSE(fileExists(data("copy7.thumb.bmp")));

    // Not put in place: nothing of it stays behind.
    { StagedClip unused(m_store.paths(), snapshot); }
    const ClipSnapshot empty;
    StagedClip nothing(m_store.paths(), empty);
    ASSERT_TRUE(updateStoreFile(index(), IfMissing::Skip, [&](XmlDocument& doc) { return nothing.commit(doc, "copy5", stamp); }));
    EXPECT_EQ(m_store.getValue("copy50"), "");
    EXPECT_EQ(m_store.getValue("copy5-time"), stamp);
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(data(""))))
        EXPECT_NE(entry.path().extension(), ".tmp");
    EXPECT_EQ(bitmapFileSize(std::string(60, 'x')), std::nullopt);
}

}  // namespace
