// The find and replace-all engine on texts already in memory, as the editor
// holds them: the cost of the search itself, without reading or decoding.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "search/WSearchMatcher.h"

namespace {

// A deterministic text of about `units` UTF-16 units: lines of ASCII words
// without the letter a except one per line, and a Japanese line every ten.
std::u16string makeText(size_t units, bool decomposedKana = false)
{
    static const std::u16string japanese[] = {u"日本語の文章を検索して置換する。", u"ウェブページとスクリプトを書く人のためのエディタ。",
                                              u"漢字とかなが混じった行です。"};
    uint32_t seed = 20261206;
    auto next = [&seed](uint32_t bound) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % bound;
    };
    std::u16string text;
    text.reserve(units + 128);
    for (size_t line = 1; text.size() < units; ++line) {
        const size_t lineStart = text.size();
        while (text.size() - lineStart < 44) {
            const uint32_t length = 2 + next(7);
            for (uint32_t i = 0; i < length; ++i)
                text.push_back(static_cast<char16_t>(u'b' + next(25)));
            text.push_back(u' ');
        }
        text[lineStart + next(40)] = u'a';
        text.back() = u'\r';
        if (line % 10 == 0) {
            text += japanese[line % 3];
            if (decomposedKana)
                text += u"\u306F\u3099\u304B\u3099";  // ば and が as base and combining mark
            text.push_back(u'\r');
        }
    }
    return text;
}

const std::u16string& bigText()
{
    static const std::u16string text = makeText(size_t(50) << 20);
    return text;
}

void findToTheEnd(benchmark::State& state, const std::u16string& text, std::u16string_view pattern, bool ignoreCase)
{
    const WSearchMatcher matcher(pattern, ignoreCase);
    if (matcher.find(text, {0, static_cast<uint32_t>(text.size())}, WSearchForward).location != WNotFound) {
        state.SkipWithError("the search string occurs in the text");
        return;
    }
    for (auto _ : state) {
        const WRange found = matcher.find(text, {0, static_cast<uint32_t>(text.size())}, WSearchForward);
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size() * sizeof(char16_t)));
}

void BM_FindNoMatchIgnoringCase(benchmark::State& state)
{
    findToTheEnd(state, bigText(), u"Wexel-1", true);
}
BENCHMARK(BM_FindNoMatchIgnoringCase)->Unit(benchmark::kMillisecond);

void BM_FindNoMatchMatchingCase(benchmark::State& state)
{
    findToTheEnd(state, bigText(), u"Wexel-1", false);
}
BENCHMARK(BM_FindNoMatchMatchingCase)->Unit(benchmark::kMillisecond);

void BM_FindJapaneseNoMatch(benchmark::State& state)
{
    findToTheEnd(state, bigText(), u"検索する。", true);
}
BENCHMARK(BM_FindJapaneseNoMatch)->Unit(benchmark::kMillisecond);

void BM_FindInDecomposedText(benchmark::State& state)
{
    // Every Japanese line carries base-plus-mark sequences: the slower path.
    static const std::u16string text = makeText(size_t(8) << 20, true);
    findToTheEnd(state, text, u"ばが!", true);
}
BENCHMARK(BM_FindInDecomposedText)->Unit(benchmark::kMillisecond);

void BM_ReplaceAllBuildingTheText(benchmark::State& state)
{
    // The editor's replace-all: a million occurrences, the new text built whole.
    const WSearchMatcher matcher(u"a", false);
    for (auto _ : state) {
        WSearchMatcher::Replacement result = matcher.replaceAll(bigText(), u"ab");
        benchmark::DoNotOptimize(result.count);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bigText().size() * sizeof(char16_t)));
}
BENCHMARK(BM_ReplaceAllBuildingTheText)->Unit(benchmark::kMillisecond);

void BM_ReplaceAllIgnoringCase(benchmark::State& state)
{
    const WSearchMatcher matcher(u"a", true);
    for (auto _ : state) {
        uint32_t count = matcher.replaceAll(bigText(), u"ab", [](std::u16string_view piece) { benchmark::DoNotOptimize(piece); });
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bigText().size() * sizeof(char16_t)));
}
BENCHMARK(BM_ReplaceAllIgnoringCase)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
