#include "canvas/WLineIndex.h"

#include <algorithm>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Appends offset + i + 1 for every CR at text[i]: the start of the line after it.
// Texts of hundreds of megabytes are scanned eight units at a time, which keeps
// this at memory speed even with a CR every forty units.
void appendLineStarts(std::u16string_view text, uint32_t offset, std::vector<uint32_t>& starts)
{
    const char16_t* data = text.data();
    const size_t size = text.size();
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi16(u'\r');
    for (; i + 8 <= size; i += 8) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        // Two mask bits per unit: keep the low one of each pair.
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(block, cr))) & 0x5555u;
        while (mask) {
            const unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
            starts.push_back(offset + static_cast<uint32_t>(i + bit / 2) + 1);
            mask &= mask - 1;
        }
    }
#endif
    for (; i < size; ++i)
        if (data[i] == u'\r')
            starts.push_back(offset + static_cast<uint32_t>(i) + 1);
}

}  // namespace

void WLineIndex::reset(std::u16string_view text)
{
    mStarts.clear();
    // A guess of one line per forty units spares most of the regrowing.
    mStarts.reserve(text.size() / 40 + 1);
    mStarts.push_back(0);
    appendLineStarts(text, 0, mStarts);
    mLength = static_cast<uint32_t>(text.size());
    mGap = mStarts.size();
    mDelta = 0;
    mLongestKnown = false;
}

void WLineIndex::moveGap(size_t gap)
{
    if (mDelta != 0) {
        if (gap > mGap) {
            for (size_t i = mGap; i < gap; ++i)
                mStarts[i] += mDelta;
        } else {
            for (size_t i = gap; i < mGap; ++i)
                mStarts[i] -= mDelta;
        }
    }
    mGap = gap;
}

void WLineIndex::replace(std::u16string_view text, WRange oldRange, uint32_t newLength)
{
    const uint32_t location = std::min(oldRange.location, mLength);
    const uint32_t removed = std::min(oldRange.length, mLength - location);
    const uint32_t firstLine = lineOfPosition(location);
    // Lines firstLine + 1 .. lastLine start inside the removed characters (after a removed CR).
    const uint32_t lastLine = lineOfPosition(location + removed);

    thread_local std::vector<uint32_t> added;
    added.clear();
    if (location < text.size())
        appendLineStarts(text.substr(location, newLength), location, added);

    // Everything up to lastLine is written out; what follows keeps one shift.
    moveGap(size_t(lastLine) + 1);
    const size_t removedStarts = lastLine - firstLine;
    const auto at = mStarts.begin() + firstLine + 1;
    if (added.size() == removedStarts) {
        std::copy(added.begin(), added.end(), at);
    } else if (added.size() < removedStarts) {
        std::copy(added.begin(), added.end(), at);
        mStarts.erase(at + static_cast<ptrdiff_t>(added.size()), at + static_cast<ptrdiff_t>(removedStarts));
    } else {
        std::copy(added.begin(), added.begin() + static_cast<ptrdiff_t>(removedStarts), at);
        mStarts.insert(at + static_cast<ptrdiff_t>(removedStarts), added.begin() + static_cast<ptrdiff_t>(removedStarts),
                       added.end());
    }
    mGap = firstLine + 1 + added.size();
    mDelta += newLength - removed;
    mLength = mLength - removed + newLength;
    if (mGap >= mStarts.size())
        mDelta = 0;

    if (!mLongestKnown)
        return;
    // Lines outside the edit keep their lengths, so the longest one is either the
    // one known before (when the edit left it alone) or one of the edited lines.
    const uint32_t lengthBefore = mLongestLength;
    const uint32_t editedLast = firstLine + static_cast<uint32_t>(added.size());
    const bool longestEdited = mLongest >= firstLine && mLongest <= lastLine;
    uint32_t best = WNotFound;
    uint32_t bestLength = 0;
    for (uint32_t line = firstLine; line <= editedLast; ++line) {
        const uint32_t length = lineLength(line);
        if (best == WNotFound || length > bestLength) {
            best = line;
            bestLength = length;
        }
    }
    if (longestEdited) {
        // Unchanged lines as long as the old longest all come after the edit.
        if (bestLength >= lengthBefore) {
            mLongest = best;
            mLongestLength = bestLength;
        } else {
            mLongestKnown = false;
        }
        return;
    }
    if (mLongest > lastLine)
        mLongest = mLongest - lastLine + editedLast;
    if (bestLength > lengthBefore || (bestLength == lengthBefore && best < mLongest)) {
        mLongest = best;
        mLongestLength = bestLength;
    }
}

uint32_t WLineIndex::lineCount() const
{
    return static_cast<uint32_t>(mStarts.size());
}

uint32_t WLineIndex::lineStart(uint32_t line) const
{
    return line < mStarts.size() ? storedStart(line) : mLength;
}

uint32_t WLineIndex::lineEnd(uint32_t line) const
{
    return size_t(line) + 1 < mStarts.size() ? storedStart(size_t(line) + 1) - 1 : mLength;
}

uint32_t WLineIndex::lineOfPosition(uint32_t position) const
{
    position = std::min(position, mLength);
    // The last start at or before position: below the gap the stored starts are
    // true, above it they all lack the same shift (stored alone they may even
    // have wrapped around, so only stored + shift is compared).
    const auto gap = mStarts.begin() + static_cast<ptrdiff_t>(mGap);
    if (mDelta == 0 || gap == mStarts.end() || position < *gap + mDelta) {
        const auto end = mDelta == 0 ? mStarts.end() : gap;
        return static_cast<uint32_t>(std::upper_bound(mStarts.begin(), end, position) - mStarts.begin() - 1);
    }
    const uint32_t delta = mDelta;
    const auto after = std::upper_bound(gap, mStarts.end(), position,
                                        [delta](uint32_t p, uint32_t stored) { return p < stored + delta; });
    return static_cast<uint32_t>(after - mStarts.begin() - 1);
}

void WLineIndex::findLongest() const
{
    uint32_t best = 0;
    uint32_t bestLength = 0;
    uint32_t previous = 0;
    const size_t count = mStarts.size();
    for (size_t i = 1; i < count; ++i) {
        const uint32_t start = storedStart(i);
        if (start - 1 - previous > bestLength) {
            bestLength = start - 1 - previous;
            best = static_cast<uint32_t>(i - 1);
        }
        previous = start;
    }
    if (mLength - previous > bestLength) {
        bestLength = mLength - previous;
        best = static_cast<uint32_t>(count - 1);
    }
    mLongest = best;
    mLongestLength = bestLength;
    mLongestKnown = true;
}

uint32_t WLineIndex::longestLine() const
{
    if (!mLongestKnown)
        findLongest();
    return mLongest;
}
