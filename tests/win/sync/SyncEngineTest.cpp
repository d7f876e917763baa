// The folder watcher and the engine against real folders: two engines on one plain shared folder
// stand for two machines whose engine has already copied everything across.
#include "store/FileSystem.h"
#include "store/StorePaths.h"
#include "base/Text.h"
#include "sync/FolderWatcher.h"
#include "sync/SyncEngine.h"
#include "SyncTestSupport.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>

using namespace clipsync;

namespace {

// Wine reports changes in the watched folder itself only, not below it, and keeps a removed folder
// while it is watched (the engine's poll covers both there); Windows reports all of it.
TEST(FolderWatcher, HearsChangesInAFolderThatComesLater) {
    ScratchDir dir;
    const std::string root = dir.path("root");
    FolderWatcher watcher(root, 100ms);
    EXPECT_FALSE(watcher.watching());
    ASSERT_TRUE(store::files::createFolder(root));
    ASSERT_TRUE(pumpUntil([&] { return watcher.watching(); }, 5s));
    watcher.takeNotices();
    writeBytes(store::joinPath(root, "clip.dvx"), "bytes");
    std::vector<std::string> notices;
    ASSERT_TRUE(pumpUntil(
        [&] {
            for (std::string& notice : watcher.takeNotices())
                notices.push_back(notice);
            return std::find(notices.begin(), notices.end(), "clip.dvx") != notices.end();
        },
        5s));

    // More notices than the queue holds: counted, and a wait still ends.
    for (std::size_t i = 0; i <= FolderWatcher::kMaxNotices; ++i)
        writeBytes(store::joinPath(root, "f" + std::to_string(i)), "x");
    ASSERT_TRUE(pumpUntil([&] { return watcher.overflowed() > 0; }, 10s));
    EXPECT_TRUE(watcher.waitForChange(5s));
    EXPECT_LE(watcher.takeNotices().size(), FolderWatcher::kMaxNotices);
}

class SyncEngineTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(store::files::createFolder(dir.path("shared"))); }

    EngineOptions options(const std::string& id, const std::string& name, const std::string& passphrase) const {
        EngineOptions o;
        o.folder = dir.path("shared");
        o.passphrase = passphrase;
        o.machineId = id;
        o.machineName = name;
        o.poll = 200ms;
        o.retry = 100ms;
        o.mayLeave = [](const store::ClipSnapshot& clip) { return clip.source.find("keepass") == std::string::npos; };
        return o;
    }
    bool eventsArrive(SyncEngine& engine, std::size_t count) { return ::eventsArrive(engine, events, count, 30s); }

    ScratchDir dir;
    const std::string idA = SyncEngine::newMachineId();
    const std::string idB = SyncEngine::newMachineId();
    std::vector<SyncEvent> events;
};

