// The URL menu of the main menu bar built and rendered as QMenus from browser
// profiles of 20,000 bookmarks each, as at start-up or when a bookmarks file
// has changed since the menu was last opened.
#include <QAction>
#include <QMenu>

#include <benchmark/benchmark.h>

#include "menus/WApplicationMenus.h"
#include "support/BookmarkProfiles.h"

namespace {

void BM_URLMenuRendered(benchmark::State& state)
{
    bench::profiles();
    for (auto _ : state) {
        QAction item(QStringLiteral("URLs"));
        WApplicationMenus::addURLMenu(&item);
        benchmark::DoNotOptimize(item.menu()->actions().size());
        state.PauseTiming();
        delete item.menu();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 2 * bench::kBookmarks);
}
BENCHMARK(BM_URLMenuRendered)->Unit(benchmark::kMillisecond);

}  // namespace
