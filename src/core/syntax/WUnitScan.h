#pragma once

#include <cstdint>
#include <string_view>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "text/WRange.h"

// Small walking helpers of the scanners. Every search stays inside [from, end):
// a delimiter counts only when all of its units lie there.
namespace wscan {

// What a scanner's settle hook answers to let the scan go on.
constexpr uint32_t kScanOn = UINT32_MAX;

// A settle hook that never stops the scan.
struct NeverSettle {
    uint32_t operator()(uint32_t, uint32_t) const { return kScanOn; }
};

inline bool isReturn(char16_t c) { return c == u'\r' || c == u'\n' || c == 0x2028 || c == 0x2029; }

inline bool matchesAt(std::u16string_view text, uint32_t p, uint32_t end, std::u16string_view word) {
    if (word.empty() || word.size() > end - p) return false;
    return text.compare(p, word.size(), word) == 0;
}

// The first position in [from, end) holding a, b or c; end when there is none.
inline uint32_t findAny(std::u16string_view text, uint32_t from, uint32_t end, char16_t a, char16_t b,
                        char16_t c) {
    const char16_t* base = text.data();
    const char16_t* p = base + from;
    const char16_t* stop = base + end;
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi16(static_cast<short>(a));
    const __m128i vb = _mm_set1_epi16(static_cast<short>(b));
    const __m128i vc = _mm_set1_epi16(static_cast<short>(c));
    while (stop - p >= 8) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(block, va), _mm_cmpeq_epi16(block, vb)),
                                   _mm_cmpeq_epi16(block, vc));
        int mask = _mm_movemask_epi8(hit);
        if (mask) return static_cast<uint32_t>(p - base) + (__builtin_ctz(static_cast<unsigned>(mask)) >> 1);
        p += 8;
    }
#endif
    while (p != stop && *p != a && *p != b && *p != c) ++p;
    return static_cast<uint32_t>(p - base);
}

// Where the line holding position starts: just past the last line end (CR, LF,
// U+2028, U+2029) before it, or 0.
inline uint32_t lineStartBefore(std::u16string_view text, uint32_t position) {
    const char16_t* base = text.data();
    const char16_t* p = base + position;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi16(u'\r');
    const __m128i lf = _mm_set1_epi16(u'\n');
    // U+2028 and U+2029 differ only in their last bit.
    const __m128i separator = _mm_set1_epi16(0x2028);
    const __m128i lastBit = _mm_set1_epi16(~1);
    while (p - base >= 8) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p - 8));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(block, cr), _mm_cmpeq_epi16(block, lf)),
                                         _mm_cmpeq_epi16(_mm_and_si128(block, lastBit), separator));
        if (const int mask = _mm_movemask_epi8(hit))
            return static_cast<uint32_t>(p - 8 - base) + ((31 - __builtin_clz(static_cast<unsigned>(mask))) >> 1) + 1;
        p -= 8;
    }
#endif
    while (p != base && !isReturn(p[-1])) --p;
    return static_cast<uint32_t>(p - base);
}

// The first occurrence of word lying wholly inside [from, end); end when there is none.
inline uint32_t find(std::u16string_view text, uint32_t from, uint32_t end, std::u16string_view word) {
    if (word.empty()) return end;
    for (uint32_t p = from; p < end;) {
        p = findAny(text, p, end, word[0], word[0], word[0]);
        if (p >= end) break;
        if (matchesAt(text, p, end, word)) return p;
        ++p;
    }
    return end;
}

// Walks [range) for closed multi-line comments and hands each to deliver. Unless
// quotes are ignored, a quote skips to its partner (or the range end), inside
// comments too, with no escape character; the unit right after a closing quote
// is then tested for head and tail only. A deliver answering a bool ends the
// walk when it answers false.
template <typename Emit>
void walkMultiComments(std::u16string_view text, std::u16string_view head, std::u16string_view tail,
                       WRange range, bool ignoreQuotes, Emit&& deliver) {
    if (head.empty() || tail.empty()) return;
    const uint32_t end = range.maxRange();
    bool inComment = false;
    uint32_t start = 0;
    uint32_t p = range.location;
    while (p < end) {
        const char16_t mark = inComment ? tail[0] : head[0];
        p = ignoreQuotes ? findAny(text, p, end, mark, mark, mark) : findAny(text, p, end, mark, u'"', u'\'');
        if (p >= end) break;
        const char16_t c = text[p];
        if (!ignoreQuotes && (c == u'"' || c == u'\'')) {
            uint32_t close = findAny(text, p + 1, end, c, c, c);
            p = close < end ? close + 1 : end;
            if (p >= end) break;
        }
        if (!inComment && matchesAt(text, p, end, head)) {
            inComment = true;
            start = p;
            p += static_cast<uint32_t>(head.size());
            continue;
        }
        if (inComment && matchesAt(text, p, end, tail)) {
            inComment = false;
            p += static_cast<uint32_t>(tail.size());
            if constexpr (std::is_same_v<decltype(deliver(WRange{})), bool>) {
                if (!deliver(WRange{start, p - start})) return;
            } else {
                deliver(WRange{start, p - start});
            }
            continue;
        }
        ++p;
    }
}

}  // namespace wscan
