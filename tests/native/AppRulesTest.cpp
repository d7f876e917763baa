// The main program's plain decisions: program folder, names, picture fitting and store views.
#include "store/ClipBudget.h"
#include "store/ClipNames.h"
#include "app/ClipRules.h"
#include "ui/PictureFit.h"
#include "app/recorder/RecordRules.h"
#include "store/StoreDocument.h"
#include "app/StoreView.h"
#include "xml/XmlDocument.h"
#include "xml/XmlText.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using xml::XmlDocument;

namespace {

using namespace app;
using namespace app::recorder;

TEST(AppRules, ProgramFolderDropsTheExecutableName) {
    EXPECT_EQ(app::programFolder(u"C:\\Program Files\\Dravix\\Dravix.EXE"), u"c:\\program files\\dravix\\");
    EXPECT_EQ(app::programFolder(u"C:\\Tools\\other.exe"), u"c:\\tools\\other.exe");
    EXPECT_EQ(app::programFolder(u"D:\\dravix.exe\\dravix.exe"), u"d:\\\\");
}

TEST(AppRules, PictureRowsGiveTheirSize) {
    EXPECT_EQ(pictureContent(37, 20), "picture:size 37*20");
}

// Windows refuses our keys to a window of a higher integrity level (run as administrator), and a
// process we may not even query is taken to be one; an unknown level does not stop a paste.
TEST(AppRules, APasteIntoAnElevatedWindowWaitsOnTheClipboard) {
    constexpr std::uint32_t medium = 0x2000, high = 0x3000;
    EXPECT_EQ(pasteRoute({true, medium}, medium), PasteRoute::Keys);
    EXPECT_EQ(pasteRoute({true, 0x1000}, medium), PasteRoute::Keys);
    EXPECT_EQ(pasteRoute({true, high}, medium), PasteRoute::ClipboardOnly);
    EXPECT_EQ(pasteRoute({false, std::nullopt}, medium), PasteRoute::ClipboardOnly);
    EXPECT_EQ(pasteRoute({true, std::nullopt}, medium), PasteRoute::Keys);
    EXPECT_EQ(pasteRoute({true, high}, std::nullopt), PasteRoute::Keys);
    EXPECT_EQ(pasteRoute({true, high}, high), PasteRoute::Keys);
}

TEST(AppRules, TaskbarsTheDesktopAndTooltipsTakeNoPaste) {
    for (const char* shell : {"Shell_TrayWnd", "shell_secondarytraywnd", "__winex11_standalone_tray", "Progman",
                              "WorkerW", "tooltips_class32"})
        EXPECT_FALSE(app::isPasteTargetClass(shell)) << shell;
    for (const char* program : {"Edit", "Notepad", "Chrome_WidgetWin_1", "MyWorkerWindow"})
        EXPECT_TRUE(app::isPasteTargetClass(program)) << program;
}

// The first place suits the screen at any scaling; a remembered place is used again only where a
// monitor still shows it.
TEST(AppRules, TheWindowsFirstPlaceAndARememberedOne) {
    const Box hd{0, 0, 1920, 1040};
    const Box first = firstWindowBox(hd, 606, 472);
    EXPECT_EQ(first.width(), 1280);
    EXPECT_EQ(first.height(), 693);
    EXPECT_EQ(first.left, 320);
    EXPECT_EQ(first.top, 173);
    const Box scaled = firstWindowBox(hd, 1500, 1000);  // the dialog at 150% on a smaller screen's worth
    EXPECT_EQ(scaled.width(), 1500);
    EXPECT_EQ(scaled.height(), 936);  // nine tenths at most
    const Box small = firstWindowBox({100, 0, 900, 600}, 606, 472);
    EXPECT_EQ(small.left, 100 + (800 - 606) / 2);

    const std::vector<Box> monitors = {hd, {1920, 0, 3840, 1040}};
    EXPECT_TRUE(isUsablePlace({100, 100, 900, 700}, monitors, 400, 300));
    EXPECT_TRUE(isUsablePlace({2000, 100, 2800, 700}, monitors, 400, 300));
    EXPECT_FALSE(isUsablePlace({2000, 100, 2800, 700}, {hd}, 400, 300));      // that monitor is gone
    EXPECT_FALSE(isUsablePlace({1800, 900, 2600, 1500}, {hd}, 400, 300));     // mostly off the screen
    EXPECT_FALSE(isUsablePlace({100, 100, 300, 200}, monitors, 400, 300));    // smaller than the dialog
}

TEST(AppRules, PrivateClipboardsByTheirMarks) {
    EXPECT_FALSE(isPrivate({}));
    EXPECT_TRUE(isPrivate({true, false, std::nullopt}));
    EXPECT_TRUE(isPrivate({false, true, std::nullopt}));
    EXPECT_TRUE(isPrivate({false, false, 0u}));
    EXPECT_FALSE(isPrivate({false, false, 1u}));
}

TEST(AppRules, ExcludedProgramsByTheirPathsInAnyCase) {
    const std::vector<std::string> excluded = {"C:\\Tools\\KeePass.exe", "D:\\bank\\client.exe"};
    EXPECT_TRUE(isExcludedProgram(excluded, "C:\\Tools\\KeePass.exe"));
    EXPECT_TRUE(isExcludedProgram(excluded, "c:\\tools\\keepass.EXE"));
    EXPECT_FALSE(isExcludedProgram(excluded, "C:\\Other\\KeePass.exe"));  // the same name elsewhere
    EXPECT_FALSE(isExcludedProgram(excluded, ""));                          // the program is not known
    EXPECT_FALSE(isExcludedProgram({}, "C:\\Tools\\KeePass.exe"));
    EXPECT_EQ(excludeQuestion("C:\\Tools\\KeePass.exe"), u"以后不再记录 KeePass.exe 的复制？");
}

TEST(AppRules, FilterMatchesLatinInAnyCaseAndEverythingElseAsTyped) {
    struct Case {
        std::u16string content, query;
        bool shown;
    };
    const Case cases[] = {
        {u"Hello World", u"", true},
        {u"Hello World", u"WORLD", true},
        {u"Hello World", u"lo w", true},
        {u"Hello World", u"worlds", false},
        {u"CAFÉ au lait", u"café", true},      // Latin-1 letters fold too
        {u"2×3", u"2×3", true},                // the multiplication sign is not a letter
        {u"多重剪贴板：复制的文字", u"剪贴", true},
        {u"多重剪贴板", u"剪切", false},
        {u"ＡＢＣ full width", u"abc", false},  // other letters as typed
        {u"", u"a", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(matchesFilter(c.content, c.query), c.shown)
            << std::string(c.content.begin(), c.content.end());
    const std::vector<std::u16string_view> rows = {u"alpha", u"Beta", u"ALPHABET", u"gamma"};
    EXPECT_EQ(filterRows(rows, u"alpha"), (std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(filterRows(rows, u"BET"), (std::vector<std::size_t>{1, 2}));
    EXPECT_EQ(filterRows(rows, u""), (std::vector<std::size_t>{0, 1, 2, 3}));
}

// At a start with the restore on: silence when the last run came back or there was none; else the
// balloon says why and, where the run lies, where.
TEST(AppRules, WhyTheLastRunDidNotComeBack) {
    struct Case {
        store::KeptRun kept;
        std::optional<store::ArchiveResult> opened;
        const char* says;  // a piece of the text; "" for none
    };
    const Case cases[] = {
        {store::KeptRun::Nothing, std::nullopt, ""},
        {store::KeptRun::Kept, store::ArchiveResult::Done, ""},
        {store::KeptRun::Kept, store::ArchiveResult::ArchiveUnreadable, "它无法读取"},
        {store::KeptRun::Kept, store::ArchiveResult::WriteFailed, "数据无法写入存储文件夹"},
        {store::KeptRun::Kept, store::ArchiveResult::StoreBusy, "存储正被另一个程序使用"},
        {store::KeptRun::Damaged, std::nullopt, "已损坏"},
        {store::KeptRun::Failed, std::nullopt, "没能完整保存"},
    };
    for (const Case& test : cases) {
        store::PreviousRun previous;
        previous.kept = test.kept;
        previous.keptAs = "C:\\Runs\\Dravix-run 2026-12-08 14-03-22.amc";
        const std::string text = lastRunNotRestoredText(previous, test.opened);
        if (*test.says == '\0') {
            EXPECT_EQ(text, "");
            continue;
        }
        EXPECT_NE(text.find(test.says), std::string::npos) << text;
        EXPECT_NE(text.find("本次从空的记录开始"), std::string::npos) << text;
        if (test.kept != store::KeptRun::Failed) {
            EXPECT_NE(text.find(previous.keptAs), std::string::npos) << text;
        }
    }
}

// What the recorder makes of a copy before it is stored: the row of its first part that shows,
// read from memory as the list reads a stored clip; the tries at a held clipboard; the tooltip.
TEST(RecordRules, SnapshotRowsRetriesAndTheTooltip) {
    store::ClipSnapshot snapshot;
    EXPECT_EQ(snapshotRow(snapshot), std::nullopt);
    snapshot.formats = {{0, 49171, "ole"}, {1, 13, std::string("h\0i\0\0\0", 6)}, {2, 1, "hi"}};
    std::optional<PartRow> row = snapshotRow(snapshot);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->kind, kRowText);
    EXPECT_EQ(row->content, u"hi");
    snapshot.formats = {{0, 2, ""}, {1, 8, "dib"}};
    EXPECT_EQ(snapshotRow(snapshot), std::nullopt);  // a bitmap format without its bitmap file
    snapshot.bitmapFile = std::string("BM") + std::string(16, '\0') + std::string("\x40\x00\x00\x00\xE0\xFF\xFF\xFF", 8) +
                          std::string(40, '\0');  // 64 wide, 32 high (top-down)
    row = snapshotRow(snapshot);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->content, u"picture:size 64*32");

    std::chrono::milliseconds quick{0};
    for (int attempt = 0; attempt < 10; ++attempt)
        quick += reopenDelay(attempt);
    EXPECT_GE(quick.count(), 800);
    EXPECT_LE(quick.count(), 1200);
    EXPECT_EQ(reopenDelay(10), reopenDelay(500));

    EXPECT_EQ(trayTooltip(""), u"Dravix\n还没有记录到复制");
    EXPECT_EQ(trayTooltip("2026-12-08 14:03:22"), u"Dravix\n上次记录：14:03:22");
    LastText last;
    EXPECT_FALSE(last.admit(u""));  // nothing yet: the empty text is the last text
    EXPECT_TRUE(last.admit(u"abc"));
    EXPECT_FALSE(last.admit(u"abc"));
    EXPECT_TRUE(last.admit(u"ab"));
    const std::u16string longText(LastText::kWholeUnits + 1, u'x');  // kept as a digest
    std::u16string other = longText;
    other.back() = u'y';
    EXPECT_TRUE(last.admit(longText));
    EXPECT_FALSE(last.admit(longText));
    EXPECT_TRUE(last.admit(other));
    EXPECT_TRUE(last.admit(longText + u'x'));
    last.set(u"abc");
    EXPECT_FALSE(last.admit(u"abc"));
}

// When the recorder asks a clipboard's owner, how long it keeps the clipboard open at a go, when
// a copy that waits is looked at again or given up, and what becomes of one a newer copy replaced.
TEST(RecordRules, OwnersAskedGoesBoundedAndWaitingCopies) {
    EXPECT_FALSE(asksOwner({false, false}));  // nobody can render: what is there is data
    EXPECT_FALSE(asksOwner({true, true}));    // our own windows put data, never promises
    EXPECT_TRUE(asksOwner({true, false}));
    // Data already on the clipboard is read whatever its owner does; only an owner found rendering
    // without answering is waited for.
    EXPECT_FALSE(pingsBeforeGo({true, false}, false));
    EXPECT_TRUE(pingsBeforeGo({true, false}, true));
    EXPECT_FALSE(pingsBeforeGo({false, false}, true));

    using std::chrono::milliseconds;
    EXPECT_TRUE(mayAskAnotherFormat(milliseconds(0)));
    EXPECT_TRUE(mayAskAnotherFormat(kOpenBound - 2 * kSourceAnswerTimeout));
    EXPECT_FALSE(mayAskAnotherFormat(kOpenBound - 2 * kSourceAnswerTimeout + milliseconds(1)));
    EXPECT_LE(kOpenBound.count(), 500);
    EXPECT_FALSE(asksAgain(milliseconds(1)));  // data already on the clipboard
    EXPECT_TRUE(asksAgain(kRenderedOnRequest));
    EXPECT_EQ(kSourceAnswerTimeout.count(), 100);

    for (int attempt : {0, 3, 10, 40})
        EXPECT_EQ(nextLookAfter(Wait::HeldOpen, attempt), reopenDelay(attempt));
    EXPECT_LE(nextLookAfter(Wait::NotAnswering, 0).count(), 200);  // a source that answers again is read soon
    EXPECT_LT(nextLookAfter(Wait::Resumed, 0), nextLookAfter(Wait::NotAnswering, 0));
    EXPECT_LT(nextLookAfter(Wait::GoHeldUp, 0), kOpenBound);
    EXPECT_LE((kOpenBound + kLetGoWait).count(), 1000);  // others can open the clipboard within a second

    const struct {
        std::size_t read;
        milliseconds silent;
        bool givesUp;
    } rests[] = {{0, milliseconds(600000), false}, {2, milliseconds(4999), false}, {2, milliseconds(5000), true}};
    for (const auto& row : rests)
        EXPECT_EQ(givesUpOnRest(row.read, row.silent), row.givesUp) << row.read << " " << row.silent.count();

    const struct {
        ChangeWhileWaiting change;
        bool release;
    } changes[] = {
        {{true, false, true, 1}, true},    // its window went: the formats made of its data
        {{true, false, true, 2}, true},
        {{true, false, true, 3}, false},   // emptied and set again: a newer copy
        {{true, true, true, 1}, false},    // another program owns it now
        {{true, false, false, 1}, false},  // emptied behind a program that ended
        {{false, false, true, 1}, false},  // its owner is still there
    };
    for (const auto& row : changes)
        EXPECT_EQ(isReleaseByOwner(row.change), row.release) << row.change.steps << row.change.hasOwner;
    // A copy caught being made goes on when its writer closes it; another owner, a writer still
    // holding it or an emptied clipboard is a newer change.
    const struct {
        bool sameOwner, stillOpen, holdsFormats;
        bool closed;
    } closes[] = {{true, false, true, true}, {false, false, true, false}, {true, true, true, false}, {true, false, false, false}};
    for (const auto& row : closes) {
        ChangeWhileWaiting change{false, true, row.holdsFormats, 3, true, row.sameOwner, row.stillOpen};
        EXPECT_EQ(isCloseOfCopyBeingMade(change), row.closed) << row.sameOwner << row.stillOpen << row.holdsFormats;
        change.caughtBeingMade = false;
        EXPECT_FALSE(isCloseOfCopyBeingMade(change));
    }

    EXPECT_TRUE(whenReplaced(3, std::nullopt, true).recorded);
    EXPECT_TRUE(whenReplaced(3, MissReason::NotAnswering, true).recorded);
    EXPECT_TRUE(whenReplaced(0, MissReason::HeldOpen, true).missed);
    EXPECT_EQ(whenReplaced(0, MissReason::HeldOpen, true).reason, MissReason::HeldOpen);
    // Replaced before the first look: counted and shown like every other copy not recorded.
    EXPECT_TRUE(whenReplaced(0, std::nullopt, true).missed);
    EXPECT_EQ(whenReplaced(0, std::nullopt, true).reason, MissReason::ReplacedUnread);
    // An emptied clipboard (behind a program that ended) or a copy caught half made is no copy.
    EXPECT_FALSE(whenReplaced(0, std::nullopt, false).missed);
    EXPECT_FALSE(whenReplaced(0, MissReason::HeldOpen, false).missed);
    EXPECT_FALSE(missText(MissReason::ReplacedUnread).empty());
}

// What fits a copy's budget, how many copies wait for the store, and what the tray says.
TEST(RecordRules, BudgetQueueAndWhatTheTraySays) {
    store::ClipSnapshot kept;
    kept.formats = {{0, 13, std::string("h\0i\0\0\0", 6)}};
    EXPECT_FALSE(refusedForBudget(kept, 1));  // its text was kept: recorded without the rest
    kept.formats = {{0, 16, "\x04\x08\0\0"}, {1, 49300, "small"}};
    EXPECT_TRUE(refusedForBudget(kept, 2));   // the text did not fit: nothing to show
    EXPECT_FALSE(refusedForBudget(kept, 0));  // nothing left out: the store decides as for any copy

    const QueueLimits limits = queueLimits(256 * store::kMegabyte);
    EXPECT_EQ(limits.copies, 999u);
    EXPECT_EQ(limits.bytes, 512 * store::kMegabyte);
    const struct {
        std::size_t copies, bytes, more;
        bool fits;
    } queues[] = {
        {0, 0, 900 * store::kMegabyte, true},  // a whole copy always fits an empty queue
        {998, 10, 10, true},
        {999, 10, 10, false},
        {1, 500 * store::kMegabyte, 12 * store::kMegabyte, true},
        {1, 500 * store::kMegabyte, 12 * store::kMegabyte + 1, false},
    };
    for (const auto& row : queues)
        EXPECT_EQ(mayQueue(row.copies, row.bytes, row.more, limits), row.fits) << row.copies << " " << row.more;

    EXPECT_EQ(trayTooltip("", 1), u"Dravix\n还没有记录到复制\n等待中：1");
    EXPECT_EQ(trayTooltip("2026-12-08 14:03:22", 2), u"Dravix\n上次记录：14:03:22\n等待中：2");
    EXPECT_EQ(trayTooltip("2026-12-08 14:03:22", 0), u"Dravix\n上次记录：14:03:22");
    std::set<std::string_view> texts, names;
    for (MissReason reason : {MissReason::HeldOpen, MissReason::NotAnswering, MissReason::StoreFailed,
                              MissReason::TooLarge, MissReason::QueueFull}) {
        EXPECT_TRUE(texts.insert(missText(reason)).second);
        EXPECT_TRUE(names.insert(missName(reason)).second);
    }
}

TEST(PreviewFit, WorkedExamples) {
    ui::PictureFit fit;
    ASSERT_TRUE(ui::fitPicture(400, 300, 800, 200, fit));
    EXPECT_EQ(fit.width, 400);
    EXPECT_EQ(fit.height, 100);
    EXPECT_EQ(fit.x, 0);
    EXPECT_EQ(fit.y, 100);
    ASSERT_TRUE(ui::fitPicture(400, 300, 200, 800, fit));
    EXPECT_EQ(fit.width, 75);
    EXPECT_EQ(fit.height, 300);
    EXPECT_EQ(fit.x, 162);
    EXPECT_EQ(fit.y, 0);
    ASSERT_TRUE(ui::fitPicture(400, 300, 40, 30, fit));  // smaller: own size, centred
    EXPECT_EQ(fit.width, 40);
    EXPECT_EQ(fit.height, 30);
    EXPECT_EQ(fit.x, 180);
    EXPECT_EQ(fit.y, 135);
    EXPECT_FALSE(ui::fitPicture(400, 300, 0, 30, fit));
    ASSERT_TRUE(ui::fitPicture(400, 300, 100000, 100000, fit));
    EXPECT_EQ(fit.height, 300);
}

// Data files as a map: element name -> text, record name -> picture size, element -> path.
class MapReader : public RecordReader {
public:
    std::map<std::string, std::u16string> texts, files;
    std::map<std::string, std::pair<int, int>> pictures;
    std::optional<std::u16string> text(const std::string& element, int) override { return find(texts, element); }
    std::optional<std::pair<int, int>> pictureSize(const std::string& record) override {
        auto it = pictures.find(record);
        return it == pictures.end() ? std::nullopt : std::optional<std::pair<int, int>>(it->second);
    }
    std::optional<std::u16string> firstFile(const std::string& element) override { return find(files, element); }
    bool unreadable(const std::string& name) const override { return sealedOutOfReach.count(name) > 0; }
    std::set<std::string> sealedOutOfReach;

private:
    static std::optional<std::u16string> find(const std::map<std::string, std::u16string>& map, const std::string& key) {
        auto it = map.find(key);
        return it == map.end() ? std::nullopt : std::optional<std::u16string>(it->second);
    }
};

class StoreViewTest : public ::testing::Test {
protected:
    void clip(const std::string& name, const std::vector<int>& formats, const std::string& time = "2012-05-07 09:03:41") {
        store::appendRootChild(m_doc, store::timeElementName(name), time);
        store::appendRootChild(m_doc, store::useTimeElementName(name), time);
        for (std::size_t i = 0; i < formats.size(); ++i)
            store::appendRootChild(m_doc, store::formatElementName(name, static_cast<int>(i)), std::to_string(formats[i]));
    }
    std::vector<ViewRow> view(ViewNode node, const std::u16string& text) { return buildStoreView(m_doc, node, text, m_reader); }
    XmlDocument m_doc;
    MapReader m_reader;
    void SetUp() override { store::startEmptyStore(m_doc); }
};

TEST_F(StoreViewTest, HistoryRowsOneRecordEachFromTheFirstDisplayablePart) {
    clip("his1-", {13, 16, 1});
    m_reader.texts["his1-0"] = u"first";
    m_reader.texts["his1-2"] = u"ansi";
    clip("his2-", {2, 8});
    m_reader.pictures["his2-"] = {37, 20};
    clip("his3-", {15});
    m_reader.files["his3-0"] = u"C:\\a.txt";
    clip("his4-", {49161});  // nothing displayable
    clip("copy5", {13});
    m_reader.texts["copy50"] = u"slot";
    const auto rows = view(ViewNode::Collection, u"收集");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].content, u"first");
    EXPECT_EQ(rows[0].number, "1");
    EXPECT_EQ(rows[0].kind, kRowText);
    EXPECT_EQ(rows[1].content, u"picture:size 37*20");
    EXPECT_EQ(rows[1].kind, kRowPicture);
    EXPECT_EQ(rows[2].content, u"File:Path\"C:\\a.txt\"");
    EXPECT_EQ(rows[2].kind, kRowFileList);
    EXPECT_EQ(rows[2].copyTime, "2012-05-07 09:03:41");
}

// A clip sealed where this user cannot open it still has its row, saying so (so it is never taken
// for a record with nothing to show, which the window removes); a format never read is not unreadable.
TEST_F(StoreViewTest, AClipSealedOutOfReachShowsAsUnreadable) {
    clip("his1-", {13});
    m_reader.sealedOutOfReach.insert("his1-0");
    clip("his2-", {2});
    m_reader.sealedOutOfReach.insert("his2-");
    clip("his3-", {49161, 13});
    m_reader.sealedOutOfReach.insert("his3-0");
    m_reader.texts["his3-1"] = u"readable";
    const auto rows = view(ViewNode::Collection, u"收集");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].content, xml::utf8ToUtf16(kUnreadableClipText));
    EXPECT_EQ(rows[1].content, xml::utf8ToUtf16(kUnreadableClipText));
    EXPECT_EQ(rows[2].content, u"readable");
}

