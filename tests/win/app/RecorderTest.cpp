// The history with the real dravix.exe and the other programs of a user's desktop: every copy
// becomes one row whatever those programs do to the clipboard or the viewer chain, the window
// keeps answering meanwhile, and the run before a restart is kept.
#include "DravixAppTest.h"

#include "store/ClipNames.h"
#include "store/SysClipBoard.h"
#include "store/Text.h"
#include "WinTestSupport.h"
#include "base/Handle.h"
#include "base/Text.h"

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// How long the main window took to answer, asked every 20 ms from a thread of its own while it
// lives.
class AnswerWatch {
public:
    explicit AnswerWatch(HWND window)
        : m_thread([this, window] {
              while (!m_done) {
                  const auto asked = Clock::now();
                  DWORD_PTR ignored = 0;
                  if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored))
                      ++m_unanswered;
                  const long long waited =
                      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - asked).count();
                  if (waited > m_longestMs)
                      m_longestMs = waited;
                  letTimePass(20ms);  // the next question
              }
          }) {}
    ~AnswerWatch() { stop(); }
    void stop() {
        m_done = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    // The longest wait since the last time it was asked.
    long long takeLongestMs() { return m_longestMs.exchange(0); }
    int unanswered() const { return m_unanswered; }

private:
    std::atomic<bool> m_done{false};
    std::atomic<long long> m_longestMs{0};
    std::atomic<int> m_unanswered{0};
    std::thread m_thread;
};

// The window never waits for another program: a clipboard's owner that holds it (1.5 s) or never
// answers (15 s) is the recorder's to wait for, on a thread of its own, and a wait of the window's
// for it would last over a second. A window merely busy (hundreds of rows to show, another
// session's tests on the same processors) answers well within it.
constexpr long long kWindowNeverWaitedMs = 1000;

// The characters of a row's text that the test reads across processes (DravixProcess::rows).
constexpr std::size_t kRowTextRead = 999;

// The threads of a process, counted by the system.
int threadCount(DWORD process) {
    base::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry))
        count += entry.th32OwnerProcessID == process ? 1 : 0;
    return count;
}

bool holdAll(const std::vector<ListRow>& rows, const std::vector<std::wstring>& texts) {
    for (const std::wstring& text : texts)
        if (rowsHolding(rows, text) == 0)
            return false;
    return true;
}

// Copies typed by a person: one at a time, a little apart.
std::vector<std::wstring> copyFive(const std::wstring& prefix) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < 5; ++i) {
        texts.push_back(prefix + L" " + std::to_wstring(i));
        putClipboardText(texts.back());
        letTimePass(100ms);  // a person's pace between two copies
    }
    return texts;
}

class RecorderTest : public DravixAppTest {};

