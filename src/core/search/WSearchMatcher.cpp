#include "search/WSearchMatcher.h"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/WLog.h"

namespace {

constexpr uint8_t kBoundaryBefore = 1;  // nothing before this character combines with it

inline char16_t asciiForm(char16_t unit, bool fold)
{
    return (fold && unit >= u'A' && unit <= u'Z') ? static_cast<char16_t>(unit + 32) : unit;
}

}  // namespace

bool WSearchMatcher::startsHere(const char16_t* s, size_t q, size_t end, const AsciiStart& a)
{
    const char16_t c = s[q];
    if (c >= 0x80)
        return true;
    if (c != a.low && c != a.high)
        return false;
    if (!a.pair || q + 1 >= end)
        return true;
    const char16_t d = s[q + 1];
    return d >= 0x80 || d == a.nextLow || d == a.nextHigh;
}

// The first position at or after q whose unit is not ASCII or may begin a match.
size_t WSearchMatcher::skipPlainAscii(const char16_t* s, size_t q, size_t end, const AsciiStart& a)
{
#if defined(__SSE2__)
    const __m128i low = _mm_set1_epi16(static_cast<short>(a.low));
    const __m128i high = _mm_set1_epi16(static_cast<short>(a.high));
    const __m128i nextLow = _mm_set1_epi16(static_cast<short>(a.nextLow));
    const __m128i nextHigh = _mm_set1_epi16(static_cast<short>(a.nextHigh));
    const __m128i asciiMask = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    const __m128i ones = _mm_cmpeq_epi16(zero, zero);
    auto nonAscii = [&](__m128i x) { return _mm_xor_si128(_mm_cmpeq_epi16(_mm_and_si128(x, asciiMask), zero), ones); };
    if (a.pair) {
        // Compare each unit and the one after it: far fewer stops than on the first unit alone.
        while (q + 9 <= end) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + q));
            const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + q + 1));
            const __m128i first = _mm_or_si128(_mm_cmpeq_epi16(x, low), _mm_cmpeq_epi16(x, high));
            const __m128i second = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(y, nextLow), _mm_cmpeq_epi16(y, nextHigh)),
                                                nonAscii(y));
            const unsigned hits =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(nonAscii(x), _mm_and_si128(first, second))));
            if (hits)
                return q + __builtin_ctz(hits) / 2;
            q += 8;
        }
    } else {
        while (q + 8 <= end) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + q));
            const __m128i first = _mm_or_si128(_mm_cmpeq_epi16(x, low), _mm_cmpeq_epi16(x, high));
            const unsigned hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(nonAscii(x), first)));
            if (hits)
                return q + __builtin_ctz(hits) / 2;
            q += 8;
        }
    }
#endif
    for (; q < end; ++q) {
        if (startsHere(s, q, end, a))
            return q;
    }
    return end;
}

size_t WSearchMatcher::skipPlainAsciiBackward(const char16_t* s, size_t start, size_t q, size_t end,
                                              const AsciiStart& a)
{
    // The unit before the end is looked at alone: the block compare reads one past it.
    if (q > start && q == end) {
        if (startsHere(s, q - 1, end, a))
            return q - 1;
        --q;
    }
#if defined(__SSE2__)
    const __m128i low = _mm_set1_epi16(static_cast<short>(a.low));
    const __m128i high = _mm_set1_epi16(static_cast<short>(a.high));
    const __m128i nextLow = _mm_set1_epi16(static_cast<short>(a.pair ? a.nextLow : 0));
    const __m128i nextHigh = _mm_set1_epi16(static_cast<short>(a.pair ? a.nextHigh : 0));
    const __m128i asciiMask = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    const __m128i ones = _mm_cmpeq_epi16(zero, zero);
    auto nonAscii = [&](__m128i x) { return _mm_xor_si128(_mm_cmpeq_epi16(_mm_and_si128(x, asciiMask), zero), ones); };
    while (q >= start + 8) {
        const size_t block = q - 8;
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + block));
        __m128i first = _mm_or_si128(_mm_cmpeq_epi16(x, low), _mm_cmpeq_epi16(x, high));
        if (a.pair) {
            const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + block + 1));
            first = _mm_and_si128(first, _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(y, nextLow),
                                                                   _mm_cmpeq_epi16(y, nextHigh)),
                                                      nonAscii(y)));
        }
        const unsigned hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(nonAscii(x), first)));
        if (hits)
            return block + (31 - __builtin_clz(hits)) / 2;
        q = block;
    }
