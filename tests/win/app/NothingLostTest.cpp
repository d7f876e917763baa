// Nothing the user copied is lost where the newer features meet the old ones, with the real
// dravix.exe: the restore after a paste and the target's own copies, chords while another program
// copies, making room in a full history, a restored start, a data file another program holds, the
// run kept while File commands come, and AltGr.
#include "DravixAppTest.h"

#include "store/ClipFormats.h"
#include "store/ClipboardCopy.h"
#include "store/ClipNames.h"
#include "store/FileSystem.h"
#include "store/PasteQueue.h"
#include "store/RunNames.h"
#include "store/StoreDocument.h"
#include "store/StoreFile.h"
#include "store/SysClipBoard.h"
#include "WinTestSupport.h"
#include "xml/XmlDocument.h"
#include "base/Handle.h"
#include "base/Text.h"

#include <algorithm>
#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;

constexpr int kOpenLastRun = 32801;
constexpr int kOpen = 32790;

std::string utf16Bytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
}

// A picture of the given size in one colour, as a bitmap on the clipboard would give it.
HBITMAP pictureOf(int width, int height, COLORREF colour) {
    base::WindowDc screen(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen.get(), width, height);
    const base::UniqueBrush brush(CreateSolidBrush(colour));
    base::MemoryDc dc(screen.get());
    dc.select(bitmap);
    const RECT all = {0, 0, width, height};
    FillRect(dc.get(), &all, brush.get());
    return bitmap;
}

class NothingLostTest : public DravixAppTest {
protected:
    NothingLostTest() : DravixAppTest(Start::ByTheTest), m_store(store::userStoreFolder()) {}

    void SetUp() override {
        DravixAppTest::SetUp();
        fs::remove_all(fs::u8path(m_store.runsFolder()));
        m_store.resetStore();
    }
    void TearDown() override {
        for (const wchar_t* option : {L"RestoreClipboard", L"RestoreLastRun", L"MakeRoomWhenFull"})
            setUserSwitch(option, false);
        DravixAppTest::TearDown();
    }
    // A full history of text clips "clip n", each used at its own time (the lower numbers longer
    // ago), written as the store keeps it; clip 1 is a picture when asked.
    void writeFullHistory(bool firstIsPicture) {
        xml::XmlDocument index;
        store::startEmptyStore(index);
        fs::create_directories(fs::u8path(m_store.paths().dataFolder()));
        for (int n = 1; n <= store::kMaxHistoryNumber; ++n) {
            const std::string clip = store::historyClipName(n);
            char stamp[32];
            std::snprintf(stamp, sizeof stamp, "2026-12-01 %02d:%02d:%02d", n / 3600, n / 60 % 60, n % 60);
            store::appendRootChild(index, store::timeElementName(clip), stamp);
            store::appendRootChild(index, store::useTimeElementName(clip), stamp);
            if (n == 1 && firstIsPicture) {
                store::appendRootChild(index, store::formatElementName(clip, 0), "2");
                writeBytes(m_store.paths().bitmapFile(clip), m_oldPicture);
                writeBytes(m_store.paths().thumbnailFile(clip), "the old picture's thumbnail");
                continue;
            }
            store::appendRootChild(index, store::formatElementName(clip, 0), "13");
            writeBytes(m_store.paths().dataFile(store::formatElementName(clip, 0)), utf16Bytes(L"clip " + std::to_wstring(n)));
        }
        ASSERT_TRUE(store::writeStoreFile(index, m_store.paths().indexFile()));
    }
    bool historyHolds(int number, const std::wstring& text) const {
        return storedClipText(store::historyClipName(number)) == text;
    }
    // File > Open through the real file dialog, the path typed into it.
    void openThroughDialog(const std::string& path) {
        PostMessageW(m_app->mainWindow(), WM_COMMAND, kOpen, 0);
        answerFileDialog(path);
    }

    store::CSysClipBoard m_store;
    const std::string m_oldPicture = [] {
        const base::UniqueBitmap old(pictureOf(40, 30, RGB(20, 120, 200)));
        return store::bitmapFileBytes(old.get());
    }();
};

