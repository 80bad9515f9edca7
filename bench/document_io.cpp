// The stages of opening a document, on real Japanese text in memory: detection,
// the UTF-8 check, decoding and the conversion to CR form.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "text/WEncoding.h"
#include "text/WStringUtils.h"
#include "text/WTextUtils.h"

namespace {

// About 8 MB of the Japanese manual pages as UTF-8 with LF line ends, or a
// generated stand-in when they are not installed.
const std::vector<uint8_t>& sampleUtf8()
{
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> data;
        FILE* pipe = popen("find /usr/share/man/ja -name '*.gz' 2>/dev/null | sort | head -400 | xargs -r zcat 2>/dev/null", "r");
        if (pipe) {
            char buffer[65536];
            size_t got;
            while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
                data.insert(data.end(), buffer, buffer + got);
            pclose(pipe);
        }
        if (data.empty() || !WEncoding::isValidUtf8(data)) {
            data.clear();
            const std::string line = ".TH LS 1\n\xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab\xe3\x81\xae\xe4\xb8\x80\xe8\xa6\xa7 -l option\n";
            while (data.size() < (8u << 20))
                data.insert(data.end(), line.begin(), line.end());
        }
        return data;
    }();
    return bytes;
}

std::vector<uint8_t> encoded(WStringEncoding encoding, WReturnCodeType kind)
{
    auto text = *WEncoding::decode(sampleUtf8(), WUTF8Encoding);
    // Keep only what every Japanese encoding can hold.
    for (auto& u : text) {
        if (u >= 0x80 && !(u >= 0x3040 && u <= 0x30FF) && !(u >= 0x4E00 && u <= 0x9FA0))
            u = u'?';
        if (u >= 0xD800 && u <= 0xDFFF)
            u = u'?';
    }
    auto result = WEncoding::encode(WStringUtils::convertReturnsFromCR(WStringUtils::convertReturnsToCR(text), kind),
                                    encoding);
    return result.error ? std::vector<uint8_t>() : result.bytes;
}

void setBytes(benchmark::State& state, size_t size)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

void BM_DetectUtf8(benchmark::State& state)
{
    const auto& data = sampleUtf8();
    for (auto _ : state)
        benchmark::DoNotOptimize(WTextUtils::detectCharacterCodeType(data));
    setBytes(state, data.size());
}
BENCHMARK(BM_DetectUtf8);

void BM_DetectShiftJis(benchmark::State& state)
{
    static const auto data = encoded(WShiftJISEncoding, WLF_type);
    for (auto _ : state)
        benchmark::DoNotOptimize(WTextUtils::detectCharacterCodeType(data));
    setBytes(state, data.size());
}
BENCHMARK(BM_DetectShiftJis);

void BM_DetectAscii(benchmark::State& state)
{
    static const std::vector<uint8_t> data(8u << 20, 'a');
    for (auto _ : state)
        benchmark::DoNotOptimize(WTextUtils::detectCharacterCodeType(data));
    setBytes(state, data.size());
}
BENCHMARK(BM_DetectAscii);

void BM_ValidateUtf8(benchmark::State& state)
{
    const auto& data = sampleUtf8();
    for (auto _ : state)
        benchmark::DoNotOptimize(WEncoding::isValidUtf8(data));
    setBytes(state, data.size());
}
BENCHMARK(BM_ValidateUtf8);

void BM_Decode(benchmark::State& state)
{
    auto encoding = static_cast<WStringEncoding>(state.range(0));
    static std::vector<uint8_t> data;
    data = encoding == WUTF8Encoding ? sampleUtf8() : encoded(encoding, WLF_type);
    for (auto _ : state)
        benchmark::DoNotOptimize(WEncoding::decode(data, encoding));
    setBytes(state, data.size());
}
BENCHMARK(BM_Decode)->Arg(WUTF8Encoding)->Arg(WShiftJISEncoding)->Arg(WEUCEncoding)->Arg(WJISEncoding)->Arg(WUTF16Encoding);

void BM_Encode(benchmark::State& state)
{
    auto encoding = static_cast<WStringEncoding>(state.range(0));
    static std::u16string text;
    text = *WEncoding::decode(encoded(encoding, WLF_type), encoding);
    for (auto _ : state)
        benchmark::DoNotOptimize(WEncoding::encode(text, encoding));
    setBytes(state, text.size() * 2);
}
BENCHMARK(BM_Encode)->Arg(WUTF8Encoding)->Arg(WShiftJISEncoding)->Arg(WUTF16Encoding);

void BM_ReturnsToCR(benchmark::State& state)
{
    auto kind = static_cast<WReturnCodeType>(state.range(0));
    static std::u16string text;
    text = WStringUtils::convertReturnsFromCR(WStringUtils::convertReturnsToCR(*WEncoding::decode(sampleUtf8(), WUTF8Encoding)), kind);
    for (auto _ : state) {
        std::u16string copy = text;
        WStringUtils::convertReturnsToCRInPlace(copy);
        benchmark::DoNotOptimize(copy.data());
    }
    setBytes(state, text.size() * 2);
}
BENCHMARK(BM_ReturnsToCR)->Arg(WLF_type)->Arg(WCRLF_type);

void BM_ReturnsFromCR(benchmark::State& state)
{
    static const std::u16string text = WStringUtils::convertReturnsToCR(*WEncoding::decode(sampleUtf8(), WUTF8Encoding));
    for (auto _ : state)
        benchmark::DoNotOptimize(WStringUtils::convertReturnsFromCR(text, WCRLF_type));
    setBytes(state, text.size() * 2);
}
BENCHMARK(BM_ReturnsFromCR);

}  // namespace

BENCHMARK_MAIN();
