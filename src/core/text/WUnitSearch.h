#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Finding one UTF-16 code unit quickly: line-end conversion walks whole files,
// so the search for the next CR or LF goes eight units at a time.
namespace wunit {

inline const char16_t* find(const char16_t* p, const char16_t* end, char16_t unit)
{
#if defined(__SSE2__)
    const __m128i needle = _mm_set1_epi16(static_cast<short>(unit));
    while (end - p >= 8) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(block, needle));
        if (mask)
            return p + (__builtin_ctz(static_cast<unsigned>(mask)) >> 1);
        p += 8;
    }
#endif
    while (p != end && *p != unit)
        ++p;
    return p;
}

inline char16_t* find(char16_t* p, char16_t* end, char16_t unit)
{
    return const_cast<char16_t*>(find(static_cast<const char16_t*>(p), static_cast<const char16_t*>(end), unit));
}

}  // namespace wunit