TEST_F(StoreViewTest, SlotsShowUnderHotkeysWithTheirNumberText) {
    clip("copy5", {2});
    m_reader.pictures["copy5"] = {10, 10};
    clip("his1-", {13});
    m_reader.texts["his1-0"] = u"x";
    const auto rows = view(ViewNode::Hotkeys, u"快捷键");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].number, "ctrl+alt+5");
    EXPECT_EQ(rows[0].kind, kRowPicture);
}

TEST_F(StoreViewTest, CategorisedRecordsMoveToTheirNode) {
    clip("his1-", {13});
    m_reader.texts["his1-0"] = u"filed";
    clip("his2-", {13});
    m_reader.texts["his2-0"] = u"loose";
    ASSERT_TRUE(store::findRootChild(m_doc, "his1--time"));
    m_doc.enterElement();
    m_doc.addElement("his1category", "Work");
    EXPECT_EQ(view(ViewNode::Collection, u"收集").size(), 1u);
    const auto work = view(ViewNode::Other, u"Work");
    ASSERT_EQ(work.size(), 1u);
    EXPECT_EQ(work[0].content, u"filed");
    EXPECT_TRUE(view(ViewNode::Other, u"我的剪贴板").empty());
}

// Each row carries the program of its own record (the element follows the record's times);
// records without one, as every store of earlier versions, show none.
TEST_F(StoreViewTest, RowsCarryTheProgramTheirRecordCameFrom) {
    store::appendRootChild(m_doc, store::timeElementName("his1-"), "2012-05-07 09:03:41");
    store::appendRootChild(m_doc, store::sourceElementName("his1-"), "C:\\Office\\WINWORD.EXE");
    store::appendRootChild(m_doc, store::formatElementName("his1-", 0), "13");
    m_reader.texts["his1-0"] = u"from word";
    clip("his2-", {13});
    m_reader.texts["his2-0"] = u"from nowhere";
    const auto rows = view(ViewNode::Collection, u"收集");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].content, u"from word");
    EXPECT_EQ(rows[0].source, "C:\\Office\\WINWORD.EXE");
    EXPECT_EQ(rows[1].source, "");
    EXPECT_EQ(sourceTip(rows[0].source), u"来自：WINWORD.EXE\r\nC:\\Office\\WINWORD.EXE");
    EXPECT_EQ(sourceTip(rows[1].source), u"");
}

