// The store private at rest: sealed data files read back through the real readers, older plain
// stores, files sealed out of reach, password-protected archives and the wipe. Natively and under
// Wine (store_tests_win: DPAPI and BCrypt themselves).
#include "store/ArchiveKey.h"
#include "store/BmpLayout.h"
#include "store/ClipFormats.h"
#include "store/ClipNames.h"
#include "store/Crypto.h"
#include "store/DataFiles.h"
#include "store/PasteQueue.h"
#include "store/RestorableFormats.h"
#include "store/RunNames.h"
#include "store/SealedFile.h"
#include "store/SysClipBoard.h"
#include "store/WipeNames.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <set>

using namespace store;
namespace fs = std::filesystem;

namespace {

const std::string kText = "独一无二的文字 unique-7f3a";
const std::u16string kWideText = u"独一无二的文字 unique-7f3a";
const std::string kPixels = "\x5a\xa5\x3c";

// A copy of a text (UTF-16, the code page's, HTML) and a picture whose pixels repeat kPixels.
ClipSnapshot copyOfTextAndPicture() {
    BmpLayout layout;
    computeBmpLayout(16, 16, 24, layout);
    const auto headers = bmpHeaders(layout);
    std::string pixels;
    while (pixels.size() < layout.pixelDataSize)
        pixels += kPixels;
    pixels.resize(layout.pixelDataSize);
    ClipSnapshot copy;
    copy.formats = {{0, kFormatUnicodeText, utf16Bytes(kWideText)},
                    {1, kFormatText, kText + '\0'},
                    {2, 49300, "<p>" + kText + "</p>"},
                    {3, kFormatBitmap, ""}};
    copy.bitmapFile = std::string(headers.begin(), headers.end()) + pixels;
    return copy;
}

// The files below `folder` that hold any of the copy's bytes in the clear.
std::vector<std::string> filesHoldingTheCopy(const std::string& folder) {
    const std::string needles[] = {kText, utf16Bytes(kWideText).substr(0, 20), std::string("unique-7f3a"), kPixels + kPixels + kPixels};
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(fs::u8path(folder))) {
        if (!entry.is_regular_file())
            continue;
        const std::string bytes = readBytes(entry.path().u8string());
        for (const std::string& needle : needles)
            if (bytes.find(needle) != std::string::npos)
                found.push_back(entry.path().u8string());
    }
    return found;
}

std::vector<std::string> g_unreadable;

class PrivateStoreTest : public ::testing::Test {
protected:
    PrivateStoreTest() : m_store(m_dir.path("store")) {
        fs::create_directories(fs::u8path(m_store.paths().dataFolder()));
        setUnreadableReporter([](const std::string& path) { g_unreadable.push_back(path); });
    }
    ~PrivateStoreTest() override {
        setSealing(true);
        setUnreadableReporter(nullptr);
        g_unreadable.clear();
    }

    int file(const ClipSnapshot& copy) {
        const FiledRecord filed = m_store.fileHistoryRecord(copy, "2026-12-08 10:00:00");
        EXPECT_EQ(filed.outcome, FiledRecord::Outcome::Filed);
        return filed.number;
    }
    void expectReadsBack(int number, const ClipSnapshot& copy) {
        const std::optional<store::StoredClip> stored = m_store.readClip(historyClipName(number));
        ASSERT_TRUE(stored);
        ASSERT_EQ(stored->snapshot.formats.size(), copy.formats.size());
        for (std::size_t i = 0; i < copy.formats.size(); ++i)
            EXPECT_EQ(stored->snapshot.formats[i].bytes, copy.formats[i].bytes) << i;
        EXPECT_EQ(stored->snapshot.bitmapFile, copy.bitmapFile);
        EXPECT_EQ(storedFormats(m_store.paths(), historyClipName(number), false), restorableFormats(copy));
        EXPECT_EQ(m_store.getTextFromName(historyClipName(number)), kWideText);
    }
    std::string runs(const std::string& name) const { return joinPath(m_store.runsFolder(), name); }

