// The layout pieces of the text view, at the sizes that made the old view stall:
// a 100 M unit Japanese text, a 2 MB single-line minified page, millions of lines.
// The view calls these per keystroke and per paint.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>

#include "canvas/WAdvanceTable.h"
#include "canvas/WLineBreaks.h"
#include "canvas/WLineIndex.h"
#include "canvas/WRowMap.h"
#include "text/WLargeText.h"

namespace {

// Japanese lines of about forty units, some with Latin words.
const std::u16string& japaneseText()
{
    static const std::u16string text = [] {
        static const std::u16string pieces[] = {u"日本語の文章を", u"ウェブページと", u"スクリプトを書く人のための", u"エディタ。",
                                                u"漢字とかなが混じった行です、", u"HTML と CSS を", u"「引用」して"};
        std::u16string t;
        reserveLarge(t, size_t(100) << 20);
        uint32_t seed = 8122026;
        while (t.size() < (size_t(100) << 20) - 64) {
            const size_t start = t.size();
            while (t.size() - start < 36) {
                seed = seed * 1664525u + 1013904223u;
                t += pieces[(seed >> 8) % 7];
            }
            t.push_back(u'\r');
        }
        return t;
    }();
    return text;
}

// One line of minified markup: tags with attributes, text, no line ends.
const std::u16string& minifiedHtml()
{
    static const std::u16string text = [] {
        static const std::u16string pieces[] = {u"<div class=\"item col-3\">", u"<a href=\"/p/123?x=1&y=2\">",
                                                u"Some words of text", u"</a>", u"</div>", u"<span>日本語</span>",
                                                u"<img src=\"a.png\" alt=\"\"/>", u"<script>var a=b+c;if(a){f(a)}</script>"};
        std::u16string t;
        uint32_t seed = 20261208;
        while (t.size() < (size_t(2) << 20)) {  // a 2 MB file: 2 M units, nearly all ASCII
            seed = seed * 1664525u + 1013904223u;
            t += pieces[(seed >> 8) % 8];
        }
        return t;
    }();
    return text;
}

// A place near position that is not a CR, so that edits there keep the line count.
uint32_t offCr(const std::u16string& text, size_t position)
{
    while (text[position] == u'\r')
        ++position;
    return uint32_t(position);
}

// A font where Latin is 7 px and everything else 14.
double measure(char32_t c)
{
    return c < 0x1100 ? 7.0 : 14.0;
}

void BM_LineIndexReset(benchmark::State& state)
{
    const std::u16string& text = japaneseText();
    WLineIndex index;
    for (auto _ : state) {
        index.reset(text);
        benchmark::DoNotOptimize(index.lineCount());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size() * sizeof(char16_t)));
    state.counters["lines"] = index.lineCount();
}
BENCHMARK(BM_LineIndexReset)->Unit(benchmark::kMillisecond);

// A keystroke in the middle of the text as the view handles it: the index
// follows the edit, then finds the caret's line and the longest line.
void BM_LineIndexTypeAndDeleteInTheMiddle(benchmark::State& state)
{
    std::u16string text = japaneseText();
    WLineIndex index(text);
    const uint32_t middle = offCr(text, text.size() / 2);
    for (auto _ : state) {
        // The index reads only the inserted characters, so the 100 M units are
        // not moved for the insertion: one unit in, then out again.
        index.replace(text, {middle, 0}, 1);
        benchmark::DoNotOptimize(index.lineOfPosition(middle + 1));
        benchmark::DoNotOptimize(index.longestLine());
        index.replace(text, {middle, 1}, 0);
        benchmark::DoNotOptimize(index.lineOfPosition(middle));
        benchmark::DoNotOptimize(index.longestLine());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 2);
}
BENCHMARK(BM_LineIndexTypeAndDeleteInTheMiddle)->Unit(benchmark::kMicrosecond);

void BM_LineIndexReplaceOneCharacter(benchmark::State& state)
{
    std::u16string text = japaneseText();
    WLineIndex index(text);
    const uint32_t middle = offCr(text, text.size() / 2);
    for (auto _ : state) {
        text[middle] = text[middle] == u'あ' ? u'い' : u'あ';
        index.replace(text, {middle, 1}, 1);
        benchmark::DoNotOptimize(index.lineOfPosition(middle));
    }
}
BENCHMARK(BM_LineIndexReplaceOneCharacter)->Unit(benchmark::kMicrosecond);

// The worst case of the pending shift: edits alternating between two places far
// apart move it across half the lines each time.
void BM_LineIndexEditsFarApart(benchmark::State& state)
{
    std::u16string text = japaneseText();
    WLineIndex index(text);
    const uint32_t near = offCr(text, text.size() / 4);
    const uint32_t far = offCr(text, text.size() / 4 * 3);
    for (auto _ : state) {
        index.replace(text, {near, 0}, 1);
        index.replace(text, {far, 1}, 0);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 2);
}
BENCHMARK(BM_LineIndexEditsFarApart)->Unit(benchmark::kMillisecond);

