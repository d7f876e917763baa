// Filing history records (the one store operation the recorder and the slot filing share), reading
// a slot back, and what a Save copies when the store changes under it: natively and under Wine.
#include "store/BmpLayout.h"
#include "store/ClipFormats.h"
#include "store/ClipNames.h"
#include "app/ClipRules.h"
#include "store/ClipSnapshot.h"
#include "store/FileSystem.h"
#include "store/PasteQueue.h"
#include "app/recorder/RecordRules.h"
#include "store/StoreDocument.h"
#include "store/StoreFile.h"
#include "StoreFixtures.h"
#include "store/SysClipBoard.h"
#include "TestFiles.h"
#include "store/TimeStamp.h"
#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <thread>

using xml::XmlDocument;

using namespace store;

namespace {

namespace fs = std::filesystem;

// A text copy as the clipboard hands it out: UTF-16 and the code-page text.
ClipSnapshot textSnapshot(const std::string& text) {
    ClipSnapshot snapshot;
    snapshot.formats = {{0, kFormatUnicodeText, utf16Bytes(text)}, {1, kFormatText, text + '\0'}};
    return snapshot;
}

// A bitmap file of the given size, its pixels all one grey.
std::string bitmapFileOf(int width, int height) {
    BmpLayout layout;
    if (!computeBmpLayout(width, height, 24, layout))
        return {};
    const auto headers = bmpHeaders(layout);
    return std::string(headers.begin(), headers.end()) + std::string(layout.pixelDataSize, '\x20');
}

class FilingTest : public ::testing::Test {
protected:
    FilingTest() : m_store(m_dir.path("store")) { fs::create_directories(fs::u8path(m_store.paths().dataFolder())); }

    // A slot written the way the hook library writes it.
    void writeSlot(char digit, const ClipSnapshot& snapshot, const std::string& stamp) {
        StagedClip staged(m_store.paths(), snapshot);
        ASSERT_TRUE(staged.written());
        ASSERT_TRUE(updateStoreFile(m_store.paths().indexFile(), IfMissing::Create,
                                    [&](XmlDocument& doc) { return staged.commit(doc, slotClipName(digit), stamp); }));
    }
    std::string data(const std::string& name) const { return m_store.paths().dataFile(name); }
    std::string value(const std::string& name) const { return m_store.getValue(name); }
    void makeDataFolderAFile() {
        fs::remove_all(fs::u8path(m_store.paths().dataFolder()));
        writeBytes(m_store.paths().dataFolder(), "not a folder");
    }

    ScratchDir m_dir;
    store::CSysClipBoard m_store;
};

// A slot read back as its snapshot files as a history record with every format and its picture;
// the number is the lowest free one, and the row comes from what was filed.
TEST_F(FilingTest, ASlotIsReadBackAndFiledWithEveryFormatAndItsPicture) {
    ClipSnapshot picture;
    picture.formats = {{0, kFormatBitmap, ""}, {1, 8, "dib bytes"}};
    picture.bitmapFile = bitmapFileOf(64, 48);
    writeSlot('7', picture, "2020-01-02 03:04:05");
    const std::optional<store::StoredClip> slot = m_store.readClip("copy7");
    ASSERT_TRUE(slot);
    EXPECT_EQ(slot->copyTime, "2020-01-02 03:04:05");
    ASSERT_EQ(slot->snapshot.formats.size(), 2u);
    EXPECT_EQ(slot->snapshot.formats[1].bytes, "dib bytes");
    EXPECT_EQ(slot->snapshot.bitmapFile, picture.bitmapFile);
    const std::optional<app::PartRow> row = app::recorder::snapshotRow(slot->snapshot);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->kind, app::kRowPicture);