    ScratchDir m_dir;
    store::CSysClipBoard m_store;
};

std::string archiveKeyOf(const std::string& archive) {
    const std::string index = readBytes(archive);
    const std::string open = "<" + std::string(kArchiveKeyElement) + ">";
    const std::size_t at = index.find(open);
    return at == std::string::npos ? std::string() : index.substr(at + open.size(), index.find('<', at + 1) - at - open.size());
}

}  // namespace

// Every file a copy makes (record, slot, the kept clipboard of a paste, thumbnail, kept run) is
// sealed, and every reader gives the copy back byte for byte.
TEST_F(PrivateStoreTest, NoFileOfTheStoreHoldsWhatWasCopiedInTheClear) {
    const ClipSnapshot copy = copyOfTextAndPicture();
    const int number = file(copy);
    ASSERT_TRUE(writeClip(m_store.paths(), slotClipName('3'), copy));
    ASSERT_TRUE(writeClip(m_store.paths(), kTempClipName, copy));
    const std::atomic<bool> stop{false};
    ASSERT_EQ(m_store.keepLiveRun("2026-12-08 10:00:01", stop).result, store::ArchiveResult::Done);
    EXPECT_EQ(filesHoldingTheCopy(m_store.getWindowsDir()), std::vector<std::string>{});
    expectReadsBack(number, copy);
    EXPECT_EQ(storedFormats(m_store.paths(), kTempClipName, false), restorableFormats(copy));
    EXPECT_EQ(bitmapFileSize(readStoredBytes(m_store.paths().thumbnailFile(historyClipName(number)))), std::make_pair(32, 32));
    EXPECT_TRUE(g_unreadable.empty());
}

TEST_F(PrivateStoreTest, AStoreWrittenUnsealedStillReadsWithSealingOn) {
    setSealing(false);
    const ClipSnapshot copy = copyOfTextAndPicture();
    const int number = file(copy);
    EXPECT_EQ(readBytes(m_store.paths().dataFile(formatElementName(historyClipName(number), 1))), kText + '\0');
    setSealing(true);
    expectReadsBack(number, copy);
    // Kept as a run and brought back as the last run: its files shared as they are.
    const std::atomic<bool> stop{false};
    const store::LiveRunKept kept = m_store.keepLiveRun("2026-12-08 10:00:01", stop);
    ASSERT_EQ(m_store.openArchive(kept.keptAs, nullptr, store::ArchiveFiles::Shared), store::ArchiveResult::Done);
    expectReadsBack(number, copy);
}

TEST_F(PrivateStoreTest, AClipSealedOutOfReachIsNeverPastedNorLostAndIsReportedOnce) {
    const int number = file(copyOfTextAndPicture());
    const std::string foreign = std::string(sealed::kMagic) + "\x01\x01" + std::string(64, 'z');
    const std::string text = m_store.paths().dataFile(formatElementName(historyClipName(number), 0));
    writeBytes(text, foreign);
    EXPECT_FALSE(m_store.readClip(historyClipName(number)));
    EXPECT_FALSE(storedFormats(m_store.paths(), historyClipName(number), false));
    EXPECT_EQ(g_unreadable, std::vector<std::string>{text});
    // Saved and opened again as it is.
    fs::create_directories(fs::u8path(m_dir.path("keep")));
    const std::string archive = m_dir.path("keep") + "/work.amc";
    ASSERT_EQ(m_store.saveArchive(archive), store::ArchiveResult::Done);
    ASSERT_EQ(m_store.openArchive(archive), store::ArchiveResult::Done);
    EXPECT_EQ(readBytes(text), foreign);
}

