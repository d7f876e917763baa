// The runs kept at start-up: natively and under Wine. Only the program's own names are kept,
// pruned and opened; a store that cannot be read is kept whole; a start ended at any step leaves
// what the next start completes; and what cannot be moved is copied, renamed aside or spared, so
// that the reset that always follows deletes nothing of the user's.
#include "store/ArchivePaths.h"
#include "store/ClipFormats.h"
#include "store/ClipNames.h"
#include "store/ClipSnapshot.h"
#include "store/FileSystem.h"
#include "store/PasteQueue.h"
#include "store/RunNames.h"
#include "store/StoreFile.h"
#include "store/SysClipBoard.h"
#include "TestFiles.h"
#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <map>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

using namespace store;

namespace {

namespace fs = std::filesystem;

std::u16string ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

// How many names the file has (hard links); 0 when it cannot be told.
unsigned long linkCount(const std::string& path) {
#ifdef _WIN32
    HANDLE file = CreateFileW(fs::u8path(path).wstring().c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION information = {};
    const bool told = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &information);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return told ? information.nNumberOfLinks : 0;
#else
    struct stat status = {};
    return stat(path.c_str(), &status) == 0 ? static_cast<unsigned long>(status.st_nlink) : 0;
#endif
}

// Every file below `folder`, by its path inside it, with its bytes.
std::map<std::string, std::string> treeOf(const std::string& folder) {
    std::map<std::string, std::string> files;
    const fs::path root = fs::u8path(folder);
    if (!fs::exists(root))
        return files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).u8string()] = readBytes(entry.path().u8string());
    return files;
}

const char* const kDamagedIndex = "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<UserInfo>\r\n<his1-0>13</his1-";

// A step of keeping a run where a test stops the start, as a crash there would.
struct EndedHere {};

class KeptRunsTest : public ::testing::Test {
protected:
    KeptRunsTest() : m_store(m_dir.path("store")) {}

    const StorePaths& paths() const { return m_store.paths(); }
    std::string runs() const { return m_store.runsFolder(); }
    std::string inRuns(const std::string& name) const { return runs() + kSep + name; }
    std::string run(const std::string& stamp, int same = 1) const { return inRuns(runName(stamp, same)); }

    // A run's work: a copy recorded as a history record, with its data file.
    void recordRun(const std::string& text) {
        fs::create_directories(fs::u8path(paths().dataFolder()));
        ClipSnapshot snapshot;
        snapshot.formats = {{0, kFormatUnicodeText, utf16Bytes(text)}};
        ASSERT_EQ(m_store.fileHistoryRecord(snapshot, "2026-01-01 09:00:00").outcome, FiledRecord::Outcome::Filed);
    }
    // A start: the previous run kept, then the reset.
    store::PreviousRun start(const std::string& stamp, const store::KeepStep& step = nullptr) {
        store::PreviousRun kept = m_store.keepPreviousRun(stamp, step);
        m_store.resetStore(kept);
        return kept;
    }
    // A start ended at `where`: what a crash there leaves on disk (the reset never runs).
    void startEndedAt(const std::string& stamp, const std::string& where) {
        EXPECT_THROW(m_store.keepPreviousRun(stamp,
                                             [&](std::string_view step) {
                                                 if (step == where)
                                                     throw EndedHere{};
                                             }),
                     EndedHere);
    }
    // The text of the newest run, opened as "打开上次的记录" opens it.
    std::u16string newestRunText() {
        const std::string newest = m_store.newestKeptRun();
        if (newest.empty() || m_store.openArchive(newest) != store::ArchiveResult::Done)
            return u"(none)";
        return m_store.getTextFromName("his1-");
    }
    bool liveStoreEmpty() const {
        return !fileExists(paths().indexFile()) && !fileExists(paths().statusFile()) && !fileExists(paths().dataFolder());
    }
    // The user's own things in the runs folder: archives named as people name them, one named as
    // the program named its runs before, a folder and a note.
    void putUsersOwn() {
        fs::create_directories(fs::u8path(inRuns("1")));
        fs::create_directories(fs::u8path(inRuns("photos")));
        writeBytes(inRuns("1.amc"), "user archive one");
        writeBytes(inRuns("1") + kSep + "his1-0", "user data");
        writeBytes(inRuns("zzz.amc"), "user archive zzz");
        writeBytes(inRuns("2099-01-01 10-00-00.amc"), "named like an old run");
        writeBytes(inRuns("Dravix-run 2026-01-01 10-00-00 copy.amc"), "close, but the user's");
        writeBytes(inRuns("mine.123-4.tmp"), "a user's temporary file");
        writeBytes(inRuns("photos") + kSep + "a.png", "png");
        writeBytes(inRuns("notes.txt"), "notes");
        m_usersOwn = treeOf(runs());
    }
    void expectUsersOwnIntact() {
        std::map<std::string, std::string> now = treeOf(runs());
        for (const auto& [path, bytes] : m_usersOwn) {
            EXPECT_TRUE(now.count(path)) << path << " is gone";
            EXPECT_EQ(now[path], bytes) << path;
        }
    }
    std::size_t programRuns() const {
        std::size_t count = 0;
        for (const std::string& name : files::filesIn(runs()))
            count += parseRunArchive(name) ? 1 : 0;
        return count;
    }