    ASSERT_EQ(m_store.fileHistoryRecord(textSnapshot("first"), "2020-01-01 00:00:00").number, 1);
    const FiledRecord filed = m_store.fileHistoryRecord(slot->snapshot, slot->copyTime);
    ASSERT_EQ(filed.outcome, FiledRecord::Outcome::Filed);
    EXPECT_EQ(filed.number, 2);
    EXPECT_EQ(filed.stamp, "2020-01-02 03:04:05");
    EXPECT_EQ(value("his2--time"), "2020-01-02 03:04:05");
    EXPECT_EQ(value("his2-0"), "2");
    EXPECT_EQ(value("his2-1"), "8");
    EXPECT_EQ(readStoredBytes(data("his2-1")), "dib bytes");
    EXPECT_EQ(readStoredBytes(data("his2-.bmp")), picture.bitmapFile);
    EXPECT_TRUE(fileExists(data("his2-.thumb.bmp")));
    // The slot itself is as it was.
    EXPECT_EQ(value("copy71"), "8");
    EXPECT_EQ(readStoredBytes(data("copy71")), "dib bytes");

    // A slot never stored reads as nothing to file; one whose data cannot be read does not read.
    const std::optional<store::StoredClip> none = m_store.readClip("copy3");
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->snapshot.empty());
    fs::remove(fs::u8path(data("copy71")));
    EXPECT_FALSE(m_store.readClip("copy7"));
}

// The program a copy came from is filed with it, as text; a record that knows none has no such
// element (the one of an earlier record of the number goes), and removing a clip takes it along.
TEST_F(FilingTest, TheSourceProgramIsFiledWithTheRecordAndGoesWithIt) {
    ClipSnapshot copied = textSnapshot("from word");
    copied.source = "C:\\Program Files\\Office & Co\\WINWORD.EXE";
    ASSERT_EQ(m_store.fileHistoryRecord(copied, "2020-01-01 00:00:00").number, 1);
    ASSERT_EQ(m_store.fileHistoryRecord(textSnapshot("unknown"), "2020-01-01 00:00:00").number, 2);
    EXPECT_EQ(value("his1--source"), copied.source);
    EXPECT_EQ(m_store.clipElements("his1-").source, copied.source);  // a row shown again keeps it
    EXPECT_EQ(value("his2--source"), "");

    m_store.removeClip("his1-");
    EXPECT_EQ(value("his1--time"), "");
    EXPECT_EQ(value("his1--source"), "");
    ASSERT_EQ(m_store.fileHistoryRecord(textSnapshot("number one again"), "2020-01-01 00:00:00").number, 1);
    EXPECT_EQ(value("his1--source"), "");
}

// The history full and a store that cannot be written change nothing, and say which it was.
TEST_F(FilingTest, FullOrUnwritableStoresAreToldApartAndLeftAsTheyWere) {
    writeBytes(m_store.paths().indexFile(), "\xEF\xBB\xBF" + makeStoreText(kMaxHistoryNumber, 1));
    const std::string full = readBytes(m_store.paths().indexFile());
    EXPECT_EQ(m_store.fileHistoryRecord(textSnapshot("one too many"), "2020-01-01 00:00:00").outcome,
              FiledRecord::Outcome::HistoryFull);
    EXPECT_EQ(readBytes(m_store.paths().indexFile()), full);
    m_store.removeClip("his500-");
    const std::string before = readBytes(m_store.paths().indexFile());

    makeDataFolderAFile();
    EXPECT_EQ(m_store.fileHistoryRecord(textSnapshot("nowhere to go"), "2020-01-01 00:00:00").outcome,
              FiledRecord::Outcome::Failed);
    EXPECT_EQ(readBytes(m_store.paths().indexFile()), before);
    EXPECT_EQ(readBytes(m_store.paths().dataFolder()), "not a folder");
    EXPECT_FALSE(m_store.readClip("his1-"));  // a record whose data cannot be read
    EXPECT_EQ(m_store.fileHistoryRecord(ClipSnapshot(), "2020-01-01 00:00:00").outcome, FiledRecord::Outcome::Failed);
}

