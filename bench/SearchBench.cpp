// "Find anything" over earlier runs: one query over 100 kept runs of 999 clips each (about
// 100,000 rows, texts of 20 to 2,000 characters, Latin and Chinese mixed as people copy them),
// for a word and for a pattern, through the runs' indexes; beside it the floor, a linear scan of
// the same texts already folded in memory (the live list's own rule); and making one run's index.
// The runs are written once into the bench's build folder and kept for later runs of the bench.
#include "BenchRuns.h"
#include "search/EarlierRuns.h"
#include "search/Folding.h"
#include "StoreFixtures.h"
#include "store/ArchivePaths.h"
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

using benchruns::kClips;
using benchruns::kRuns;
using benchruns::kWord;
using benchruns::runArchive;
using benchruns::runClips;
// The pattern: an invoice number, in about 1% of rows.
constexpr char16_t kPattern[] = u"re:inv\\d{4}-\\d\\d";

// The search of the program's run: one for all searches, its indexes made and checked ahead
// (search::EarlierRuns::prepare), as the program does after its start.
search::EarlierRuns& earlierRuns() {
    static search::EarlierRuns earlier;
    return earlier;
}

// A folder written whole: the next run of the bench takes it as it is.
void markComplete(const fs::path& folder) {
    if (std::FILE* marker = std::fopen((folder / "complete").string().c_str(), "w"))
        std::fclose(marker);
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
            benchruns::writeRuns(folder.string(), kRuns);
            markComplete(folder);
        }
        const std::atomic<bool> stop{false};
        earlierRuns().prepare(search::searchSources(folder.string(), {}), stop);
        return folder.string();
    }();
    return runs;
}

void searchRunsIn(benchmark::State& state, search::EarlierRuns& earlier, const std::string& runs, std::u16string_view text) {
    std::size_t hits = 0;
    for (auto _ : state) {
        earlier.forget();  // a query searched afresh each time, not answered from memory
        const search::Matcher matcher(search::parseQuery(text), "2026-12-31");
        search::Deadline deadline = search::Deadline::in(std::chrono::seconds(10));
        const search::SearchOutcome outcome = earlier.search(search::searchSources(runs, {}), matcher, deadline);
        hits = outcome.hits.size();
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = static_cast<double>(hits);
}

void searchRuns(benchmark::State& state, std::u16string_view text) {
    const std::string& runs = benchRuns();
    searchRunsIn(state, earlierRuns(), runs, text);
}

void SearchRunsWord(benchmark::State& state) {
    searchRuns(state, kWord);
}

// The word over the first `range(0)` of the same runs (their files linked into a folder of their
// own, indexes included): how the search grows with the runs kept.
void SearchRunsWordGrowth(benchmark::State& state) {
    const auto count = static_cast<int>(state.range(0));
    const fs::path all = fs::u8path(benchRuns());
    const fs::path folder = all.parent_path() / ("search-bench-runs-1-first-" + std::to_string(count));
    if (!fs::exists(folder / "complete")) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        for (int run = 0; run < count; ++run) {
            const fs::path archive = fs::u8path(runArchive(all.string(), run));
            const fs::path data = archive.parent_path() / archive.stem();
            fs::create_hard_link(archive, folder / archive.filename());
            const fs::path index = fs::u8path(store::searchIndexPath(archive.u8string()));
            fs::create_hard_link(index, folder / index.filename());
            fs::create_directories(folder / data.filename());
            for (const fs::directory_entry& file : fs::directory_iterator(data))
                fs::create_hard_link(file.path(), folder / data.filename() / file.path().filename());
        }
        markComplete(folder);
    }
    search::EarlierRuns earlier;
    const std::atomic<bool> stop{false};
    earlier.prepare(search::searchSources(folder.string(), {}), stop);
    searchRunsIn(state, earlier, folder.string(), kWord);
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
BENCHMARK(SearchRunsWordGrowth)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchRunsPattern)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchFloorScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BuildRunIndex)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