    ScratchDir m_dir;
    store::CSysClipBoard m_store;
    std::map<std::string, std::string> m_usersOwn;
};

// Eleven starts, each after a run with a copy: the last ten runs stay, each an archive with its
// data folder moved along that opens again; the user's archives and files in the runs folder stay
// as they were, whatever their names and however they sort, and none is ever the newest run.
TEST_F(KeptRunsTest, TheLastTenRunsAreKeptAndTheUsersOwnFilesAreNeverTouched) {
    EXPECT_EQ(start("2026-01-01 10:00:00").kept, store::KeptRun::Nothing);  // no store at all
    m_store.setValue("TRUE", "tempFile-0", 1);
    EXPECT_EQ(start("2026-01-01 10:00:00").kept, store::KeptRun::Nothing);  // nothing of the user's
    fs::create_directories(fs::u8path(runs()));
    putUsersOwn();
    for (int n = 0; n < 11; ++n) {
        SCOPED_TRACE(n);
        recordRun("run " + std::to_string(n));
        const std::string stamp = "2026-01-01 10:00:" + std::string(n < 10 ? "0" : "") + std::to_string(n);
        const store::PreviousRun kept = start(stamp);
        ASSERT_EQ(kept.kept, store::KeptRun::Kept);
        EXPECT_EQ(kept.keptAs, run(stamp) + ".amc");
        EXPECT_TRUE(kept.notes.empty() || n == 10) << kept.notes.front();
        EXPECT_TRUE(fileExists(run(stamp) + kSep + "his1-0"));  // moved along
        EXPECT_TRUE(liveStoreEmpty());
        EXPECT_EQ(newestRunText(), ascii("run " + std::to_string(n)));
        m_store.resetStore();
    }
    EXPECT_EQ(programRuns(), 10u);
    EXPECT_FALSE(fileExists(run("2026-01-01 10:00:00") + ".amc"));
    EXPECT_FALSE(fileExists(run("2026-01-01 10:00:00")));
    EXPECT_TRUE(fileExists(run("2026-01-01 10:00:01") + ".amc"));
    expectUsersOwnIntact();

    // Two starts in one second: the second run has a name of its own, and is the newer.
    recordRun("same second");
    ASSERT_EQ(start("2026-01-01 10:00:10").kept, store::KeptRun::Kept);
    EXPECT_TRUE(fileExists(run("2026-01-01 10:00:10", 2) + ".amc"));
    EXPECT_EQ(m_store.newestKeptRun(), run("2026-01-01 10:00:10", 2) + ".amc");
    EXPECT_EQ(newestRunText(), u"same second");
    expectUsersOwnIntact();
}

