#pragma once

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
};