// Without a password Save As writes what any reader of the plain format reads; with one, nothing in
// the clear, and Open asks for it only then, a wrong one changing nothing.
TEST_F(PrivateStoreTest, AnArchiveIsOpenUnlessProtectedByAPasswordWhichOpenAsksFor) {
    const ClipSnapshot copy = copyOfTextAndPicture();
    const int number = file(copy);
    const std::string clip = historyClipName(number);
    fs::create_directories(fs::u8path(m_dir.path("keep")));
    const std::string open = m_dir.path("keep") + "/open.amc", locked = m_dir.path("keep") + "/locked.amc";
    ASSERT_EQ(m_store.saveArchive(open), store::ArchiveResult::Done);
    EXPECT_EQ(readBytes(m_dir.path("keep") + "/open/" + formatElementName(clip, 1)), kText + '\0');
    EXPECT_EQ(readBytes(m_dir.path("keep") + "/open/" + bitmapFileName(clip)), copy.bitmapFile);
    EXPECT_EQ(archiveKeyOf(open), "");

    ASSERT_EQ(m_store.saveArchive(locked, nullptr, "口令 pass"), store::ArchiveResult::Done);
    EXPECT_EQ(filesHoldingTheCopy(m_dir.path("keep") + "/locked"), std::vector<std::string>{});
    const std::optional<ArchiveKey> key = parseArchiveKey(archiveKeyOf(locked));
    ASSERT_TRUE(key);
    EXPECT_GE(key->iterations, crypto::kMinPasswordIterations);
    EXPECT_EQ(key->salt.size(), kArchiveSaltSize);

    m_store.removeClip(clip);
    const std::string emptied = readBytes(m_store.paths().indexFile());
    int asked = 0;
    const auto answer = [&asked](std::optional<std::string> password) {
        return [&asked, password] { return ++asked, password; };
    };
    EXPECT_EQ(m_store.openArchive(locked, nullptr, store::ArchiveFiles::Copied, answer(std::nullopt)), store::ArchiveResult::PasswordNeeded);
    EXPECT_EQ(m_store.openArchive(locked, nullptr, store::ArchiveFiles::Copied, answer("口令 Pass")), store::ArchiveResult::WrongPassword);
    EXPECT_EQ(m_store.openArchive(locked), store::ArchiveResult::PasswordNeeded);
    EXPECT_EQ(readBytes(m_store.paths().indexFile()), emptied);
    EXPECT_EQ(asked, 2);
    ASSERT_EQ(m_store.openArchive(locked, nullptr, store::ArchiveFiles::Copied, answer("口令 pass")), store::ArchiveResult::Done);
    expectReadsBack(number, copy);
    EXPECT_EQ(m_store.getValue(kArchiveKeyElement), "");
    EXPECT_EQ(filesHoldingTheCopy(m_store.getWindowsDir()), std::vector<std::string>{});

    m_store.removeClip(clip);
    ASSERT_EQ(m_store.openArchive(open, nullptr, store::ArchiveFiles::Copied, answer("never asked")), store::ArchiveResult::Done);
    EXPECT_EQ(asked, 3);
    expectReadsBack(number, copy);
}