// A store whose index cannot be read is kept whole, index, status file and data folder byte for
// byte, in a folder of its own that later starts never prune nor open as the last run.
TEST_F(KeptRunsTest, AStoreThatCannotBeReadIsKeptWholeAndNeverPruned) {
    fs::create_directories(fs::u8path(paths().dataFolder()));
    writeBytes(paths().indexFile(), kDamagedIndex);
    writeBytes(paths().statusFile(), "status bytes");
    writeBytes(paths().dataFile("his1-0"), "data one");
    writeBytes(paths().dataFile("his1-.bmp"), "BM picture");
    const std::map<std::string, std::string> before = treeOf(paths().folder());
    const store::PreviousRun kept = start("2026-01-02 10:00:00");
    EXPECT_EQ(kept.kept, store::KeptRun::Damaged);
    const std::string damaged = run("2026-01-02 10:00:00") + ".damaged";
    EXPECT_EQ(kept.keptAs, damaged);
    EXPECT_EQ(treeOf(damaged), before);
    EXPECT_TRUE(liveStoreEmpty());
    for (int n = 0; n < 11; ++n) {
        recordRun("later " + std::to_string(n));
        start("2026-01-03 10:00:" + std::string(n < 10 ? "0" : "") + std::to_string(n));
    }
    EXPECT_EQ(treeOf(damaged), before);
    EXPECT_EQ(newestRunText(), u"later 10");
}

// A start ended after each step of keeping (the program killed, the machine off): the next start
// completes what it left or keeps it again, nothing is lost, and no run is kept twice.
TEST_F(KeptRunsTest, AStartEndedAtAnyStepLosesNothing) {
    for (const char* step : {"data moved", "index moved", "pruned"}) {
        SCOPED_TRACE(step);
        fs::remove_all(fs::u8path(paths().folder()));
        fs::create_directories(fs::u8path(runs()));
        putUsersOwn();
        for (int n = 0; n < 10; ++n) {  // ten runs before: the one kept now makes eleven
            recordRun("old " + std::to_string(n));
            start("2026-01-01 09:00:0" + std::to_string(n));
        }
        recordRun("the run ended while kept");
        startEndedAt("2026-01-05 10:00:00", step);
        const store::PreviousRun next = start("2026-01-05 10:00:05");
        EXPECT_TRUE(liveStoreEmpty());
        EXPECT_EQ(programRuns(), 10u);
        EXPECT_EQ(m_store.newestKeptRun(), run("2026-01-05 10:00:00") + ".amc") << "kept twice or not at all";
        EXPECT_EQ(newestRunText(), u"the run ended while kept");
        EXPECT_TRUE(fileExists(run("2026-01-05 10:00:00") + kSep + "his1-0"));
        EXPECT_FALSE(fileExists(run("2026-01-05 10:00:05")));
        EXPECT_EQ(next.kept, std::string(step) == "data moved" ? store::KeptRun::Kept : store::KeptRun::Nothing);
        expectUsersOwnIntact();
        m_store.resetStore();
    }
    // A store that cannot be read, the start ended after its data folder and after its status
    // file went: the next start completes the same folder.
    for (const char* step : {"damaged data moved", "damaged status moved"}) {
        SCOPED_TRACE(step);
        fs::remove_all(fs::u8path(paths().folder()));
        fs::create_directories(fs::u8path(paths().dataFolder()));
        writeBytes(paths().indexFile(), kDamagedIndex);
        writeBytes(paths().statusFile(), "status");
        writeBytes(paths().dataFile("his1-0"), "data");
        const std::map<std::string, std::string> before = treeOf(paths().folder());
        startEndedAt("2026-01-06 10:00:00", step);
        EXPECT_EQ(start("2026-01-06 10:00:05").kept, store::KeptRun::Damaged);
        EXPECT_EQ(treeOf(run("2026-01-06 10:00:00") + ".damaged"), before);
        EXPECT_FALSE(fileExists(run("2026-01-06 10:00:05") + ".damaged"));
        EXPECT_TRUE(liveStoreEmpty());
    }
}

