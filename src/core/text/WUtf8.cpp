// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no
// sequence cut short. Opening and detection in bulk go through here, so plain
// ASCII is taken sixteen bytes at a time.
#include "text/WUtf8.h"

#include "text/WEncoding.h"
#include "text/WLargeText.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#define WEXEL_HAVE_SSSE3_PATH 1
#endif

namespace {

// Length of the well-formed sequence at s (1 to 4), or 0 if there is none.
inline int sequenceLength(const uint8_t* s, const uint8_t* end)
{
    uint8_t b = s[0];
    if (b < 0x80)
        return 1;
    size_t left = static_cast<size_t>(end - s);
    if (b >= 0xC2 && b <= 0xDF)
        return left >= 2 && (s[1] & 0xC0) == 0x80 ? 2 : 0;
    if (b >= 0xE0 && b <= 0xEF) {
        if (left < 3 || (s[1] & 0xC0) != 0x80 || (s[2] & 0xC0) != 0x80)
            return 0;
        if (b == 0xE0 && s[1] < 0xA0)
            return 0;  // overlong
        if (b == 0xED && s[1] >= 0xA0)
            return 0;  // surrogate
        return 3;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        if (left < 4 || (s[1] & 0xC0) != 0x80 || (s[2] & 0xC0) != 0x80 || (s[3] & 0xC0) != 0x80)
            return 0;
        if (b == 0xF0 && s[1] < 0x90)
            return 0;  // overlong
        if (b == 0xF4 && s[1] >= 0x90)
            return 0;  // above U+10FFFF
        return 4;
    }
    return 0;
}

#if defined(__SSE2__)
inline bool sixteenAscii(const uint8_t* s)
{
    return _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s))) == 0;
}
#endif

bool isValidUtf8Scalar(const uint8_t* s, const uint8_t* end)
{
    while (s < end) {
#if defined(__SSE2__)
        if (end - s >= 16 && sixteenAscii(s)) {
            s += 16;
            continue;
        }
#endif
        int n = sequenceLength(s, end);
        if (n == 0)
            return false;
        s += n;
    }
    return true;
}

#if defined(WEXEL_HAVE_SSSE3_PATH)
// Sixteen bytes at a time by table lookups on the nibbles of each byte and the
// one before it (after Keiser and Lemire, "Validating UTF-8 in less than one
// instruction per byte"). Each table entry is a set of error bits; a byte pair
// is wrong when all three lookups share a bit.
enum : uint8_t {
    TOO_SHORT = 1 << 0,       // a lead byte, then no continuation
    TOO_LONG = 1 << 1,        // ASCII, then a continuation
    OVERLONG_3 = 1 << 2,      // E0 80..9F
    TOO_LARGE = 1 << 3,       // F4 90..BF and above
    SURROGATE = 1 << 4,       // ED A0..BF
    OVERLONG_2 = 1 << 5,      // C0, C1
    TOO_LARGE_1000 = 1 << 6,  // F5..FF
    OVERLONG_4 = 1 << 6,      // F0 80..8F
    TWO_CONTS = 1 << 7,       // two continuations in a row (right only inside 3- and 4-byte forms)
    CARRY = TOO_SHORT | TOO_LONG | TWO_CONTS,
};

