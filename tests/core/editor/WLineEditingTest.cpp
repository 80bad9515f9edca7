#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WMemoryTextView.h"
#include "editor/WTextView.h"
#include "platform/WLog.h"
#include "platform/WPlainPlatform.h"
#include "text/WStringUtils.h"

namespace {

struct Result {
    std::u16string text;
    WRange selection;
    int insertions;
    friend bool operator==(const Result&, const Result&) = default;
};

std::ostream& operator<<(std::ostream& out, const Result& r)
{
    return out << WStringUtils::toUtf8(r.text) << " {" << r.selection.location << ", " << r.selection.length << "} x"
               << r.insertions;
}

// Runs one command on a text with a selection and answers what it leaves.
Result run(std::u16string text, WRange selection, void (WTextView::*command)())
{
    WMemoryTextView view(std::move(text), selection);
    WTextView textView(view);
    (textView.*command)();
    return {view.string(), view.selectedRange(), view.insertCount};
}

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
    EXPECT_EQ(WTextView::lineRangeForRange(text, {1, 3}), (WRange{0, 6}));
    EXPECT_EQ(WTextView::lineRangeForRange(text, {0, 3}), (WRange{0, 3}));  // ends on a CR: that line only
    EXPECT_EQ(WTextView::lineRangeForRange(text, {6, 0}), (WRange{6, 1}));  // the empty line
    EXPECT_EQ(WTextView::lineRangeForRange(text, {9, 0}), (WRange{7, 2}));
    EXPECT_EQ(WTextView::lineRangeForRange(u"ab\r", {3, 0}), (WRange{3, 0}));
    EXPECT_EQ(WTextView::lineRangeForRange(u"a\r\nb", {0, 0}), (WRange{0, 3}));
    EXPECT_EQ(WTextView::rangesOfLines(u""), std::vector<WRange>{(WRange{0, 0})});
    EXPECT_EQ(WTextView::rangesOfLines(u"abc\r"), std::vector<WRange>{(WRange{0, 4})});
}

TEST(AutoIndent, RepeatsTheFirstLinesIndentation)
{
    const auto indent = &WTextView::autoIndent;
    EXPECT_EQ(run(u"\t  word", {7, 0}, indent), (Result{u"\t  word\r\t  ", {11, 0}, 1}));
    EXPECT_EQ(run(u"\t  word", {0, 0}, indent).text, u"\r\t  word");
    EXPECT_EQ(run(u"\t  word", {1, 0}, indent).text, u"\t\r\t    word");  // caret inside the indentation
    EXPECT_EQ(run(u"  ", {2, 0}, indent).text, u"  \r  ");
    EXPECT_EQ(run(u" \tab\rcd\rx", {3, 4}, indent).text, u" \ta\r \t\rx");  // selection over two lines
    EXPECT_EQ(run(u"", {0, 0}, indent).text, u"\r");
    EXPECT_EQ(run(u"  b\r", {4, 0}, indent).text, u"  b\r\r");  // the empty line after a final CR
}

TEST(Shift, RightKeepsTheBlocksStructureAndLeftRemovesOneTab)
{
    const auto right = &WTextView::shiftRight;
    const auto left = &WTextView::shiftLeft;
    EXPECT_EQ(run(u"a\r\r  b\rmore", {0, 6}, right), (Result{u"\ta\r\r\t  b\rmore", {0, 8}, 1}));
    EXPECT_EQ(run(u"x\ry\rz", {2, 0}, right), (Result{u"x\r\ty\rz", {2, 2}, 1}));
    EXPECT_EQ(run(u"\t\ta\r b\r\tc\rrest", {1, 7}, left), (Result{u"\ta\r b\rc\rrest", {0, 7}, 1}));
    EXPECT_EQ(run(u"\ta\r\r\tb", {0, 6}, left).text, u"a\r\rb");
    EXPECT_EQ(run(u" a\rb", {0, 4}, left), (Result{u" a\rb", {0, 4}, 0}));  // spaces stay

    // Nothing to shift: empty text, the empty line after a final CR, an empty line.
    for (const auto command : {right, left}) {
        EXPECT_EQ(run(u"", {0, 0}, command), (Result{u"", {0, 0}, 0}));
        EXPECT_EQ(run(u"a\r", {2, 0}, command), (Result{u"a\r", {2, 0}, 0}));
        EXPECT_EQ(run(u"a\r\rb", {2, 0}, command).insertions, 0);
    }
}

