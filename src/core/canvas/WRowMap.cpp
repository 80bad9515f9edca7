#include "canvas/WRowMap.h"

#include <algorithm>
#include <cstddef>
#include <bit>

namespace {

constexpr uint32_t kRowsMask = 0x7FFFFFFFu;

}  // namespace

WRowMap::Chunk WRowMap::makeChunk(size_t count)
{
    Chunk chunk;
    chunk.lines.assign(count, 1u);
    chunk.rows = static_cast<uint32_t>(count);
    chunk.inexact = static_cast<uint32_t>(count);
    return chunk;
}

void WRowMap::recount(Chunk& chunk)
{
    uint32_t rows = 0;
    uint32_t exact = 0;
    for (uint32_t value : chunk.lines) {
        rows += value & kRowsMask;
        exact += value >> 31;
    }
    chunk.rows = rows;
    chunk.inexact = static_cast<uint32_t>(chunk.lines.size()) - exact;
}

void WRowMap::reset(uint32_t lineCount)
{
    mChunks.clear();
    constexpr size_t fill = kChunkMax / 2;  // room to grow before the first split
    for (size_t done = 0; done < lineCount; done += fill)
        mChunks.push_back(makeChunk(std::min<size_t>(fill, lineCount - done)));
    if (mChunks.empty())
        mChunks.emplace_back();
    rebuildTrees();
}

void WRowMap::rebuildTrees()
{
    const size_t count = mChunks.size();
    mLineTree.assign(count + 1, 0);
    mRowTree.assign(count + 1, 0);
    mInexactTree.assign(count + 1, 0);
    mLineCount = mRowCount = mInexactCount = 0;
    for (size_t i = 1; i <= count; ++i) {
        const Chunk& chunk = mChunks[i - 1];
        mLineTree[i] += static_cast<uint32_t>(chunk.lines.size());
        mRowTree[i] += chunk.rows;
        mInexactTree[i] += chunk.inexact;
        mLineCount += static_cast<uint32_t>(chunk.lines.size());
        mRowCount += chunk.rows;
        mInexactCount += chunk.inexact;
        const size_t parent = i + (i & (~i + 1));
        if (parent <= count) {
            mLineTree[parent] += mLineTree[i];
            mRowTree[parent] += mRowTree[i];
            mInexactTree[parent] += mInexactTree[i];
        }
    }
}

void WRowMap::addToTrees(size_t chunk, uint32_t lines, uint32_t rows, uint32_t inexact)
{
    // Unsigned wrap-around makes these additions subtractions where counts fell.
    mLineCount += lines;
    mRowCount += rows;
    mInexactCount += inexact;
    const size_t count = mChunks.size();
    for (size_t i = chunk + 1; i <= count; i += i & (~i + 1)) {
        mLineTree[i] += lines;
        mRowTree[i] += rows;
        mInexactTree[i] += inexact;
    }
}

uint32_t WRowMap::prefix(const std::vector<uint32_t>& tree, size_t chunks)
{
    uint32_t sum = 0;
    for (size_t i = chunks; i > 0; i &= i - 1)
        sum += tree[i];
    return sum;
}

std::pair<size_t, uint32_t> WRowMap::descend(const std::vector<uint32_t>& tree, uint32_t value,
                                             const std::vector<uint32_t>* other, uint32_t* otherBefore) const
{
    const size_t count = mChunks.size();
    size_t position = 0;
    uint32_t before = 0;
    uint32_t alongside = 0;
    for (size_t step = std::bit_floor(count); step > 0; step >>= 1) {
        if (position + step <= count && before + tree[position + step] <= value) {
            position += step;
            before += tree[position];
            if (other)
                alongside += (*other)[position];
        }
    }
    if (otherBefore)
        *otherBefore = alongside;
    return {position, before};
}

std::pair<size_t, uint32_t> WRowMap::chunkOfLine(uint32_t line) const
{
    if (line >= mLineCount)
        return {mChunks.size() - 1, static_cast<uint32_t>(mChunks.back().lines.size())};
    const auto [chunk, before] = descend(mLineTree, line);
    return {chunk, line - before};
}

uint32_t WRowMap::lineCount() const
{
    return mLineCount;
}

uint32_t WRowMap::rowCount() const
{
    return mRowCount;
}

uint32_t WRowMap::rows(uint32_t line) const
{
    if (line >= mLineCount)
        return 0;
    const auto [chunk, index] = chunkOfLine(line);
    return mChunks[chunk].lines[index] & kRowsMask;
}

bool WRowMap::isExact(uint32_t line) const
{
    if (line >= mLineCount)
        return false;
    const auto [chunk, index] = chunkOfLine(line);
    return (mChunks[chunk].lines[index] & kExact) != 0;
}

void WRowMap::setRows(uint32_t line, uint32_t rows, bool exact)
{
    if (line >= mLineCount)
        return;
    // Every line shows at least one row, even an empty one.
    rows = std::clamp<uint32_t>(rows, 1, kRowsMask);
    const auto [chunk, index] = chunkOfLine(line);
    uint32_t& value = mChunks[chunk].lines[index];
    const uint32_t rowDelta = rows - (value & kRowsMask);
    const uint32_t inexactDelta = uint32_t((value & kExact) != 0) - uint32_t(exact);
    value = rows | (exact ? kExact : 0);
    mChunks[chunk].rows += rowDelta;
    mChunks[chunk].inexact += inexactDelta;
    if (rowDelta != 0 || inexactDelta != 0)
        addToTrees(chunk, 0, rowDelta, inexactDelta);
}