// Half-made copies of an ended start (a data folder that could not be moved is copied under a
// temporary name first) go; the store they copied is still there and is kept; the user's own
// temporary files stay.
TEST_F(KeptRunsTest, LeftoversOfAnEndedCopyGoAndTheStoreIsKept) {
    fs::create_directories(fs::u8path(runs()));
    putUsersOwn();
    const std::string base = runName("2026-01-07 10:00:00");
    fs::create_directories(fs::u8path(inRuns(base + ".4242-1.tmp")));
    writeBytes(inRuns(base + ".4242-1.tmp") + kSep + "his1-0", "half");
    writeBytes(inRuns(base + ".amc.4242-2.tmp"), "half an index");
    recordRun("copied half way");
    const store::PreviousRun kept = start("2026-01-07 10:00:05");
    EXPECT_EQ(kept.kept, store::KeptRun::Kept);
    EXPECT_FALSE(fileExists(inRuns(base + ".4242-1.tmp")));
    EXPECT_FALSE(fileExists(inRuns(base + ".amc.4242-2.tmp")));
    EXPECT_EQ(newestRunText(), u"copied half way");
    expectUsersOwnIntact();
}

// What cannot go into the runs folder: "Runs" is a file. The store is renamed aside in its own
// folder, where the reset leaves it, and it is said so; the reset runs all the same.
TEST_F(KeptRunsTest, WhatCannotGoIntoTheRunsFolderIsSetAsideAndTheResetStillRuns) {
    recordRun("readable");
    writeBytes(runs(), "a file named Runs");
    const std::string index = readBytes(paths().indexFile());
    writeBytes(paths().statusFile(), "status");
    store::PreviousRun kept = start("2026-01-08 10:00:00");
    EXPECT_EQ(kept.kept, store::KeptRun::Failed);
    EXPECT_FALSE(kept.notes.empty());
    const std::string name = runName("2026-01-08 10:00:00");
    EXPECT_EQ(readBytes(paths().indexFile() + "." + name), index);
    EXPECT_EQ(readStoredBytes(paths().dataFolder() + "." + name + kSep + "his1-0"), utf16Bytes("readable"));
    EXPECT_TRUE(liveStoreEmpty());
    EXPECT_EQ(readBytes(runs()), "a file named Runs");

    fs::create_directories(fs::u8path(paths().dataFolder()));
    writeBytes(paths().indexFile(), kDamagedIndex);
    writeBytes(paths().dataFile("his1-0"), "damaged data");
    writeBytes(paths().statusFile(), "damaged status");
    kept = start("2026-01-08 10:00:05");
    EXPECT_EQ(kept.kept, store::KeptRun::Failed);
    const std::string damaged = runName("2026-01-08 10:00:05");
    EXPECT_EQ(readBytes(paths().indexFile() + "." + damaged), kDamagedIndex);
    EXPECT_EQ(readBytes(paths().statusFile() + "." + damaged), "damaged status");
    EXPECT_EQ(readBytes(paths().dataFolder() + "." + damaged + kSep + "his1-0"), "damaged data");
    EXPECT_TRUE(liveStoreEmpty());
}