#endif
    while (q > start) {
        --q;
        if (startsHere(s, q, end, a))
            return q;
    }
    return npos;
}

// The comparison form of each BMP character, computed a page of 256 at a time
// the first time a character of the page is met.
class WSearchMatcher::KeyCache {
public:
    explicit KeyCache(bool fold) : mFold(fold)
    {
        UErrorCode status = U_ZERO_ERROR;
        mNfd = icu::Normalizer2::getNFDInstance(status);
        if (U_FAILURE(status)) {
            mNfd = nullptr;
            WLog::write("WSearchMatcher : no normalization data, comparing code units.");
        }
    }

    char16_t firstUnit(char16_t c) { return entry(c).first; }

    // Whether a segment (a character and the marks that combine with it) can
    // begin at q; start is where the searched range begins.
    bool boundaryBefore(const char16_t* s, size_t start, size_t q, size_t end)
    {
        const char16_t c = s[q];
        if (c < 0x80)
            return true;
        if (!U16_IS_SURROGATE(c))
            return entry(c).flags & kBoundaryBefore;
        if (U16_IS_LEAD(c)) {
            if (q + 1 < end && U16_IS_TRAIL(s[q + 1]))
                return codePointBoundary(U16_GET_SUPPLEMENTARY(c, s[q + 1]));
            return true;
        }
        return !(q > start && U16_IS_LEAD(s[q - 1]));
    }

    // The end of the segment that begins at p.
    size_t segmentEnd(const char16_t* s, size_t p, size_t end)
    {
        size_t r = p + ((U16_IS_LEAD(s[p]) && p + 1 < end && U16_IS_TRAIL(s[p + 1])) ? 2 : 1);
        while (r < end) {
            const char16_t c = s[r];
            if (c < 0x80)
                break;
            size_t length = 1;
            bool boundary = true;
            if (!U16_IS_SURROGATE(c)) {
                boundary = entry(c).flags & kBoundaryBefore;
            } else if (U16_IS_LEAD(c) && r + 1 < end && U16_IS_TRAIL(s[r + 1])) {
                length = 2;
                boundary = codePointBoundary(U16_GET_SUPPLEMENTARY(c, s[r + 1]));
            }
            if (boundary)
                break;
            r += length;
        }
        return r;
    }

    // Compares the form of the segment [p, r) with key[j...]; answers the
    // position in the key after it, or npos when they differ.
    size_t compareSegment(const char16_t* s, size_t p, size_t r, const char16_t* key, size_t j, size_t keyLength)
    {
        const char16_t* form;
        size_t formLength;
        if (r == p + 1 && !U16_IS_SURROGATE(s[p])) {
            const Entry& e = entry(s[p]);
            if (e.length == 1)
                return (j < keyLength && key[j] == e.first) ? j + 1 : npos;
            form = mPool.data() + e.offset;
            formLength = e.length;
        } else {
            mScratch.clear();
            appendForm(std::u16string_view(s + p, r - p), mScratch);
            form = mScratch.data();
            formLength = mScratch.size();
        }
        if (formLength > keyLength - j || std::memcmp(form, key + j, formLength * sizeof(char16_t)) != 0)
            return npos;
        return j + formLength;
    }

    // The form of a whole text, segment by segment, as the searched text is compared.
    void appendSegments(std::u16string_view text, std::u16string& out)
    {
        const char16_t* s = text.data();
        const size_t end = text.size();
        size_t p = 0;
        while (p < end) {
            const size_t r = segmentEnd(s, p, end);
            if (r == p + 1 && !U16_IS_SURROGATE(s[p])) {
                const Entry& e = entry(s[p]);
                if (e.length == 1)
                    out.push_back(e.first);
                else
                    out.append(mPool, e.offset, e.length);
            } else {
                appendForm(std::u16string_view(s + p, r - p), out);
            }
            p = r;
        }
    }

private:
    struct Entry {
        char16_t first = 0;  // the form's first unit (the whole form when length is 1)
        uint8_t length = 0;
        uint8_t flags = 0;
        uint32_t offset = 0;  // into mPool, when length > 1
    };

    const Entry& entry(char16_t c)
    {
        auto& page = mPages[c >> 8];
        if (!page)
            fill(c >> 8);
        return page[c & 0xFF];
    }

