// Replace-all in an HTML document window of 10 million characters (20 MB of
// UTF-16), offscreen: the time from the command to the recoloured text with
// the caret at the start. "a" becomes "ab" about 510 000 times. The one undo
// that takes it back runs between the timed rounds and must restore the text.
#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

#include "app/WApplicationDel.h"
#include "app/WDocumentController.h"
#include "app/WPresenter.h"
#include "app/WQtPlatform.h"
#include "document/MyDocument.h"
#include "canvas/WTextCanvas.h"
#include "search/WDocumentSearch.h"
#include "search/WSearchServer.h"

namespace {

// The count sheet would wait for a click.
class SilentPresenter : public WPresenter {
public:
    void askLater(QWidget*, const QString&, const QString&, const QStringList&, std::function<void(int)>) override {}
};

std::u16string htmlText()
{
    const std::u16string unit =
        u"<div class=\"section\"><h2>節の見出し &amp; title</h2>\r<p>日本語の段落です。It's <a href=\"x.html\">a link</a>.</p>\r";
    std::u16string text;
    text.reserve(10'100'000);
    while (text.size() < 10'000'000)
        text += unit;
    return text;
}

void BM_ReplaceAllInWindow(benchmark::State& state)
{
    QTemporaryDir folder;
    WQtPlatform platform;
    WPlatform::setShared(&platform);
    WPresenter::setShared(std::make_unique<SilentPresenter>());
    auto application = std::make_unique<WApplicationDel>(folder.filePath(QStringLiteral("Wexel.plist")));
    MyDocument* document = application->documentController().newDocument();
    document->textTypeMenuSelected(WTextHTML);
    WTextCanvas* view = document->textView();
    const std::u16string original = htmlText();
    view->loadString(original);
    document->validateColorSyntax();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();

    WSearchServer& server = application->searchServer();
    server.setSearchString(u"a");
    server.setReplaceString(u"ab");
    WDocumentSearch* search = WDocumentSearch::of(document);
    uint32_t count = 0;
    for (auto _ : state) {
        count = search->doReplaceAll();
        QCoreApplication::processEvents();
        state.PauseTiming();
        view->undo();
        QCoreApplication::processEvents();
        if (view->string() != original)
            state.SkipWithError("undo did not restore the text");
        state.ResumeTiming();
    }
    state.counters["matches"] = count;
    state.counters["MB"] = original.size() * 2 / 1e6;
    application.reset();
    WPresenter::setShared(nullptr);
    WPlatform::setShared(nullptr);
}

}  // namespace

BENCHMARK(BM_ReplaceAllInWindow)->Iterations(3)->Unit(benchmark::kMillisecond);