uint32_t WRowMap::firstRow(uint32_t line) const
{
    if (line >= mLineCount)
        return mRowCount;
    uint32_t row = 0;
    const auto [chunk, before] = descend(mLineTree, line, &mRowTree, &row);
    const uint32_t index = line - before;
    const std::vector<uint32_t>& lines = mChunks[chunk].lines;
    for (uint32_t i = 0; i < index; ++i)
        row += lines[i] & kRowsMask;
    return row;
}

std::pair<uint32_t, uint32_t> WRowMap::lineOfRow(uint32_t row) const
{
    if (mLineCount == 0)
        return {0, 0};
    if (row >= mRowCount)
        return {mLineCount - 1, rows(mLineCount - 1) - 1};
    uint32_t firstLine = 0;
    const auto [chunk, before] = descend(mRowTree, row, &mLineTree, &firstLine);
    uint32_t left = row - before;
    const std::vector<uint32_t>& lines = mChunks[chunk].lines;
    uint32_t index = 0;
    for (;; ++index) {
        const uint32_t count = lines[index] & kRowsMask;
        if (left < count)
            break;
        left -= count;
    }
    return {firstLine + index, left};
}

void WRowMap::replaceLines(uint32_t first, uint32_t removed, uint32_t added)
{
    first = std::min(first, mLineCount);
    removed = std::min(removed, mLineCount - first);
    if (removed == 0 && added == 0)
        return;
    const auto [chunk, index] = chunkOfLine(first);

    struct Sums {
        uint32_t lines, rows, inexact;
    };
    std::vector<Sums> before;
    size_t last = chunk;
    uint32_t offset = index;
    for (uint32_t left = removed;;) {
        Chunk& c = mChunks[last];
        before.push_back({static_cast<uint32_t>(c.lines.size()), c.rows, c.inexact});
        const uint32_t take = std::min<uint32_t>(left, static_cast<uint32_t>(c.lines.size()) - offset);
        c.lines.erase(c.lines.begin() + offset, c.lines.begin() + offset + take);
        left -= take;
        if (left == 0)
            break;
        ++last;
        offset = 0;
    }
    mChunks[chunk].lines.insert(mChunks[chunk].lines.begin() + index, added, 1u);
    for (size_t i = chunk; i <= last; ++i)
        recount(mChunks[i]);

    bool structural = false;
    // Chunks emptied by the removal go, unless the map keeps nothing else.
    for (size_t i = last + 1; i-- > chunk;) {
        if (mChunks[i].lines.empty() && mChunks.size() > 1) {
            mChunks.erase(mChunks.begin() + static_cast<ptrdiff_t>(i));
            structural = true;
        }
    }
    const size_t around = std::min(chunk, mChunks.size() - 1);
    const size_t size = mChunks[around].lines.size();
    if (size > kChunkMax) {
        // Split into equal pieces of about half a chunk each.
        const size_t pieces = (size + kChunkMax / 2 - 1) / (kChunkMax / 2);
        std::vector<Chunk> split(pieces);
        const std::vector<uint32_t>& lines = mChunks[around].lines;
        for (size_t p = 0; p < pieces; ++p) {
            split[p].lines.assign(lines.begin() + static_cast<ptrdiff_t>(size * p / pieces),
                                  lines.begin() + static_cast<ptrdiff_t>(size * (p + 1) / pieces));
            recount(split[p]);
        }
        mChunks.erase(mChunks.begin() + static_cast<ptrdiff_t>(around));
        mChunks.insert(mChunks.begin() + static_cast<ptrdiff_t>(around), std::make_move_iterator(split.begin()),
                       std::make_move_iterator(split.end()));
        structural = true;
    } else if (size < kChunkMax / 4 && mChunks.size() > 1) {
        // A small chunk joins a neighbour that has room, so deletions do not
        // leave thousands of nearly empty chunks behind.
        size_t other = around + 1 < mChunks.size() ? around + 1 : around - 1;
        if (mChunks[other].lines.size() + size <= kChunkMax) {
            const size_t into = std::min(around, other);
            Chunk& target = mChunks[into];
            const Chunk& source = mChunks[into + 1];
            target.lines.insert(target.lines.end(), source.lines.begin(), source.lines.end());
            recount(target);
            mChunks.erase(mChunks.begin() + static_cast<ptrdiff_t>(into) + 1);
            structural = true;
        }
    }
    if (structural) {
        rebuildTrees();
        return;
    }
    for (size_t i = chunk; i <= last; ++i) {
        const Chunk& c = mChunks[i];
        const Sums& old = before[i - chunk];
        addToTrees(i, static_cast<uint32_t>(c.lines.size()) - old.lines, c.rows - old.rows, c.inexact - old.inexact);
    }
}

void WRowMap::invalidateAll()
{
    for (Chunk& chunk : mChunks) {
        for (uint32_t& value : chunk.lines)
            value &= kRowsMask;
        chunk.inexact = static_cast<uint32_t>(chunk.lines.size());
    }
    rebuildTrees();
}

uint32_t WRowMap::nextInexact(uint32_t line) const
{
    if (line >= mLineCount)
        return mLineCount;
    auto [chunk, index] = chunkOfLine(line);
    const std::vector<uint32_t>* lines = &mChunks[chunk].lines;
    for (size_t i = index; i < lines->size(); ++i)
        if (!((*lines)[i] & kExact))
            return line + static_cast<uint32_t>(i - index);
    // Past this chunk, the inexact counts lead straight to the next chunk with any.
    const uint32_t inexactBefore = prefix(mInexactTree, chunk + 1);
    if (inexactBefore >= mInexactCount)
        return mLineCount;
    chunk = descend(mInexactTree, inexactBefore).first;
    lines = &mChunks[chunk].lines;
    uint32_t i = 0;
    while ((*lines)[i] & kExact)
        ++i;
    return prefix(mLineTree, chunk) + i;
}
