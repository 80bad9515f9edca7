#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "canvas/WLineIndex.h"

namespace {

// Compares every answer of the index with a scan of the text.
void expectMatches(const WLineIndex& index, const std::u16string& text)
{
    std::vector<uint32_t> starts{0};
    for (uint32_t i = 0; i < text.size(); ++i)
        if (text[i] == u'\r')
            starts.push_back(i + 1);
    ASSERT_EQ(index.textLength(), text.size());
    ASSERT_EQ(index.lineCount(), starts.size());
    uint32_t longest = 0;
    uint32_t longestLength = 0;
    for (uint32_t line = 0; line < starts.size(); ++line) {
        const uint32_t end = line + 1 < starts.size() ? starts[line + 1] - 1 : uint32_t(text.size());
        ASSERT_EQ(index.lineStart(line), starts[line]) << "line " << line;
        ASSERT_EQ(index.lineEnd(line), end) << "line " << line;
        if (end - starts[line] > longestLength) {
            longestLength = end - starts[line];
            longest = line;
        }
    }
    uint32_t line = 0;
    for (uint32_t position = 0; position <= text.size(); ++position) {
        while (line + 1 < starts.size() && starts[line + 1] <= position)
            ++line;
        ASSERT_EQ(index.lineOfPosition(position), line) << "position " << position;
    }
    ASSERT_EQ(index.longestLine(), longest);
}

void replace(WLineIndex& index, std::u16string& text, uint32_t location, uint32_t length, std::u16string_view with)
{
    text.replace(location, length, with);
    index.replace(text, {location, length}, uint32_t(with.size()));
}

}  // namespace

TEST(LineIndex, EdgesOfTheText)
{
    for (std::u16string text : {u"", u"\r", u"\rab", u"ab\r", u"\r\r", u"a\rb", u"abc"}) {
        SCOPED_TRACE(std::string(text.begin(), text.end()));
        expectMatches(WLineIndex(text), text);
    }
    const WLineIndex empty;
    EXPECT_EQ(empty.lineCount(), 1u);
    EXPECT_EQ(empty.lineEnd(0), 0u);
    EXPECT_EQ(empty.longestLine(), 0u);

    const WLineIndex endsInCr(u"ab\r");
    EXPECT_EQ(endsInCr.lineOfPosition(2), 0u);  // the CR belongs to the line it ends
    EXPECT_EQ(endsInCr.lineOfPosition(3), 1u);  // the end of the text to the empty last line
    EXPECT_EQ(endsInCr.lineOfPosition(99), 1u);
}

TEST(LineIndex, ScanFindsCrsAtEveryPlaceInABlock)
{
    // CRs at each offset of the eight-unit blocks and in the tail after them.
    std::u16string text(203, u'x');
    for (size_t i = 0; i < text.size(); i += 1 + i % 9)
        text[i] = u'\r';
    text.back() = u'\r';
    expectMatches(WLineIndex(text), text);
    // Units that differ from CR in one byte only are not CRs.
    std::u16string nearMisses = u"\u0d0d\u010d\u0d00\r\u000e\u200d";
    expectMatches(WLineIndex(nearMisses), nearMisses);
}

TEST(LineIndex, EditsAddingAndRemovingCrsAtTheEnds)
{
    std::u16string text = u"one\rtwo\rthree";
    WLineIndex index(text);
    replace(index, text, 0, 0, u"\r");  // CR at the very start
    expectMatches(index, text);
    replace(index, text, uint32_t(text.size()), 0, u"\r");  // and at the very end
    expectMatches(index, text);
    replace(index, text, 0, 1, u"");
    expectMatches(index, text);
    replace(index, text, uint32_t(text.size()) - 1, 1, u"");
    expectMatches(index, text);
    replace(index, text, 2, 7, u"x\ry\rz");  // across lines, more CRs than before
    expectMatches(index, text);
    replace(index, text, 1, 6, u"");  // fewer
    expectMatches(index, text);
    replace(index, text, 0, uint32_t(text.size()), u"");
    expectMatches(index, text);
    replace(index, text, 0, 0, u"\r\r\r");
    expectMatches(index, text);
}

TEST(LineIndex, TypingOnOneLineThenEditingElsewhere)
{
    // The shift of typing is kept aside; edits before, inside and after the
    // lines it moved must all see true starts.
    std::u16string text;
    for (int i = 0; i < 50; ++i)
        text += u"line\r";
    WLineIndex index(text);
    for (uint32_t i = 0; i < 10; ++i)
        replace(index, text, 52 + i, 0, u"a");
    expectMatches(index, text);
    replace(index, text, 200, 3, u"");  // later: the gap moves on
    expectMatches(index, text);
    replace(index, text, 10, 0, u"bb");  // earlier: it moves back
    expectMatches(index, text);
    replace(index, text, 30, 1, u"\r");
    expectMatches(index, text);
}

TEST(LineIndex, LongestLineFollowsTheEdits)
{
    std::u16string text = u"ab\rabcd\rabcd\rx";
    WLineIndex index(text);
    EXPECT_EQ(index.longestLine(), 1u);
    EXPECT_EQ(index.lineLength(1), 4u);
    replace(index, text, 0, 0, u"12");  // line 0 ties with line 1 and comes first
    EXPECT_EQ(index.longestLine(), 0u);
    replace(index, text, 0, 1, u"");  // shortening the longest: line 1 again
    EXPECT_EQ(index.longestLine(), 1u);
    replace(index, text, 0, 0, u"\r\r");  // lines moving down carry it along
    EXPECT_EQ(index.longestLine(), 3u);
    expectMatches(index, text);
}

TEST(LineIndex, RandomEditsAgreeWithARescan)
{
    std::mt19937 random(20261208);
    auto below = [&](uint32_t bound) { return bound == 0 ? 0u : uint32_t(random() % bound); };
    static const char16_t pieces[] = u"ab\r\rcdef";
    std::u16string text = u"first\rsecond\r\rthird";
    WLineIndex index(text);
    for (int step = 0; step < 4000; ++step) {
        const uint32_t size = uint32_t(text.size());
        // Mostly typing and deleting one character, as people do; sometimes bigger edits.
        uint32_t location = below(size + 1);
        uint32_t length = below(8) == 0 ? below(size - location + 1) : below(2) * (location < size);
        std::u16string with;
        const uint32_t count = size > 400 ? below(2) : below(8) == 0 ? below(20) : below(3);
        for (uint32_t i = 0; i < count; ++i)
            with += pieces[below(8)];
        replace(index, text, location, length, with);
        if (step % 7 == 0 || step > 3900) {
            expectMatches(index, text);
        } else if (step % 11 == 0) {
            // Asked now and then only, so that edits meet both a known and a stale longest line.
            EXPECT_EQ(index.longestLine(), WLineIndex(text).longestLine());
        }
        if (HasFatalFailure())
            FAIL() << "after step " << step;
    }
    expectMatches(index, text);
}