// Which history clip makes room in a full history: the one used longest ago of those in no
// category (its copy time when it has no use time; neither counts as the oldest), the lower number
// between equal times; slots are never history clips; none when every clip is filed.
TEST(MakeRoomTest, TheOldestUnfiledHistoryClipGoes) {
    struct Case {
        const char* what;
        std::vector<RootElement> elements;
        int expected;
    };
    const Case cases[] = {
        {"the oldest use time", {{"his1-0", "13"}, {"his1--usetime", "2020-01-03 00:00:00"},
                                 {"his2-0", "13"}, {"his2--usetime", "2020-01-01 00:00:00"},
                                 {"his3-0", "13"}, {"his3--usetime", "2020-01-02 00:00:00"}}, 2},
        {"filed clips stay", {{"his1-0", "13"}, {"his1--usetime", "2020-01-01 00:00:00"}, {"his1category", "A"},
                              {"his2-0", "13"}, {"his2--usetime", "2020-01-05 00:00:00"}}, 2},
        {"copy time without a use time", {{"his1-0", "13"}, {"his1--usetime", "2020-01-02 00:00:00"},
                                          {"his2-0", "13"}, {"his2--time", "2020-01-01 00:00:00"}}, 2},
        {"no time is the oldest", {{"his1-0", "13"}, {"his1--usetime", "2020-01-01 00:00:00"}, {"his7-0", "13"}}, 7},
        {"equal times: the lower number", {{"his9-0", "13"}, {"his9--usetime", "2020-01-01 00:00:00"},
                                           {"his4-0", "13"}, {"his4--usetime", "2020-01-01 00:00:00"}}, 4},
        {"slots are not history clips", {{"copy4-0", "13"}, {"copy4--usetime", "2000-01-01 00:00:00"},
                                         {"his3-0", "13"}, {"his3--usetime", "2020-01-01 00:00:00"}}, 3},
        {"every clip filed", {{"his1-0", "13"}, {"his1category", "A"}, {"his2-0", "13"}, {"his2category", "B"}}, 0},
        {"no history", {{"AddNew", "A"}, {"copy1-0", "13"}}, 0},
    };
    for (const Case& test : cases)
        EXPECT_EQ(historyNumberToMakeRoom(test.elements), test.expected) << test.what;
}

