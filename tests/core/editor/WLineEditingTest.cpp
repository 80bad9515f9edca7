#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WMemoryTextView.h"
#include "editor/WTextView.h"
#include "platform/WLog.h"
#include "platform/WPlainPlatform.h"
#include "text/WStringUtils.h"

namespace {

// Runs one command on a text with a selection and keeps what it leaves.
struct Edit {
    explicit Edit(std::u16string text, WRange selection = {}) : view(std::move(text), selection), textView(view) {}
    WMemoryTextView view;
    WTextView textView;
};

class LogCapture {
public:
    LogCapture() : old(WLog::setSink([this](std::string_view line) { lines.emplace_back(line); })) {}
    ~LogCapture() { WLog::setSink(old); }
    std::vector<std::string> lines;

private:
    WLog::Sink old;
};

TEST(LineRange, CoversWholeLinesWithTheirEnds)
{
    const std::u16string text = u"ab\rcd\r\ref";
    EXPECT_EQ(WTextView::lineRangeForRange(text, {0, 0}), (WRange{0, 3}));
    EXPECT_EQ(WTextView::lineRangeForRange(text, {4, 0}), (WRange{3, 3}));
    EXPECT_EQ(WTextView::lineRangeForRange(text, {1, 3}), (WRange{0, 6}));
    EXPECT_EQ(WTextView::lineRangeForRange(text, {0, 3}), (WRange{0, 3}));  // ends on a CR: that line only
    EXPECT_EQ(WTextView::lineRangeForRange(text, {6, 0}), (WRange{6, 1}));  // the empty line
    EXPECT_EQ(WTextView::lineRangeForRange(text, {9, 0}), (WRange{7, 2}));  // end of a last line without CR
    EXPECT_EQ(WTextView::lineRangeForRange(u"ab\r", {3, 0}), (WRange{3, 0}));
    EXPECT_EQ(WTextView::lineRangeForRange(u"a\r\nb", {0, 0}), (WRange{0, 3}));
    EXPECT_EQ(WTextView::lineRangeForRange(u"", {0, 0}), (WRange{0, 0}));

    EXPECT_EQ(WTextView::rangesOfLines(u""), std::vector<WRange>{(WRange{0, 0})});
    EXPECT_EQ(WTextView::rangesOfLines(u"abc\rdef"), (std::vector<WRange>{{0, 4}, {4, 3}}));
    EXPECT_EQ(WTextView::rangesOfLines(u"abc\r"), std::vector<WRange>{(WRange{0, 4})});
}

TEST(AutoIndent, RepeatsTheFirstLinesIndentation)
{
    const std::u16string line = u"\t  word";
    {
        Edit e(line, {7, 0});
        e.textView.autoIndent();
        EXPECT_EQ(e.view.string(), u"\t  word\r\t  ");
        EXPECT_EQ(e.view.selectedRange(), (WRange{11, 0}));
        EXPECT_EQ(e.view.insertCount, 1);  // one undo step
    }
    {
        Edit e(line, {0, 0});
        e.textView.autoIndent();
        EXPECT_EQ(e.view.string(), u"\r\t  word");
    }
    {
        Edit e(line, {1, 0});  // between the tab and the spaces
        e.textView.autoIndent();
        EXPECT_EQ(e.view.string(), u"\t\r\t    word");
    }
    {
        Edit e(u"  ", {2, 0});
        e.textView.autoIndent();
        EXPECT_EQ(e.view.string(), u"  \r  ");
    }
    {
        Edit e(u" \tab\rcd\rx", {3, 4});  // from inside line one into line two
        e.textView.autoIndent();
        EXPECT_EQ(e.view.string(), u" \ta\r \t\rx");
    }
    {
        Edit e(u"", {0, 0});
        e.textView.autoIndent();
        EXPECT_EQ(e.view.string(), u"\r");
    }
    {
        Edit e(u"a\r  b\r", {6, 0});  // on the empty last line after a final CR
        e.textView.autoIndent();
        EXPECT_EQ(e.view.string(), u"a\r  b\r\r");
    }
}

TEST(ShiftRight, PutsOneTabBeforeEachLineWithText)
{
    Edit e(u"a\r\r  b\rmore", {0, 6});
    e.textView.shiftRight();
    EXPECT_EQ(e.view.string(), u"\ta\r\r\t  b\rmore");
    EXPECT_EQ(e.view.selectedRange(), (WRange{0, 8}));
    EXPECT_EQ(e.view.insertCount, 1);

    Edit middle(u"x\ry\rz", {2, 0});  // just the caret's line
    middle.textView.shiftRight();
    EXPECT_EQ(middle.view.string(), u"x\r\ty\rz");
    EXPECT_EQ(middle.view.selectedRange(), (WRange{2, 2}));

    Edit blankOnly(u"  \rx", {0, 0});  // white space is text: it gets a tab too
    blankOnly.textView.shiftRight();
    EXPECT_EQ(blankOnly.view.string(), u"\t  \rx");
}

TEST(ShiftRight, ChangesNothingWithoutLinesToShift)
{
    Edit empty(u"", {0, 0});
    empty.textView.shiftRight();
    empty.textView.shiftLeft();
    EXPECT_EQ(empty.view.insertCount, 0);

    Edit after(u"a\r", {2, 0});  // caret on the empty last line
    after.textView.shiftRight();
    after.textView.shiftLeft();
    EXPECT_EQ(after.view.string(), u"a\r");
    EXPECT_EQ(after.view.insertCount, 0);

    Edit emptyLine(u"a\r\rb", {2, 0});
    emptyLine.textView.shiftRight();
    EXPECT_EQ(emptyLine.view.string(), u"a\r\rb");
}

TEST(ShiftLeft, RemovesOneLeadingTabOnly)
{
    Edit e(u"\t\ta\r b\r\tc\rrest", {1, 7});
    e.textView.shiftLeft();
    EXPECT_EQ(e.view.string(), u"\ta\r b\rc\rrest");
    EXPECT_EQ(e.view.selectedRange(), (WRange{0, 7}));

    Edit keepsEmpty(u"\ta\r\r\tb", {0, 6});
    keepsEmpty.textView.shiftLeft();
    EXPECT_EQ(keepsEmpty.view.string(), u"a\r\rb");

    Edit nothing(u" a\rb", {0, 4});
    nothing.textView.shiftLeft();
    EXPECT_EQ(nothing.view.string(), u" a\rb");
    EXPECT_EQ(nothing.view.insertCount, 0);
    EXPECT_EQ(nothing.view.selectedRange(), (WRange{0, 4}));
}

TEST(ShiftRightThenLeft, RestoresTheBlock)
{
    const std::u16string text = u"if x\r\tthen\r\r  y\rend\r";
    Edit e(text, {0, static_cast<uint32_t>(text.size())});
    e.textView.shiftRight();
    e.textView.shiftLeft();
    EXPECT_EQ(e.view.string(), text);
}

TEST(WrapString, BreaksAtTheWidthCountingWideCharactersTwice)
{
    const std::u16string sixty(60, u'a');
    EXPECT_EQ(WStringUtils::wrapString(sixty + u"b\r", 60), sixty + u"\rb\r");
    EXPECT_EQ(WStringUtils::wrapString(sixty + u"\r", 60), sixty + u"\r");  // no break before a line end
    EXPECT_EQ(WStringUtils::wrapString(sixty, 60), sixty);                    // nor at the very end
    EXPECT_EQ(WStringUtils::wrapString(sixty + sixty, 60), sixty + u"\r" + sixty);

    const std::u16string fiftyNine(59, u'a');
    // A wide character in column 60 would end at 61: it starts the next line.
    EXPECT_EQ(WStringUtils::wrapString(fiftyNine + u"\u3042", 60), fiftyNine + u"\r\u3042");
    EXPECT_EQ(WStringUtils::wrapString(fiftyNine + u"\u3042b", 60), fiftyNine + u"\r\u3042b");
    // One that ends exactly at 60 fills the line.
    const std::u16string fiftyEight(58, u'a');
    EXPECT_EQ(WStringUtils::wrapString(fiftyEight + u"\u3042b", 60), fiftyEight + u"\u3042\rb");
    // Latin-1 counts one column, anything above it two.
    EXPECT_EQ(WStringUtils::wrapString(fiftyNine + u"\u00ff", 60), fiftyNine + u"\u00ff");
    EXPECT_EQ(WStringUtils::wrapString(fiftyNine + u"\u0100", 60), fiftyNine + u"\r\u0100");
    // Thirty wide characters fill a line exactly.
    const std::u16string wide(30, u'\u6f22');
    EXPECT_EQ(WStringUtils::wrapString(wide + u"\u6f22", 60), wide + u"\r\u6f22");

    // Every kind of line end becomes CR and restarts the count.
    EXPECT_EQ(WStringUtils::wrapString(u"a\nb\r\nc\u2028d\u2029e", 60), u"a\rb\r\rc\rd\re");
    EXPECT_EQ(WStringUtils::wrapString(fiftyNine + u"\n" + fiftyNine + u"b", 60),
              fiftyNine + u"\r" + fiftyNine + u"b");
    EXPECT_EQ(WStringUtils::wrapString(u"", 60), u"");
}

TEST(WrapWithReturn, WrapsTheSelectedLinesAsOneStep)
{
    const std::u16string sixtyOne(61, u'x');
    Edit e(u"top\r" + sixtyOne + u"\rtail", {6, 0});
    e.textView.wrapWithReturn();
    EXPECT_EQ(e.view.string(), u"top\r" + sixtyOne.substr(0, 60) + u"\rx\rtail");
    EXPECT_EQ(e.view.selectedRange(), (WRange{4, 63}));
    EXPECT_EQ(e.view.insertCount, 1);

    Edit shortLine(u"short\r", {0, 0});
    shortLine.textView.wrapWithReturn();
    EXPECT_EQ(shortLine.view.insertCount, 0);
    EXPECT_EQ(shortLine.view.selectedRange(), (WRange{0, 6}));
}

TEST(RemoveReturns, JoinsTheSelectionOnly)
{
    Edit e(u"xab\rcd\ry", {1, 6});
    e.textView.removeReturns();
    EXPECT_EQ(e.view.string(), u"xabcdy");
    EXPECT_EQ(e.view.selectedRange(), (WRange{1, 4}));

    Edit caret(u"ab\rcd", {2, 0});
    caret.textView.removeReturns();
    EXPECT_EQ(caret.view.string(), u"ab\rcd");
    EXPECT_EQ(caret.view.insertCount, 0);

    Edit lf(u"a\r\nb\nc", {0, 6});
    lf.textView.removeReturns();
    EXPECT_EQ(lf.view.string(), u"abc");
}

TEST(GoToLine, SelectsNumberedLinesAndRefusesOthers)
{
    WPlainPlatform platform;
    WPlatform::setShared(&platform);
    LogCapture log;
    Edit e(u"abc\rdef", {5, 1});
    EXPECT_TRUE(e.textView.selectLineOf(1));
    EXPECT_EQ(e.view.selectedRange(), (WRange{0, 4}));
    EXPECT_TRUE(e.textView.selectLineOf(2));
    EXPECT_EQ(e.view.selectedRange(), (WRange{4, 3}));
    EXPECT_EQ(e.view.scrolledTo.back(), (WRange{4, 3}));
    EXPECT_TRUE(e.textView.selectLineTopOf(2));
    EXPECT_EQ(e.view.selectedRange(), (WRange{4, 0}));

    EXPECT_FALSE(e.textView.selectLineOf(3));
    EXPECT_FALSE(e.textView.selectLineOf(0));
    EXPECT_FALSE(e.textView.selectLineTopOf(3));
    EXPECT_EQ(e.view.selectedRange(), (WRange{4, 0}));
    EXPECT_EQ(platform.beepCount, 3);
    EXPECT_EQ(log.lines, std::vector<std::string>(3, "over-range of lines."));

    Edit empty(u"");
    EXPECT_TRUE(empty.textView.selectLineOf(1));
    EXPECT_FALSE(empty.textView.selectLineOf(2));

    Edit finalCR(u"a\r");  // the line after a final CR is not a line of its own
    EXPECT_FALSE(finalCR.textView.selectLineOf(2));
    WPlatform::setShared(nullptr);
}

TEST(SelectionExtenders, StopAtTheTextsEnds)
{
    Edit e(u"ab\rcd\ref", {4, 0});
    e.textView.moveForwardAndModifySelection_wexel();
    EXPECT_EQ(e.view.selectedRange(), (WRange{4, 1}));
    e.textView.moveBackwardAndModifySelection_wexel();
    EXPECT_EQ(e.view.selectedRange(), (WRange{3, 2}));
    e.textView.moveToEndOfParagraphAndModifySelection();
    EXPECT_EQ(e.view.selectedRange(), (WRange{3, 3}));
    e.textView.moveToBeginningOfParagraphAndModifySelection();
    EXPECT_EQ(e.view.selectedRange(), (WRange{3, 3}));

    e.view.setSelectedRange({1, 3});  // spans two lines
    e.textView.moveToBeginningOfParagraphAndModifySelection();
    EXPECT_EQ(e.view.selectedRange(), (WRange{0, 4}));
    e.textView.moveToEndOfParagraphAndModifySelection();
    EXPECT_EQ(e.view.selectedRange(), (WRange{0, 6}));

    e.view.setSelectedRange({0, 0});
    e.textView.moveBackwardAndModifySelection_wexel();
    EXPECT_EQ(e.view.selectedRange(), (WRange{0, 0}));
    e.view.setSelectedRange({6, 2});
    e.textView.moveForwardAndModifySelection_wexel();
    EXPECT_EQ(e.view.selectedRange(), (WRange{6, 2}));
    e.textView.moveToEndOfParagraphAndModifySelection();
    EXPECT_EQ(e.view.selectedRange(), (WRange{6, 2}));
    EXPECT_TRUE(e.view.scrolledTo.empty());
    EXPECT_EQ(e.view.insertCount, 0);
}

TEST(DoSample, LogsAndChangesNothing)
{
    LogCapture log;
    Edit e(u"a\r\nb\n", {1, 1});
    e.textView.doSample();
    EXPECT_EQ(e.view.string(), u"a\r\nb\n");
    EXPECT_EQ(e.view.selectedRange(), (WRange{1, 1}));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"do sample", "cr = 1, lf = 2, crlf = 1, ls = 0, ps = 0",
                                                  "offset = -1"}));
}

}  // namespace
