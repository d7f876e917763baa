// Store safety: rewrites in one step, the lock, the element name limit, and archives that may
// not use the live data folder.
#include "FileSystem.h"
#include "HotkeyRules.h"
#include "StoreFile.h"
#include "StoreFormat.h"
#include "StoreLock.h"
#include "SysClipBoard.h"
#include "TestFiles.h"
#include "XmlDocument.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

using xml::XmlDocument;
using xml::kMaxElementNameLength;

namespace {

namespace fs = std::filesystem;

bool leftTemporaryFiles(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".tmp")
            return true;
    return false;
}

TEST(StoreFile, RewritesReplaceTheFileInOneStepOrLeaveItAsItWas) {
    ScratchDir dir;
    const std::string path = dir.path("clipboard.xml");
    ASSERT_TRUE(store::updateStoreFile(path, store::IfMissing::Create, [](XmlDocument& doc) {
        store::appendRootChild(doc, "a", "1");
        return true;
    }));
    EXPECT_EQ(readBytes(path), "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<UserInfo>\r\n<a>1</a>\r\n</UserInfo>\r\n");
    // No change: nothing written. A missing file with Skip: nothing created.
    EXPECT_FALSE(store::updateStoreFile(path, store::IfMissing::Create, [](XmlDocument&) { return false; }));
    EXPECT_FALSE(store::updateStoreFile(dir.path("label.xml"), store::IfMissing::Skip, [](XmlDocument&) { return true; }));
    EXPECT_FALSE(fileExists(dir.path("label.xml")));
    // A target that cannot be replaced (a folder of that name): nothing changes, nothing is left.
    fs::create_directories(fs::u8path(dir.path("folder.xml")));
    EXPECT_FALSE(store::files::writeAtomically(dir.path("folder.xml"), "x"));
    EXPECT_TRUE(fs::is_directory(fs::u8path(dir.path("folder.xml"))));
    EXPECT_FALSE(leftTemporaryFiles(dir.root()));
}

TEST(StoreFile, TheLockIsTakenAgainByItsThreadAndWaitedForByOthers) {
    store::StoreLock outer;
    ASSERT_TRUE(outer.held());
    store::StoreLock inner(std::chrono::milliseconds(0));
    EXPECT_TRUE(inner.held());
    bool otherHeld = true;
    std::thread other([&] { otherHeld = store::StoreLock(std::chrono::milliseconds(30)).held(); });
    other.join();
    EXPECT_FALSE(otherHeld);
}

TEST(XmlNames, NamesLongerThanTheLimitAreRefusedEverywhere) {
    const std::string longest(kMaxElementNameLength, 'n');
    const std::string tooLong(kMaxElementNameLength + 1, 'n');
    XmlDocument doc;
    store::startEmptyStore(doc);
    const std::string before = doc.documentText();
    doc.resetPosition();
    doc.findElement();
    doc.enterElement();
    EXPECT_FALSE(doc.addElement(tooLong, "x"));
    EXPECT_EQ(doc.documentText(), before);
    ASSERT_TRUE(doc.addElement(longest, "x"));
    XmlDocument reread;
    ASSERT_TRUE(reread.setDocument(doc.documentText()));
    EXPECT_TRUE(store::findRootChild(reread, longest));
    EXPECT_EQ(reread.childElementText(), "x");
    // Read from a file: flagged, and no edit can splice markup into the damaged text.
    XmlDocument parsed;
    EXPECT_FALSE(parsed.setDocument("<UserInfo><" + tooLong + ">x</" + tooLong + "></UserInfo>"));
    EXPECT_NE(parsed.resultText().find("Element name at offset 10 too long"), std::string::npos) << parsed.resultText();
    EXPECT_FALSE(parsed.isEditable());
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

// Kept runs are known by the one name the program makes: the marker, the start's time and the
// same-second number, read back strictly. Nothing else in the runs folder (the user's archives,
// names that come close) is ever pruned or taken for the newest; runs order by their time, then
// their same-second number, never by the text of the names.
TEST(ArchiveNames, KeptRunsAreTheProgramsNamesAlone) {
    EXPECT_EQ(store::runName("2026-12-08 14:03:22"), "Dravix-run 2026-12-08 14-03-22");
    EXPECT_EQ(store::runName("2026-12-08 14:03:22", 12), "Dravix-run 2026-12-08 14-03-22 (12)");
    const auto parsed = store::parseRunName("Dravix-run 2026-12-08 14-03-22 (12)");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->time, "2026-12-08 14-03-22");
    EXPECT_EQ(parsed->sameSecond, 12);
    EXPECT_EQ(store::parseRunName("Dravix-run 2026-12-08 14-03-22")->sameSecond, 1);
    for (const char* user : {"1", "2026-12-08 14-03-22", "dravix-run 2026-12-08 14-03-22", "Dravix-run 2026-12-08 14-03-22 ",
                             "Dravix-run 2026-12-08 14-03-22 (1)", "Dravix-run 2026-12-08 14-03-22 (02)",
                             "Dravix-run 2026-12-08 14-03-22 (2", "Dravix-run 2026-12-08 14-03-22 (12345)",
                             "Dravix-run 2026-13-08 14-03-22", "Dravix-run 2026-12-08 24-03-22", "Dravix-run 2026-12-08 14:03:22",
                             "Dravix-run 2026-12-08 14-03-2x", "Dravix-run 2026-12-08 14-03-22 copy", "Dravix-run 2026-12-08"})
        EXPECT_FALSE(store::parseRunName(user)) << user;
    EXPECT_TRUE(store::parseRunArchive("Dravix-run 2026-12-08 14-03-22.amc"));
    EXPECT_FALSE(store::parseRunArchive("Dravix-run 2026-12-08 14-03-22.AMC"));
    EXPECT_FALSE(store::parseRunArchive("Dravix-run 2026-12-08 14-03-22"));
    EXPECT_FALSE(store::parseRunArchive("Dravix-run 2026-12-08 14-03-22.damaged"));

    const std::vector<std::string> names = {
        "1.amc", "zzz.amc", "2099-01-01 10-00-00.amc", "note.txt", "Dravix-run 2026-01-03 10-00-00.amc",
        "Dravix-run 2026-01-02 10-00-00 (10).amc", "Dravix-run 2026-01-02 10-00-00 (9).amc",
        "Dravix-run 2026-01-01 10-00-00.amc", "Dravix-run 2026-01-02 10-00-00.amc", "Dravix-run 2099-01-01 10-00-00.AMC"};
    EXPECT_EQ(store::runsToRemove(names, 2),
              (std::vector<std::string>{"Dravix-run 2026-01-01 10-00-00.amc", "Dravix-run 2026-01-02 10-00-00.amc",
                                        "Dravix-run 2026-01-02 10-00-00 (9).amc"}));
    EXPECT_TRUE(store::runsToRemove(names, 5).empty());
    EXPECT_EQ(store::newestRun(names), "Dravix-run 2026-01-03 10-00-00.amc");
    EXPECT_EQ(store::newestRun({"1.amc", "zzz.amc", "note.txt"}), "");

    // What an ended start can leave beside a run, and nothing of the user's.
    EXPECT_TRUE(store::isRunLeftover("Dravix-run 2026-12-08 14-03-22.1234-5.tmp"));
    EXPECT_TRUE(store::isRunLeftover("Dravix-run 2026-12-08 14-03-22 (2).amc.77-1.tmp"));
    for (const char* other : {"Dravix-run 2026-12-08 14-03-22.tmp", "work.1234-5.tmp", "Dravix-run 2026-12-08 14-03-22.12x4-5.tmp",
                              "Dravix-run 2026-12-08 14-03-22.1234-.tmp", "Dravix-run 2026-12-08 14-03-22.amc",
                              "Dravix-run 2026-12-08 14-03-22.damaged.1-2.tmp"})
        EXPECT_FALSE(store::isRunLeftover(other)) << other;
}

