// The main program's store operations on a 999-clip store: what recording a clip costs, and
// saving and opening an archive with its data files.
#include "StoreFixtures.h"
#include "StoreFormat.h"
#include "SysClipBoard.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// A store folder with a 999-clip index (4 formats a clip) and, optionally, its data files.
class BenchStore {
public:
    explicit BenchStore(bool withFiles) : m_root(fs::temp_directory_path() / "dravix-store-bench") {
        fs::remove_all(m_root);
        fs::create_directories(m_root / "win" / "Brindlecote");
        fs::create_directories(m_root / "keep");
        std::ofstream(m_root / "win" / "clipboard.xml", std::ios::binary) << "\xEF\xBB\xBF" << makeStoreText(999, 4, 10, 5);
        if (withFiles) {
            const std::string payload(2048, 'x');
            for (int n = 1; n <= 999; ++n)
                for (int i = 0; i < 4; ++i)
                    std::ofstream(m_root / "win" / "Brindlecote" / store::formatElementName(store::historyClipName(n), i),
                                  std::ios::binary) << payload;
        }
    }
    ~BenchStore() { fs::remove_all(m_root); }
    std::string windows() const { return (m_root / "win").string(); }
    std::string archive() const { return (m_root / "keep" / "work.amc").string(); }
    fs::path root() const { return m_root; }

private:
    fs::path m_root;
};

void FindFreeNumber(benchmark::State& state) {
    BenchStore files(false);
    CSysClipBoard store(files.windows());
    for (auto _ : state)
        benchmark::DoNotOptimize(store.findCanUseHisClip());
}

// One history capture's store traffic on the main program's side: the free number, then the
// values it sets (a use time and a category).
void RecordingCycle(benchmark::State& state) {
    BenchStore files(false);
    CSysClipBoard store(files.windows());
    for (auto _ : state) {
        const int n = store.findCanUseHisClip();
        store.setValue("2026-12-07 10:00:00", "his5--usetime", 1);
        store.setCategory("工作", "his7");
        benchmark::DoNotOptimize(store.getValue(store::formatElementName(store::historyClipName(n - 1), 0)));
    }
}

void SaveArchive(benchmark::State& state) {
    BenchStore files(true);
    CSysClipBoard store(files.windows());
    for (auto _ : state)
        store.saveArchive(files.archive());
}

void OpenArchive(benchmark::State& state) {
    BenchStore files(true);
    CSysClipBoard store(files.windows());
    store.saveArchive(files.archive());
    for (auto _ : state)
        store.openArchive(files.archive());
}

// The yardstick for saving an archive's data files: emptying the target folder and copying the
// same files in a plain loop.
void PlainCopyLoop(benchmark::State& state) {
    BenchStore files(true);
    const fs::path from = files.root() / "win" / "Brindlecote";
    const fs::path to = files.root() / "keep" / "copy";
    fs::create_directories(to);
    for (auto _ : state) {
        for (const auto& entry : fs::directory_iterator(to))
            fs::remove(entry.path());
        for (const auto& entry : fs::directory_iterator(from))
            fs::copy_file(entry.path(), to / entry.path().filename());
    }
}

// The archive's index alone: a store without data files.
void SaveArchiveIndexOnly(benchmark::State& state) {
    BenchStore files(false);
    CSysClipBoard store(files.windows());
    for (auto _ : state)
        store.saveArchive(files.archive());
}

BENCHMARK(FindFreeNumber)->Unit(benchmark::kMicrosecond);
BENCHMARK(RecordingCycle)->Unit(benchmark::kMicrosecond);
BENCHMARK(SaveArchiveIndexOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(SaveArchive)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenArchive)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainCopyLoop)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