    void fill(unsigned page)
    {
        auto entries = std::make_unique<Entry[]>(256);
        std::u16string form;
        for (unsigned i = 0; i < 256; ++i) {
            const char16_t c = static_cast<char16_t>(page << 8 | i);
            Entry& e = entries[i];
            if (U16_IS_SURROGATE(c)) {
                e = {c, 1, kBoundaryBefore, 0};
                continue;
            }
            e.flags = codePointBoundary(c) ? kBoundaryBefore : 0;
            form.clear();
            appendForm(std::u16string_view(&c, 1), form);
            e.length = static_cast<uint8_t>(form.size());
            e.first = form.empty() ? 0 : form[0];
            if (form.size() > 1) {
                e.offset = static_cast<uint32_t>(mPool.size());
                mPool += form;
            }
        }
        mPages[page] = std::move(entries);
    }

    bool codePointBoundary(UChar32 c) const { return !mNfd || mNfd->hasBoundaryBefore(c); }

    void appendForm(std::u16string_view piece, std::u16string& out) const
    {
        if (!mNfd) {
            out.append(piece);
            return;
        }
        UErrorCode status = U_ZERO_ERROR;
        const icu::UnicodeString source(false, piece.data(), static_cast<int32_t>(piece.size()));
        icu::UnicodeString form = mNfd->normalize(source, status);
        if (mFold && U_SUCCESS(status)) {
            form.foldCase(U_FOLD_CASE_DEFAULT);
            form = mNfd->normalize(form, status);
        }
        if (U_FAILURE(status)) {
            out.append(piece);
            return;
        }
        out.append(form.getBuffer(), static_cast<size_t>(form.length()));
    }

    bool mFold;
    const icu::Normalizer2* mNfd = nullptr;
    std::array<std::unique_ptr<Entry[]>, 256> mPages;
    std::u16string mPool;
    std::u16string mScratch;
};

WSearchMatcher::WSearchMatcher(std::u16string_view pattern, bool ignoreCase)
    : mPattern(pattern), mIgnoreCase(ignoreCase), mCache(std::make_unique<KeyCache>(ignoreCase))
{
    mCache->appendSegments(mPattern, mKey);
    // The key is folded already, so only its lower-case ASCII letters have a second form.
    auto otherCase = [&](char16_t unit) {
        return (ignoreCase && unit >= u'a' && unit <= u'z') ? static_cast<char16_t>(unit - 32) : unit;
    };
    if (!mKey.empty() && mKey[0] < 0x80) {
        mAsciiStart.low = mKey[0];
        mAsciiStart.high = otherCase(mKey[0]);
        if (mKey.size() >= 2 && mKey[1] < 0x80) {
            mAsciiStart.pair = true;
            mAsciiStart.nextLow = mKey[1];
            mAsciiStart.nextHigh = otherCase(mKey[1]);
        }
    }
}

WSearchMatcher::~WSearchMatcher() = default;

std::u16string WSearchMatcher::comparisonForm(std::u16string_view text, bool ignoreCase)
{
    KeyCache cache(ignoreCase);
    std::u16string form;
    cache.appendSegments(text, form);
    return form;
}

bool WSearchMatcher::mayStartMatch(char16_t unit) const
{
    return U16_IS_SURROGATE(unit) || mCache->firstUnit(unit) == mKey[0];
}

size_t WSearchMatcher::nextCandidate(const char16_t* s, size_t q, size_t end) const
{
    while (q < end) {
        q = skipPlainAscii(s, q, end, mAsciiStart);
        if (q >= end)
            return end;
        char16_t c = s[q];
        if (c < 0x80)
            return q;
        // A run of other characters (Japanese text, say): one table look-up each.
        do {
            if (mayStartMatch(c))
                return q;
            ++q;
        } while (q < end && (c = s[q]) >= 0x80);
    }
    return end;
}

size_t WSearchMatcher::matchAt(const char16_t* s, size_t q, size_t end) const
{
    const char16_t* key = mKey.data();
    const size_t keyLength = mKey.size();
    size_t j = 0;
    size_t p = q;
    while (j < keyLength) {
        if (p >= end)
            return npos;
        const char16_t c = s[p];
        // An ASCII character followed by another (or by the end) is a segment of its own.
        if (c < 0x80 && (p + 1 >= end || s[p + 1] < 0x80)) {
            if (asciiForm(c, mIgnoreCase) != key[j])
                return npos;
            ++j;
            ++p;
            continue;
        }
        const size_t r = mCache->segmentEnd(s, p, end);
        j = mCache->compareSegment(s, p, r, key, j, keyLength);
        if (j == npos)
            return npos;
        p = r;
    }
    return p;
}