// Enter in the middle: a line more, every later start moves.
void BM_LineIndexSplitLineInTheMiddle(benchmark::State& state)
{
    std::u16string text = japaneseText();
    WLineIndex index(text);
    const uint32_t middle = offCr(text, text.size() / 2);
    const char16_t original = text[middle];
    for (auto _ : state) {
        text[middle] = u'\r';
        index.replace(text, {middle, 1}, 1);
        text[middle] = original;
        index.replace(text, {middle, 1}, 1);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 2);
}
BENCHMARK(BM_LineIndexSplitLineInTheMiddle)->Unit(benchmark::kMillisecond);

void wrapLine(benchmark::State& state, const std::u16string& line)
{
    const WAdvanceTable advances(measure, 28);
    size_t rows = 0;
    for (auto _ : state) {
        const auto starts = wlinebreaks::wrap(line, advances, 800);
        rows = starts.size();
        benchmark::DoNotOptimize(starts.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(line.size() * sizeof(char16_t)));
    state.counters["rows"] = double(rows);
}

void BM_WrapMinifiedHtmlLine(benchmark::State& state)
{
    wrapLine(state, minifiedHtml());
}
BENCHMARK(BM_WrapMinifiedHtmlLine)->Unit(benchmark::kMillisecond);

void BM_WrapJapaneseLine(benchmark::State& state)
{
    static const std::u16string line = [] {
        std::u16string t = japaneseText().substr(0, size_t(2) << 20);
        for (char16_t& c : t)
            if (c == u'\r')
                c = u'。';
        return t;
    }();
    wrapLine(state, line);
}
BENCHMARK(BM_WrapJapaneseLine)->Unit(benchmark::kMillisecond);

void BM_SegmentsOfMinifiedHtmlLine(benchmark::State& state)
{
    const std::u16string& line = minifiedHtml();
    for (auto _ : state) {
        const auto starts = wlinebreaks::segments(line, 1024);
        benchmark::DoNotOptimize(starts.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(line.size() * sizeof(char16_t)));
}
BENCHMARK(BM_SegmentsOfMinifiedHtmlLine)->Unit(benchmark::kMillisecond);

constexpr uint32_t kMapLines = 2'000'000;

// Two million lines, a third of them wrapped.
WRowMap& wrappedMap()
{
    static WRowMap map = [] {
        WRowMap m;
        m.reset(kMapLines);
        for (uint32_t line = 0; line < kMapLines; line += 3)
            m.setRows(line, 1 + line % 4, true);
        return m;
    }();
    return map;
}

void BM_RowMapReset(benchmark::State& state)
{
    WRowMap map;
    for (auto _ : state) {
        map.reset(kMapLines);
        benchmark::DoNotOptimize(map.rowCount());
    }
}
BENCHMARK(BM_RowMapReset)->Unit(benchmark::kMillisecond);

void BM_RowMapLookups(benchmark::State& state)
{
    const WRowMap& map = wrappedMap();
    std::mt19937 random(1);
    const uint32_t rows = map.rowCount();
    for (auto _ : state) {
        const uint32_t line = random() % kMapLines;
        benchmark::DoNotOptimize(map.firstRow(line));
        benchmark::DoNotOptimize(map.lineOfRow(random() % rows));
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 2);
}
BENCHMARK(BM_RowMapLookups);

void BM_RowMapSetRows(benchmark::State& state)
{
    WRowMap& map = wrappedMap();
    std::mt19937 random(2);
    for (auto _ : state) {
        const uint32_t line = random() % kMapLines;
        map.setRows(line, map.rows(line), true);
    }
}
BENCHMARK(BM_RowMapSetRows);

// Enter and Backspace in the middle: one line becomes two and back.
void BM_RowMapSplitAndJoinLine(benchmark::State& state)
{
    WRowMap& map = wrappedMap();
    for (auto _ : state) {
        map.replaceLines(kMapLines / 2, 1, 2);
        map.replaceLines(kMapLines / 2, 2, 1);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 2);
}
BENCHMARK(BM_RowMapSplitAndJoinLine);

// Typing Enter again and again at one place: chunks fill and split.
void BM_RowMapTypeManyLines(benchmark::State& state)
{
    WRowMap map;
    map.reset(kMapLines);
    uint32_t line = kMapLines / 3;
    for (auto _ : state)
        map.replaceLines(line++, 1, 2);
}
BENCHMARK(BM_RowMapTypeManyLines);

void BM_RowMapNextInexactOverExactLines(benchmark::State& state)
{
    WRowMap map;
    map.reset(kMapLines);
    for (uint32_t line = 0; line + 1 < kMapLines; ++line)
        map.setRows(line, 2, true);
    for (auto _ : state)
        benchmark::DoNotOptimize(map.nextInexact(0));
}
BENCHMARK(BM_RowMapNextInexactOverExactLines);

}  // namespace

BENCHMARK_MAIN();