TEST(ArchiveNames, WhatIsWorthKeeping) {
    using Elements = std::vector<store::RootElement>;
    EXPECT_FALSE(store::holdsUserClips(Elements{{"tempFile-0", "13"}, {"SysClip", "TRUE"}}));
    EXPECT_TRUE(store::holdsUserClips(Elements{{"tempFile-0", "13"}, {"his4-0", "13"}}));
    EXPECT_TRUE(store::holdsUserClips(Elements{{"copy5-0", "1"}}));
    EXPECT_TRUE(store::holdsUserClips(Elements{{"AddNew", "Work"}}));
}

TEST(ArchiveNames, AnArchiveOverTheLiveStoreIsRefusedAndChangesNothing) {
    ScratchDir dir;
    const std::string folder = dir.path("store");
    CSysClipBoard clips(folder);
    fs::create_directories(fs::u8path(clips.paths().dataFolder()));
    clips.setValue("13", "his1-0", 1);
    writeBytes(clips.paths().dataFile("his1-0"), "data");
    const std::string index = readBytes(clips.paths().indexFile());
    for (const std::string& archive :
         {clips.paths().dataFolder() + ".amc", clips.paths().dataFolder() + ".AMC",
          store::joinPath(clips.paths().dataFolder(), "inner.amc"), folder + ".amc"}) {
        EXPECT_EQ(clips.saveArchive(archive), ArchiveResult::OverlapsStore) << archive;
        EXPECT_EQ(clips.openArchive(archive), ArchiveResult::OverlapsStore) << archive;
    }
    EXPECT_EQ(readBytes(clips.paths().indexFile()), index);
    EXPECT_EQ(readBytes(clips.paths().dataFile("his1-0")), "data");
    // Upper case is an archive like any other.
    EXPECT_EQ(clips.saveArchive(dir.path("WORK.AMC")), ArchiveResult::Done);
    EXPECT_EQ(readBytes(store::joinPath(dir.path("WORK"), "his1-0")), "data");
    EXPECT_EQ(clips.openArchive(dir.path("WORK.AMC")), ArchiveResult::Done);
}

TEST(HotkeyRules, AChordIsStaleOnlyAfterItsTimeEvenAcrossTheTickWrap) {
    EXPECT_FALSE(hotkey::isChordStale(1000, 1000 + hotkey::kStaleChordMs - 1));
    EXPECT_TRUE(hotkey::isChordStale(1000, 1000 + hotkey::kStaleChordMs));
    EXPECT_FALSE(hotkey::isChordStale(0xFFFFFF00ul, 0x100ul));
    EXPECT_TRUE(hotkey::isChordStale(0xFFFFFF00ul, 0xFFFFFF00ul + hotkey::kStaleChordMs));
    const auto plain = hotkey::withoutKey(hotkey::pasteChord(), hotkey::kVkControl);
    ASSERT_EQ(plain.size(), 2u);
    EXPECT_EQ(plain[0].virtualKey, hotkey::kVkV);
}

}  // namespace
