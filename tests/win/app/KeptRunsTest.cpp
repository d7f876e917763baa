// The runs kept at start-up, with the real dravix.exe started again and again: the last ten runs
// are kept, each named as only the program names its runs; an archive the user saved into the runs
// folder is never pruned nor opened as the last run; a store that cannot be read comes through a
// start whole; and the program ended at any step of keeping a run loses nothing.
#include "DravixAppTest.h"

#include "store/ClipFormats.h"
#include "store/ClipSnapshot.h"
#include "store/FileSystem.h"
#include "store/RunNames.h"
#include "store/SysClipBoard.h"
#include "store/TimeStamp.h"
#include "WinTestSupport.h"
#include "base/Text.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace {

namespace fs = std::filesystem;

constexpr int kOpenLastRun = 32801;
constexpr int kSaveAs = 32795;
const char* const kDamagedIndex = "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<UserInfo>\r\n<his1-0>13</his1-";

// Every file below `folder`, by its path inside it, with its bytes.
std::map<std::string, std::string> treeOf(const std::string& folder) {
    std::map<std::string, std::string> files;
    const fs::path root = fs::u8path(folder);
    std::error_code error;
    if (!fs::exists(root, error))
        return files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).u8string()] = readBytes(entry.path().u8string());
    return files;
}

bool rowsAre(const std::vector<ListRow>& rows, const std::vector<std::wstring>& texts) {
    if (rows.size() != texts.size())
        return false;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].content != texts[i])
            return false;
    return true;
}

