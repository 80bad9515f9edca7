#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "canvas/WRowMap.h"

namespace {

struct Line {
    uint32_t rows = 1;
    bool exact = false;
};

// Checks the map against a plain list, line by line and row by row.
void expectMatches(const WRowMap& map, const std::vector<Line>& lines)
{
    ASSERT_EQ(map.lineCount(), lines.size());
    uint32_t row = 0;
    for (uint32_t line = 0; line < lines.size(); ++line) {
        ASSERT_EQ(map.rows(line), lines[line].rows) << "line " << line;
        ASSERT_EQ(map.isExact(line), lines[line].exact) << "line " << line;
        ASSERT_EQ(map.firstRow(line), row) << "line " << line;
        for (uint32_t inside = 0; inside < lines[line].rows; ++inside)
            ASSERT_EQ(map.lineOfRow(row + inside), std::make_pair(line, inside)) << "row " << row + inside;
        row += lines[line].rows;
    }
    ASSERT_EQ(map.rowCount(), row);
    ASSERT_EQ(map.firstRow(uint32_t(lines.size())), row);
    uint32_t next = uint32_t(lines.size());
    for (uint32_t line = uint32_t(lines.size()); line-- > 0;) {
        if (!lines[line].exact)
            next = line;
        ASSERT_EQ(map.nextInexact(line), next) << "line " << line;
    }
}

}  // namespace

TEST(RowMap, EmptyAndOneLine)
{
    WRowMap map;
    EXPECT_EQ(map.lineCount(), 0u);
    EXPECT_EQ(map.rowCount(), 0u);
    EXPECT_EQ(map.lineOfRow(3), std::make_pair(0u, 0u));
    EXPECT_EQ(map.nextInexact(0), 0u);
    map.replaceLines(0, 0, 1);
    expectMatches(map, {Line{}});

    map.reset(1);
    map.setRows(0, 3, true);
    EXPECT_EQ(map.lineOfRow(2), std::make_pair(0u, 2u));
    EXPECT_EQ(map.lineOfRow(50), std::make_pair(0u, 2u));  // past the end: the last row
    EXPECT_EQ(map.nextInexact(0), 1u);
    map.setRows(0, 0, true);  // a line always shows a row
    EXPECT_EQ(map.rows(0), 1u);
    map.replaceLines(0, 1, 0);
    expectMatches(map, {});
}

TEST(RowMap, WrappedLinesAndEstimates)
{
    WRowMap map;
    map.reset(5);
    std::vector<Line> lines(5);
    map.setRows(1, 4, true);
    lines[1] = {4, true};
    map.setRows(3, 2, false);  // an estimate stays one
    lines[3] = {2, false};
    expectMatches(map, lines);

    map.invalidateAll();  // new width: counts kept as estimates
    for (Line& line : lines)
        line.exact = false;
    expectMatches(map, lines);
}

TEST(RowMap, ManyLinesAcrossChunks)
{
    // Enough lines for many chunks; insertions that split them and removals
    // that empty whole chunks.
    WRowMap map;
    map.reset(3000);
    std::vector<Line> lines(3000);
    for (uint32_t line = 0; line < 3000; line += 3) {
        map.setRows(line, 1 + line % 5, true);
        lines[line] = {1 + line % 5, true};
    }
    map.replaceLines(1000, 0, 2000);
    lines.insert(lines.begin() + 1000, 2000, Line{});
    expectMatches(map, lines);
    map.replaceLines(10, 2500, 1);
    lines.erase(lines.begin() + 10, lines.begin() + 2510);
    lines.insert(lines.begin() + 10, Line{});
    expectMatches(map, lines);
    map.replaceLines(0, uint32_t(lines.size()), 0);
    expectMatches(map, {});
}

TEST(RowMap, NextInexactSkipsLongExactStretches)
{
    WRowMap map;
    map.reset(5000);
    for (uint32_t line = 0; line < 5000; ++line)
        if (line != 4321)
            map.setRows(line, 2, true);
    EXPECT_EQ(map.nextInexact(0), 4321u);
    EXPECT_EQ(map.nextInexact(4321), 4321u);
    EXPECT_EQ(map.nextInexact(4322), 5000u);
    map.setRows(4321, 1, true);
    EXPECT_EQ(map.nextInexact(0), 5000u);
}

TEST(RowMap, RandomEditsAgreeWithAList)
{
    std::mt19937 random(8122026);
    auto below = [&](uint32_t bound) { return bound == 0 ? 0u : uint32_t(random() % bound); };
    WRowMap map;
    map.reset(700);
    std::vector<Line> lines(700);
    for (int step = 0; step < 3000; ++step) {
        const uint32_t count = uint32_t(lines.size());
        switch (below(10)) {
        case 0:
        case 1:
        case 2:
        case 3: {  // the view wraps a line
            if (count == 0)
                break;
            const uint32_t line = below(count);
            const Line value{1 + below(6), below(4) != 0};
            map.setRows(line, value.rows, value.exact);
            lines[line] = value;
            break;
        }
        case 4:
        case 5:
        case 6:
        case 7: {  // one line becomes two, or two one
            const uint32_t first = below(count + 1);
            const uint32_t removed = std::min(count - first, below(3));
            const uint32_t added = below(3);
            map.replaceLines(first, removed, added);
            lines.erase(lines.begin() + first, lines.begin() + first + removed);
            lines.insert(lines.begin() + first, added, Line{});
            break;
        }
        case 8: {  // a paste or a deletion of many lines
            const uint32_t first = below(count + 1);
            const uint32_t removed = below(count - first + 1) / 2;
            const uint32_t added = count > 2000 ? 0 : below(600);
            map.replaceLines(first, removed, added);
            lines.erase(lines.begin() + first, lines.begin() + first + removed);
            lines.insert(lines.begin() + first, added, Line{});
            break;
        }
        default:
            if (below(20) == 0) {
                map.invalidateAll();
                for (Line& line : lines)
                    line.exact = false;
            }
            break;
        }
        if (step % 50 == 0 || step > 2990)
            expectMatches(map, lines);
        // Between the full checks, a few look-ups keep the trees honest.
        if (!lines.empty()) {
            const uint32_t line = below(uint32_t(lines.size()));
            uint32_t row = 0;
            for (uint32_t i = 0; i < line; ++i)
                row += lines[i].rows;
            ASSERT_EQ(map.firstRow(line), row) << "step " << step;
            ASSERT_EQ(map.lineOfRow(row).first, line) << "step " << step;
        }
        if (HasFatalFailure())
            FAIL() << "after step " << step;
    }
}
