#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "canvas/WAdvanceTable.h"
#include "canvas/WLineBreaks.h"

namespace {

using Starts = std::vector<uint32_t>;

bool isMark(char32_t c)
{
    return (c >= 0x300 && c <= 0x36F) || c == 0x3099 || c == 0x309A;
}

// Latin 10 wide, CJK and astral 20, marks 0: a monospaced font in miniature.
double measure(char32_t c)
{
    if (isMark(c))
        return 0;
    return c >= 0x1100 ? 20 : 10;
}

struct Advances {
    int calls = 0;
    WAdvanceTable table{[this](char32_t c) {
                            ++calls;
                            return measure(c);
                        },
                        40};
};

Starts wrap(std::u16string_view line, double width)
{
    static const WAdvanceTable advances(measure, 40);
    return wlinebreaks::wrap(line, advances, width);
}

}  // namespace

TEST(AdvanceTable, MeasuresEachCharacterOnce)
{
    Advances advances;
    EXPECT_EQ(advances.table.width(u"aaab"), 40);
    EXPECT_EQ(advances.calls, 2);
    EXPECT_EQ(advances.table.advance(U'\U0001F600'), 20);
    EXPECT_EQ(advances.table.advance(U'\U0001F600'), 20);
    EXPECT_EQ(advances.calls, 3);
}

TEST(AdvanceTable, SurrogatePairsAsOneAndLoneOnesAsThemselves)
{
    std::vector<char32_t> asked;
    const WAdvanceTable advances(
        [&](char32_t c) {
            asked.push_back(c);
            return 7.0;
        },
        40);
    EXPECT_EQ(advances.width(u"\U0001F600"), 7);
    EXPECT_EQ(advances.width(std::u16string{u'\xD83D', u'a'}), 14);  // a high one without its low
    EXPECT_EQ(advances.width(std::u16string(1, u'\xDE00')), 7);
    EXPECT_EQ(asked, (std::vector<char32_t>{0x1F600, 0xD83D, u'a', 0xDE00}));
}

TEST(AdvanceTable, TabsAdvanceToTheNextStop)
{
    const WAdvanceTable advances(measure, 40);
    EXPECT_EQ(advances.tabAdvance(0), 40);   // on a stop: a whole stop
    EXPECT_EQ(advances.tabAdvance(40), 40);
    EXPECT_EQ(advances.tabAdvance(30), 10);
    EXPECT_EQ(advances.tabAdvance(79.5), 0.5);
    EXPECT_EQ(advances.width(u"a\tb"), 10 + 30 + 10);
    EXPECT_EQ(advances.width(u"\t\t"), 80);
    EXPECT_EQ(advances.width(u"\tb", 50), 30 + 10);  // stops count from the line's start
    // Ten advances of 0.1 fall a hair short of 1: the tab there is still a whole stop.
    const WAdvanceTable fine([](char32_t) { return 0.1; }, 1);
    EXPECT_NEAR(fine.width(u"aaaaaaaaaa\t"), 2, 1e-5);
}

TEST(AdvanceTable, TabsWithoutStopsAreSpaces)
{
    for (double tabWidth : {0.0, -8.0}) {
        const WAdvanceTable advances([](char32_t c) { return c == u' ' ? 6.0 : 10.0; }, tabWidth);
        EXPECT_EQ(advances.tabAdvance(13), 6);
        EXPECT_EQ(advances.width(u"\t\ta"), 22);
    }
}

TEST(Wrap, BreaksAfterSpacesWhichHang)
{
    EXPECT_EQ(wrap(u"", 50), Starts{0});
    EXPECT_EQ(wrap(u"aaa bbb ccc", 1000), Starts{0});
    EXPECT_EQ(wrap(u"aaa bbb ccc", 75), (Starts{0, 8}));
    EXPECT_EQ(wrap(u"aaaa     bbbb", 45), (Starts{0, 9}));  // the spaces stay on the first row
    EXPECT_EQ(wrap(u"a\tb", 30), (Starts{0, 2}));          // and a tab too
    EXPECT_EQ(wrap(u"ab cd", 20), (Starts{0, 3}));        // exactly full: nothing moves
}