TEST_F(SyncEngineTest, WhatOneMachineCopiesAndDeletesReachesTheOther) {
    SyncEngine a(nullptr), b(nullptr);
    a.start(options(idA, "A", "secret"));
    b.start(options(idB, "笔记本", "secret"));
    ASSERT_TRUE(a.publish(textClip(L"同步的文字"), "his1-"));
    EXPECT_FALSE(a.publish(textClip(L"pw", "C:\\keepass.exe"), "his2-"));
    ASSERT_TRUE(eventsArrive(b, 1));
    ASSERT_EQ(events[0].kind, SyncEvent::Kind::Arrived);
    EXPECT_EQ(events[0].row.machine, idA);
    EXPECT_EQ(events[0].machineName, "A");
    EXPECT_EQ(events[0].source, "notepad.exe");
    ASSERT_EQ(events[0].clip.formats.size(), 1u);
    EXPECT_EQ(events[0].clip.formats[0].bytes, utf16(L"同步的文字"));

    a.publishDeleted("his1-");
    ASSERT_TRUE(eventsArrive(b, 2));
    EXPECT_EQ(events[1].kind, SyncEvent::Kind::Removed);
    EXPECT_EQ(events[1].row, events[0].row);
    EXPECT_EQ(b.status().state, SyncState::Running);
    EXPECT_EQ(b.status().machines, 1);

    // B goes on after a restart where it stopped: nothing arrives twice. The clip's file is still
    // arriving there (cut short): nothing is taken until it is whole.
    b.stop();
    const std::string folderA = store::joinPath(store::joinPath(dir.path("shared"), "Dravix"), idA);
    const std::vector<std::string> before = store::files::filesIn(folderA);
    ASSERT_TRUE(a.publish(textClip(L"after"), "his3-"));
    ASSERT_TRUE(pumpUntil([&] { return a.status().waiting == 0; }, 30s));
    std::string clipFile;
    for (const std::string& name : store::files::filesIn(folderA))
        if (name.rfind("clip-", 0) == 0 && std::find(before.begin(), before.end(), name) == before.end())
            clipFile = store::joinPath(folderA, name);
    ASSERT_FALSE(clipFile.empty());
    const std::string whole = readBytes(clipFile);
    writeBytes(clipFile, whole.substr(0, whole.size() / 2));
    b.start(options(idB, "笔记本", "secret"));
    ASSERT_TRUE(pumpUntil([&] { return b.status().machines == 1; }, 30s));  // it has read A's folder
    EXPECT_TRUE(expectNothingFor(1s, [&] { return !b.takeEvents().empty(); }));
    writeBytes(clipFile, whole);
    ASSERT_TRUE(eventsArrive(b, 3));
    EXPECT_EQ(events[2].clip.formats[0].bytes, utf16(L"after"));
    EXPECT_TRUE(expectNothingFor(1s, [&] { return !b.takeEvents().empty(); }));
}

// Copies as quick as a person's: every one arrives, in the order they were made.
TEST_F(SyncEngineTest, TwoHundredQuickCopiesAllArriveInOrder) {
    SyncEngine a(nullptr), b(nullptr);
    a.start(options(idA, "A", "secret"));
    b.start(options(idB, "B", "secret"));
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(a.publish(textClip(L"copy " + std::to_wstring(i)), "his" + std::to_string(i + 1) + "-"));
        letTimePass(40ms);  // the gap between two copies of the scenario
    }
    ASSERT_TRUE(eventsArrive(b, 200));
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(events[static_cast<std::size_t>(i)].clip.formats[0].bytes, utf16(L"copy " + std::to_wstring(i))) << i;
    EXPECT_EQ(a.status().notSent, 0u);
}

TEST_F(SyncEngineTest, AFolderThatCannotBeWrittenIsRetriedAndNothingIsLost) {
    // A file where the sync folder should be, then no sync folder: nothing can be written until the
    // folder is there.
    std::filesystem::remove(dir.path("shared"));
    writeBytes(dir.path("shared"), "in the way");
    SyncEngine a(nullptr);
    a.start(options(idA, "A", "secret"));
    ASSERT_TRUE(pumpUntil([&] { return a.status().state == SyncState::FolderUnavailable; }, 10s));
    ASSERT_TRUE(a.publish(textClip(L"kept"), "his1-"));
    EXPECT_EQ(a.status().waiting, 1u);
    std::filesystem::remove(dir.path("shared"));
    EXPECT_TRUE(expectNothingFor(500ms, [&] { return a.status().state != SyncState::FolderUnavailable; }));
    std::filesystem::create_directory(dir.path("shared"));
    ASSERT_TRUE(pumpUntil([&] { return a.status().state == SyncState::Running && a.status().waiting == 0; }, 30s));

    SyncEngine b(nullptr);
    b.start(options(idB, "B", "secret"));
    ASSERT_TRUE(eventsArrive(b, 1));
    EXPECT_EQ(events[0].clip.formats[0].bytes, utf16(L"kept"));
}

