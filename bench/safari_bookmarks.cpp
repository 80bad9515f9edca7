// Reading a Safari bookmarks file of 100,000 bookmarks with their sync
// records, in the binary and the XML form, and building its menu.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "../tests/support/SafariBookmarks.h"
#include "menus/WMenuUtils.h"
#include "prefs/WPlistSerialization.h"

namespace {

constexpr int kFolders = 100;
constexpr int kPerFolder = 1000;

const std::string& file(bool binary)
{
    static const WDictionary tree = safari::bookmarks(kFolders, kPerFolder, true);
    static const std::string xml = safari::xml(tree);
    static const std::string bin = safari::binary(tree);
    return binary ? bin : xml;
}

void BM_SafariPlistRead(benchmark::State& state)
{
    const std::string& bytes = file(state.range(0) != 0);
    for (auto _ : state) {
        auto list = WPlistSerialization::propertyListFromData(bytes);
        if (!list)
            state.SkipWithError("refused");
        benchmark::DoNotOptimize(list);
    }
    state.SetLabel(state.range(0) ? "binary" : "XML");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
    state.SetItemsProcessed(state.iterations() * kFolders * kPerFolder);
}
BENCHMARK(BM_SafariPlistRead)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_SafariMenu(benchmark::State& state)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("wexel-bench-safari-" + std::to_string(::getpid()) + ".plist");
    std::ofstream(path, std::ios::binary) << file(state.range(0) != 0);
    for (auto _ : state) {
        WMenu menu;
        if (!WMenuUtils::constructURLMenuWithSafariFile(menu, path, "insertMenuURL:"))
            state.SkipWithError("no menu");
        benchmark::DoNotOptimize(menu);
    }
    std::filesystem::remove(path);
    state.SetLabel(state.range(0) ? "binary" : "XML");
    state.SetItemsProcessed(state.iterations() * kFolders * kPerFolder);
}
BENCHMARK(BM_SafariMenu)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