// A full history whose oldest unfiled clip holds three formats and a picture: with RemoveOldest
// the new copy takes its number, and every file of the old clip that the new one did not write
// goes; the filed clips and the slot stay. Refused, or with every clip filed, nothing changes.
TEST_F(FilingTest, AFullHistoryMakesRoomOnlyWhenAskedAndOnlyFromUnfiledClips) {
    XmlDocument doc;
    doc.setDocument(makeStoreText(kMaxHistoryNumber, 1, 1));
    for (int n = 1; n <= kMaxHistoryNumber; ++n)
        setRootChild(doc, useTimeElementName(historyClipName(n)), n == 3 || n == 5 ? "2001-01-01 00:00:00" : "2019-01-01 00:00:00");
    setRootChild(doc, "his5category", "A");
    appendRootChild(doc, "his3-1", "1");
    appendRootChild(doc, "his3-2", "2");
    ASSERT_TRUE(writeStoreFile(doc, m_store.paths().indexFile()));
    for (const char* file : {"his3-0", "his3-1", "his3-2", "his3-.bmp", "his3-.thumb.bmp", "his5-0", "copy0-0"})
        writeBytes(data(file), file);
    ASSERT_TRUE(appendToPasteQueue(m_store.paths().statusFile(), {3, 7}));
    const std::string full = readBytes(m_store.paths().indexFile());

    EXPECT_EQ(m_store.fileHistoryRecord(textSnapshot("refused"), "2020-01-01 00:00:00").outcome,
              FiledRecord::Outcome::HistoryFull);
    EXPECT_EQ(readBytes(m_store.paths().indexFile()), full);

    // A picture takes the number: its own bitmap and thumbnail stay, the old clip's other files
    // go, and the queue no longer names the number.
    ClipSnapshot picture = textSnapshot("makes room");
    picture.formats.push_back({2, kFormatBitmap, ""});
    picture.bitmapFile = bitmapFileOf(32, 24);
    const FiledRecord filed = m_store.fileHistoryRecord(picture, "2020-01-01 00:00:00", WhenHistoryFull::RemoveOldest);
    ASSERT_EQ(filed.outcome, FiledRecord::Outcome::Filed);
    EXPECT_EQ(filed.number, 3);
    EXPECT_TRUE(filed.madeRoom);
    EXPECT_EQ(m_store.getTextFromName("his3-"), u"makes room");
    EXPECT_EQ(value("his3--usetime"), "2020-01-01 00:00:00");
    EXPECT_EQ(value("his3-2"), "2");
    EXPECT_EQ(readStoredBytes(data("his3-.bmp")), picture.bitmapFile);
    EXPECT_NE(readStoredBytes(data("his3-.thumb.bmp")), "his3-.thumb.bmp");
    EXPECT_TRUE(fileExists(data("his3-.thumb.bmp")));
    EXPECT_EQ(readPasteQueue(m_store.paths().statusFile()), PasteQueue{7});
    for (const std::string& name : files::filesIn(m_store.paths().dataFolder()))
        EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
    EXPECT_EQ(readBytes(data("his5-0")), "his5-0");
    EXPECT_EQ(value("his5category"), "A");
    EXPECT_EQ(readBytes(data("copy0-0")), "copy0-0");

    // Every history clip filed: the history is full as before.
    ASSERT_TRUE(updateStoreFile(m_store.paths().indexFile(), IfMissing::Skip, [](XmlDocument& index) {
        for (int n = 1; n <= kMaxHistoryNumber; ++n)
            setRootChild(index, categoryElementName(historyBaseName(n)), "A");
        return true;
    }));
    const std::string filedAll = readBytes(m_store.paths().indexFile());
    EXPECT_EQ(m_store.fileHistoryRecord(textSnapshot("no room"), "2020-01-02 00:00:00", WhenHistoryFull::RemoveOldest).outcome,
              FiledRecord::Outcome::HistoryFull);
    EXPECT_EQ(readBytes(m_store.paths().indexFile()), filedAll);
}

// A data file that cannot be put in place (here a folder holds its name) fails the filing: the
// history record is not written and leaves nothing behind, and a slot rewritten keeps every file
// of its old contents.
TEST_F(FilingTest, AFileThatCannotBePutInPlaceFailsTheFilingAndChangesNothing) {
    const std::string before = readBytes(m_store.paths().indexFile());
    fs::create_directories(fs::u8path(data("his1-1")) / "held");
    EXPECT_EQ(m_store.fileHistoryRecord(textSnapshot("never filed"), "2020-01-01 00:00:00").outcome,
              FiledRecord::Outcome::Failed);
    EXPECT_EQ(readBytes(m_store.paths().indexFile()), before);
    EXPECT_FALSE(fileExists(data("his1-0")));

    writeSlot('5', textSnapshot("old slot"), "2020-01-01 00:00:00");
    const std::string slotIndex = readBytes(m_store.paths().indexFile());
    fs::create_directories(fs::u8path(data("copy52")) / "held");
    ClipSnapshot three = textSnapshot("new slot");
    three.formats.push_back({2, 16, "locale"});
    EXPECT_FALSE(writeClip(m_store.paths(), "copy5", three));
    EXPECT_EQ(readBytes(m_store.paths().indexFile()), slotIndex);
    EXPECT_EQ(m_store.getTextFromName("copy5"), u"old slot");
    EXPECT_EQ(readStoredBytes(data("copy51")), "old slot" + std::string(1, '\0'));
    std::set<std::string> names;
    for (const std::string& name : files::filesIn(m_store.paths().dataFolder()))
        names.insert(name);
    EXPECT_EQ(names, (std::set<std::string>{"copy50", "copy51"}));
}

