#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// How many screen rows each line of the text takes (more than one when word
// wrap breaks it), with look-ups both ways that stay fast for millions of lines.
// A line's count may be an estimate until the view has wrapped it; the map keeps
// which lines are exact.
class WRowMap {
public:
    // count lines of one estimated row each.
    void reset(uint32_t lineCount);
    uint32_t lineCount() const;
    uint32_t rowCount() const;

    uint32_t rows(uint32_t line) const;
    bool isExact(uint32_t line) const;
    void setRows(uint32_t line, uint32_t rows, bool exact);

    // The first row of line (the rows of the lines before it).
    uint32_t firstRow(uint32_t line) const;
    // The line showing row and the row's index inside that line; a row past the
    // end answers the last line's last row.
    std::pair<uint32_t, uint32_t> lineOfRow(uint32_t row) const;

    // Lines [first, first + removed) became added lines, each one estimated row.
    void replaceLines(uint32_t first, uint32_t removed, uint32_t added);
    // Marks every line as an estimate again (the width or the font changed).
    void invalidateAll();
    // The first line at or after line whose count is an estimate; lineCount() if none.
    uint32_t nextInexact(uint32_t line) const;

private:
    // Lines are kept in chunks of a few hundred, each with its sums, and Fenwick
    // trees over the chunks answer "which chunk" both ways in log time; inserting a
    // line only moves the entries of its chunk.
    struct Chunk {
        std::vector<uint32_t> lines;  // the row count, kExact set when it is exact
        uint32_t rows = 0;
        uint32_t inexact = 0;
    };
    static constexpr uint32_t kExact = 0x80000000u;
    static constexpr size_t kChunkMax = 256;

    // The chunk holding line and the line's index in it; line == lineCount() is
    // one past the last chunk's end.
    std::pair<size_t, uint32_t> chunkOfLine(uint32_t line) const;
    void rebuildTrees();
    void addToTrees(size_t chunk, uint32_t lines, uint32_t rows, uint32_t inexact);
    static uint32_t prefix(const std::vector<uint32_t>& tree, size_t chunks);
    // The chunk where the running sum of tree first exceeds value, and the sum before it;
    // alongside, the sum of other over the chunks before it when other is given.
    std::pair<size_t, uint32_t> descend(const std::vector<uint32_t>& tree, uint32_t value,
                                        const std::vector<uint32_t>* other = nullptr, uint32_t* otherBefore = nullptr) const;
    static Chunk makeChunk(size_t count);
    static void recount(Chunk& chunk);

    std::vector<Chunk> mChunks = std::vector<Chunk>(1);  // never empty
    std::vector<uint32_t> mLineTree = {0, 0};            // Fenwick trees, 1-based
    std::vector<uint32_t> mRowTree = {0, 0};
    std::vector<uint32_t> mInexactTree = {0, 0};
    uint32_t mLineCount = 0;
    uint32_t mRowCount = 0;
    uint32_t mInexactCount = 0;
};
