// "Find anything" over earlier runs: one query over 100 kept runs of 999 clips each (about
// 100,000 rows, texts of 20 to 2,000 characters, Latin and Chinese mixed as people copy them),
// for a word and for a pattern, through the runs' indexes; beside it the floor, a linear scan of
// the same texts already folded in memory (the live list's own rule); and making one run's index.
// The runs are written once into the bench's build folder and kept for later runs of the bench.
#include "search/EarlierRuns.h"
#include "search/Folding.h"
#include "StoreFixtures.h"
#include "store/FileSystem.h"
#include "store/RunNames.h"
#include "store/StorePaths.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 100;
constexpr int kClips = 999;
// The word searched for: rare, as what one looks for a week later is (about 0.15% of rows).
constexpr char16_t kWord[] = u"zeppelin";
// The pattern: an invoice number, in about 1% of rows.
constexpr char16_t kPattern[] = u"re:inv\\d{4}-\\d\\d";

const std::vector<std::u16string> kLatin = {
    u"the", u"and", u"to", u"of", u"a", u"in", u"for", u"is", u"on", u"that", u"with", u"please", u"meeting", u"project",
    u"report", u"budget", u"customer", u"order", u"email", u"send", u"review", u"draft", u"version", u"update", u"team",
    u"tomorrow", u"today", u"price", u"contract", u"delivery", u"schedule", u"client", u"file", u"folder", u"server",
    u"password", u"account", u"address", u"phone", u"number", u"total", u"amount", u"invoice", u"payment", u"status",
    u"error", u"warning", u"function", u"return", u"value", u"string", u"config", u"release", u"build", u"test", u"data",
    u"https://example.com/docs", u"C:\\Users\\li\\Documents", u"Shanghai", u"Beijing", u"Monday", u"Friday", u"Q3",
    u"2026", u"OK", u"Thanks,", u"Regards", u"Hello", u"Dear", u"Mr.", u"Ms.", u"note:", u"(draft)", u"TODO", u"FIXME"};
const std::vector<std::u16string> kChinese = {
    u"会议", u"项目", u"报告", u"预算", u"客户", u"合同", u"今天", u"明天", u"下午", u"我们", u"需要", u"文件", u"发送",
    u"确认", u"时间", u"问题", u"数据", u"系统", u"测试", u"版本", u"更新", u"团队", u"价格", u"交付", u"安排", u"地址",
    u"电话", u"金额", u"发票", u"付款", u"状态", u"错误", u"请", u"谢谢", u"的", u"了", u"是", u"在", u"和", u"有",
    u"这个", u"那个", u"已经", u"可以", u"没有", u"一下", u"上海", u"北京", u"周一", u"周五", u"，", u"。", u"：", u"（草稿）"};

// A text of `length` units: Latin (six in ten), mostly Chinese (a quarter) or mixed.
std::u16string clipText(std::mt19937& random, std::size_t length) {
    const unsigned style = random() % 20;
    const unsigned chineseShare = style < 12 ? 0 : style < 17 ? 70 : 30;
    std::u16string text;
    while (text.size() < length) {
        const unsigned roll = random() % 100000;
        if (roll == 0) {
            text += kWord;
        } else if (roll <= 3) {
            text += u"INV" + std::u16string(1, static_cast<char16_t>(u'0' + roll % 10)) + u"207-" +
                    std::u16string(1, static_cast<char16_t>(u'0' + roll % 7)) + u"3";
        } else {
            // Common words far more often than the rest, as in any language.
            const auto& words = random() % 100 < chineseShare ? kChinese : kLatin;
            const std::size_t rank = std::min(words.size() - 1, static_cast<std::size_t>(random() % words.size() * (random() % 100) / 100));
            text += words[rank];
        }
        text += random() % 100 < chineseShare ? u"" : u" ";
    }
    text.resize(length);
    return text;
}