#ifndef _WIN32
// The runs folder on another file system (a link to a folder of /dev/shm): nothing can be moved
// there, so everything is copied, and the reset deletes only what was copied.
TEST_F(KeptRunsTest, WhatCannotBeMovedIsCopied) {
    ScratchDir elsewhere;
    const fs::path shm = fs::path("/dev/shm") / elsewhere.root().filename();
    std::error_code error;
    fs::create_directories(shm, error);
    if (error || !fs::is_directory("/dev/shm"))
        GTEST_SKIP() << "no /dev/shm";
    fs::create_directories(fs::u8path(paths().folder()));
    fs::create_directory_symlink(shm, fs::u8path(runs()));
    struct Remove {
        fs::path path;
        ~Remove() { fs::remove_all(path); }
    } removeShm{shm};
    recordRun("copied, not moved");
    m_store.setValue("Work", kCategoryListName, 0);
    store::PreviousRun kept = start("2026-01-09 10:00:00");
    EXPECT_EQ(kept.kept, store::KeptRun::Kept);
    EXPECT_FALSE(kept.notes.empty());
    EXPECT_TRUE(liveStoreEmpty());
    EXPECT_EQ(newestRunText(), u"copied, not moved");
    EXPECT_EQ(m_store.categoryNames(), std::vector<std::string>{"Work"});
    m_store.resetStore();

    fs::create_directories(fs::u8path(paths().dataFolder()));
    writeBytes(paths().indexFile(), kDamagedIndex);
    writeBytes(paths().statusFile(), "status");
    writeBytes(paths().dataFile("his1-0"), "data");
    const std::map<std::string, std::string> before = treeOf(paths().folder());
    kept = start("2026-01-09 10:00:05");
    EXPECT_EQ(kept.kept, store::KeptRun::Damaged);
    EXPECT_EQ(treeOf(run("2026-01-09 10:00:05") + ".damaged"), before);
    EXPECT_TRUE(liveStoreEmpty());
}

// A folder nothing may change (the immutable flag, which holds even for root): for the store folder
// and the runs folder, nothing can be moved, copied or renamed aside. It is all spared by the
// reset, and all of it is still there.
class Immutable {
public:
    explicit Immutable(const std::string& path) : m_path(path) { m_set = flags(true); }
    ~Immutable() {
        if (m_set)
            flags(false);
    }
    bool set() const { return m_set; }

private:
    bool flags(bool on) {
        const int file = open(m_path.c_str(), O_RDONLY | O_DIRECTORY);
        if (file < 0)
            return false;
        int value = 0;
        bool done = ioctl(file, FS_IOC_GETFLAGS, &value) == 0;
        value = on ? (value | FS_IMMUTABLE_FL) : (value & ~FS_IMMUTABLE_FL);
        done = done && ioctl(file, FS_IOC_SETFLAGS, &value) == 0;
        close(file);
        return done;
    }
    std::string m_path;
    bool m_set = false;
};

TEST_F(KeptRunsTest, WhatCanBeNeitherMovedNorCopiedIsSparedByTheReset) {
    fs::create_directories(fs::u8path(runs()));
    recordRun("stays where it is");
    writeBytes(paths().statusFile(), "status");
    const std::map<std::string, std::string> before = treeOf(paths().folder());
    store::PreviousRun kept;
    {
        Immutable runsFolder(runs());
        Immutable storeFolder(paths().folder());
        if (!runsFolder.set() || !storeFolder.set())
            GTEST_SKIP() << "the immutable flag cannot be set here";
        kept = start("2026-01-10 10:00:00");
    }
    EXPECT_EQ(kept.kept, store::KeptRun::Failed);
    EXPECT_TRUE(kept.spareIndex);
    EXPECT_TRUE(kept.spareData);
    EXPECT_EQ(treeOf(paths().folder()), before);
}
#endif