__attribute__((target("ssse3"))) inline __m128i errorsOf(__m128i input, __m128i previous)
{
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const __m128i firstHigh = _mm_setr_epi8(
        TOO_LONG, TOO_LONG, TOO_LONG, TOO_LONG, TOO_LONG, TOO_LONG, TOO_LONG, TOO_LONG,
        char(TWO_CONTS), char(TWO_CONTS), char(TWO_CONTS), char(TWO_CONTS),
        TOO_SHORT | OVERLONG_2, TOO_SHORT, TOO_SHORT | OVERLONG_3 | SURROGATE,
        TOO_SHORT | TOO_LARGE | TOO_LARGE_1000 | OVERLONG_4);
    const __m128i firstLow = _mm_setr_epi8(
        char(CARRY | OVERLONG_3 | OVERLONG_2 | OVERLONG_4), char(CARRY | OVERLONG_2), char(CARRY), char(CARRY),
        char(CARRY | TOO_LARGE), char(CARRY | TOO_LARGE | TOO_LARGE_1000), char(CARRY | TOO_LARGE | TOO_LARGE_1000),
        char(CARRY | TOO_LARGE | TOO_LARGE_1000), char(CARRY | TOO_LARGE | TOO_LARGE_1000),
        char(CARRY | TOO_LARGE | TOO_LARGE_1000), char(CARRY | TOO_LARGE | TOO_LARGE_1000),
        char(CARRY | TOO_LARGE | TOO_LARGE_1000), char(CARRY | TOO_LARGE | TOO_LARGE_1000),
        char(CARRY | TOO_LARGE | TOO_LARGE_1000 | SURROGATE), char(CARRY | TOO_LARGE | TOO_LARGE_1000),
        char(CARRY | TOO_LARGE | TOO_LARGE_1000));
    const __m128i secondHigh = _mm_setr_epi8(
        TOO_SHORT, TOO_SHORT, TOO_SHORT, TOO_SHORT, TOO_SHORT, TOO_SHORT, TOO_SHORT, TOO_SHORT,
        char(TOO_LONG | OVERLONG_2 | TWO_CONTS | OVERLONG_3 | TOO_LARGE_1000 | OVERLONG_4),
        char(TOO_LONG | OVERLONG_2 | TWO_CONTS | OVERLONG_3 | TOO_LARGE),
        char(TOO_LONG | OVERLONG_2 | TWO_CONTS | SURROGATE | TOO_LARGE),
        char(TOO_LONG | OVERLONG_2 | TWO_CONTS | SURROGATE | TOO_LARGE),
        TOO_SHORT, TOO_SHORT, TOO_SHORT, TOO_SHORT);

    __m128i prev1 = _mm_alignr_epi8(input, previous, 15);
    __m128i special = _mm_and_si128(
        _mm_and_si128(_mm_shuffle_epi8(firstHigh, _mm_and_si128(_mm_srli_epi16(prev1, 4), nibble)),
                      _mm_shuffle_epi8(firstLow, _mm_and_si128(prev1, nibble))),
        _mm_shuffle_epi8(secondHigh, _mm_and_si128(_mm_srli_epi16(input, 4), nibble)));
    // Bytes two or three after a 3- or 4-byte lead must be continuations: there the
    // TWO_CONTS bit is expected, and flipping it leaves only real errors.
    __m128i prev2 = _mm_alignr_epi8(input, previous, 14);
    __m128i prev3 = _mm_alignr_epi8(input, previous, 13);
    __m128i must23 = _mm_or_si128(_mm_subs_epu8(prev2, _mm_set1_epi8(char(0xE0 - 0x80))),
                                  _mm_subs_epu8(prev3, _mm_set1_epi8(char(0xF0 - 0x80))));
    return _mm_xor_si128(_mm_and_si128(must23, _mm_set1_epi8(char(0x80))), special);
}

__attribute__((target("ssse3"))) bool isValidUtf8Ssse3(const uint8_t* s, size_t n)
{
    __m128i previous = _mm_setzero_si128();
    __m128i errors = _mm_setzero_si128();
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        __m128i input = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        // Plain ASCII after a finished sequence needs no lookups.
        if (_mm_movemask_epi8(input) == 0 && _mm_movemask_epi8(previous) == 0) {
            previous = input;
            continue;
        }
        errors = _mm_or_si128(errors, errorsOf(input, previous));
        previous = input;
        if ((i & 1023) == 0 && _mm_movemask_epi8(_mm_cmpeq_epi8(errors, _mm_setzero_si128())) != 0xFFFF)
            return false;
    }
    // The rest padded with NULs, which also end any sequence left open.
    alignas(16) uint8_t tail[32] = {};
    if (n > i)  // an empty text may have no bytes to point at
        std::memcpy(tail, s + i, n - i);
    for (size_t k = 0; k < 32; k += 16) {
        __m128i input = _mm_load_si128(reinterpret_cast<const __m128i*>(tail + k));
        errors = _mm_or_si128(errors, errorsOf(input, previous));
        previous = input;
    }
    return _mm_movemask_epi8(_mm_cmpeq_epi8(errors, _mm_setzero_si128())) == 0xFFFF;
}
#endif

}  // namespace

