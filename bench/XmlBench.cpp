// XmlDocument against pugixml on generated store indexes: parse, find a root child, append and
// save, and a load-edit-save cycle. pugixml is used here only, as the yardstick.
#include "store/ClipNames.h"
#include "store/StoreDocument.h"
#include "StoreFixtures.h"
#include "xml/XmlDocument.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

using xml::XmlDocument;

namespace {

struct Store {
    int clips, formats, slots, categories;
};

// Arg index -> the store of that shape.
const Store kStores[] = {{10, 4, 0, 0}, {100, 4, 0, 0}, {999, 4, 0, 0}, {999, 15, 10, 5}};

const std::string& storeText(int which) {
    static std::map<int, std::string> cache;
    auto it = cache.find(which);
    if (it == cache.end()) {
        const Store& s = kStores[which];
        it = cache.emplace(which, makeStoreText(s.clips, s.formats, s.slots, s.categories)).first;
    }
    return it->second;
}

std::string storeFile(int which) {
    const std::string path = (std::filesystem::temp_directory_path() / ("dravix-bench-" + std::to_string(which) + ".xml")).string();
    XmlDocument doc;
    doc.setDocument(storeText(which));
    doc.saveFile(path);
    return path;
}

std::string outFile() {
    return (std::filesystem::temp_directory_path() / "dravix-bench-out.xml").string();
}

void label(benchmark::State& state) {
    const Store& s = kStores[state.range(0)];
    state.SetLabel(std::to_string(s.clips) + "x" + std::to_string(s.formats) + " " +
                   std::to_string(storeText(static_cast<int>(state.range(0))).size()) + " B");
}

void Parse_Ours(benchmark::State& state) {
    const std::string& text = storeText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        XmlDocument doc;
        benchmark::DoNotOptimize(doc.setDocument(text));
    }
    label(state);
}

void Parse_Pugi(benchmark::State& state) {
    const std::string& text = storeText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        pugi::xml_document doc;
        benchmark::DoNotOptimize(doc.load_buffer(text.data(), text.size()));
    }
    label(state);
}

// The last clip's last format (hit) and a name that is not there (miss).
std::string wantedName(const benchmark::State& state, bool hit) {
    const Store& s = kStores[state.range(0)];
    return hit ? store::formatElementName(store::historyClipName(s.clips), s.formats - 1) : "his1000-0";
}

template <bool Hit>
void Find_Ours(benchmark::State& state) {
    XmlDocument doc;
    doc.setDocument(storeText(static_cast<int>(state.range(0))));
    const std::string name = wantedName(state, Hit);
    for (auto _ : state)
        benchmark::DoNotOptimize(store::findRootChild(doc, name));
    label(state);
}

template <bool Hit>
void Find_Pugi(benchmark::State& state) {
    pugi::xml_document doc;
    const std::string& text = storeText(static_cast<int>(state.range(0)));
    doc.load_buffer(text.data(), text.size());
    const std::string name = wantedName(state, Hit);
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.child("UserInfo").child(name.c_str()));
    label(state);
}

void AppendSave_Ours(benchmark::State& state) {
    const std::string& text = storeText(static_cast<int>(state.range(0)));
    const std::string out = outFile();
    XmlDocument doc;
    for (auto _ : state) {
        state.PauseTiming();
        doc.setDocument(text);
        state.ResumeTiming();
        store::appendRootChild(doc, "his1000--time", "2012-05-07 09:03:41");
        doc.saveFile(out);
    }
    label(state);
}

void AppendSave_Pugi(benchmark::State& state) {
    const std::string& text = storeText(static_cast<int>(state.range(0)));
    const std::string out = outFile();
    for (auto _ : state) {
        state.PauseTiming();
        pugi::xml_document doc;
        doc.load_buffer(text.data(), text.size());
        state.ResumeTiming();
        doc.child("UserInfo").append_child("his1000--time").text().set("2012-05-07 09:03:41");
        doc.save_file(out.c_str(), "\t", pugi::format_default | pugi::format_write_bom);
    }
    label(state);
}

// What a store operation does: load the index, change a use time, append a value, save.
void Cycle_Ours(benchmark::State& state) {
    const std::string in = storeFile(static_cast<int>(state.range(0)));
    const std::string out = outFile();
    for (auto _ : state) {
        XmlDocument doc;
        doc.loadFile(in);
        if (store::findRootChild(doc, "his5--usetime") && doc.enterElement())
            doc.setElementText("2026-12-07 10:00:00");
        store::appendRootChild(doc, "his7category", "工作");
        doc.saveFile(out);
    }
    label(state);
}

void Cycle_Pugi(benchmark::State& state) {
    const std::string in = storeFile(static_cast<int>(state.range(0)));
    const std::string out = outFile();
    for (auto _ : state) {
        pugi::xml_document doc;
        doc.load_file(in.c_str());
        pugi::xml_node root = doc.child("UserInfo");
        root.child("his5--usetime").text().set("2026-12-07 10:00:00");
        root.append_child("his7category").text().set("工作");
        doc.save_file(out.c_str(), "\t", pugi::format_default | pugi::format_write_bom);
    }
    label(state);
}

// Not a timing: memory of a loaded document against the file size, and whether an unmodified
// document saves byte-identical. Reported as counters.
void Memory_Ours(benchmark::State& state) {
    const std::string in = storeFile(static_cast<int>(state.range(0)));
    const std::string out = outFile();
    double ratio = 0;
    bool identical = false;
    for (auto _ : state) {
        XmlDocument doc;
        doc.loadFile(in);
        ratio = static_cast<double>(doc.memoryUsage()) / static_cast<double>(std::filesystem::file_size(in));
        doc.saveFile(out);
    }
    std::ifstream a(in, std::ios::binary), b(out, std::ios::binary);
    std::stringstream sa, sb;
    sa << a.rdbuf();
    sb << b.rdbuf();
    identical = sa.str() == sb.str();
    state.counters["memory_per_file_byte"] = ratio;
    state.counters["saves_identical"] = identical ? 1 : 0;
    label(state);
}

#define STORE_SHAPES ->DenseRange(0, 3)

BENCHMARK(Parse_Ours) STORE_SHAPES;
BENCHMARK(Parse_Pugi) STORE_SHAPES;
BENCHMARK_TEMPLATE(Find_Ours, true) STORE_SHAPES;
BENCHMARK_TEMPLATE(Find_Pugi, true) STORE_SHAPES;
BENCHMARK_TEMPLATE(Find_Ours, false) STORE_SHAPES;
BENCHMARK_TEMPLATE(Find_Pugi, false) STORE_SHAPES;
BENCHMARK(AppendSave_Ours) STORE_SHAPES;
BENCHMARK(AppendSave_Pugi) STORE_SHAPES;
BENCHMARK(Cycle_Ours) STORE_SHAPES;
BENCHMARK(Cycle_Pugi) STORE_SHAPES;
BENCHMARK(Memory_Ours) STORE_SHAPES->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
