// Typing into a 10 MB HTML document (with comments) in a real document window,
// offscreen: each key goes in as a real key event, and the time runs until the
// colouring engine has recoloured, the changed blocks are repainted and the
// visible text has been drawn again. Reports the median and the worst key.
//
// The second benchmark does the same with the incompatible-characters list
// open on a Shift JIS document that has characters Shift JIS cannot hold or
// holds only as their twins: after each word typing pauses for long enough
// that the list is worked out again, so the keys that follow meet the worker
// thread, and the processor time the window's thread spends in the pause (the
// copy of the text and the new list) is reported as well.
//
// WEXEL_BENCH_HTML names a real HTML file to build the document from (the
// script bench/syntax.sh passes Debian's reference manual).
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "document/MyDocument.h"
#include "document/WIncompatibleCharactersPanel.h"
#include "canvas/WTextCanvas.h"

namespace {

QByteArray htmlDocument(bool withProblems) {
    std::string source;
    if (const char* path = std::getenv("WEXEL_BENCH_HTML")) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        source = s.str();
    }
    if (source.empty()) {
        for (int i = 0; i < 2000; ++i)
            source += "<div class=\"section\"><h2 id=\"s" + std::to_string(i) +
                      "\">節の見出し &amp; title</h2>\n<p>日本語の段落です。It's <a href=\"x.html\">a link</a>.</p>\n";
    }
    QByteArray out;
    out.reserve(10'100'000);
    size_t sinceComment = 0;
    while (out.size() < 10'000'000) {
        for (size_t at = 0; at < source.size() && out.size() < 10'000'000;) {
            size_t nl = source.find('\n', at);
            nl = nl == std::string::npos ? source.size() : nl + 1;
            out.append(source.data() + at, static_cast<qsizetype>(nl - at));
            sinceComment += nl - at;
            at = nl;
            if (sinceComment > 65536) {
                out += "<!-- section note: reviewed -->\n";
                if (withProblems)
                    out += "<p>ã ð ®·éå®¶ Â¥100 ð</p>\n";
                sinceComment = 0;
            }
        }
    }
    return out;
}

double threadMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void typeInWindow(benchmark::State& state, bool withPanel) {
    QByteArray bytes = htmlDocument(withPanel);
    MyDocument document;
    QString error;
    if (!document.loadDataRepresentation(
            std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())),
            "HTML file", &error)) {
        state.SkipWithError("the document did not load");
        return;
    }
    bytes.clear();
    document.windowControllerDidLoadNib();
    WTextCanvas* view = document.textView();
    view->window()->resize(900, 700);
    view->window()->show();
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    WIncompatibleCharactersPanel* panel = document.incompatibleCharactersPanel();
    if (withPanel) {
        document.setEncoding(QStringLiteral("S-JIS"));
        document.showIncompatibleCharacters();
        panel->refreshNow();
        if (panel->problems().empty()) {
            state.SkipWithError("the list is empty");
            return;
        }
    }

    // Type in the middle, in an ordinary line of prose.
    const std::u16string& text = view->string();
    size_t paragraph = text.find(u"<p>", text.size() / 2);
    if (paragraph == std::u16string::npos) paragraph = text.size() / 2;
    const size_t lineEnd = std::min(text.find(u'\r', paragraph), text.size());
    view->setSelectedRange(WRange{static_cast<uint32_t>(lineEnd), 0});
    view->scrollRangeToVisible(WRange{static_cast<uint32_t>(lineEnd), 0});
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();

    std::vector<double> times, cpu, pauses;
    int step = 0;
    for (auto _ : state) {
        if (withPanel && step % 10 == 0 && step > 0) {
            // A pause after a word: the list's delay runs out and its worker starts.
            state.PauseTiming();
            const double pauseStart = threadMilliseconds();
            QTest::qWait(300);
            pauses.push_back(threadMilliseconds() - pauseStart);
            state.ResumeTiming();
        }
        auto start = std::chrono::steady_clock::now();
        double cpuStart = threadMilliseconds();
        // Words typed, then taken back with backspace, so the text keeps its size.
        if (step % 20 < 10) QTest::keyClick(view, static_cast<char>('a' + step % 26));
        else QTest::keyClick(view, Qt::Key_Backspace);
        QCoreApplication::processEvents();   // the queued block repaint
        view->viewport()->repaint();         // and the drawing of what is visible
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        cpu.push_back(threadMilliseconds() - cpuStart);
        ++step;
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    state.counters["cpu_median_ms"] = cpu[cpu.size() / 2];
    state.counters["cpu_worst_ms"] = cpu.back();
    state.counters["median_ms"] = times[times.size() / 2];
    state.counters["worst_ms"] = times.back();
    if (withPanel) {
        std::sort(pauses.begin(), pauses.end());
        state.counters["list_update_cpu_worst_ms"] = pauses.back();
        state.counters["problems"] = double(panel->problems().size());
    }
}

void BM_TypeInWindow(benchmark::State& state) {
    typeInWindow(state, false);
}

void BM_TypeInWindowWithIncompatibleList(benchmark::State& state) {
    typeInWindow(state, true);
}

}  // namespace

BENCHMARK(BM_TypeInWindow)->Iterations(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeInWindowWithIncompatibleList)->Iterations(200)->Unit(benchmark::kMillisecond);
