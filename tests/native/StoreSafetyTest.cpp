// Store safety: rewrites in one step, the lock, the element name limit, and archives that may
// not use the live data folder.
#include "store/FileSystem.h"
#include "hooklib/HotkeyRules.h"
#include "store/StoreDocument.h"
#include "store/StoreFile.h"
#include "store/StoreLock.h"
#include "store/SysClipBoard.h"
#include "TestFiles.h"
#include "xml/XmlDocument.h"

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

TEST(ArchiveNames, AnArchiveOverTheLiveStoreIsRefusedAndChangesNothing) {
    ScratchDir dir;
    const std::string folder = dir.path("store");
    store::CSysClipBoard clips(folder);
    fs::create_directories(fs::u8path(clips.paths().dataFolder()));
    clips.setValue("13", "his1-0", 1);
    writeBytes(clips.paths().dataFile("his1-0"), "data");
    const std::string index = readBytes(clips.paths().indexFile());
    for (const std::string& archive :
         {clips.paths().dataFolder() + ".amc", clips.paths().dataFolder() + ".AMC",
          store::joinPath(clips.paths().dataFolder(), "inner.amc"), folder + ".amc"}) {
        EXPECT_EQ(clips.saveArchive(archive), store::ArchiveResult::OverlapsStore) << archive;
        EXPECT_EQ(clips.openArchive(archive), store::ArchiveResult::OverlapsStore) << archive;
    }
    EXPECT_EQ(readBytes(clips.paths().indexFile()), index);
    EXPECT_EQ(readBytes(clips.paths().dataFile("his1-0")), "data");
    // Upper case is an archive like any other.
    EXPECT_EQ(clips.saveArchive(dir.path("WORK.AMC")), store::ArchiveResult::Done);
    EXPECT_EQ(readBytes(store::joinPath(dir.path("WORK"), "his1-0")), "data");
    EXPECT_EQ(clips.openArchive(dir.path("WORK.AMC")), store::ArchiveResult::Done);
}

TEST(HotkeyRules, AChordIsStaleOnlyAfterItsTimeEvenAcrossTheTickWrap) {
    EXPECT_FALSE(hooklib::isChordStale(1000, 1000 + hooklib::kStaleChordMs - 1));
    EXPECT_TRUE(hooklib::isChordStale(1000, 1000 + hooklib::kStaleChordMs));
    EXPECT_FALSE(hooklib::isChordStale(0xFFFFFF00ul, 0x100ul));
    EXPECT_TRUE(hooklib::isChordStale(0xFFFFFF00ul, 0xFFFFFF00ul + hooklib::kStaleChordMs));
    const auto plain = hooklib::withoutKey(hooklib::pasteChord(), hooklib::kVkControl);
    ASSERT_EQ(plain.size(), 2u);
    EXPECT_EQ(plain[0].virtualKey, hooklib::kVkV);
}

}  // namespace