// An environment variable set for the programs started while this lives.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value) : m_name(name) {
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedEnvironment() { SetEnvironmentVariableW(m_name, nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const wchar_t* m_name;
};

class KeptRunsTest : public DravixAppTest {
protected:
    KeptRunsTest() : DravixAppTest(Start::ByTheTest), m_store(store::userStoreFolder()) {}

    void SetUp() override {
        DravixAppTest::SetUp();
        fs::remove_all(fs::u8path(m_store.runsFolder()));
        m_store.resetStore();
    }
    std::string inRuns(const std::string& name) const { return store::joinPath(m_store.runsFolder(), name); }
    // The archives of the runs the program kept.
    std::vector<std::string> programRuns() const {
        std::vector<std::string> runs;
        for (const std::string& name : store::files::filesIn(m_store.runsFolder()))
            if (store::parseRunArchive(name))
                runs.push_back(name);
        return runs;
    }
    // A start with nothing on the clipboard, then the program waited for.
    void startEmpty() {
        putClipboard({});
        start();
    }
    // A run: a start, one copy recorded, the program killed as by a crash.
    void runWithCopy(const std::wstring& text) {
        ASSERT_NO_FATAL_FAILURE(startEmpty());
        ASSERT_NO_FATAL_FAILURE(record(text));
        m_app.reset();
    }
    // File > "打开上次的记录": the rows it brings back.
    bool lastRunOpensAs(const std::vector<std::wstring>& texts) {
        PostMessageW(m_app->mainWindow(), WM_COMMAND, kOpenLastRun, 0);
        return m_app->waitForRows([&](const auto& rows) { return rowsAre(rows, texts); });
    }
    // Save As through the real file dialog, the path typed into it.
    void saveAs(const std::string& path) {
        PostMessageW(m_app->mainWindow(), WM_COMMAND, kSaveAs, 0);
        answerFileDialog(path);
    }
    void writeDamagedStore() {
        fs::create_directories(fs::u8path(m_store.paths().dataFolder()));
        writeBytes(m_store.paths().indexFile(), kDamagedIndex);
        writeBytes(m_store.paths().statusFile(), "status bytes");
        writeBytes(m_store.paths().dataFile("his1-0"), "data of a store that cannot be read");
        writeBytes(m_store.paths().bitmapFile("his1-"), "BM picture");
    }
    // The live store as a start finds it: index, status file and data folder.
    std::map<std::string, std::string> liveStore() const {
        std::map<std::string, std::string> live;
        for (const auto& [path, bytes] : treeOf(m_store.paths().folder()))
            if (path.rfind(std::string(store::kRunsFolderName), 0) != 0 && path != "intro.off")
                live[path] = bytes;
        return live;
    }
    std::vector<std::string> damagedRuns() const {
        std::vector<std::string> damaged;
        for (const std::string& name : store::files::foldersIn(m_store.runsFolder()))
            if (name.size() > 8 && name.compare(name.size() - 8, 8, ".damaged") == 0)
                damaged.push_back(name);
        return damaged;
    }

    store::CSysClipBoard m_store;
};

// Eleven real starts, each after a run with a copy of its own: the last ten runs are kept under
// the program's names, the oldest goes, and "打开上次的记录" opens the run before this one. An
// archive the user saved into the runs folder with Save As (allowed: no name a user gives can be
// taken for a run), and another one that sorts last and is newer than any run, come through all
// the starts as they were and are never opened as the last run.
TEST_F(KeptRunsTest, ElevenStartsKeepTheLastTenRunsAndNeverTouchTheUsersArchives) {
    // The store before the first start holds a run of its own, the oldest.
    fs::create_directories(fs::u8path(m_store.paths().dataFolder()));
    store::ClipSnapshot seed;
    seed.formats = {{0, store::kFormatUnicodeText, std::string("s\0e\0e\0d\0\0\0", 10)}};
    ASSERT_EQ(m_store.fileHistoryRecord(seed, store::currentTimeStamp()).outcome, store::FiledRecord::Outcome::Filed);

    ASSERT_NO_FATAL_FAILURE(startEmpty());
    ASSERT_NO_FATAL_FAILURE(record(L"run 0"));
    const std::string users = inRuns("1.amc");
    ASSERT_NO_FATAL_FAILURE(saveAs(users));
    ASSERT_TRUE(pumpUntil([&] { return m_app->treeText(0) == L"我的剪贴板"; }, 8s)) << "the Save did not end";
    ASSERT_TRUE(fileExists(users));
    m_app.reset();
    // Another archive of the user's, newer than every run and last by name.
    fs::copy(fs::u8path(inRuns("1")), fs::u8path(inRuns("zzz")));
    fs::copy_file(fs::u8path(users), fs::u8path(inRuns("zzz.amc")));
    writeBytes(inRuns("notes.txt"), "the user's notes");
    const std::map<std::string, std::string> usersOwn = treeOf(m_store.runsFolder());
    ASSERT_EQ(usersOwn.count("1\\his1-0"), 1u);
    ASSERT_EQ(programRuns().size(), 1u);

    for (int n = 1; n <= 9; ++n)
        ASSERT_NO_FATAL_FAILURE(runWithCopy(L"run " + std::to_wstring(n))) << n;
    // The eleventh start.
    ASSERT_NO_FATAL_FAILURE(startEmpty());
    EXPECT_TRUE(m_app->rows().empty());
    const std::vector<std::string> runs = programRuns();
    EXPECT_EQ(runs.size(), 10u);
    for (const std::string& run : runs)
        EXPECT_TRUE(store::files::isFolder(inRuns(run.substr(0, run.size() - 4)))) << run << " has no data folder";
    std::map<std::string, std::string> now = treeOf(m_store.runsFolder());
    for (const auto& [path, bytes] : usersOwn) {
        if (store::parseRunName(path.substr(0, path.find_first_of("\\."))))
            continue;  // a run
        EXPECT_EQ(now.count(path), 1u) << path << " is gone";
        EXPECT_EQ(now[path], bytes) << path;
    }
    // The seed's run was the oldest and went; the last one is run 9's.
    EXPECT_TRUE(lastRunOpensAs({L"run 9"}));
    EXPECT_EQ(storedClipText("his1-"), L"run 9");
}

// An index that cannot be read, with its status file and data: the start keeps all of it byte for
// byte in one folder of the runs folder, and the list starts empty.
TEST_F(KeptRunsTest, AStoreThatCannotBeReadComesThroughAStartWhole) {
    writeDamagedStore();
    const std::map<std::string, std::string> before = liveStore();
    ASSERT_EQ(before.size(), 4u);
    ASSERT_NO_FATAL_FAILURE(startEmpty());
    EXPECT_TRUE(m_app->rows().empty());
    const std::vector<std::string> damaged = damagedRuns();
    ASSERT_EQ(damaged.size(), 1u);
    EXPECT_EQ(treeOf(inRuns(damaged[0])), before);
    EXPECT_TRUE(m_log.has("previous run: damaged, kept whole in"));
    EXPECT_FALSE(fileExists(storeIndexPath() + ".damaged"));
    // The next start keeps it where it is.
    m_app.reset();
    ASSERT_NO_FATAL_FAILURE(startEmpty());
    EXPECT_EQ(treeOf(inRuns(damaged[0])), before);
}

// The program ended at each step of keeping a run (as a crash or a switched-off machine ends it
// there): the next start completes the run or keeps it again, the list starts empty, and the run
// opens with its copy.
TEST_F(KeptRunsTest, TheProgramEndedWhileItKeepsARunLosesNothing) {
    struct Case {
        const wchar_t* step;
        bool damaged;  // a store whose index cannot be read
    };
    const Case cases[] = {{L"data moved", false},           {L"index moved", false}, {L"pruned", false},
                          {L"damaged data moved", true}, {L"damaged status moved", true}};
    for (const Case& test : cases) {
        SCOPED_TRACE(base::toUtf8(test.step));
        fs::remove_all(fs::u8path(m_store.runsFolder()));
        const std::wstring text = std::wstring(L"ended after: ") + test.step;
        std::map<std::string, std::string> before;
        if (test.damaged) {
            writeDamagedStore();
            before = liveStore();
        } else {
            ASSERT_NO_FATAL_FAILURE(runWithCopy(text));
        }
        {
            ScopedEnvironment end(L"DRAVIX_END_AT_KEEP_STEP", test.step);
            DravixProcess ended;
            ASSERT_TRUE(ended.started());
            EXPECT_EQ(ended.waitForExit(15s), 3);
        }
        ASSERT_NO_FATAL_FAILURE(startEmpty());
        EXPECT_TRUE(m_app->rows().empty());
        if (test.damaged) {
            const std::vector<std::string> damaged = damagedRuns();
            ASSERT_EQ(damaged.size(), 1u);
            EXPECT_EQ(treeOf(inRuns(damaged[0])), before);
        } else {
            EXPECT_EQ(programRuns().size(), 1u);
            EXPECT_TRUE(lastRunOpensAs({text}));
        }
        m_app.reset();
        m_store.resetStore();
    }
}

// The rows of a view in the order of their numbers, for comparing views across starts.
std::vector<ListRow> byNumber(std::vector<ListRow> rows) {
    std::sort(rows.begin(), rows.end(), [](const ListRow& a, const ListRow& b) { return std::stoi(a.number) < std::stoi(b.number); });
    return rows;
}

bool sameRows(const std::vector<ListRow>& a, const std::vector<ListRow>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].content != b[i].content || a[i].number != b[i].number || a[i].copyTime != b[i].copyTime ||
            a[i].useTime != b[i].useTime || a[i].image != b[i].image)
            return false;
    return true;
}