// Ten starts, each opening the run it kept as the store (shared, as the start-up restore opens it)
// and adding a copy: the kept runs and the store share the files that did not change, so the first
// copy's data file has one name per run and one in the store, never eleven copies. A clip the store
// rewrites (by rename) or removes leaves every run as it was, and a run deleted leaves the store and
// the other runs whole.
TEST_F(KeptRunsTest, RunsOpenedSharedKeepOneCopyOfWhatDidNotChange) {
    recordRun("copy 0");
    for (int n = 1; n <= 10; ++n) {
        SCOPED_TRACE(n);
        const store::PreviousRun kept = start("2026-02-01 10:00:" + std::string(n < 10 ? "0" : "") + std::to_string(n));
        ASSERT_EQ(kept.kept, store::KeptRun::Kept);
        ASSERT_EQ(m_store.openArchive(kept.keptAs, nullptr, store::ArchiveFiles::Shared), store::ArchiveResult::Done);
        EXPECT_EQ(m_store.getTextFromName("his1-"), u"copy 0");
        ClipSnapshot snapshot;
        snapshot.formats = {{0, kFormatUnicodeText, utf16Bytes("copy " + std::to_string(n))}};
        ASSERT_EQ(m_store.fileHistoryRecord(snapshot, "2026-02-01 11:00:00").number, n + 1);
    }
    EXPECT_EQ(programRuns(), 10u);
    EXPECT_EQ(linkCount(paths().dataFile("his1-0")), 11u);
    EXPECT_EQ(linkCount(paths().dataFile("his10-0")), 2u);  // the last run's copy, and the store's

    const std::string newest = m_store.newestKeptRun();
    const std::string newestData = newest.substr(0, newest.size() - kArchiveExtension.size());
    const std::map<std::string, std::string> runBefore = treeOf(newestData);
    ASSERT_TRUE(updateStoreFile(paths().indexFile(), IfMissing::Skip, [&](xml::XmlDocument& doc) {
        ClipSnapshot rewritten;
        rewritten.formats = {{0, kFormatUnicodeText, utf16Bytes("rewritten")}};
        StagedClip staged(paths(), rewritten);
        return staged.commit(doc, "his2-", "2026-02-02 00:00:00");
    }));
    m_store.removeClip("his3-");
    EXPECT_EQ(m_store.getTextFromName("his2-"), u"rewritten");
    EXPECT_EQ(treeOf(newestData), runBefore);

    ASSERT_TRUE(fs::remove_all(fs::u8path(newestData)) > 0);
    ASSERT_TRUE(fs::remove(fs::u8path(newest)));
    EXPECT_EQ(m_store.getTextFromName("his1-"), u"copy 0");
    EXPECT_EQ(m_store.getTextFromName("his10-"), u"copy 9");
    EXPECT_EQ(linkCount(paths().dataFile("his1-0")), 10u);
    EXPECT_EQ(newestRunText(), u"copy 0");
}