// A full queue, and what follows it, waits by key; what waits when the engine stops is kept in the
// pending file (never a clip's content) and goes at the next start in the order it happened, before
// what is copied meanwhile, the caller reading each clip again; a copy deleted before it went never
// goes, one written before the program ended is not written again, and the file goes once nothing
// waits.
TEST_F(SyncEngineTest, WhatCouldNotBeWrittenWaitsAcrossAStopAndGoesInOrder) {
    std::filesystem::remove(dir.path("shared"));
    writeBytes(dir.path("shared"), "in the way");
    const std::string file = dir.path("pending.dat"), earlierRun = "C:\\runs\\2026-12-11 03-49-19.amc";
    auto withFile = [&](const std::string& run) {
        EngineOptions o = options(idA, "A", "secret");
        o.pendingFile = file;
        o.earlierRun = run;
        return o;
    };
    const std::size_t copies = SyncEngine::kMaxWaiting + 2;  // the last two find the queue full
    auto key = [](std::size_t i) { return "his" + std::to_string(i % 999 + 1) + "-@" + std::to_string(i); };
    auto content = [](const std::string& key) { return L"离线时复制 " + base::toWide(key); };
    auto keptInFile = [&] { return parsePending(readBytes(file)).value_or(std::vector<PendingRecord>{}); };
    {
        SyncEngine a(nullptr);
        a.start(withFile(""));
        ASSERT_TRUE(pumpUntil([&] { return a.status().state == SyncState::FolderUnavailable; }, 30s));
        for (std::size_t i = 0; i < copies; ++i)
            ASSERT_TRUE(a.publish(textClip(content(key(i))), key(i))) << i;
        a.publishFiled(key(0), "工作");
        a.publishDeleted(key(1));
        a.publishDeleted(key(copies - 1));  // the copy goes from what waits; the deletion stays
        EXPECT_EQ(a.status().waiting, copies + 2);
        EXPECT_EQ(a.status().notSent, 0u);
        ASSERT_TRUE(pumpUntil([&] { return keptInFile().size() == copies + 2; }, 30s));  // kept while the folder is away
    }
    const std::vector<PendingRecord> kept = keptInFile();
    ASSERT_EQ(kept.size(), copies + 2);
    EXPECT_EQ(kept.front().localKey, key(0));
    EXPECT_EQ(kept[copies - 1].kind, PendingRecord::Kind::Filed);
    EXPECT_EQ(kept[copies].kind, PendingRecord::Kind::Deleted);
    EXPECT_EQ(kept.back().localKey, key(copies - 1));
    EXPECT_EQ(readBytes(file).find(utf16(content(key(0)))), std::string::npos);

    std::filesystem::remove(dir.path("shared"));
    std::filesystem::create_directory(dir.path("shared"));
    std::atomic<int> told{0};
    SyncEngine a([&] { ++told; }), b(nullptr);
    auto giveBack = [&](std::vector<PendingRecord>& given, std::size_t count) {
        return pumpUntil(
            [&] {
                while (const std::optional<PendingRecord> next = a.nextPending()) {
                    given.push_back(*next);
                    a.publishPending(*next, textClip(content(next->localKey)));
                }
                return given.size() == count && a.status().waiting == 0;
            },
            180s);
    };
    a.start(withFile(earlierRun));
    b.start(options(idB, "B", "secret"));
    const std::string later = "his5-@later";
    ASSERT_TRUE(a.publish(textClip(content(later)), later));
    std::vector<PendingRecord> given;
    ASSERT_TRUE(giveBack(given, copies + 3)) << given.size() << " given, waiting " << a.status().waiting;
    EXPECT_GT(told, 0);
    std::vector<PendingRecord> expected = kept;  // the copies' clips now in the run the store became
    for (PendingRecord& record : expected)
        if (record.kind == PendingRecord::Kind::Publish)
            record.place = earlierRun;
    EXPECT_EQ(std::vector<PendingRecord>(given.begin(), given.end() - 1), expected);
    EXPECT_EQ(given.back().localKey, later);
    ASSERT_TRUE(::eventsArrive(b, events, copies + 2, 180s));
    for (std::size_t i = 0; i + 1 < copies; ++i)
        ASSERT_EQ(events[i].clip.formats.at(0).bytes, utf16(content(key(i)))) << i;
    EXPECT_EQ(events[copies - 1].kind, SyncEvent::Kind::Filed);
    EXPECT_EQ(events[copies - 1].row, events[0].row);
    EXPECT_EQ(events[copies].kind, SyncEvent::Kind::Removed);
    EXPECT_EQ(events[copies].row, events[1].row);
    EXPECT_EQ(events[copies + 1].clip.formats.at(0).bytes, utf16(content(later)));
    EXPECT_TRUE(pumpUntil([&] { return !std::filesystem::exists(file); }, 30s));

    // The program ended before the file knew the second copy went (deleted since): not again.
    a.stop();
    writeBytes(file, pendingBytes({expected[1]}));
    a.start(withFile(""));
    given.clear();
    ASSERT_TRUE(giveBack(given, 1));
    EXPECT_TRUE(expectNothingFor(1s, [&] { return !b.takeEvents().empty(); }));
}