TEST(WipeNames, OnlyNamesTheProgramGivesAreWiped) {
    struct Case {
        bool (*wiped)(std::string_view);
        const char* name;
        bool expected;
    };
    const Case cases[] = {
        {isWipedFromStoreFolder, "clipboard.xml", true},
        {isWipedFromStoreFolder, "clipboard.xml.damaged", true},
        {isWipedFromStoreFolder, "label.xml.damaged12", true},
        {isWipedFromStoreFolder, "clipboard.xml.4711-3.tmp", true},
        {isWipedFromStoreFolder, "Brindlecote.4711-3.tmp", true},
        {isWipedFromStoreFolder, "clipboard.xml.Dravix-run 2026-12-08 14-03-22", true},
        {isWipedFromStoreFolder, "Brindlecote.Dravix-run 2026-12-08 14-03-22 (2)", true},
        {isWipedFromStoreFolder, "Brindlecote", false},
        {isWipedFromStoreFolder, "clipboard.xml.damaged0", false},
        {isWipedFromStoreFolder, "clipboard.xml.old", false},
        {isWipedFromStoreFolder, "clipboard.xml old.tmp", false},
        {isWipedFromDataFolder, "his12-3", true},
        {isWipedFromDataFolder, "his12-.thumb.bmp", true},
        {isWipedFromDataFolder, "staged.4711-9.tmp", true},
        {isWipedFromDataFolder, "notes.txt", false},
        {isWipedFromDataFolder, "staged", false},
        {isWipedFromRunsFolder, "Dravix-run 2026-12-08 14-03-22.amc", true},
        {isWipedFromRunsFolder, "Dravix-run 2026-12-08 14-03-22", true},
        {isWipedFromRunsFolder, "Dravix-run 2026-12-08 14-03-22 (3).damaged", true},
        {isWipedFromRunsFolder, "Dravix-run 2026-12-08 14-03-22.amc.4711-1.tmp", true},
        {isWipedFromRunsFolder, "Dravix-run 2026-13-08 14-03-22.amc", false},
        {isWipedFromRunsFolder, "Dravix-run 2026-12-08 14-03-22 (2).amc.search", true},
        {isWipedFromRunsFolder, "my work.amc.search", false},
        {isWipedFromRunsFolder, "my work.amc", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.wiped(c.name), c.expected) << c.name;
}

TEST_F(PrivateStoreTest, AWipeLeavesTheStoreAsAfterAFirstStartAndTheUsersFiles) {
    file(copyOfTextAndPicture());
    file(copyOfTextAndPicture());
    ASSERT_TRUE(writeClip(m_store.paths(), slotClipName('3'), copyOfTextAndPicture()));
    ASSERT_TRUE(appendToPasteQueue(m_store.paths().statusFile(), {2, 1}));
    const std::atomic<bool> stop{false};
    ASSERT_EQ(m_store.keepLiveRun("2026-12-08 10:00:01", stop).result, store::ArchiveResult::Done);
    fs::create_directories(fs::u8path(runs("Dravix-run 2026-12-01 09-00-00.damaged")));
    writeBytes(runs("Dravix-run 2026-12-01 09-00-00.damaged") + "/clipboard.xml", "<UserInfo/>");
    writeBytes(runs("my work.amc"), "the user's archive");
    fs::create_directories(fs::u8path(runs("my work")));
    writeBytes(runs("my work") + "/his1-0", "the user's clip");
    writeBytes(m_store.paths().dataFile("notes.txt"), "the user's note");
    writeBytes(m_store.paths().indexFile() + ".damaged", "<UserInfo>");

    const store::WipeOutcome wiped = m_store.wipeAll();
    EXPECT_TRUE(wiped.done());
    const auto namesIn = [](const std::string& folder) {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(fs::u8path(folder)))
            names.insert(entry.path().filename().u8string());
        return names;
    };
    EXPECT_EQ(namesIn(m_store.getWindowsDir()), (std::set<std::string>{"Brindlecote", "Runs"}));
    EXPECT_EQ(namesIn(m_store.paths().dataFolder()), std::set<std::string>{"notes.txt"});
    EXPECT_EQ(namesIn(m_store.runsFolder()), (std::set<std::string>{"my work.amc", "my work"}));
    EXPECT_EQ(readBytes(runs("my work") + "/his1-0"), "the user's clip");
    EXPECT_EQ(readPasteQueue(m_store.paths().statusFile()), PasteQueue{});
    EXPECT_EQ(file(copyOfTextAndPicture()), 1);

    // With nothing of the user's left, the folders of the program go too.
    fs::remove(fs::u8path(m_store.paths().dataFile("notes.txt")));
    fs::remove_all(fs::u8path(runs("my work")));
    fs::remove(fs::u8path(runs("my work.amc")));
    EXPECT_TRUE(m_store.wipeAll().done());
    EXPECT_EQ(namesIn(m_store.getWindowsDir()), std::set<std::string>{});
}
