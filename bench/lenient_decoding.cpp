// Reading a 10 MB file that is text in no encoding, as opening does: the
// strict attempt beside the lenient one, for a text file with a few bad bytes
// and for binary data in which most bytes are bad.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "document/WDocumentData.h"
#include "text/WEncoding.h"

namespace {

constexpr size_t kSize = 10'000'000;

// Shift JIS Japanese and ASCII lines, with a byte no encoding reads every 1000 lines.
std::vector<uint8_t> fewBadBytes()
{
    const std::string line = "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd <p>Wexel</p>\r\n";
    std::vector<uint8_t> bytes;
    bytes.reserve(kSize + line.size() + 1);
    for (size_t n = 0; bytes.size() < kSize; ++n) {
        bytes.insert(bytes.end(), line.begin(), line.end());
        if (n % 1000 == 0)
            bytes.push_back(0xFD);
    }
    return bytes;
}

std::vector<uint8_t> binary()
{
    std::mt19937 random(7);
    std::vector<uint8_t> bytes(kSize);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(random());
    return bytes;
}

void run(benchmark::State& state, const std::vector<uint8_t>& bytes, WStringEncoding encoding)
{
    uint64_t bad = 0;
    for (auto _ : state)
        bad = WEncoding::decodeLeniently(bytes, encoding).badBytes;
    state.counters["bad_bytes"] = static_cast<double>(bad);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void BM_LenientFewBadShiftJis(benchmark::State& state)
{
    run(state, fewBadBytes(), WShiftJISEncoding);
}
BENCHMARK(BM_LenientFewBadShiftJis)->Unit(benchmark::kMillisecond);

void BM_LenientBinary(benchmark::State& state)
{
    const std::vector<uint8_t> bytes = binary();
    for (WStringEncoding encoding : {WShiftJISEncoding, WEUCEncoding, WUTF8Encoding})
        if (state.range(0) == encoding)
            run(state, bytes, encoding);
}
BENCHMARK(BM_LenientBinary)
    ->Arg(WShiftJISEncoding)
    ->Arg(WEUCEncoding)
    ->Arg(WUTF8Encoding)
    ->Unit(benchmark::kMillisecond);

// The whole of opening such a file: every strict attempt that fails, then the lenient reading.
void BM_OpenFewBadBytes(benchmark::State& state)
{
    const std::vector<uint8_t> bytes = fewBadBytes();
    for (auto _ : state) {
        benchmark::DoNotOptimize(WDocumentData::openData(bytes, "bench.txt"));
        benchmark::DoNotOptimize(WDocumentData::openDataLeniently(bytes));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_OpenFewBadBytes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