TEST(Wrap, AStretchWithoutBreaksBreaksWhereItIsFull)
{
    EXPECT_EQ(wrap(u"abcdefghij", 35), (Starts{0, 3, 6, 9}));
    EXPECT_EQ(wrap(u"ab cdefghijkl", 45), (Starts{0, 3, 7, 11}));  // a word longer than a row
}

TEST(Wrap, RowsNarrowerThanACharacterHoldOneEach)
{
    EXPECT_EQ(wrap(u"abc", 0), (Starts{0, 1, 2}));
    EXPECT_EQ(wrap(u"abc", -5), (Starts{0, 1, 2}));
    EXPECT_EQ(wrap(u"a b", 0), (Starts{0, 2}));
    // A surrogate pair and its marks go together, as does a base with its marks.
    EXPECT_EQ(wrap(u"a\U0001F600\u0301b", 1), (Starts{0, 1, 4}));
    EXPECT_EQ(wrap(u"e\u0301e\u0301\u0302e", 1), (Starts{0, 2, 5}));
    EXPECT_EQ(wrap(u"\u0301\u0301a", 1), (Starts{0, 2}));  // marks with nothing before them
}

TEST(Wrap, MarksAndPairsAtTheEdgeOfARow)
{
    // The mark of the third e does not fit on its own: it goes with its e.
    EXPECT_EQ(wrap(u"eee\u0301", 30), Starts{0});  // marks take no room here
    const WAdvanceTable wideMarks([](char32_t) { return 10.0; }, 40);
    EXPECT_EQ(wlinebreaks::wrap(u"eee\u0301", wideMarks, 35), (Starts{0, 2}));
    EXPECT_EQ(wlinebreaks::wrap(u"ee\U0001F600", wideMarks, 25), (Starts{0, 2}));
}

TEST(Wrap, JapaneseBreaksBetweenCharactersButNotBeforeClosingPunctuation)
{
    // Five fit in a row, but 。 may not start one: お goes down with it.
    EXPECT_EQ(wrap(u"あいうえお。かきくけこ", 100), (Starts{0, 4, 9}));
    EXPECT_EQ(wrap(u"あいうえ、」かきく", 80), (Starts{0, 3, 7}));
    // Nor after an opening bracket: 「 goes down with え.
    EXPECT_EQ(wrap(u"あいう「えお」", 80), (Starts{0, 3}));
    // The prolonged sound mark and small kana do not start a row either.
    EXPECT_EQ(wrap(u"あいうコーヒー", 80), (Starts{0, 3}));
    EXPECT_EQ(wrap(u"あいうきゃ", 80), (Starts{0, 3}));
    // Latin next to Japanese may break; two Latin letters may not.
    EXPECT_EQ(wrap(u"日本語abc", 70), (Starts{0, 3}));
    EXPECT_EQ(wrap(u"abc日本語", 40), (Starts{0, 3, 5}));
    // With nowhere allowed, the last character that fits ends the row after all.
    EXPECT_EQ(wrap(u"あ、", 20), (Starts{0, 1}));
    // A voiced mark written apart stays with its kana.
    EXPECT_EQ(wrap(u"かか\u3099", 20), (Starts{0, 1}));
}

