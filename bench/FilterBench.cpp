// Find as you type: one keystroke's refiltering of a full history (999 rows) by the search box's
// text, for short clips and for long ones, Latin and Chinese.
#include "app/ClipRules.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

// 999 contents of about `length` characters each, every seventh one Chinese.
std::vector<std::u16string> fullHistory(std::size_t length) {
    std::vector<std::u16string> rows;
    for (int n = 1; n <= 999; ++n) {
        const std::u16string word = n % 7 == 0 ? u"多重剪贴板复制的文字" : u"Clip Number Text With Words ";
        std::u16string row;
        while (row.size() < length)
            row += word;
        rows.push_back(row + u"#" + std::u16string(1, static_cast<char16_t>(u'0' + n % 10)));
    }
    return rows;
}

void refilter(benchmark::State& state, std::u16string_view query) {
    const std::vector<std::u16string> rows = fullHistory(static_cast<std::size_t>(state.range(0)));
    const std::vector<std::u16string_view> contents(rows.begin(), rows.end());
    for (auto _ : state) {
        std::vector<std::size_t> shown = app::filterRows(contents, query);
        benchmark::DoNotOptimize(shown.data());
    }
}

void BM_FilterLatinQuery(benchmark::State& state) {
    refilter(state, u"words #7");
}
void BM_FilterChineseQuery(benchmark::State& state) {
    refilter(state, u"文字#3");
}

BENCHMARK(BM_FilterLatinQuery)->Arg(40)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterChineseQuery)->Arg(40)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