// With the restore on, a slot paste into a program that does not take Ctrl+V (the clip is offered
// and never read): the copies that program then makes itself, 0.5, 1 and 3 seconds after the key,
// are the user's, each a row.
TEST_F(NothingLostTest, TheTargetsOwnCopiesAfterAPasteAreRows) {
    start();
    Target source(L"Own copies source", L"");
    ASSERT_TRUE(source.setTextAndSelectAll(L"slot five"));
    typeChord({VK_CONTROL}, '5', 80);
    ASSERT_TRUE(pumpUntil([] { return storedClipText("copy5") == L"slot five"; }, 10s));
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rowsHolding(rows, L"slot five") == 1; }));
    setUserSwitch(L"RestoreClipboard", true);
    const Target ignoring(L"Own copies target", L"", L"DravixEditTarget", L"", 0, PasteKeys::ShiftInsertOnly);
    ASSERT_TRUE(ignoring.focus());
    typeChord({VK_CONTROL, VK_MENU}, '5', 80);
    const auto pressed = std::chrono::steady_clock::now();
    for (const int at : {500, 1000, 3000}) {
        const std::wstring text = L"the target's own copy at " + std::to_wstring(at) + L" ms";
        letTimePass(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::milliseconds(at) -
                                                                          (std::chrono::steady_clock::now() - pressed)));
        SendMessageW(ignoring.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageW(ignoring.edit(), EM_SETSEL, 0, -1);
        SendMessageW(ignoring.edit(), WM_COPY, 0, 0);
        EXPECT_TRUE(m_app->waitForRows([&](const auto& rows) { return rowsHolding(rows, text) == 1; })) << base::toUtf8(text);
    }
    EXPECT_EQ(ignoring.text().find(L"slot five"), std::wstring::npos) << "pasted where the keys did not paste";
}

// Another program copies every 50 ms for eight seconds while a person copies in two programs with
// Ctrl+C and then files that into slots 3 and 7 with the digit, Ctrl still held: at least 144 of
// the other program's 160 copies become rows, every one that does not is counted in the tray's
// tooltip (with any other copy not recorded), and the person's own copies and slots are all there.
TEST_F(NothingLostTest, ChordsWhileAnotherProgramCopiesKeepItsCopies) {
    start();
    const Target window(L"Busy desk window", L"");
    const Target dialog(L"Busy desk dialog", L"", L"#dialog");
    std::unique_ptr<ClipSource> burst;
    std::thread starter([&] { burst = std::make_unique<ClipSource>(L"burst race 160 50"); });
    std::vector<std::wstring> own;
    const auto begun = std::chrono::steady_clock::now();
    for (int round = 0; std::chrono::steady_clock::now() - begun < 8s; ++round) {
        for (const auto& [target, digit] : {std::pair<const Target*, WORD>{&window, '3'}, {&dialog, '7'}}) {
            own.push_back(L"own copy " + std::to_wstring(round) + L" into " + std::wstring(1, static_cast<wchar_t>(digit)));
            ASSERT_TRUE(target->setTextAndSelectAll(own.back()));
            sendKeys({{VK_CONTROL, false}});
            letTimePass(60ms);
            sendKeys({{'C', false}});
            letTimePass(40ms);
            sendKeys({{'C', true}});
            letTimePass(150ms);
            sendKeys({{digit, false}});
            letTimePass(40ms);
            sendKeys({{digit, true}});
            letTimePass(60ms);
            sendKeys({{VK_CONTROL, true}});
            EXPECT_TRUE(pumpUntil([&] { return storedClipText(std::string("copy") + static_cast<char>(digit)) == own.back(); }, 8s))
                << base::toUtf8(own.back());
        }
    }
    starter.join();
    ASSERT_TRUE(burst && burst->ready());
    const BurstOutcome burstCopies = settleBurst(L"race", 160, 30s);
    const std::vector<ListRow>& rows = burstCopies.rows;
    const int recorded = burstCopies.recorded;
    // The person's copy is a row, and its slot copy another one when the other program copied
    // between the two (no longer a repeat of the last copy).
    for (const std::wstring& text : own)
        EXPECT_GE(rowsHolding(rows, text), 1u) << base::toUtf8(text);
    std::printf("the other program's copies recorded during the chords: %d of 160\n", recorded);
    EXPECT_GE(recorded, 144);
    EXPECT_EQ(burstCopies.repeated, 0) << burstCopies.notOnce;
    EXPECT_GE(burstCopies.missed, 160 - recorded) << burstCopies.tooltip << "; copy:rows" << burstCopies.notOnce;
}