TEST(Wrap, RandomLinesKeepTheRules)
{
    std::mt19937 random(42);
    static const std::u16string pieces[] = {u"a", u"b", u" ", u"\t", u"あ", u"。", u"「", u"\u0301", u"\U0001F600",
                                            u"\u3099"};
    const WAdvanceTable advances(measure, 40);
    for (int round = 0; round < 300; ++round) {
        std::u16string line;
        const int count = int(random() % 60);
        for (int i = 0; i < count; ++i) {
            const std::u16string& piece = pieces[random() % 10];
            // A space with a mark on it hangs as a whole; the width check below would not know.
            const bool mark = piece == u"\u0301" || piece == u"\u3099";
            if (!(mark && !line.empty() && (line.back() == u' ' || line.back() == u'\t')))
                line += piece;
        }
        const double width = double(random() % 120);
        const Starts starts = wlinebreaks::wrap(line, advances, width);
        ASSERT_EQ(starts.front(), 0u);
        for (size_t r = 0; r < starts.size(); ++r) {
            const uint32_t start = starts[r];
            const uint32_t end = r + 1 < starts.size() ? starts[r + 1] : uint32_t(line.size());
            ASSERT_LT(start, std::max<size_t>(end, 1)) << "empty row";
            if (r == 0)
                continue;
            ASSERT_FALSE(line[start] >= 0xDC00 && line[start] <= 0xDFFF) << "cut inside a pair";
            ASSERT_FALSE(line[start] == 0x301 || line[start] == 0x3099) << "cut before a mark";
            // A row that overflows holds one character and its marks, or hanging spaces.
            std::u16string_view row(line.data() + start, end - start);
            while (!row.empty() && (row.back() == u' ' || row.back() == u'\t'))
                row.remove_suffix(1);
            if (advances.width(row) > width) {
                const bool pair = row.size() >= 2 && row[0] >= 0xD800 && row[0] <= 0xDBFF;
                size_t cluster = pair ? 2 : 1;
                while (cluster < row.size() && (row[cluster] == 0x301 || row[cluster] == 0x3099))
                    ++cluster;
                ASSERT_EQ(cluster, row.size()) << "an overflowing row of several characters, round " << round << " width " << width
                                                << " row " << r << " of " << testing::PrintToString(starts) << " "
                                                << testing::PrintToString(std::u16string(row));
            }
        }
    }
}

TEST(Segments, ShortLinesAreOneSegment)
{
    EXPECT_EQ(wlinebreaks::segments(u"", 8), Starts{0});
    EXPECT_EQ(wlinebreaks::segments(u"12345678", 8), Starts{0});
}

TEST(Segments, CutAfterSpaceOrPunctuationNearTheEnd)
{
    const std::u16string line = u"aaaaaaaaaaaaa bbbbbbbbbbbbbbbbbbbbbbbb";
    EXPECT_EQ(wlinebreaks::segments(line, 16), (Starts{0, 14, 30}));
    EXPECT_EQ(wlinebreaks::segments(u"<p>aaaaaaaaaa</p><p>bbbbbbbb", 16), (Starts{0, 15}));  // after the /
    EXPECT_EQ(wlinebreaks::segments(u"日本語の文章です。それから", 10), (Starts{0, 9}));
    // A space too far back is not worth a short segment.
    EXPECT_EQ(wlinebreaks::segments(u"a bbbbbbbbbbbbbbbbbbbb", 16), (Starts{0, 16}));
}

TEST(Segments, NeverInsideAPairOrBeforeAMark)
{
    EXPECT_EQ(wlinebreaks::segments(u"aaaaaaa\U0001F600bb", 8), (Starts{0, 7}));
    EXPECT_EQ(wlinebreaks::segments(u"aaaaaaae\u0301\u0301bb", 8), (Starts{0, 7}));
    // One character with more marks than fit is cut between its marks rather than grow.
    const std::u16string marks = u"a" + std::u16string(20, u'\u0301');
    EXPECT_EQ(wlinebreaks::segments(marks, 8), (Starts{0, 8, 16}));
    // A segment holds at least a pair, so tiny limits end too.
    EXPECT_EQ(wlinebreaks::segments(u"\U0001F600\U0001F600", 0), (Starts{0, 2}));
    EXPECT_EQ(wlinebreaks::segments(u"abc", 1), (Starts{0, 2}));
}
