// Building the URL menu from browser profiles of 20,000 bookmarks each: what
// the editor does at start-up and whenever a bookmarks file has changed.
#include <benchmark/benchmark.h>

#include "bookmarks/WBrowserBookmarks.h"
#include "bookmarks/WChromiumBookmarks.h"
#include "bookmarks/WFirefoxBookmarks.h"
#include "menus/WMenuUtils.h"
#include "support/BookmarkProfiles.h"

namespace {

using bench::kBookmarks;
using bench::profiles;

void BM_FirefoxRead(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(WFirefoxBookmarks::read(profiles().places()));
    state.SetItemsProcessed(state.iterations() * kBookmarks);
}
BENCHMARK(BM_FirefoxRead)->Unit(benchmark::kMillisecond);

void BM_ChromiumRead(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(WChromiumBookmarks::read(profiles().chromium()));
    state.SetItemsProcessed(state.iterations() * kBookmarks);
}
BENCHMARK(BM_ChromiumRead)->Unit(benchmark::kMillisecond);

// The whole URL menu model, both browsers together.
void BM_URLMenu(benchmark::State& state)
{
    profiles();
    for (auto _ : state) {
        WMenu menu(u"url_menu");
        WMenuUtils::attachURLMenuToMenu(menu, "insertMenuURL:");
        benchmark::DoNotOptimize(menu.itemArray().size());
    }
    state.SetItemsProcessed(state.iterations() * 2 * kBookmarks);
}
BENCHMARK(BM_URLMenu)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