TEST_F(SyncEngineTest, AWrongPassphraseReadsNothingAndSaysSo) {
    SyncEngine a(nullptr), b(nullptr);
    a.start(options(idA, "A", "secret"));
    ASSERT_TRUE(a.publish(textClip(L"private"), "his1-"));
    ASSERT_TRUE(pumpUntil([&] { return a.status().state == SyncState::Running && a.status().waiting == 0; }, 30s));
    b.start(options(idB, "B", "wrong"));
    ASSERT_TRUE(pumpUntil([&] { return b.status().otherPassphrase == 1; }, 30s));
    EXPECT_TRUE(b.takeEvents().empty());
    EXPECT_NE(syncStatusText(b.status()).find(u"密码不同"), std::u16string::npos);

    // A's user gives B's passphrase: once with the settings (a start at the program's start), its
    // folder refuses it; given by the user, A empties the folder sealed under the old one and
    // writes under a new id, which B reads, no longer counting another passphrase.
    a.stop();
    a.start(options(idA, "A", "wrong"));
    ASSERT_TRUE(pumpUntil([&] { return a.status().state == SyncState::OwnPassphrase; }, 30s));
    a.stop();
    const std::string oldFolder = store::joinPath(store::joinPath(dir.path("shared"), "Dravix"), idA);
    ASSERT_TRUE(store::files::writeFile(store::joinPath(oldFolder, "notes.txt"), "the user's"));
    EngineOptions given = options(idA, "A", "wrong");
    given.startAfreshIfRefused = true;
    a.start(std::move(given));
    ASSERT_TRUE(pumpUntil([&] { return a.status().state == SyncState::Running; }, 30s));
    const std::string renewed = a.status().machineId;
    EXPECT_NE(renewed, idA);
    EXPECT_FALSE(renewed.empty());
    ASSERT_TRUE(a.publish(textClip(L"after the passphrase"), "his2-"));
    ASSERT_TRUE(eventsArrive(b, 1));
    EXPECT_EQ(events[0].row.machine, renewed);
    EXPECT_TRUE(pumpUntil([&] { return b.status().otherPassphrase == 0; }, 30s));
    EXPECT_EQ(store::files::filesIn(oldFolder), std::vector<std::string>{"notes.txt"});

    // A new passphrase that opens no other machine's folder is a new mistake: B's folder stays.
    b.stop();
    EngineOptions mistyped = options(idB, "B", "WRONG");
    mistyped.startAfreshIfRefused = true;
    b.start(std::move(mistyped));
    EXPECT_TRUE(pumpUntil([&] { return b.status().state == SyncState::OwnPassphrase; }, 60s));
    EXPECT_EQ(b.status().machineId, idB);
}

}  // namespace