// With the restore of the last run on: the store goes on as it was, its status file with only the
// paste queue (a paste's flag of the run that ended comes down), without an ended writer's
// temporary files and an ended keep's leftovers. Kept later as a run, its files shared: a keep told to stop writes nothing; one
// during which a clip goes and its number is taken again holds the store of its end; what the store
// removes or rewrites after the keep leaves the run as it was, and the run opens.
TEST_F(KeptRunsTest, WithTheRestoreOnTheStoreGoesOnAndIsKeptLaterSharingItsFiles) {
    recordRun("copy one");
    recordRun("copy two");
    ASSERT_TRUE(appendToPasteQueue(paths().statusFile(), {2, 1}));
    ASSERT_TRUE(updateStoreFile(paths().statusFile(), IfMissing::Create, [](xml::XmlDocument& doc) {
        setRootChild(doc, kSysClipKey, "TRUE");
        return true;
    }));
    // Left by writers that ended (no process has such an id), and by one that still runs.
    const std::string leftover = paths().indexFile() + ".4000000001-3.tmp";
    writeBytes(leftover, "half written");
    const std::string stagedLeftover = paths().dataFile("staged.4000000001-7.tmp");
    writeBytes(stagedLeftover, "a clip's file half written");
    const std::string stagedNow = paths().dataFile("staged." + std::to_string(files::currentProcessId()) + "-9.tmp");
    writeBytes(stagedNow, "a chord writing now");
    const std::string usersOwn = paths().indexFile() + " old.tmp";
    writeBytes(usersOwn, "the user's");
    fs::create_directories(fs::u8path(runs() + kSep + "Dravix-run 2026-02-28 10-00-00.12-3.tmp"));
    const std::string index = readBytes(paths().indexFile());
    std::vector<std::string> notes;
    ASSERT_TRUE(m_store.continueLastRun(notes));
    EXPECT_EQ(notes.size(), 1u);
    EXPECT_EQ(readBytes(paths().indexFile()), index);
    EXPECT_EQ(m_store.getTextFromName("his2-"), u"copy two");
    EXPECT_EQ(readPasteQueue(paths().statusFile()), (PasteQueue{2, 1}));
    EXPECT_FALSE(m_store.isSysClipSet());
    EXPECT_FALSE(fileExists(leftover));
    EXPECT_FALSE(fileExists(stagedLeftover));
    EXPECT_EQ(readBytes(stagedNow), "a chord writing now");
    EXPECT_EQ(readBytes(usersOwn), "the user's");
    fs::remove(fs::u8path(stagedNow));

    const std::string stamp = "2026-03-01 10:00:00";
    std::atomic<bool> stop{true};
    EXPECT_EQ(m_store.keepLiveRun(stamp, stop).result, store::ArchiveResult::Stopped);
    EXPECT_TRUE(treeOf(runs()).empty());

    stop = false;
    bool changed = false;
    const store::LiveRunKept kept = m_store.keepLiveRun(stamp, stop, [&](std::size_t done, std::size_t total) {
        if (done < total || changed)
            return;
        changed = true;  // every file is linked by now
        m_store.removeClip("his2-");
        ClipSnapshot snapshot;
        snapshot.formats = {{0, kFormatUnicodeText, utf16Bytes("copy three")}};
        ASSERT_EQ(m_store.fileHistoryRecord(snapshot, "2026-03-01 10:00:01").number, 2);
    });
    ASSERT_EQ(kept.result, store::ArchiveResult::Done);
    ASSERT_TRUE(changed);
    EXPECT_EQ(kept.keptAs, run(stamp) + ".amc");
    EXPECT_EQ(readBytes(kept.keptAs), readBytes(paths().indexFile()));
    EXPECT_EQ(readStoredBytes(run(stamp) + kSep + "his2-0"), utf16Bytes("copy three"));
    EXPECT_EQ(linkCount(paths().dataFile("his1-0")), 2u);
    EXPECT_EQ(linkCount(paths().dataFile("his2-0")), 2u);

    const std::map<std::string, std::string> runBefore = treeOf(run(stamp));
    m_store.removeClip("his1-");
    ASSERT_TRUE(updateStoreFile(paths().indexFile(), IfMissing::Skip, [&](xml::XmlDocument& doc) {
        ClipSnapshot rewritten;
        rewritten.formats = {{0, kFormatUnicodeText, utf16Bytes("rewritten")}};
        StagedClip staged(paths(), rewritten);
        return staged.commit(doc, "his2-", "2026-03-01 10:00:02");
    }));
    EXPECT_EQ(treeOf(run(stamp)), runBefore);
    EXPECT_EQ(newestRunText(), u"copy one");
    EXPECT_EQ(m_store.getTextFromName("his2-"), u"copy three");
}

