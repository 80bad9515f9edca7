// The two text views side by side, offscreen, on the files that strain a text
// view: a 10 MB HTML page of many lines, minified pages on one line (190 KB,
// 620 KB, 2 MB) and Japanese prose of 30 MB and 100 MB.
//
// "qt" is a bare QPlainTextEdit holding the same text without any colour: the
// least the editor's former view (QPlainTextEdit with a highlighter) cost;
// "window" is the document window as the editor has it, on its own view;
// "canvas" is that view alone, with the colouring engine painting its storage. For each it reports the time
// from the bytes to the first painted screen, the memory the open text took
// (bytes of resident memory per UTF-16 unit of text, beyond the text itself),
// and the time of a keystroke (median and worst) until the screen is drawn
// again, in the middle of the text, with word wrap off and on.
//
// The 100 MB text is opened in the canvas only (QPlainTextEdit needs minutes and
// gigabytes for it); its open time is set against iconv decoding the same bytes.
#include <QPlainTextEdit>
#include <QTest>

#include <benchmark/benchmark.h>

#include <iconv.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>

#include "app/WQtStrings.h"
#include "canvas/WTextCanvas.h"
#include "document/MyDocument.h"
#include "document/WDocumentCore.h"
#include "syntax/WColorSyntaxServer.h"

namespace {

enum class Kind { ManyLines, OneLine, Japanese };

QByteArray makeFile(Kind kind, size_t bytes)
{
    QByteArray out;
    out.reserve(static_cast<qsizetype>(bytes + 256));
    if (kind == Kind::Japanese) {
        const QByteArray sentence = QStringLiteral("吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。\n").toUtf8();
        while (size_t(out.size()) < bytes)
            out += sentence;
        return out;
    }
    for (int i = 0; size_t(out.size()) < bytes; ++i) {
        out += "<div class=\"item\"><h2 id=\"s" + QByteArray::number(i) + "\">見出し &amp; title</h2>";
        out += "<p>日本語の段落です。It's <a href=\"x.html\">a link</a>.</p></div>";
        if (i % 50 == 0)
            out += "<!-- note -->";
        if (kind == Kind::ManyLines)
            out += '\n';
    }
    return out;
}

// What the process holds, after handing freed heap back, so that what a load
// freed again does not count.
double residentMegabytes()
{
    malloc_trim(0);
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return double(resident) * 4096.0 / 1e6;
}

double since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// What both views are driven through.
struct View {
    QWidget* keys;      // where the key events go
    QWidget* painted;   // what is drawn again after each key
    std::function<const std::u16string&()> text;
    std::function<void(uint32_t)> placeCaret;
};

// Types a word in the middle of the text and takes it back, key by key.
void typeKeys(benchmark::State& state, const View& view, int keys)
{
    const std::u16string& text = view.text();
    const size_t middle = text.size() / 2;
    const size_t lineEnd = std::min(text.find(u'\r', middle), text.size());
    view.placeCaret(static_cast<uint32_t>(lineEnd - std::min<size_t>(lineEnd, 10)));
    settle();
    std::vector<double> times;
    for (int step = 0; step < keys; ++step) {
        const auto start = std::chrono::steady_clock::now();
        if (step % 10 < 5)
            QTest::keyClick(view.keys, static_cast<char>('a' + step % 26));
        else
            QTest::keyClick(view.keys, Qt::Key_Backspace);
        QCoreApplication::processEvents();
        view.painted->repaint();
        times.push_back(since(start));
    }
    std::sort(times.begin(), times.end());
    state.counters["key_median_ms"] = times[times.size() / 2];
    state.counters["key_worst_ms"] = times.back();
}

void report(benchmark::State& state, double openMs, double residentBefore, size_t units)
{
    state.counters["open_ms"] = openMs;
    const double grown = (residentMegabytes() - residentBefore) * 1e6;
    state.counters["units_M"] = double(units) / 1e6;
    state.counters["bytes_per_unit_beyond_text"] = std::max(0.0, grown / double(units) - 2.0);
}

std::optional<WOpenedText> open(const QByteArray& file)
{
    QString error;
    return WDocumentCore::openBytes(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(file.constData()), size_t(file.size())), QString(),
        &error);
}

void BM_QtPlainTextEdit(benchmark::State& state, Kind kind, size_t bytes, bool wrap, int keys)
{
    QByteArray file = makeFile(kind, bytes);
    for (auto _ : state) {
        const double before = residentMegabytes();
        const auto start = std::chrono::steady_clock::now();
        auto opened = open(file);
        if (!opened) {
            state.SkipWithError("the file did not open");
            return;
        }
        const std::u16string text = std::move(opened->text);
        opened.reset();
        QPlainTextEdit edit;
        edit.resize(900, 700);
        edit.setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
        edit.setPlainText(wqt::toQString(text));
        edit.show();
        settle();
        edit.viewport()->repaint();
        const double openMs = since(start);
        report(state, openMs, before, text.size());
        typeKeys(state,
                 {&edit, edit.viewport(), [&text]() -> const std::u16string& { return text; },
                  [&edit](uint32_t at) {
                      QTextCursor cursor = edit.textCursor();
                      cursor.setPosition(static_cast<int>(at));
                      edit.setTextCursor(cursor);
                  }},
                 keys);
    }
}