// A full history with "make room" on, its oldest clip a picture that waits in the paste queue: a
// new picture takes that number, the queue no longer names it, Ctrl+Alt+Q pastes the next queued
// clip (and records its use), and the new picture keeps its own thumbnail.
TEST_F(NothingLostTest, MakingRoomIsARemoval) {
    ASSERT_NO_FATAL_FAILURE(writeFullHistory(true));
    ASSERT_TRUE(store::appendToPasteQueue(m_store.paths().statusFile(), {1, 2}));
    const std::string usedBefore = storeValue(storeIndexPath(), "his2--usetime");
    setUserSwitch(L"RestoreLastRun", true);
    setUserSwitch(L"MakeRoomWhenFull", true);
    start();
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == static_cast<std::size_t>(store::kMaxHistoryNumber); }, 30s));
    const std::size_t mark = m_log.mark();
    ASSERT_TRUE(putClipboard({{CF_BITMAP, pictureOf(48, 32, RGB(200, 40, 40))}}));
    ASSERT_TRUE(pumpUntil([&] { return m_log.has("recorded as his1- in place of the oldest unfiled clip", mark); }, 15s))
        << m_log.text();
    EXPECT_TRUE(pumpUntil([&] { return storeValue(storeStatusPath(), "PasteQueue") == "2"; }, 5s));
    EXPECT_TRUE(m_app->waitForRows([](const auto& rows) {
        return std::any_of(rows.begin(), rows.end(), [](const ListRow& row) { return row.number == L"1" && row.content == L"picture:size 48*32"; });
    }));
    const std::string thumbnail = readStoredBytes(m_store.paths().thumbnailFile("his1-"));
    EXPECT_EQ(thumbnail.substr(0, 2), "BM");
    EXPECT_NE(readStoredBytes(m_store.paths().bitmapFile("his1-")), m_oldPicture);

    const Target target(L"Queue after room", L"");
    ASSERT_TRUE(target.focus());
    typeChord({VK_CONTROL, VK_MENU}, 'Q', 80);
    EXPECT_TRUE(pumpUntil([&] { return target.text() == L"clip 2"; }, 10s)) << base::toUtf8(target.text());
    EXPECT_TRUE(pumpUntil([&] { return storeValue(storeStatusPath(), "PasteQueue").empty(); }, 5s));
    EXPECT_TRUE(pumpUntil([&] { return storeValue(storeIndexPath(), "his2--usetime") != usedBefore; }, 5s));
}

// A restored start whose clipboard holds the history's newest text (the last run's last copy): no
// new row; a different text is one.
TEST_F(NothingLostTest, ARestoredStartIsTheLastRunNotANewCopy) {
    setUserSwitch(L"RestoreLastRun", true);
    putClipboard({});
    start();
    record(L"an older copy");
    record(L"the last copy of the run");
    m_app.reset();  // ended as by a crash; the clipboard still holds the last copy
    ASSERT_TRUE(clipboardHoldsText(L"the last copy of the run"));
    start();
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 2; }));
    EXPECT_TRUE(expectNothingFor(1500ms, [&] { return m_app->rowCount() != 2; }));
    m_app.reset();
    ASSERT_TRUE(putClipboardText(L"copied while the program was not running"));
    start();
    EXPECT_TRUE(m_app->waitForRows([](const auto& rows) {
        return rows.size() == 3 && rowsHolding(rows, L"copied while the program was not running") == 1;
    }));
}