TEST_F(RecorderTest, EveryCopyBecomesOneRowWhateverTheOtherProgramsDo) {
    AnswerWatch watch(m_app->mainWindow());
    std::unique_ptr<ClipSource> brokenViewer;
    struct Scenario {
        const char* name;
        std::function<std::vector<std::wstring>()> copies;  // the texts each must become one row
    };
    const Scenario scenarios[] = {
        {"a viewer joined after us passes nothing on",
         [&] {
             brokenViewer = std::make_unique<ClipSource>(L"viewer");
             EXPECT_TRUE(brokenViewer->ready());
             return copyFive(L"after a broken viewer");
         }},
        {"that viewer ended without leaving the chain",
         [&] {
             brokenViewer->kill();
             return copyFive(L"after the viewer crashed");
         }},
        {"the source holds the clipboard 300 ms", [] {
             ClipSource source(L"hold \"held 300 ms\" 300");
             return std::vector<std::wstring>{L"held 300 ms"};
         }},
        {"the source holds the clipboard 1500 ms", [] {
             ClipSource source(L"hold \"held 1500 ms\" 1500");
             return std::vector<std::wstring>{L"held 1500 ms"};
         }},
        {"data rendered on request", [this] {
             ClipSource source(L"delayed \"rendered on request\" 0");
             EXPECT_TRUE(m_app->waitForRows([](const auto& rows) { return rowsHolding(rows, L"rendered on request"); }));
             return std::vector<std::wstring>{L"rendered on request"};
         }},
        {"a source that stops answering, then a copy elsewhere",
         [this] {
             const std::size_t mark = m_log.mark();
             const int missedBefore = missedInTooltip();
             ClipSource hung(L"delayed \"never handed out\" 15000");
             // While it does not answer, nothing of it is recorded and the window answers.
             EXPECT_TRUE(expectNothingFor(1500ms, [&] { return rowsHolding(m_app->rows(), L"never handed out") > 0; }));
             hung.kill();
             // The clipboard of a program that died is emptied behind it: the copy is made again
             // until it holds.
             int puts = 0;
             EXPECT_TRUE(pumpUntil([&] { return ++puts && putClipboardText(L"after the hung source") && clipboardHoldsText(L"after the hung source"); }, 5s));
             EXPECT_TRUE(pumpUntil([&] { return m_log.has("copy not recorded: source not answering", mark); }, 30s))
                 << m_log.text();
             EXPECT_TRUE(pumpUntil([&] { return m_log.has("tray balloon: source not answering", mark); }, 5s));
             // Emptied behind the program that died: a change of the clipboard, but no copy missed;
             // a put that the emptying replaced before it was read is one.
             EXPECT_TRUE(m_app->waitForRows([](const auto& rows) { return rowsHolding(rows, L"after the hung source"); }));
             EXPECT_GE(missedInTooltip() - missedBefore, 1) << m_log.text();
             EXPECT_LE(missedInTooltip() - missedBefore, puts) << m_log.text();
             return std::vector<std::wstring>{L"after the hung source"};
         }},
        {"a 20 MB text", [] {
             const std::wstring large = L"twenty megabytes " + std::wstring(10 * 1024 * 1024 - 17, L'x');
             EXPECT_TRUE(putClipboardText(large));
             return std::vector<std::wstring>{large.substr(0, kRowTextRead)};
         }},
    };
    std::vector<std::wstring> all;
    for (const Scenario& scenario : scenarios) {
        SCOPED_TRACE(scenario.name);
        const int rowsBefore = m_app->rowCount();
        const std::vector<std::wstring> texts = scenario.copies();
        all.insert(all.end(), texts.begin(), texts.end());
        // Counted first: reading hundreds of rows across processes keeps the window busy. From
        // this scenario's start, so that a copy missed earlier fails once, not every scenario after.
        EXPECT_TRUE(pumpUntil([&] { return m_app->rowCount() >= rowsBefore + static_cast<int>(texts.size()); }, 60s));
        EXPECT_TRUE(holdAll(m_app->rows(), texts));
        const long long waited = watch.takeLongestMs();
        std::printf("%s: the main window's longest wait for an answer %lld ms\n", scenario.name, waited);
        EXPECT_LT(waited, kWindowNeverWaitedMs);
    }
    // 300 copies 40 ms apart: each one row, or counted as missed and shown (a copy the next one
    // replaced while the reader had no processor, on a loaded machine, can be read by no one).
    // No program holds the clipboard here, and the test's own reads of hundreds of rows, each a
    // message the window answers in turn, keep it busy: it only has to go on answering.
    const int burstCopies = 300;
    const int missedBefore = missedInTooltip();
    {
        ClipSource burst(L"burst burst " + std::to_wstring(burstCopies) + L" 40");
        EXPECT_TRUE(burst.ready());
    }
    const BurstOutcome burst = settleBurst(L"burst", burstCopies, 60s, missedBefore);
    EXPECT_EQ(burst.repeated, 0) << burst.notOnce;
    EXPECT_GE(burst.missed, burstCopies - burst.recorded) << burst.tooltip << "; copy:rows" << burst.notOnce;
    EXPECT_GE(burst.recorded, burstCopies * 9 / 10);
    watch.stop();
    const std::vector<ListRow>& rows = burst.rows;
    for (const std::wstring& text : all)
        EXPECT_EQ(rowsHolding(rows, text), 1u) << base::toUtf8(text);
    EXPECT_EQ(rows.size(), all.size() + static_cast<std::size_t>(burst.recorded));
    for (const ListRow& row : rows)
        EXPECT_TRUE(std::find(all.begin(), all.end(), row.content) != all.end() || row.content.rfind(L"burst ", 0) == 0)
            << "a row nobody copied: " << base::toUtf8(row.content);
    std::printf("the burst: the main window's longest wait for an answer %lld ms\n", watch.takeLongestMs());
    EXPECT_EQ(watch.unanswered(), 0);
}

