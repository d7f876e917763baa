// Two machines' folders in one scratch folder, written and read as the engine does: what one
// publishes the other takes once every file is whole, a wrong passphrase reads nothing, conflict
// copies are left alone, and a machine prunes only its own files by their names.
#include "sync/MergeRules.h"
#include "sync/OwnFolder.h"
#include "sync/PeerFolders.h"
#include "sync/SyncNames.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

using namespace clipsync;

namespace {

const std::string kA(32, 'a');
const std::string kB(32, 'b');

std::string utf16(const std::string& ascii) {
    std::string bytes;
    for (char c : ascii + '\0')
        bytes += {c, '\0'};
    return bytes;
}

PreparedClip text(const std::string& ascii) {
    return *prepareClip({ClipKind::Text, {{{0, 13, utf16(ascii)}}, "", "notepad.exe"}});
}

class SyncFolderTest : public ::testing::Test {
protected:
    std::string machineFolder(const std::string& id) const { return dir.path("Dravix") + "/" + id; }

    // B's merge of what it reads now; the arrived clips' first format's bytes by row.
    std::vector<std::string> mergeOnB(PeerFolders& peers) {
        peers.refresh();
        std::vector<std::string> seen;
        for (const Action& action : merge(peers.journals(), state, [&](const std::string& m, const Entry& e) {
                 return peers.clipFile(m, e);
             })) {
            if (action.kind == Action::Kind::AddRow)
                seen.push_back("add " + peers.takeClip(action.row.machine, action.row.seq)->formats[0].bytes);
            else
                seen.push_back(action.kind == Action::Kind::RemoveRow ? "remove" : "file");
        }
        peers.endRound();
        return seen;
    }