// A data file that another program holds open without sharing (a scanner, an editor): a slot copy
// over it keeps the slot's old clip, a history copy that would take its name is not recorded, both
// said in the trace and the tray, and no record names bytes it does not have. Let go, it all works.
TEST_F(NothingLostTest, AHeldDataFileFailsTheFilingAndChangesNothing) {
    start();
    Target target(L"Held file target", L"");
    ASSERT_TRUE(target.setTextAndSelectAll(L"the slot's old clip"));
    typeChord({VK_CONTROL}, '5', 80);
    ASSERT_TRUE(pumpUntil([] { return storedClipText("copy5") == L"the slot's old clip"; }, 10s));
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 1; }));
    const auto holdOpen = [](const std::string& path) {
        return base::UniqueFile(CreateFileW(base::toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    };
    std::size_t mark = m_log.mark();
    {
        const base::UniqueFile held = holdOpen(m_store.paths().dataFile("copy50"));
        ASSERT_TRUE(held);
        ASSERT_TRUE(target.setTextAndSelectAll(L"a new clip that cannot be stored"));
        typeChord({VK_CONTROL}, '5', 80);
        EXPECT_TRUE(pumpUntil([&] { return m_log.has("slot copy not stored", mark); }, 15s)) << m_log.text();
        EXPECT_TRUE(pumpUntil([&] { return m_log.has("tray balloon: store not written", mark); }, 5s));
    }
    EXPECT_EQ(storedClipText("copy5"), L"the slot's old clip");
    EXPECT_TRUE(expectNothingFor(300ms, [&] { return m_app->rowCount() != 1; }));

    mark = m_log.mark();
    {
        const base::UniqueFile held = holdOpen(m_store.paths().dataFile("his2-0"));
        ASSERT_TRUE(held);
        ASSERT_TRUE(putClipboardText(L"a copy whose file is held"));
        EXPECT_TRUE(pumpUntil([&] { return m_log.has("copy not recorded: store not written", mark); }, 15s)) << m_log.text();
    }
    EXPECT_EQ(m_app->rowCount(), 1);
    EXPECT_TRUE(storeValue(storeIndexPath(), "his2-0").empty());
    EXPECT_TRUE(pumpUntil([&] { return m_log.lastLineWith("tray tooltip:").find("未能记录：2") != std::string::npos; }, 5s))
        << m_log.lastLineWith("tray tooltip:");
    record(L"recorded once the file is let go");
    EXPECT_TRUE(historyHolds(2, L"recorded once the file is let go"));
}

// With the restore at a start on and a full history, "打开上次的记录" and Open sent as soon as the
// window is up: each waits for the run being kept, the newest kept run holds the run before
// (and nothing copied after the start), and what opened is what the list shows.
TEST_F(NothingLostTest, FileCommandsWaitForTheRunBeingKept) {
    const std::string archive = m_dir.path("three clips.amc");
    {
        store::CSysClipBoard other(m_dir.path("other store"));
        for (const wchar_t* text : {L"archived one", L"archived two", L"archived three"}) {
            store::ClipSnapshot snapshot;
            snapshot.formats = {{0, store::kFormatUnicodeText, utf16Bytes(text)}};
            ASSERT_EQ(other.fileHistoryRecord(snapshot, "2026-12-02 10:00:00").outcome, store::FiledRecord::Outcome::Filed);
        }
        ASSERT_EQ(other.saveArchive(archive, nullptr), store::ArchiveResult::Done);
    }
    ASSERT_NO_FATAL_FAILURE(writeFullHistory(false));
    setUserSwitch(L"RestoreLastRun", true);
    start();
    PostMessageW(m_app->mainWindow(), WM_COMMAND, kOpenLastRun, 0);
    ASSERT_TRUE(pumpUntil([&] { return m_log.has("archive command 2 done: 0"); }, 60s)) << m_log.text();
    EXPECT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == static_cast<std::size_t>(store::kMaxHistoryNumber); }, 30s));
    ASSERT_NO_FATAL_FAILURE(openThroughDialog(archive));
    EXPECT_TRUE(m_app->waitForRows([](const auto& rows) {
        return rows.size() == 3 && rowsHolding(rows, L"archived two") == 1;
    }, 30s));
    const std::string newest = m_store.newestKeptRun();
    ASSERT_FALSE(newest.empty());
    xml::XmlDocument run;
    ASSERT_TRUE(run.loadFile(newest));
    int clips = 0;
    for (const store::RootElement& element : store::rootElements(run))
        clips += element.name.size() > 2 && element.name.compare(element.name.size() - 2, 2, "-0") == 0;
    EXPECT_EQ(clips, store::kMaxHistoryNumber);
}

// AltGr types characters on many layouts (German "@" is AltGr+Q, "{" AltGr+7): a right Alt with the
// left Ctrl Windows adds to it makes no chord, and the keys reach the program; a left Ctrl with a
// left Alt still pastes the queue's head.
TEST_F(NothingLostTest, AltGrIsNeverAChord) {
    start();
    record(L"queued for the left keys");
    ASSERT_TRUE(store::appendToPasteQueue(m_store.paths().statusFile(), {1}));
    const std::string keys = m_dir.path("altgr keys.log");
    const Target target(L"AltGr target", L"", L"DravixEditTarget", base::toWide(keys));
    ASSERT_TRUE(target.focus());
    const std::size_t mark = m_log.mark();
    sendKeys({{VK_LCONTROL, false}, {VK_RMENU, false}});
    letTimePass(80ms);
    for (const WORD key : {WORD{'Q'}, WORD{'7'}}) {
        sendKeys({{key, false}});
        letTimePass(40ms);
        sendKeys({{key, true}});
        letTimePass(80ms);
    }
    sendKeys({{VK_RMENU, true}, {VK_LCONTROL, true}});
    EXPECT_TRUE(pumpUntil([&] {
        const std::string log = readBytes(keys);
        return log.find("down 81") != std::string::npos && log.find("down 55") != std::string::npos;
    }, 5s)) << readBytes(keys);
    EXPECT_TRUE(expectNothingFor(500ms, [&] { return m_log.has("chord", mark) || target.text() != L""; })) << m_log.text();

    typeChord({VK_LCONTROL, VK_LMENU}, 'Q', 80);
    EXPECT_TRUE(pumpUntil([&] { return target.text() == L"queued for the left keys"; }, 10s)) << base::toUtf8(target.text());
}

}  // namespace