// The slot filing and the recorder filing at once, each with a store object of its own on one
// folder, the slot rewritten before each filing as the hook library rewrites it: every record
// holds the data of one copy alone, in all its formats, every copy is one record, and no number
// is taken twice.
TEST_F(FilingTest, SlotFilingAndRecorderFilingAtOnceNeverShareANumber) {
    constexpr int kEach = 80;
    std::vector<int> slotNumbers, recorderNumbers;
    std::thread slotFiling([&] {
        store::CSysClipBoard store(m_store.getWindowsDir());
        for (int i = 0; i < kEach; ++i) {
            writeSlot('5', textSnapshot("slot " + std::to_string(i)), "2020-01-01 00:00:00");
            const std::optional<store::StoredClip> slot = store.readClip("copy5");
            ASSERT_TRUE(slot);
            const FiledRecord filed = store.fileHistoryRecord(slot->snapshot, slot->copyTime);
            ASSERT_EQ(filed.outcome, FiledRecord::Outcome::Filed);
            slotNumbers.push_back(filed.number);
        }
    });
    std::thread recorderFiling([&] {
        store::CSysClipBoard store(m_store.getWindowsDir());
        for (int i = 0; i < kEach; ++i) {
            const FiledRecord filed = store.fileHistoryRecord(textSnapshot("recorded " + std::to_string(i)), currentTimeStamp());
            ASSERT_EQ(filed.outcome, FiledRecord::Outcome::Filed);
            recorderNumbers.push_back(filed.number);
        }
    });
    slotFiling.join();
    recorderFiling.join();
    ASSERT_EQ(slotNumbers.size() + recorderNumbers.size(), 2u * kEach);
    std::set<int> numbers(slotNumbers.begin(), slotNumbers.end());
    numbers.insert(recorderNumbers.begin(), recorderNumbers.end());
    EXPECT_EQ(numbers.size(), 2u * kEach) << "a number was taken twice";
    EXPECT_EQ(*numbers.rbegin(), 2 * kEach);
    const auto textOf = [&](int number) {
        const std::string record = historyClipName(number);
        const std::u16string wide = m_store.getTextFromName(record);
        const std::string narrow = readStoredBytes(data(formatElementName(record, 1)));
        EXPECT_EQ(std::string(wide.begin(), wide.end()) + '\0', narrow) << record << ": its formats hold two copies";
        return std::string(wide.begin(), wide.end());
    };
    std::set<std::string> texts;
    for (int i = 0; i < kEach; ++i) {
        EXPECT_EQ(textOf(slotNumbers[i]), "slot " + std::to_string(i));
        EXPECT_EQ(textOf(recorderNumbers[i]), "recorded " + std::to_string(i));
    }
}

class SaveTest : public FilingTest {
protected:
    std::string archived(const std::string& name) const { return m_dir.path("keep") + kSep + "work" + kSep + name; }
    std::string archive() const { return m_dir.path("keep") + kSep + "work.amc"; }
};