void BM_Window(benchmark::State& state, Kind kind, size_t bytes, bool wrap, int keys)
{
    QByteArray file = makeFile(kind, bytes);
    for (auto _ : state) {
        const double before = residentMegabytes();
        const auto start = std::chrono::steady_clock::now();
        MyDocument document;
        QString error;
        document.loadDataRepresentation(
            std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(file.constData()), size_t(file.size())),
            kind == Kind::Japanese ? "Text file" : "HTML file", &error);
        document.windowControllerDidLoadNib();
        document.setWordWrapped(wrap);
        WTextCanvas* widget = document.textView();
        widget->window()->resize(900, 700);
        widget->window()->show();
        settle();
        widget->viewport()->repaint();
        const double openMs = since(start);
        report(state, openMs, before, widget->string().size());
        typeKeys(state,
                 {widget, widget->viewport(), [widget]() -> const std::u16string& { return widget->string(); },
                  [widget](uint32_t at) {
                      widget->setSelectedRange({at, 0});
                      widget->scrollRangeToVisible({at, 0});
                  }},
                 keys);
    }
}

void BM_Canvas(benchmark::State& state, Kind kind, size_t bytes, bool wrap, int keys)
{
    QByteArray file = makeFile(kind, bytes);
    for (auto _ : state) {
        const double before = residentMegabytes();
        const auto start = std::chrono::steady_clock::now();
        auto opened = open(file);
        if (!opened) {
            state.SkipWithError("the file did not open");
            return;
        }
        WTextCanvas canvas;
        canvas.resize(900, 700);
        canvas.setWordWrap(wrap);
        canvas.loadString(std::move(opened->text));
        auto colouring = WColorSyntaxServer::colorSyntaxServerWithTextStorage(
            &canvas.textStorage(), kind == Kind::Japanese ? WColorSyntaxServer::kPlain : WColorSyntaxServer::kHTML);
        colouring->adjustColorSyntaxWithRange({0, canvas.textStorage().length()}, nullptr);
        canvas.show();
        settle();
        canvas.viewport()->repaint();
        const double openMs = since(start);
        report(state, openMs, before, canvas.string().size());
        typeKeys(state,
                 {&canvas, canvas.viewport(), [&canvas]() -> const std::u16string& { return canvas.string(); },
                  [&canvas](uint32_t at) { canvas.setSelectedRange({at, 0}); }},
                 keys);
    }
}

// iconv turning the bytes into UTF-16: the floor an open cannot go below.
void BM_IconvDecoding(benchmark::State& state, size_t bytes)
{
    QByteArray file = makeFile(Kind::Japanese, bytes);
    std::vector<char16_t> out(static_cast<size_t>(file.size()) + 16);
    for (auto _ : state) {
        iconv_t converter = iconv_open("UTF-16LE", "UTF-8");
        char* in = file.data();
        size_t inLeft = static_cast<size_t>(file.size());
        char* to = reinterpret_cast<char*>(out.data());
        size_t outLeft = out.size() * sizeof(char16_t);
        iconv(converter, &in, &inLeft, &to, &outLeft);
        iconv_close(converter);
        benchmark::DoNotOptimize(out.data());
    }
}

constexpr size_t MB = 1'000'000;

}  // namespace

#define VIEWS(name, kind, bytes, wrap, qtKeys)                                                              \
    BENCHMARK_CAPTURE(BM_QtPlainTextEdit, name, kind, bytes, wrap, qtKeys)                                  \
        ->Iterations(1)->Unit(benchmark::kMillisecond);                                                     \
    BENCHMARK_CAPTURE(BM_Window, name, kind, bytes, wrap, 200)->Iterations(1)->Unit(benchmark::kMillisecond); \
    BENCHMARK_CAPTURE(BM_Canvas, name, kind, bytes, wrap, 200)->Iterations(1)->Unit(benchmark::kMillisecond)

VIEWS(html_10MB_lines, Kind::ManyLines, 10 * MB, false, 100);
VIEWS(html_190KB_one_line, Kind::OneLine, 190'000, false, 20);
VIEWS(html_620KB_one_line, Kind::OneLine, 620'000, false, 6);
VIEWS(html_2MB_one_line, Kind::OneLine, 2 * MB, false, 4);
VIEWS(html_2MB_one_line_wrapped, Kind::OneLine, 2 * MB, true, 4);
VIEWS(japanese_30MB, Kind::Japanese, 30 * MB, false, 100);
BENCHMARK_CAPTURE(BM_Canvas, japanese_100MB, Kind::Japanese, 100 * MB, false, 200)
    ->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Canvas, japanese_100MB_wrapped, Kind::Japanese, 100 * MB, true, 200)
    ->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_IconvDecoding, japanese_100MB, 100 * MB)->Unit(benchmark::kMillisecond);