// A program that copies, opens the clipboard again at once and writes over its copy before it lets
// go: the first copy cannot be read while its writer holds the clipboard (unless the recorder was
// quicker than the reopening), and is counted as missed; the second is a row.
TEST_F(RecorderTest, ACopyItsWriterReplacesBeforeLettingGoIsCounted) {
    {
        ClipSource source(L"rewrite \"written over\" 300 1500");
        ASSERT_TRUE(source.ready());
    }
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rowsHolding(rows, L"written over again") == 1; }));
    const bool firstRead = rowsHolding(m_app->rows(), L"written over") == 1;
    EXPECT_TRUE(pumpUntil([&] { return missedInTooltip() == (firstRead ? 0 : 1); }, 5s)) << m_log.text();
    EXPECT_TRUE(expectNothingFor(500ms, [&] { return missedInTooltip() != (firstRead ? 0 : 1); }));
    EXPECT_EQ(m_app->rowCount(), firstRead ? 2 : 1);
}

// A program busy after a copy (it does not answer for three seconds): what it put on the clipboard
// is a row (at once on Windows; Wine's own clipboard opening waits for the owner's answer); a
// program that promised its data and is busy makes its copy wait, counted in the tray's tooltip,
// until it answers. Nothing is counted as missed.
TEST_F(RecorderTest, ACopyWhoseSourceIsBusyIsRecordedOnceItAnswers) {
    const std::size_t mark = m_log.mark();
    {
        ClipSource busy(L"busy \"put by a busy program\" 3000");
        ASSERT_TRUE(busy.ready());
        EXPECT_TRUE(m_app->waitForRows([](const auto& rows) { return rowsHolding(rows, L"put by a busy program") == 1; }, 30s));
    }
    ClipSource promised(L"delayed \"promised by a busy program\" 3000");
    ASSERT_TRUE(promised.ready());
    EXPECT_TRUE(pumpUntil([&] { return m_log.has("等待中：1", mark); }, 10s)) << m_log.text();
    EXPECT_TRUE(m_app->waitForRows(
        [](const auto& rows) { return rowsHolding(rows, L"promised by a busy program") == 1; }, 30s));
    EXPECT_TRUE(pumpUntil([&] { return m_log.lastLineWith("tray tooltip:").find("等待中") == std::string::npos; }, 5s));
    EXPECT_FALSE(m_log.has("copy not recorded", mark));
    EXPECT_EQ(m_app->rowCount(), 2);
}

// A program that answers, then hangs ten seconds inside the request for its promised data: the
// recorder holds the clipboard open for less than a second, another program then opens it (under
// Wine every opening waits up to five seconds for a hung owner, whoever held the clipboard), and
// that program's copy is a row (under Wine once the hung request returns: the clipboard calls of
// one process wait for each other there).
TEST_F(RecorderTest, ASourceThatHangsWhileItRendersLetsTheClipboardGo) {
    const std::size_t mark = m_log.mark();
    const auto heldByTheProgram = [this] {
        DWORD process = 0;
        GetWindowThreadProcessId(GetOpenClipboardWindow(), &process);
        return process == m_app->processId();
    };
    ClipSource hung(L"renderhang \"rendered after ten seconds\" 10000");
    ASSERT_TRUE(hung.ready());
    ASSERT_TRUE(pumpUntil(heldByTheProgram, 10s)) << m_log.text();
    const auto opened = std::chrono::steady_clock::now();
    ASSERT_TRUE(pumpUntil([&] { return !heldByTheProgram(); }, 10s));
    EXPECT_LT(std::chrono::steady_clock::now() - opened, 1s);
    EXPECT_TRUE(pumpUntil([&] { return m_log.has("a go held up in a request for data", mark); }, 5s)) << m_log.text();
    EXPECT_TRUE(pumpUntil([] { return OpenClipboard(nullptr) && CloseClipboard(); }, 10s));
    ASSERT_TRUE(putClipboardText(L"copied while the other program renders"));
    EXPECT_TRUE(m_app->waitForRows(
        [](const auto& rows) { return rowsHolding(rows, L"copied while the other program renders") == 1; }, 30s));
}