TEST(WrapString, BreaksAtTheWidthCountingWideCharactersTwice)
{
    const std::u16string a60(60, u'a'), a59(59, u'a'), a58(58, u'a');
    EXPECT_EQ(WStringUtils::wrapString(a60 + u"b\r", 60), a60 + u"\rb\r");
    EXPECT_EQ(WStringUtils::wrapString(a60 + u"\r", 60), a60 + u"\r");  // no break before a line end
    EXPECT_EQ(WStringUtils::wrapString(a60, 60), a60);                   // nor at the very end
    // A wide character at column 60 would end at 61: it starts the next line.
    EXPECT_EQ(WStringUtils::wrapString(a59 + u"\u3042b", 60), a59 + u"\r\u3042b");
    EXPECT_EQ(WStringUtils::wrapString(a58 + u"\u3042b", 60), a58 + u"\u3042\rb");
    EXPECT_EQ(WStringUtils::wrapString(a59 + u"\u00ff", 60), a59 + u"\u00ff");  // Latin-1 is narrow
    EXPECT_EQ(WStringUtils::wrapString(a59 + u"\u0100", 60), a59 + u"\r\u0100");
    EXPECT_EQ(WStringUtils::wrapString(std::u16string(31, u'\u6f22'), 60),
              std::u16string(30, u'\u6f22') + u"\r\u6f22");
    // Every kind of line end becomes CR and restarts the count.
    EXPECT_EQ(WStringUtils::wrapString(u"a\nb\r\nc\u2028d\u2029e", 60), u"a\rb\r\rc\rd\re");
    EXPECT_EQ(WStringUtils::wrapString(a59 + u"\n" + a59 + u"b", 60), a59 + u"\r" + a59 + u"b");
}

TEST(WrapString, NeverBreaksInsideACharacter)
{
    const std::u16string a58(58, u'a'), a59(59, u'a'), a60(60, u'a');
    const std::u16string kanji29(29, u'\u6f22');
    // A surrogate pair counts two units, and moves to the next line whole.
    EXPECT_EQ(WStringUtils::wrapString(kanji29 + u"\U00020BB7\u91ce\u5bb6", 60),
              kanji29 + u"\r\U00020BB7\u91ce\u5bb6");
    EXPECT_EQ(WStringUtils::wrapString(a58 + u"\U00020BB7", 60), a58 + u"\r\U00020BB7");
    EXPECT_EQ(WStringUtils::wrapString(a58 + u"\u6f22\U00020BB7", 60), a58 + u"\u6f22\r\U00020BB7");
    // A base character keeps its combining marks, also a pair with a variation selector.
    EXPECT_EQ(WStringUtils::wrapString(a59 + u"e\u0301z", 60), a59 + u"\re\u0301z");
    EXPECT_EQ(WStringUtils::wrapString(a60 + u"\u0301\u0302", 60), a59 + u"\ra\u0301\u0302");
    EXPECT_EQ(WStringUtils::wrapString(a58 + u"\u304b\u3099b", 60), a58 + u"\r\u304b\u3099b");
    EXPECT_EQ(WStringUtils::wrapString(a58 + u"\U0001F600\uFE0F", 60), a58 + u"\r\U0001F600\uFE0F");
    // A character wider than a whole line stands on a line of its own.
    const std::u16string heavy = u"x" + std::u16string(40, u'\u0308');
    EXPECT_EQ(WStringUtils::wrapString(heavy + u"yz", 60), heavy + u"\ryz");
    EXPECT_EQ(WStringUtils::wrapString(u"ab" + heavy, 60), u"ab\r" + heavy);
    // Unpaired surrogates are characters of their own.
    EXPECT_EQ(WStringUtils::wrapString(a59 + u"\xD842\xD842", 60), a59 + u"\r\xD842\xD842");
    // Nothing is lost or added except the breaks.
    EXPECT_EQ(WStringUtils::wrapString(u"\u0301abc", 60), u"\u0301abc");
}

