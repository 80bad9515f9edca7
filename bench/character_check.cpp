// The incompatible-characters check on a 10 M-unit Japanese text: what the
// document window works out in the background after typing pauses or the
// encoding changes.
#include <benchmark/benchmark.h>

#include <string>

#include "document/WCharacterCheck.h"

namespace {

// Lines of Japanese and ASCII with one character Shift JIS cannot hold and one
// twin every 40 lines.
std::u16string makeText(size_t units)
{
    static const std::u16string lines[] = {u"日本語の文章を書いて保存する。<p>Wexel</p>\r",
                                           u"ウェブページとスクリプトのためのエディタ。\r",
                                           u"漢字とかなが混じった行です。 $x = 1;\r"};
    std::u16string text;
    text.reserve(units + 64);
    for (size_t line = 0; text.size() < units; ++line) {
        text += lines[line % 3];
        if (line % 40 == 0)
            text += u"한〜\r";
    }
    return text;
}

void BM_CheckShiftJis(benchmark::State& state)
{
    const std::u16string text = makeText(10'000'000);
    size_t found = 0;
    for (auto _ : state)
        found = WCharacterCheck::problems(text, WShiftJISEncoding).size();
    state.counters["problems"] = static_cast<double>(found);
    state.SetBytesProcessed(state.iterations() * text.size() * 2);
}
BENCHMARK(BM_CheckShiftJis)->Unit(benchmark::kMillisecond);

void BM_CheckUtf8(benchmark::State& state)
{
    const std::u16string text = makeText(10'000'000);
    for (auto _ : state)
        benchmark::DoNotOptimize(WCharacterCheck::problems(text, WUTF8Encoding));
}
BENCHMARK(BM_CheckUtf8)->Unit(benchmark::kMillisecond);

// The copy of the text the window hands to the worker thread.
void BM_CopyText(benchmark::State& state)
{
    const std::u16string text = makeText(10'000'000);
    for (auto _ : state) {
        std::u16string copy = text;
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(BM_CopyText)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