// A program that promised its data and then hangs for fifteen seconds: the clipboard is free for
// others meanwhile, another program's copy is a row (on Windows at once, in a new worker; under
// Wine once the hung request returns, since one process's requests for clipboard data wait for
// each other there), no thread of the recorder is left behind, and the hung copy counts as missed.
TEST_F(RecorderTest, AHungSourceHoldsNeitherTheRecorderNorTheClipboard) {
    record(L"before the hung source");
    const int threadsBefore = threadCount(m_app->processId());
    const std::size_t mark = m_log.mark();
    ClipSource hung(L"delayed \"promised, then hung\" 15000");
    ASSERT_TRUE(hung.ready());
    ASSERT_TRUE(pumpUntil([&] { return m_log.has("clipboard source not answering: waiting", mark); }, 10s));
    // Another program opens the clipboard meanwhile (Wine itself makes it wait for the hung owner
    // up to five seconds, whoever holds the clipboard).
    EXPECT_TRUE(pumpUntil([] { return OpenClipboard(nullptr) && CloseClipboard(); }, 10s));
    ASSERT_TRUE(putClipboardText(L"copied while another program hangs"));
    EXPECT_TRUE(m_app->waitForRows(
        [](const auto& rows) { return rowsHolding(rows, L"copied while another program hangs") == 1; }, 30s));
    EXPECT_TRUE(pumpUntil([&] { return m_log.has("copy not recorded: source not answering", mark); }, 5s));
    // A worker held up opening the clipboard for the hung owner ends once Wine lets it go.
    EXPECT_TRUE(pumpUntil([&] { return threadCount(m_app->processId()) <= threadsBefore; }, 10s));
    EXPECT_EQ(m_app->rowCount(), 2);
}

// With the budget of a copy lowered to 1 MB for this run: a copy over it is recorded with its
// text, one whose text alone is over it is refused with the balloon, and the window answers
// throughout.
class RecorderBudgetTest : public DravixAppTest {
protected:
    RecorderBudgetTest() : DravixAppTest(Start::ByTheTest) {}
    void SetUp() override {
        DravixAppTest::SetUp();
        SetEnvironmentVariableW(L"DRAVIX_CLIP_BUDGET_MB", L"1");
        start();
        SetEnvironmentVariableW(L"DRAVIX_CLIP_BUDGET_MB", nullptr);
    }
};

TEST_F(RecorderBudgetTest, ACopyOverTheBudgetKeepsItsTextOrIsRefused) {
    AnswerWatch watch(m_app->mainWindow());
    const UINT bulk = RegisterClipboardFormatW(L"Dravix test bulk");
    const std::string twoMegabytes(2 * 1024 * 1024, 'b');
    const std::wstring text = L"a text beside two megabytes";
    const std::size_t mark = m_log.mark();
    ASSERT_TRUE(putClipboard({{CF_UNICODETEXT, globalFrom(text.c_str(), (text.size() + 1) * sizeof(wchar_t))},
                              {bulk, globalFrom(twoMegabytes.data(), twoMegabytes.size())}}));
    ASSERT_TRUE(m_app->waitForRows([&](const auto& rows) { return rowsHolding(rows, text) == 1; }));
    EXPECT_TRUE(m_log.has("clipboard copied without 1 formats (2 MB): over the budget of 1 MB", mark)) << m_log.text();
    EXPECT_TRUE(pumpUntil([&] { return m_log.has("tray balloon: copy recorded in part", mark); }, 5s));
    EXPECT_EQ(storedClipText("his1-"), text);
    for (const auto& [name, value] : storeElements(storeIndexPath()))
        EXPECT_NE(value, std::to_string(bulk)) << name << ": the format over the budget was stored";

    const std::wstring tooLong(1200 * 1024, L'y');  // every text form of it is over 1 MB
    ASSERT_TRUE(putClipboardText(tooLong));
    EXPECT_TRUE(pumpUntil([&] { return m_log.has("copy not recorded: copy too large", mark); }, 10s));
    EXPECT_TRUE(pumpUntil([&] { return m_log.has("tray balloon: copy too large", mark); }, 5s));
    record(L"after the refused copy");
    EXPECT_EQ(m_app->rowCount(), 2);
    watch.stop();
    EXPECT_EQ(watch.unanswered(), 0);
    EXPECT_LT(watch.takeLongestMs(), kWindowNeverWaitedMs);
}