TEST(WrapAndJoin, ReplaceTheirTextInOneStep)
{
    const std::u16string x61(61, u'x');
    EXPECT_EQ(run(u"top\r" + x61 + u"\rtail", {6, 0}, &WTextView::wrapWithReturn),
              (Result{u"top\r" + x61.substr(0, 60) + u"\rx\rtail", {4, 63}, 1}));
    EXPECT_EQ(run(u"short\r", {0, 0}, &WTextView::wrapWithReturn), (Result{u"short\r", {0, 6}, 0}));

    EXPECT_EQ(run(u"xab\rcd\ry", {1, 6}, &WTextView::removeReturns), (Result{u"xabcdy", {1, 4}, 1}));
    EXPECT_EQ(run(u"a\r\nb\nc", {0, 6}, &WTextView::removeReturns).text, u"abc");
    EXPECT_EQ(run(u"ab\rcd", {2, 0}, &WTextView::removeReturns), (Result{u"ab\rcd", {2, 0}, 0}));
}

TEST(GoToLine, SelectsNumberedLinesAndRefusesOthers)
{
    WPlainPlatform platform;
    WPlatform::setShared(&platform);
    LogCapture log;
    WMemoryTextView view(u"abc\rdef", {5, 1});
    WTextView textView(view);
    EXPECT_TRUE(textView.selectLineOf(1));
    EXPECT_EQ(view.selectedRange(), (WRange{0, 4}));
    EXPECT_TRUE(textView.selectLineOf(2));
    EXPECT_EQ(view.scrolledTo.back(), (WRange{4, 3}));
    EXPECT_TRUE(textView.selectLineTopOf(2));
    EXPECT_EQ(view.selectedRange(), (WRange{4, 0}));
    EXPECT_FALSE(textView.selectLineOf(3) || textView.selectLineOf(0) || textView.selectLineTopOf(3));
    EXPECT_EQ(view.selectedRange(), (WRange{4, 0}));
    EXPECT_EQ(platform.beepCount, 3);
    EXPECT_EQ(log.lines, std::vector<std::string>(3, "over-range of lines."));

    view.setString(u"a\r");  // no line of its own after a final CR
    EXPECT_FALSE(textView.selectLineOf(2));
    view.setString(u"");
    EXPECT_TRUE(textView.selectLineOf(1));
    WPlatform::setShared(nullptr);
}

TEST(SelectionExtenders, StopAtTheTextsEnds)
{
    const auto forward = &WTextView::moveForwardAndModifySelection_wexel;
    const auto backward = &WTextView::moveBackwardAndModifySelection_wexel;
    const auto start = &WTextView::moveToBeginningOfParagraphAndModifySelection;
    const auto end = &WTextView::moveToEndOfParagraphAndModifySelection;
    const std::u16string text = u"ab\rcd\ref";
    EXPECT_EQ(run(text, {4, 0}, forward).selection, (WRange{4, 1}));
    EXPECT_EQ(run(text, {4, 1}, backward).selection, (WRange{3, 2}));
    EXPECT_EQ(run(text, {1, 3}, start).selection, (WRange{0, 4}));
    EXPECT_EQ(run(text, {1, 3}, end).selection, (WRange{1, 5}));
    EXPECT_EQ(run(text, {0, 0}, backward).selection, (WRange{0, 0}));
    EXPECT_EQ(run(text, {6, 2}, forward).selection, (WRange{6, 2}));
    EXPECT_EQ(run(text, {6, 2}, end).selection, (WRange{6, 2}));
}

TEST(DoSample, LogsAndChangesNothing)
{
    LogCapture log;
    EXPECT_EQ(run(u"a\r\nb\n", {1, 1}, &WTextView::doSample), (Result{u"a\r\nb\n", {1, 1}, 0}));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"do sample", "cr = 1, lf = 2, crlf = 1, ls = 0, ps = 0",
                                                  "offset = -1"}));
}

}  // namespace