// The clips of run `run`, the same at every call.
std::vector<ArchiveClip> runClips(int run) {
    static const std::vector<std::string> programs = {"C:\\Windows\\notepad.exe", "C:\\Program Files\\Microsoft Office\\WINWORD.EXE",
                                                      "C:\\Program Files\\Google\\Chrome\\chrome.exe", "C:\\Windows\\explorer.exe",
                                                      "", "C:\\Program Files\\Tencent\\WeChat.exe"};
    std::mt19937 random(static_cast<unsigned>(run) * 7919u + 17u);
    std::vector<ArchiveClip> clips;
    for (int n = 1; n <= kClips; ++n) {
        char time[32];
        std::snprintf(time, sizeof time, "2026-%02d-%02d %02d:%02d:%02d", 1 + run / 28, 1 + run % 28, n / 3600 % 24, n / 60 % 60, n % 60);
        clips.push_back({n, 0, time, programs[random() % programs.size()], random() % 10 == 0 ? "工作" : "",
                         clipText(random, 20 + random() % 1981)});
    }
    return clips;
}

std::string runArchive(const std::string& runs, int run) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "2026-%02d-%02d 10:00:00", 1 + run / 28, 1 + run % 28);
    return store::joinPath(runs, store::runName(stamp) + ".amc");
}

// The search of the program's run: one for all searches, its indexes made and checked ahead
// (search::EarlierRuns::prepare), as the program does after its start.
search::EarlierRuns& earlierRuns() {
    static search::EarlierRuns earlier;
    return earlier;
}

// The runs folder, written at the first run of the bench (its name changes with the texts), with
// every index made.
const std::string& benchRuns() {
    static const std::string runs = [] {
        const fs::path folder = fs::read_symlink("/proc/self/exe").parent_path() / "search-bench-runs-1";
        const fs::path complete = folder / "complete";
        if (!fs::exists(complete)) {
            fs::remove_all(folder);
            fs::create_directories(folder);
            for (int run = 0; run < kRuns; ++run)
                writeArchive(runArchive(folder.string(), run), runClips(run));
            std::FILE* marker = std::fopen(complete.string().c_str(), "w");
            if (marker)
                std::fclose(marker);
        }
        const std::atomic<bool> stop{false};
        earlierRuns().prepare(search::searchSources(folder.string(), {}), stop);
        return folder.string();
    }();
    return runs;
}

void searchRuns(benchmark::State& state, std::u16string_view text) {
    const std::string& runs = benchRuns();
    search::EarlierRuns& earlier = earlierRuns();
    std::size_t hits = 0;
    for (auto _ : state) {
        const search::Matcher matcher(search::parseQuery(text), "2026-12-31");
        search::Deadline deadline = search::Deadline::in(std::chrono::seconds(10));
        const search::SearchOutcome outcome = earlier.search(search::searchSources(runs, {}), matcher, deadline);
        hits = outcome.hits.size();
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = static_cast<double>(hits);
}

void SearchRunsWord(benchmark::State& state) {
    searchRuns(state, kWord);
}

void SearchRunsPattern(benchmark::State& state) {
    searchRuns(state, kPattern);
}

// The floor: the same texts, folded once and kept in memory, scanned for the word.
void SearchFloorScan(benchmark::State& state) {
    std::vector<search::FoldedText> texts;
    texts.reserve(static_cast<std::size_t>(kRuns) * kClips);
    for (int run = 0; run < kRuns; ++run)
        for (const ArchiveClip& clip : runClips(run))
            texts.push_back(search::foldedText(clip.text));
    const search::FoldedText queryBytes = search::foldedText(kWord);
    const std::u16string queryUnits = search::foldedForSearch(kWord);
    std::size_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (const search::FoldedText& text : texts)
            hits += search::holdsFolded(text, queryBytes, queryUnits) ? 1 : 0;
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = static_cast<double>(hits);
}

// One run's index made from its archive and data files, and written.
void BuildRunIndex(benchmark::State& state) {
    const std::string archive = runArchive(benchRuns(), 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(search::buildIndex(archive, {}).outcome);
}

BENCHMARK(SearchRunsWord)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchRunsPattern)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchFloorScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BuildRunIndex)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