size_t WSearchMatcher::findForward(const char16_t* s, size_t start, size_t end, size_t* matchEnd) const
{
    if (leadingMarksMatch(s, start, end, matchEnd))
        return start;
    size_t q = start;
    while ((q = nextCandidate(s, q, end)) < end) {
        if (q == start || mCache->boundaryBefore(s, start, q, end)) {
            const size_t r = matchAt(s, q, end);
            if (r != npos) {
                *matchEnd = r;
                return q;
            }
        }
        ++q;
    }
    return npos;
}

bool WSearchMatcher::leadingMarksMatch(const char16_t* s, size_t start, size_t end, size_t* matchEnd) const
{
    // A range that begins with combining marks has a first segment whose form
    // may begin with any of them once they are put in canonical order, so the
    // first-unit filter does not apply to it.
    if (start >= end || s[start] < 0x80 || mCache->boundaryBefore(s, start, start, end))
        return false;
    const size_t r = matchAt(s, start, end);
    if (r == npos)
        return false;
    *matchEnd = r;
    return true;
}

size_t WSearchMatcher::findBackward(const char16_t* s, size_t start, size_t end, size_t* matchEnd) const
{
    size_t q = end;
    while ((q = skipPlainAsciiBackward(s, start, q, end, mAsciiStart)) != npos) {
        const char16_t c = s[q];
        if ((c < 0x80 || mayStartMatch(c)) && (q == start || mCache->boundaryBefore(s, start, q, end))) {
            const size_t r = matchAt(s, q, end);
            if (r != npos) {
                *matchEnd = r;
                return q;
            }
        }
    }
    return leadingMarksMatch(s, start, end, matchEnd) ? start : npos;
}

WRange WSearchMatcher::find(std::u16string_view text, WRange range, WSearchDirection direction) const
{
    const WRange notFound{WNotFound, 0};
    if (text.size() >= WNotFound || range.location > text.size() || range.length > text.size() - range.location) {
        WLog::write("WSearchMatcher::find - range out of bounds.");
        return notFound;
    }
    if (mKey.empty())
        return notFound;
    size_t matchEnd = 0;
    const size_t found = direction == WSearchBackward
                             ? findBackward(text.data(), range.location, range.maxRange(), &matchEnd)
                             : findForward(text.data(), range.location, range.maxRange(), &matchEnd);
    if (found == npos)
        return notFound;
    return {static_cast<uint32_t>(found), static_cast<uint32_t>(matchEnd - found)};
}

template <class Write>
uint32_t WSearchMatcher::replaceEach(std::u16string_view text, std::u16string_view replacement, Write&& write) const
{
    if (text.size() >= WNotFound) {
        WLog::write("WSearchMatcher::replaceAll - text too long.");
        write(text);
        return 0;
    }
    if (mKey.empty()) {
        write(text);
        return 0;
    }
    const char16_t* s = text.data();
    const size_t n = text.size();
    uint32_t count = 0;
    size_t p = 0;
    size_t matchEnd = 0;
    // Each further search starts where the last occurrence ended, as a fresh
    // range, so occurrences never overlap and replacements are never searched.
    for (size_t found = findForward(s, p, n, &matchEnd); found != npos; found = findForward(s, p, n, &matchEnd)) {
        write(std::u16string_view(s + p, found - p));
        write(replacement);
        ++count;
        p = matchEnd;
    }
    write(std::u16string_view(s + p, n - p));
    return count;
}

WSearchMatcher::Replacement WSearchMatcher::replaceAll(std::u16string_view text, std::u16string_view replacement) const
{
    Replacement result;
    if (replacement.size() > mPattern.size())
        result.text.reserve(text.size() + text.size() / 4);
    else
        result.text.reserve(text.size());
    result.count = replaceEach(text, replacement, [&](std::u16string_view piece) { result.text.append(piece); });
    return result;
}

uint32_t WSearchMatcher::replaceAll(std::u16string_view text, std::u16string_view replacement,
                                    const std::function<void(std::u16string_view piece)>& write) const
{
    return replaceEach(text, replacement, write);
}