bool WEncoding::isValidUtf8(std::span<const uint8_t> bytes)
{
#if defined(WEXEL_HAVE_SSSE3_PATH)
    static const bool haveSsse3 = __builtin_cpu_supports("ssse3");
    if (haveSsse3)
        return isValidUtf8Ssse3(bytes.data(), bytes.size());
#endif
    return isValidUtf8Scalar(bytes.data(), bytes.data() + bytes.size());
}

namespace wutf8 {

bool isValidScalar(std::span<const uint8_t> bytes)
{
    return isValidUtf8Scalar(bytes.data(), bytes.data() + bytes.size());
}

namespace {

// Widens the next sixteen bytes when they are all ASCII, moving both on.
inline bool takeSixteenAscii(const uint8_t*& s, const uint8_t* end, char16_t*& out)
{
#if defined(__SSE2__)
    if (end - s < 16 || !sixteenAscii(s))
        return false;
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(block, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(block, zero));
    s += 16;
    out += 16;
    return true;
#else
    return false;
#endif
}

// The surrogate pair of the well-formed four-byte sequence at s; answers where
// the next unit goes.
inline char16_t* putFourByteSequence(const uint8_t* s, char16_t* out)
{
    const char32_t c =
        (((s[0] & 0x07u) << 18) | ((s[1] & 0x3Fu) << 12) | ((s[2] & 0x3Fu) << 6) | (s[3] & 0x3Fu)) - 0x10000;
    out[0] = static_cast<char16_t>(0xD800 + (c >> 10));
    out[1] = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    return out + 2;
}

// The units a text already known to be valid decodes to: one for each byte that
// is not a continuation, and one more for each four-byte lead.
size_t unitsOfValid(const uint8_t* s, size_t n)
{
    size_t continuations = 0;
    size_t fourByteLeads = 0;
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i belowLead = _mm_set1_epi8(char(0xC0));
    const __m128i fourLead = _mm_set1_epi8(char(0xF0));
    const __m128i zero = _mm_setzero_si128();
    while (i + 16 <= n) {
        // Byte counters, taken in before any can pass 255.
        __m128i continuationCounts = zero;
        __m128i fourLeadCounts = zero;
        for (int block = 0; block < 255 && i + 16 <= n; ++block, i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            // 80..BF are the signed bytes below C0 that are negative; a match is -1.
            continuationCounts = _mm_sub_epi8(continuationCounts, _mm_cmplt_epi8(v, belowLead));
            fourLeadCounts = _mm_sub_epi8(fourLeadCounts, _mm_cmpeq_epi8(_mm_max_epu8(v, fourLead), v));
        }
        const __m128i sums = _mm_sad_epu8(continuationCounts, zero);
        const __m128i fourSums = _mm_sad_epu8(fourLeadCounts, zero);
        continuations += size_t(_mm_cvtsi128_si32(sums)) + size_t(_mm_extract_epi16(sums, 4));
        fourByteLeads += size_t(_mm_cvtsi128_si32(fourSums)) + size_t(_mm_extract_epi16(fourSums, 4));
    }
#endif
    for (; i < n; ++i) {
        continuations += (s[i] & 0xC0) == 0x80;
        fourByteLeads += s[i] >= 0xF0;
    }
    return n - continuations + fourByteLeads;
}

#if defined(WEXEL_HAVE_SSSE3_PATH)
// Five three-byte sequences in the first fifteen bytes at s, as kana and kanji
// run, decoded at once into out (which takes eight units); false when the bytes
// are anything else.
__attribute__((target("ssse3"))) inline bool fiveThreeByteCharacters(const uint8_t* s, char16_t* out)
{
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const int leads = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, _mm_set1_epi8(char(0xF0))),
                                                       _mm_set1_epi8(char(0xE0))));
    const int continuations = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, _mm_set1_epi8(char(0xC0))),
                                                               _mm_set1_epi8(char(0x80))));
    if ((leads & 0x7FFF) != 0x1249 || (continuations & 0x7FFF) != 0x6DB6)
        return false;
    // Each sixteen-bit lane: the lead alone, and the two continuations (high, low).
    const __m128i lead = _mm_shuffle_epi8(v, _mm_setr_epi8(0, -1, 3, -1, 6, -1, 9, -1, 12, -1, -1, -1, -1, -1, -1, -1));
    const __m128i tail = _mm_shuffle_epi8(v, _mm_setr_epi8(2, 1, 5, 4, 8, 7, 11, 10, 14, 13, -1, -1, -1, -1, -1, -1));
    const __m128i high = _mm_slli_epi16(_mm_and_si128(lead, _mm_set1_epi16(0x0F)), 12);
    const __m128i middle = _mm_srli_epi16(_mm_and_si128(tail, _mm_set1_epi16(0x3F00)), 2);
    const __m128i low = _mm_and_si128(tail, _mm_set1_epi16(0x3F));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_or_si128(high, _mm_or_si128(middle, low)));
    return true;
}