// A restored history goes on from its newest text: the latest copy time, the higher number between
// equal times; pictures and slots are not its text.
TEST_F(StoreViewTest, TheNewestTextOfTheHistoryIsItsLastCopy) {
    EXPECT_FALSE(newestHistoryText(view(ViewNode::Collection, u"收集")));
    clip("his1-", {13}, "2026-12-08 10:00:00");
    m_reader.texts["his1-0"] = u"older";
    clip("his9-", {13}, "2026-12-08 10:00:05");
    m_reader.texts["his9-0"] = u"nine";
    clip("his12-", {13}, "2026-12-08 10:00:05");
    m_reader.texts["his12-0"] = u"twelve, copied in the same second";
    clip("his3-", {2}, "2026-12-08 11:00:00");
    m_reader.pictures["his3-"] = {5, 6};
    const auto rows = view(ViewNode::Collection, u"收集");
    EXPECT_EQ(newestHistoryText(rows), u"twelve, copied in the same second");
}

TEST_F(StoreViewTest, UnreadableTextFallsToALaterPart) {
    clip("his1-", {13, 2});
    m_reader.pictures["his1-"] = {5, 6};
    const auto rows = view(ViewNode::Collection, u"收集");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].kind, kRowPicture);
}

}  // namespace

#include "ui/CategoryRules.h"

namespace {

TEST(CategoryRules, ReservedAndStoredNamesAreTakenInTheirCaseOnly) {
    const std::vector<std::u16string> stored = {u"Work", u" 工作 "};
    using ui::category::NameProblem;
    for (const char16_t* taken : {u"InBox", u"HotKey", u"Work", u" 工作 "})
        EXPECT_EQ(ui::category::checkName(taken, stored), NameProblem::Taken);
    for (const char16_t* free : {u"inbox", u"hotkey", u"work", u"工作", u"", u"A&B <x>"})
        EXPECT_EQ(ui::category::checkName(free, stored), NameProblem::None);
    EXPECT_EQ(ui::category::checkName(std::u16string(255, u'类'), stored), NameProblem::None);
    EXPECT_EQ(ui::category::checkName(std::u16string(256, u'类'), stored), NameProblem::TooLong);
}

}  // namespace