    ScratchDir dir;
    MergeState state;
};

TEST_F(SyncFolderTest, WhatOneMachinePublishesTheOtherTakesOnceWhole) {
    OwnFolder a(dir.root().string(), kA);
    ASSERT_EQ(a.open("secret", "办公室"), OwnFolder::Opening::Ok);
    ASSERT_TRUE(a.publish(text("one"), "his1-", 100));
    ASSERT_TRUE(a.publish(text("two"), "his2-", 101));

    // The second clip's file is still arriving: cut short, then an empty placeholder.
    const std::string second = machineFolder(kA) + "/" + clipFileName(a.segments().back().entries.back().clip);
    const std::string whole = readBytes(second);
    writeBytes(second, whole.substr(0, whole.size() / 2));
    PeerFolders b(dir.root().string(), kB, "secret");
    EXPECT_EQ(mergeOnB(b), std::vector<std::string>{"add " + utf16("one")});
    EXPECT_EQ(b.machineName(kA), "办公室");
    writeBytes(second, "");
    EXPECT_TRUE(mergeOnB(b).empty());
    writeBytes(second, whole);
    EXPECT_EQ(mergeOnB(b), std::vector<std::string>{"add " + utf16("two")});
    EXPECT_TRUE(b.takeUnreadable().empty());

    // Copies an engine made and a journal segment of another machine's name change nothing.
    const std::string segment = machineFolder(kA) + "/" + segmentFileName(1);
    std::filesystem::copy_file(segment, machineFolder(kA) + "/journal-0000000001 (1).dvx");
    std::filesystem::copy_file(segment, machineFolder(kA) + "/journal-0000000001.sync-conflict-20261208-1-AAA.dvx");
    ASSERT_TRUE(a.recordDeleted("his1-", 102));
    EXPECT_EQ(mergeOnB(b), std::vector<std::string>{"remove"});
    EXPECT_TRUE(a.recordDeleted("his1-", 103));  // nothing live of it: nothing written
    EXPECT_EQ(a.nextSeq(), 4u);
    EXPECT_TRUE(a.holdsRecordOf("his1-"));  // deleted, but it was written
    EXPECT_FALSE(a.holdsRecordOf("his3-"));
    EXPECT_TRUE(mergeOnB(b).empty());
}

TEST_F(SyncFolderTest, AWrongPassphraseReadsNothingAndSaysSo) {
    OwnFolder a(dir.root().string(), kA);
    ASSERT_EQ(a.open("secret", "A"), OwnFolder::Opening::Ok);
    ASSERT_TRUE(a.publish(text("one"), "his1-", 100));
    PeerFolders b(dir.root().string(), kB, "not the secret");
    EXPECT_TRUE(mergeOnB(b).empty());
    EXPECT_EQ(b.machinesWithOtherPassphrase(), 1);
    EXPECT_EQ(b.machinesRead(), 0);
    EXPECT_EQ(b.takeUnreadable(), std::vector<std::string>{kA + "/name.dvx"});
    EXPECT_TRUE(b.takeUnreadable().empty());  // once

    OwnFolder again(dir.root().string(), kA);
    EXPECT_EQ(again.open("not the secret", "A"), OwnFolder::Opening::WrongPassphrase);

    // Its salt not there (the engine has not brought it back yet): no new one is made over the
    // files sealed under the old, and the folder opens once it is back.
    const std::string salt = machineFolder(kA) + "/salt.dvx";
    const std::string saltBytes = readBytes(salt);
    std::filesystem::remove(salt);
    EXPECT_EQ(OwnFolder(dir.root().string(), kA).open("secret", "A"), OwnFolder::Opening::Unavailable);
    EXPECT_FALSE(std::filesystem::exists(salt));
    writeBytes(salt, saltBytes);
    EXPECT_EQ(OwnFolder(dir.root().string(), kA).open("secret", "A"), OwnFolder::Opening::Ok);
}

// A folder that holds this machine's files but no longer takes a write (made read-only, a full
// disk) opens without writing, and says it takes none. Made immutable here: the tests run as a
// user whom permissions would not stop.
TEST_F(SyncFolderTest, AFolderThatTakesNoWritesSaysSo) {
    ASSERT_EQ(OwnFolder(dir.root().string(), kA).open("secret", "A"), OwnFolder::Opening::Ok);
    const std::string immutable = "chattr +i '" + machineFolder(kA) + "' 2>/dev/null";
    if (std::system(immutable.c_str()) != 0)
        GTEST_SKIP() << "this file system cannot make a folder refuse every writer";
    OwnFolder again(dir.root().string(), kA);
    const OwnFolder::Opening opening = again.open("secret", "A");
    const bool tookWrite = again.takesWrites();
    ASSERT_EQ(std::system(("chattr -i '" + machineFolder(kA) + "'").c_str()), 0);
    EXPECT_EQ(opening, OwnFolder::Opening::Ok);
    EXPECT_FALSE(tookWrite);
    EXPECT_TRUE(again.takesWrites());
    for (const auto& file : std::filesystem::directory_iterator(machineFolder(kA)))
        EXPECT_EQ(file.path().extension(), ".dvx") << file.path();  // no probe left behind
}

TEST_F(SyncFolderTest, AMachineReopensItsJournalAndPrunesByNamesAlone) {
    {
        OwnFolder a(dir.root().string(), kA);
        ASSERT_EQ(a.open("secret", "A"), OwnFolder::Opening::Ok);
        for (int i = 0; i < 300; ++i)
            ASSERT_TRUE(a.publish(text("clip " + std::to_string(i % 150)), "his" + std::to_string(i) + "-", 100 + i));
    }
    writeBytes(machineFolder(kA) + "/" + segmentFileName(1) + ".77-1.tmp", "left by a write cut off");
    writeBytes(machineFolder(kA) + "/notes.txt", "the user's");
    OwnFolder a(dir.root().string(), kA);
    ASSERT_EQ(a.open("secret", "A"), OwnFolder::Opening::Ok);
    EXPECT_EQ(a.nextSeq(), 301u);
    ASSERT_EQ(a.segments().size(), 2u);
    EXPECT_TRUE(a.segments()[0].closed);
    EXPECT_FALSE(fileExists(machineFolder(kA) + "/" + segmentFileName(1) + ".77-1.tmp"));

    // Everything is older than the age limit; nobody else read it, but long ago.
    ASSERT_TRUE(a.prune(100 + 90 * kDay, {}, {0}));
    std::vector<std::string> left;
    for (const auto& file : std::filesystem::directory_iterator(machineFolder(kA)))
        left.push_back(file.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{segmentFileName(2), "name.dvx", "notes.txt", "salt.dvx"}));
    PeerFolders b(dir.root().string(), kB, "secret");
    state.nextSeq[kA] = 5;
    EXPECT_TRUE(mergeOnB(b).empty());  // what is left adds nothing that lives
    EXPECT_EQ(state.nextSeq[kA], a.nextSeq());
}

}  // namespace