// Decodes three-byte characters five at a time for as long as they run, while
// the eight units each block writes stay inside the text.
__attribute__((target("ssse3"))) void decodeThreeByteRun(const uint8_t*& s, const uint8_t* end, char16_t*& out,
                                                         const char16_t* outEnd)
{
    while (end - s >= 16 && outEnd - out >= 8 && fiveThreeByteCharacters(s, out)) {
        s += 15;
        out += 5;
    }
}
#endif

// Decodes a text already known to be valid into exactly the room it needs.
void decodeValid(std::span<const uint8_t> bytes, std::u16string& text)
{
    const size_t units = unitsOfValid(bytes.data(), bytes.size());
    reserveLarge(text, units);
    text.resize(units);
    char16_t* out = text.data();
    char16_t* const outEnd = out + units;
    const uint8_t* s = bytes.data();
    const uint8_t* end = s + bytes.size();
#if defined(WEXEL_HAVE_SSSE3_PATH)
    static const bool haveSsse3 = __builtin_cpu_supports("ssse3");
#endif
    while (s < end) {
        if (takeSixteenAscii(s, end, out))
            continue;
        const uint8_t b = s[0];
        if (b < 0x80) {
            *out++ = b;
            s += 1;
        } else if (b < 0xE0) {
            *out++ = static_cast<char16_t>(((b & 0x1F) << 6) | (s[1] & 0x3F));
            s += 2;
        } else if (b < 0xF0) {
            *out++ = static_cast<char16_t>(((b & 0x0F) << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F));
            s += 3;
#if defined(WEXEL_HAVE_SSSE3_PATH)
            if (haveSsse3)
                decodeThreeByteRun(s, end, out, outEnd);
#endif
        } else {
            out = putFourByteSequence(s, out);
            s += 4;
        }
    }
}

// Each byte that starts no sequence becomes a U+FFFD, noted in bad.
void decodeLenientlyInto(std::span<const uint8_t> bytes, std::u16string& text, WEncoding::LenientText& bad)
{
    // Never more units than bytes.
    reserveLarge(text, bytes.size());
    text.resize(bytes.size());
    char16_t* out = text.data();
    const uint8_t* s = bytes.data();
    const uint8_t* end = s + bytes.size();
    while (s < end) {
        if (takeSixteenAscii(s, end, out))
            continue;
        int n = sequenceLength(s, end);
        switch (n) {
        case 1: *out++ = s[0]; break;
        case 2: *out++ = static_cast<char16_t>(((s[0] & 0x1F) << 6) | (s[1] & 0x3F)); break;
        case 3:
            *out++ = static_cast<char16_t>(((s[0] & 0x0F) << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F));
            break;
        case 4: out = putFourByteSequence(s, out); break;
        default:
            // One byte at a time, so that the next well-formed sequence is read as itself.
            bad.noteBad(static_cast<size_t>(out - text.data()), static_cast<uint64_t>(s - bytes.data()));
            *out++ = 0xFFFD;
            n = 1;
            break;
        }
        s += n;
    }
    text.resize(static_cast<size_t>(out - text.data()));
    releaseRoomPastEnd(text);
}

}  // namespace

std::optional<std::u16string> decode(std::span<const uint8_t> bytes)
{
    if (!WEncoding::isValidUtf8(bytes))
        return std::nullopt;
    std::u16string text;
    decodeValid(bytes, text);
    return text;
}

WEncoding::LenientText decodeLeniently(std::span<const uint8_t> bytes)
{
    WEncoding::LenientText result;
    decodeLenientlyInto(bytes, result.text, result);
    return result;
}

}  // namespace wutf8
