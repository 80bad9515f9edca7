// The scanners' searches that ignore letter case, over 4 MB of HTML with
// Japanese text: every occurrence of a word, every span between two markers
// and every line that starts with a prefix.
#include <benchmark/benchmark.h>

#include <string>

#include "text/WStringUtils.h"

namespace {

const std::u16string& page()
{
    static const std::u16string text = [] {
        std::u16string piece;
        for (int i = 0; i < 200; ++i)
            piece += u"<DIV class=\"section\"><h2>節の見出し &amp; Title " + std::u16string(1, u'0' + i % 10)
                     + u"</H2>\r<p>日本語の段落です。It's <A href=\"x.html\">a Link</a>.</p>\r";
        std::u16string text;
        while (text.size() < 2 * 1000 * 1000)
            text += piece;
        return text;
    }();
    return text;
}

WRange whole()
{
    return {0, static_cast<uint32_t>(page().size())};
}

void BM_WordsIgnoringCase(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(WStringUtils::rangesOfStrings(page(), whole(), u"title", true));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page().size() * 2));
}
BENCHMARK(BM_WordsIgnoringCase)->Unit(benchmark::kMillisecond);

void BM_SpansIgnoringCase(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(WStringUtils::rangesOfStringsStartsWith(page(), whole(), u"<a ", u"</a>"));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page().size() * 2));
}
BENCHMARK(BM_SpansIgnoringCase)->Unit(benchmark::kMillisecond);

void BM_LinesIgnoringCase(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(WStringUtils::rangesOfLines(page(), whole(), u"<div", true));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page().size() * 2));
}
BENCHMARK(BM_LinesIgnoringCase)->Unit(benchmark::kMillisecond);

void BM_LinesMatchingCase(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(WStringUtils::rangesOfLines(page(), whole(), u"<DIV", false));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page().size() * 2));
}
BENCHMARK(BM_LinesMatchingCase)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