// The files are copied without the lock; at the end, under it, what changed is copied again. A
// slot rewritten and a number reused meanwhile, with element texts that are all the same as
// before and data of the same size, end up in the archive with their new bytes, and a record that
// went meanwhile leaves no file behind: known by the files' times when they are old enough to
// tell, and copied again when they are too recent for their time to tell (a file system stamps a
// file by the tick, and the rewrite here keeps the very stamp).
TEST_F(SaveTest, WhatChangedDuringASaveIsKnownByItsContentNotItsNames) {
    const std::string stamp = "2020-01-02 03:04:05";
    struct Case {
        const char* name;
        bool aged;  // the files an hour old when the Save starts; else just written
    };
    for (const Case& test : {Case{"an hour old", true}, Case{"just written, stamp kept", false}}) {
        SCOPED_TRACE(test.name);
        m_store.resetStore();
        fs::create_directories(fs::u8path(m_store.paths().dataFolder()));
        writeSlot('1', textSnapshot("slot before"), stamp);
        ASSERT_EQ(m_store.fileHistoryRecord(textSnapshot("record before"), stamp).number, 1);
        ASSERT_EQ(m_store.fileHistoryRecord(textSnapshot("goes meanwhile"), stamp).number, 2);
        if (test.aged)
            for (const auto& entry : fs::directory_iterator(fs::u8path(m_store.paths().dataFolder())))
                fs::last_write_time(entry.path(), fs::last_write_time(entry.path()) - std::chrono::hours(1));
        fs::remove_all(fs::u8path(m_dir.path("keep")));
        fs::create_directories(fs::u8path(m_dir.path("keep")));
        bool changed = false;
        const auto changeAtTheEnd = [&](std::size_t done, std::size_t total) {
            if (done < total || changed)
                return;
            changed = true;
            // Every file has been copied by now: the changes come after.
            std::vector<std::pair<std::string, fs::file_time_type>> stamps;
            for (const char* file : {"copy10", "copy11", "his1-0", "his1-1"})
                stamps.emplace_back(data(file), fs::last_write_time(fs::u8path(data(file))));
            writeSlot('1', textSnapshot("slot  after"), stamp);
            m_store.removeClip("his1-");
            ASSERT_EQ(m_store.fileHistoryRecord(textSnapshot("record  after"), stamp).number, 1);
            m_store.removeClip("his2-");
            if (!test.aged)
                for (const auto& [file, time] : stamps)
                    fs::last_write_time(fs::u8path(file), time);
        };
        ASSERT_EQ(m_store.saveArchive(archive(), changeAtTheEnd), store::ArchiveResult::Done);
        ASSERT_TRUE(changed);
        EXPECT_EQ(readBytes(archive()), readBytes(m_store.paths().indexFile()));
        EXPECT_EQ(readBytes(archived("copy11")), "slot  after" + std::string(1, '\0'));
        EXPECT_EQ(readBytes(archived("copy10")), utf16Bytes(u"slot  after"));
        EXPECT_EQ(readBytes(archived("his1-1")), "record  after" + std::string(1, '\0'));
        EXPECT_EQ(readBytes(archived("his1-0")), utf16Bytes(u"record  after"));
        EXPECT_FALSE(fileExists(archived("his2-0")));
    }
}

// A data folder that is a file: nothing of the store could be saved, and the Save says so rather
// than writing an archive without its data; the old archive stays.
TEST_F(SaveTest, AStoreWhoseDataFolderIsNoFolderIsNotSaved) {
    ASSERT_EQ(m_store.fileHistoryRecord(textSnapshot("kept"), "2020-01-02 03:04:05").number, 1);
    fs::create_directories(fs::u8path(m_dir.path("keep")));
    ASSERT_EQ(m_store.saveArchive(archive()), store::ArchiveResult::Done);
    const std::string before = readBytes(archive());
    makeDataFolderAFile();
    m_store.setValue("Work", kCategoryListName, 0);
    EXPECT_EQ(m_store.saveArchive(archive()), store::ArchiveResult::StoreUnreadable);
    EXPECT_EQ(readBytes(archive()), before);
    EXPECT_EQ(readBytes(archived("his1-0")), utf16Bytes(u"kept"));
    EXPECT_EQ(m_store.saveArchive(m_dir.path("keep") + kSep + "new.amc"), store::ArchiveResult::StoreUnreadable);
    EXPECT_FALSE(fileExists(m_dir.path("keep") + kSep + "new.amc"));
    // An archive whose own data folder is a file is not written either.
    fs::remove(fs::u8path(m_store.paths().dataFolder()));
    writeBytes(m_dir.path("keep") + kSep + "blocked", "a file");
    EXPECT_EQ(m_store.saveArchive(m_dir.path("keep") + kSep + "blocked.amc"), store::ArchiveResult::WriteFailed);
    EXPECT_FALSE(fileExists(m_dir.path("keep") + kSep + "blocked.amc"));
}

}  // namespace
