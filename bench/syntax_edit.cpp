// One character typed in the middle of a 10 MB document and recoloured through
// the colouring engine, as the editor does after each keystroke: the text change
// in the storage, the scan from the edited line until it is back in step with the
// old colours, and the painting. Reports the median and the worst edit.
//
// WEXEL_BENCH_HTML names a real HTML file to build the document from (the
// script bench/syntax.sh passes Debian's reference manual); without it a
// generated page is used. Comments are added every 64 KB either way.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <ctime>

#include "platform/WPlatform.h"
#include "syntax/WColorSyntaxServer.h"
#include "text/WStringUtils.h"

namespace {

constexpr size_t kTarget = 10 * 1000 * 1000;  // bytes of UTF-8, as the file on disk

std::string readFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Real HTML (or a generated page) repeated to 10 MB, a comment every 64 KB.
std::u16string htmlDocument() {
    std::string source;
    if (const char* path = std::getenv("WEXEL_BENCH_HTML")) source = readFile(path);
    if (source.empty()) {
        for (int i = 0; i < 2000; ++i)
            source += "<div class=\"section\"><h2 id=\"s" + std::to_string(i) +
                      "\">節の見出し &amp; title</h2>\n<p>日本語の段落です。It's <a href=\"x.html\">a link</a>.</p>\n";
    }
    std::string out;
    size_t sinceComment = 0;
    while (out.size() < kTarget) {
        for (size_t at = 0; at < source.size() && out.size() < kTarget;) {
            size_t nl = source.find('\n', at);
            nl = nl == std::string::npos ? source.size() : nl + 1;
            out.append(source, at, nl - at);
            sinceComment += nl - at;
            at = nl;
            if (sinceComment > 65536) {
                out += "<!-- section note: reviewed -->\n";
                sinceComment = 0;
            }
        }
    }
    return WStringUtils::convertReturnsToCR(WStringUtils::fromUtf8(out));
}

std::u16string phpDocument() {
    const std::string block =
        "<?php\n/**\n * Handles one request.\n */\nfunction handle(array $request, int $depth = 0): string {\n"
        "    $name = $request['name'] ?? 'guest';  // fall back to a guest\n"
        "    if ($depth > 3) { return \"too deep: {$depth}\"; }\n"
        "    /* keep the old behaviour\n       for the first call */\n"
        "    foreach ($request as $key => $value) { echo htmlspecialchars($key), ' = ', $value, \"\\n\"; }\n"
        "    return sprintf('%s/%s', $name, strtoupper($name));\n}\n?>\n";
    std::string out;
    while (out.size() < kTarget) out += block;
    return WStringUtils::convertReturnsToCR(WStringUtils::fromUtf8(out));
}

double threadMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Typing sessions at a few spots just after the middle of the text: at each, 25
// letters typed and deleted again with backspace, every keystroke recoloured.
// The spots are found by what follows them (prose, a tag, a comment, ...).
void typeInTheMiddle(benchmark::State& state, std::u16string text, int32_t type,
                     std::vector<std::u16string> spots) {
    WTextStorage storage(text);
    text.clear();
    auto engine = WColorSyntaxServer::colorSyntaxServerWithTextStorage(&storage, type);
    WFont font{"Monospace", 13};
    engine->adjustColorSyntaxWithRange({0, storage.length()}, &font);  // as on opening

    std::vector<uint32_t> places;
    for (const std::u16string& spot : spots) {
        size_t found = storage.string().find(spot, storage.length() / 2);
        if (found != std::u16string::npos) places.push_back(static_cast<uint32_t>(found + 1));
    }
    if (places.empty()) {
        state.SkipWithError("no typing spot found");
        return;
    }
    std::vector<double> wall, cpu;
    size_t step = 0;
    for (auto _ : state) {
        uint32_t place = places[(step / 50) % places.size()];
        uint32_t k = step % 50;  // 0..24 typing, 25..49 deleting
        auto start = std::chrono::steady_clock::now();
        double cpuStart = threadMilliseconds();
        if (k < 25) {
            storage.replaceCharactersInRange({place + k, 0}, u"x");
            engine->adjustColorSyntaxWithRange({place + k, 1}, &font);
        } else {
            uint32_t at = place + 49 - k;
            storage.replaceCharactersInRange({at, 1}, u"");
            engine->adjustColorSyntaxWithRange({at, 0}, &font);
        }
        cpu.push_back(threadMilliseconds() - cpuStart);
        wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        ++step;
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    state.counters["median_ms"] = wall[wall.size() / 2];
    state.counters["worst_ms"] = wall.back();
    state.counters["cpu_median_ms"] = cpu[cpu.size() / 2];
    state.counters["cpu_worst_ms"] = cpu.back();
    state.counters["MB"] = storage.length() * 2 / 1e6;  // in memory, UTF-16
}

// A comment head put in and taken out again at a few spots: each edit recolours
// as far as the comment runs, up to the next comment's tail (64 KB on at most).
void openAndCloseComments(benchmark::State& state, std::u16string text, int32_t type, std::u16string_view head,
                          std::vector<std::u16string> spots) {
    WTextStorage storage(text);
    text.clear();
    auto engine = WColorSyntaxServer::colorSyntaxServerWithTextStorage(&storage, type);
    WFont font{"Monospace", 13};
    engine->adjustColorSyntaxWithRange({0, storage.length()}, &font);
    std::vector<uint32_t> places;
    for (const std::u16string& spot : spots) {
        size_t found = storage.string().find(spot, storage.length() / 2);
        if (found != std::u16string::npos) places.push_back(static_cast<uint32_t>(found));
    }
    std::vector<double> cpu;
    size_t step = 0;
    const auto size = static_cast<uint32_t>(head.size());
    for (auto _ : state) {
        uint32_t place = places[(step / 2) % places.size()];
        double cpuStart = threadMilliseconds();
        if (step % 2 == 0) {
            storage.replaceCharactersInRange({place, 0}, head);
            engine->adjustColorSyntaxWithRange({place, size}, &font);
        } else {
            storage.replaceCharactersInRange({place, size}, u"");
            engine->adjustColorSyntaxWithRange({place, 0}, &font);
        }
        cpu.push_back(threadMilliseconds() - cpuStart);
        ++step;
    }
    std::sort(cpu.begin(), cpu.end());
    state.counters["cpu_median_ms"] = cpu[cpu.size() / 2];
    state.counters["cpu_worst_ms"] = cpu.back();
}

// The whole text recoloured, as on opening and by the redraw command.
void recolourWhole(benchmark::State& state, std::u16string text, int32_t type) {
    WTextStorage storage(text);
    text.clear();
    auto engine = WColorSyntaxServer::colorSyntaxServerWithTextStorage(&storage, type);
    WFont font{"Monospace", 13};
    engine->adjustColorSyntaxWithRange({0, storage.length()}, &font);
    for (auto _ : state) engine->adjustColorSyntaxWithRange({0, storage.length()}, &font);
}

void BM_TypeIntoHtml(benchmark::State& state) {
    // In prose after a tag, inside a tag, inside a comment, before a line end.
    typeInTheMiddle(state, htmlDocument(), WColorSyntaxServer::kHTML,
                    {u"<p>", u"<a href", u" section note", u">\r"});
}
void BM_TypeIntoPhp(benchmark::State& state) {
    // In code, in a string, inside a closed block comment, inside a line comment.
    typeInTheMiddle(state, phpDocument(), WColorSyntaxServer::kPHP,
                    {u"    $name", u"'guest", u"keep the old", u" fall back"});
}
void BM_OpenCommentInHtml(benchmark::State& state) {
    openAndCloseComments(state, htmlDocument(), WColorSyntaxServer::kHTML, u"<!--", {u"<p>", u"<a href"});
}
void BM_OpenCommentInPhp(benchmark::State& state) {
    openAndCloseComments(state, phpDocument(), WColorSyntaxServer::kPHP, u"/*", {u"    $name", u"    return"});
}
void BM_RecolourWholeHtml(benchmark::State& state) {
    recolourWhole(state, htmlDocument(), WColorSyntaxServer::kHTML);
}

}  // namespace

BENCHMARK(BM_TypeIntoHtml)->Iterations(400)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeIntoPhp)->Iterations(400)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenCommentInHtml)->Iterations(40)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenCommentInPhp)->Iterations(40)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecolourWholeHtml)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
