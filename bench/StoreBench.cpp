// The main program's store operations on a 999-clip store: what recording a clip costs, and
// saving and opening an archive with its data files.
#include "store/ClipNames.h"
#include "store/ClipSnapshot.h"
#include "store/FileSystem.h"
#include "StoreFixtures.h"
#include "store/SysClipBoard.h"
#include "xml/XmlDocument.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <optional>

using xml::XmlDocument;

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

// The scan alone, on an index already read: what the recorder does under the store lock.
void LowestFreeNumber(benchmark::State& state) {
    XmlDocument doc;
    doc.setDocument(makeStoreText(999, 4, 10, 5));
    for (auto _ : state)
        benchmark::DoNotOptimize(store::lowestFreeHistoryNumber(doc));
}

void FindFreeNumber(benchmark::State& state) {
    BenchStore files(false);
    store::CSysClipBoard store(files.windows());
    for (auto _ : state)
        benchmark::DoNotOptimize(store.findCanUseHisClip());
}

// One history capture's store traffic on the main program's side: the free number, then the
// values it sets (a use time and a category).
void RecordingCycle(benchmark::State& state) {
    BenchStore files(false);
    store::CSysClipBoard store(files.windows());
    for (auto _ : state) {
        const int n = store.findCanUseHisClip();
        store.setValue("2026-12-07 10:00:00", "his5--usetime", 1);
        store.setCategory("工作", "his7");
        benchmark::DoNotOptimize(store.getValue(store::formatElementName(store::historyClipName(n - 1), 0)));
    }
}

void SaveArchive(benchmark::State& state) {
    BenchStore files(true);
    store::CSysClipBoard store(files.windows());
    for (auto _ : state)
        store.saveArchive(files.archive());
}

void OpenArchive(benchmark::State& state) {
    BenchStore files(true);
    store::CSysClipBoard store(files.windows());
    store.saveArchive(files.archive());
    for (auto _ : state)
        store.openArchive(files.archive());
}

// The yardstick for saving an archive: the same files copied in a plain loop into a fresh folder,
// each written through to the disk (an archive reported saved must outlive a crash, so every
// file of ours is), and the index written once durably beside it, as an archive's is. The last
// copy is removed within the timing, as a save removes the files of the archive it replaces.
void PlainCopyLoop(benchmark::State& state) {
    BenchStore files(true);
    const fs::path from = files.root() / "win" / "Brindlecote";
    const fs::path to = files.root() / "keep" / "copy";
    const std::optional<std::string> index = store::files::readAll((files.root() / "win" / "clipboard.xml").string());
    for (auto _ : state) {
        fs::remove_all(to);
        fs::create_directories(to);
        for (const auto& entry : fs::directory_iterator(from))
            store::files::writeFile((to / entry.path().filename()).string(), store::files::readAll(entry.path().string()).value_or(""));
        store::files::writeAtomically((to.parent_path() / "copy.amc").string(), index.value_or(""));
    }
}

// The floor of the archive's index: the same bytes written to a file durably and put in place,
// as every rewrite of ours is.
void WriteIndexDurably(benchmark::State& state) {
    BenchStore files(false);
    const std::string bytes = "\xEF\xBB\xBF" + makeStoreText(999, 4, 10, 5);
    for (auto _ : state)
        store::files::writeAtomically(files.archive(), bytes);
}

// The archive's index alone: a store without data files.
void SaveArchiveIndexOnly(benchmark::State& state) {
    BenchStore files(false);
    store::CSysClipBoard store(files.windows());
    for (auto _ : state)
        store.saveArchive(files.archive());
}

BENCHMARK(LowestFreeNumber)->Unit(benchmark::kMicrosecond);
BENCHMARK(FindFreeNumber)->Unit(benchmark::kMicrosecond);
BENCHMARK(RecordingCycle)->Unit(benchmark::kMicrosecond);
BENCHMARK(SaveArchiveIndexOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(WriteIndexDurably)->Unit(benchmark::kMicrosecond);
// A few seconds each (every file is written through to the disk): five tries are enough.
BENCHMARK(SaveArchive)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(OpenArchive)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(PlainCopyLoop)->Unit(benchmark::kMillisecond)->Repetitions(5);

}  // namespace

BENCHMARK_MAIN();