// Slot copies in target windows while another program copies 40 ms apart: every copy of that
// program is one row with its own text (or, when it was replaced unread, counted as missed), every
// slot copy is one row too and lands in its slot, and no record holds another's data. The hook
// library's own changes (the target's answers to its copy chords) are no rows of their own.
TEST_F(RecorderTest, SlotCopiesWhileAnotherProgramCopiesLoseNothing) {
    const int copies = 400;
    std::unique_ptr<ClipSource> burst;
    std::thread starter([&] { burst = std::make_unique<ClipSource>(L"burst race " + std::to_wstring(copies) + L" 40"); });
    const Target window(L"Race window", L"");
    const Target dialog(L"Race dialog", L"", L"#dialog");
    const int gaps[] = {20, 80, 150, 300};
    std::vector<std::wstring> slotTexts;
    for (int round = 0; round < 2; ++round)
        for (WORD digit = '0'; digit <= '9'; ++digit) {
            const Target& target = digit % 2 ? window : dialog;
            const std::wstring text = L"slot " + std::to_wstring(digit - '0') + L" round " + std::to_wstring(round);
            SCOPED_TRACE(base::toUtf8(text));
            ASSERT_TRUE(target.setTextAndSelectAll(text));
            typeChord({VK_CONTROL}, digit, gaps[(digit + round) % 4]);
            EXPECT_TRUE(pumpUntil([&] { return storedClipText(std::string("copy") + static_cast<char>(digit)) == text; }, 8s));
            slotTexts.push_back(text);
        }
    starter.join();  // the burst has ended
    ASSERT_TRUE(burst && burst->ready());
    // Each of the other program's copies is one row, or counted as missed and shown: a copy the
    // next one replaced while the reader had no processor (a loaded machine) can be read by no one.
    const BurstOutcome race = settleBurst(L"race", copies, 60s);
    const std::vector<ListRow>& rows = race.rows;
    EXPECT_EQ(race.repeated, 0) << race.notOnce;
    EXPECT_GE(race.missed, copies - race.recorded) << race.tooltip << "; copy:rows" << race.notOnce;
    EXPECT_GE(race.recorded, copies * 9 / 10);
    for (const std::wstring& text : slotTexts)
        EXPECT_EQ(rowsHolding(rows, text), 1u) << base::toUtf8(text);
    EXPECT_EQ(rows.size(), slotTexts.size() + static_cast<std::size_t>(race.recorded));
    for (const ListRow& row : rows)
        EXPECT_EQ(storedClipText("his" + base::toUtf8(row.number) + "-"), row.content) << "record " << base::toUtf8(row.number);
    for (WORD digit = '0'; digit <= '9'; ++digit)
        EXPECT_EQ(storedClipText(std::string("copy") + static_cast<char>(digit)),
                  L"slot " + std::to_wstring(digit - '0') + L" round 1");
}

// Three copies, the program killed, started again: the list starts empty, and the last run
// comes back with its data, its category and the program each copy came from. (KeptRunsTest
// starts the program eleven times.)
TEST_F(RecorderTest, ThePreviousRunIsKeptAndOpensAgain) {
    const store::CSysClipBoard store(store::userStoreFolder());
    // The start keeps the run before it (and indexes it) in its own thread, in the runs folder.
    ASSERT_TRUE(pumpUntil([&] { return m_log.has("the run kept: archive commands may run"); }, 30s));
    fs::remove_all(fs::u8path(store.runsFolder()));
    for (const wchar_t* text : {L"kept one", L"kept two", L"kept three"})
        record(text);
    store.setValue("Work", store::kCategoryListName, 0);
    store.setCategory("Work", "his2");
    m_app.reset();  // killed, as by a crash

    putClipboard({});  // nothing to record at the start
    m_app = std::make_unique<DravixProcess>();
    ASSERT_TRUE(m_app->waitForMainWindow());
    EXPECT_TRUE(m_app->rows().empty());

    PostMessageW(m_app->mainWindow(), WM_COMMAND, 32801, 0);  // File > open the last run
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) {
        return rows.size() == 2 && rowsHolding(rows, L"kept one") && rowsHolding(rows, L"kept three");
    }));
    ASSERT_TRUE(pumpUntil([&] { return m_app->treeText(4) == L"Work"; }, 5s));
    m_app->selectTreeNode(4);
    EXPECT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 1 && rows[0].content == L"kept two"; }));
    EXPECT_EQ(storedClipText("his2-"), L"kept two");
    const std::string source = storeValue(storeIndexPath(), "his2--source");
    EXPECT_NE(store::asciiLower(source).find("app_tests_win.exe"), std::string::npos) << source;
}

}  // namespace