// A store that cannot simply go on is left untouched for the usual start (kept as a run, reset,
// the run opened): none at all, none of the user's clips, an index that cannot be read, or a run
// that an ended start left half kept (its data folder moved into the runs folder).
TEST_F(KeptRunsTest, AStoreThatCannotGoOnIsLeftForTheUsualStart) {
    struct Case {
        const char* name;
        std::function<void()> make;
    };
    const Case cases[] = {
        {"no store", [] {}},
        {"nothing of the user's", [&] { m_store.setValue("TRUE", "tempFile-0", 1); }},
        {"unreadable index",
         [&] {
             recordRun("copy");
             writeBytes(paths().indexFile(), kDamagedIndex);
         }},
        {"a run half kept",
         [&] {
             recordRun("copy");
             startEndedAt("2026-03-02 10:00:00", "data moved");
         }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        fs::remove_all(fs::u8path(paths().folder()));
        test.make();
        const std::map<std::string, std::string> before = treeOf(paths().folder());
        std::vector<std::string> notes;
        EXPECT_FALSE(m_store.continueLastRun(notes));
        EXPECT_EQ(treeOf(paths().folder()), before);
    }
}

// A run's search index goes with the run it names, and so does one whose run is gone; an index
// of the user's own archive stays. By a size on disk, the newest runs that fit stay.
TEST_F(KeptRunsTest, APrunedRunTakesItsSearchIndexAndRunsAreKeptBySize) {
    fs::create_directories(fs::u8path(runs()));
    writeBytes(inRuns("mine.amc.search"), "the user's");
    writeBytes(inRuns("Dravix-run 2020-01-01 10-00-00.amc.search"), "its run is gone");
    const auto stampOf = [](int n) { return "2026-04-01 10:00:" + std::string(n < 10 ? "0" : "") + std::to_string(n); };
    for (int n = 0; n < 11; ++n) {
        recordRun(std::string(static_cast<std::size_t>(n + 1), 'x'));  // each run's data a size of its own
        start(stampOf(n));
        writeBytes(run(stampOf(n)) + ".amc.search", "index " + std::to_string(n));
    }
    EXPECT_EQ(programRuns(), 10u);
    EXPECT_FALSE(fileExists(run(stampOf(0)) + ".amc.search"));
    EXPECT_TRUE(fileExists(run(stampOf(1)) + ".amc.search"));
    EXPECT_FALSE(fileExists(inRuns("Dravix-run 2020-01-01 10-00-00.amc.search")));
    EXPECT_TRUE(fileExists(inRuns("mine.amc.search")));

    recordRun("the newest");
    start(stampOf(11));
    std::uint64_t newestTwo = 0;
    for (int n : {10, 11})
        for (const std::string& own : {run(stampOf(n)) + ".amc", run(stampOf(n)) + ".amc.search", run(stampOf(n)) + kSep + "his1-0"})
            newestTwo += fileExists(own) ? fs::file_size(fs::u8path(own)) : 0;
    m_store.setRunLimit({kKeptRuns, newestTwo});
    recordRun("one more");
    start(stampOf(12));  // smaller than the eldest of the two: it takes that one's place
    EXPECT_EQ(programRuns(), 2u);
    EXPECT_TRUE(fileExists(run(stampOf(11)) + ".amc"));
    EXPECT_FALSE(fileExists(run(stampOf(10)) + ".amc"));
    EXPECT_FALSE(fileExists(run(stampOf(10)) + ".amc.search"));
}

// A clip of a kept run reads back as the store read it before the run was kept (a result of the
// search put back into the history); a clip the run does not hold reads as nothing.
TEST_F(KeptRunsTest, AClipOfAKeptRunReadsBackAsTheStoreReadIt) {
    recordRun("from the run");
    const std::optional<store::StoredClip> live = m_store.readClip("his1-");
    ASSERT_TRUE(live);
    const store::PreviousRun kept = start("2026-04-02 10:00:00");
    const std::optional<store::StoredClip> fromRun = store::CSysClipBoard::readArchiveClip(kept.keptAs, "his1-");
    ASSERT_TRUE(fromRun);
    EXPECT_EQ(fromRun->copyTime, live->copyTime);
    ASSERT_EQ(fromRun->snapshot.formats.size(), live->snapshot.formats.size());
    EXPECT_EQ(fromRun->snapshot.formats[0].bytes, live->snapshot.formats[0].bytes);
    EXPECT_FALSE(store::CSysClipBoard::readArchiveClip(kept.keptAs, "his2-"));
    EXPECT_FALSE(store::CSysClipBoard::readArchiveClip(run("2026-04-02 10:00:00"), "his1-"));  // not an archive's name
}

}  // namespace