// With "启动时恢复上次的记录" on: three copies, one of them filed in a new category, slot 4 set by its
// chord in notepad, one queued for pasting; the program killed and started again. The history rows
// come back with their numbers and times, the category with its clip, slot 4, the paste queue,
// each shown in the preview, the root without the unsaved mark; the run is kept once the window
// is up; a new copy takes the next free number. Turned off, the next start is empty as it always
// was, its queue too.
TEST_F(KeptRunsTest, WithTheRestoreOnTheLastRunComesBackAtTheStart) {
    setUserSwitch(L"RestoreLastRun", true);
    ASSERT_NO_FATAL_FAILURE(startEmpty());
    for (const wchar_t* text : {L"kept one", L"kept two", L"kept filed"})
        ASSERT_NO_FATAL_FAILURE(record(text));
    ASSERT_TRUE(nameCategory(L"留着"));
    ASSERT_TRUE(pumpUntil([&] { return m_app->treeNodeCount() == 5; }, 5s));
    const int filed = m_app->findRow(L"kept filed", false);
    ASSERT_GE(filed, 0);
    ASSERT_NO_FATAL_FAILURE(fileRowInCategory(filed, 0));
    {
        Target notepad(ProgramByClass{L"notepad.exe", L"Notepad"});
        ASSERT_TRUE(notepad.setTextAndSelectAll(L"kept slot"));
        pressChord({VK_CONTROL}, '4');
        ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 3; }));
    }
    const int queued = m_app->findRow(L"kept two", false);
    ASSERT_GE(queued, 0);
    const std::wstring queuedNumber = m_app->rows()[static_cast<std::size_t>(queued)].number;
    ASSERT_TRUE(rowMenu({queued}));
    pressKeys({'Q'});  // "加入粘贴队列(&Q)"
    ASSERT_TRUE(pumpUntil([&] { return storeValue(storeStatusPath(), "PasteQueue") == base::toUtf8(queuedNumber); }, 5s));
    const std::vector<ListRow> history = byNumber(m_app->rows());
    m_app->selectTreeNode(4);
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 1; }));
    const std::vector<ListRow> category = m_app->rows();
    m_app->selectTreeNode(2);
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 1; }));
    const std::vector<ListRow> slots = m_app->rows();
    EXPECT_EQ(slots[0].number, L"ctrl+alt+4");
    m_app.reset();

    ASSERT_NO_FATAL_FAILURE(startEmpty());
    EXPECT_TRUE(m_app->waitForRows([&](const auto& rows) { return sameRows(byNumber(rows), history); }));
    EXPECT_EQ(m_app->treeText(0), L"我的剪贴板");
    EXPECT_EQ(m_app->treeText(4), L"留着");
    for (int row = 0; row < m_app->rowCount(); ++row)
        EXPECT_TRUE(previewShows(row, m_app->rows()[static_cast<std::size_t>(row)].content)) << row;
    m_app->selectTreeNode(4);
    EXPECT_TRUE(m_app->waitForRows([&](const auto& rows) { return sameRows(rows, category); }));
    EXPECT_TRUE(previewShows(0, L"kept filed"));
    m_app->selectTreeNode(2);
    EXPECT_TRUE(m_app->waitForRows([&](const auto& rows) { return sameRows(rows, slots); }));
    EXPECT_TRUE(previewShows(0, L"kept slot"));
    EXPECT_EQ(storeValue(storeStatusPath(), "PasteQueue"), base::toUtf8(queuedNumber));
    m_app->selectTreeNode(3);
    EXPECT_TRUE(m_app->waitForRows([&](const auto& rows) {
        return rows.size() == 1 && rows[0].content == L"kept two" && rows[0].number == queuedNumber;
    }));
    EXPECT_TRUE(pumpUntil([&] { return m_log.has("last run kept while the store goes on"); }, 20s));
    EXPECT_EQ(programRuns().size(), 1u);
    m_app->selectTreeNode(1);
    ASSERT_NO_FATAL_FAILURE(record(L"after the restart"));
    EXPECT_EQ(m_app->rows()[static_cast<std::size_t>(m_app->findRow(L"after the restart", false))].number, L"5");
    EXPECT_TRUE(m_log.has("last run at start: restored"));

    setUserSwitch(L"RestoreLastRun", false);
    m_app.reset();
    ASSERT_NO_FATAL_FAILURE(startEmpty());
    EXPECT_TRUE(expectNothingFor(500ms, [&] { return m_app->rowCount() != 0 || m_app->treeNodeCount() != 4; }));
    EXPECT_EQ(storeValue(storeStatusPath(), "PasteQueue"), "");
}

// With the restore on, a run kept whole because it could not be read: the start is empty, and a
// balloon says why.
TEST_F(KeptRunsTest, WithTheRestoreOnARunThatCannotBeReadStartsEmptyAndSaysWhy) {
    setUserSwitch(L"RestoreLastRun", true);
    writeDamagedStore();
    ASSERT_NO_FATAL_FAILURE(startEmpty());
    EXPECT_TRUE(pumpUntil([&] { return m_log.has("tray balloon: last run not restored: 上次的记录已损坏"); }, 5s));
    EXPECT_EQ(m_app->rowCount(), 0);
    EXPECT_EQ(m_app->treeNodeCount(), 4);  // the root, the history, the slots and the paste queue
    EXPECT_EQ(damagedRuns().size(), 1u);
}

}  // namespace
