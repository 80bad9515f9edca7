// The text view: its CR-form text, undo, and text arriving from outside.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

#include <random>

#include "canvas/WTextCanvas.h"
#include "text/WStringUtils.h"

namespace {
struct Change {
    WRange oldRange;
    uint32_t newLength;
};
}  // namespace

TEST(TextViewEditsTest, EveryEditIsHeardInCRForm)
{
    WTextCanvas view;
    std::vector<Change> changes;
    QObject::connect(&view, &WTextCanvas::textReplaced,
                     [&](WRange range, uint32_t length) { changes.push_back({range, length}); });
    view.loadString(u"ab\rcd");
    EXPECT_EQ(view.string(), u"ab\rcd");
    EXPECT_FALSE(view.canUndo());

    changes.clear();
    view.setSelectedRange({1, 3});  // "b\rc"
    QTest::keyClicks(&view, "XY");
    EXPECT_EQ(view.string(), u"aXYd");
    EXPECT_EQ(view.textStorage().string(), view.string());
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.front().oldRange, (WRange{1, 3}));
    EXPECT_EQ(changes.front().newLength, 1u);

    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(view.string(), u"aXY\rd");
    EXPECT_EQ(view.selectedRange(), (WRange{4, 0}));

    view.undo();
    view.undo();
    EXPECT_EQ(view.string(), u"ab\rcd");

    // No-break spaces and line separators are kept as they are.
    view.setSelectedRange({5, 0});
    view.insertText(u"\u00a0x\u2028y");
    EXPECT_EQ(view.string(), u"ab\rcd\u00a0x\u2028y");
    EXPECT_EQ(view.selectedRange(), (WRange{9, 0}));

    // Out-of-range selections are clipped to the text.
    view.setSelectedRange({7, 100});
    EXPECT_EQ(view.selectedRange(), (WRange{7, 2}));
    view.setSelectedRange({100, 1});
    EXPECT_EQ(view.selectedRange(), (WRange{9, 0}));
}

TEST(TextViewEditsTest, WholeTextReplacementIsOneUndoStep)
{
    WTextCanvas view;
    view.loadString(u"first\rtext");
    QTest::keyClicks(&view, "typed ");
    view.setString(u"all\rnew\r");
    EXPECT_EQ(view.string(), u"all\rnew\r");
    EXPECT_EQ(view.selectedRange(), (WRange{0, 0}));
    view.undo();
    EXPECT_EQ(view.string(), u"typed first\rtext");
    view.redo();
    EXPECT_EQ(view.string(), u"all\rnew\r");

    view.setString(u"");
    EXPECT_EQ(view.string(), u"");
    EXPECT_EQ(view.textStorage().length(), 0u);
}

TEST(TextViewEditsTest, PastedTextBecomesCRForm)
{
    WTextCanvas view;
    view.loadString(u"[]");
    view.setSelectedRange({1, 0});
    QApplication::clipboard()->setText(QStringLiteral("a\r\nb\nc\rd"));
    view.paste();
    EXPECT_EQ(view.string(), u"[a\rb\rc\rd]");
    view.undo();
    EXPECT_EQ(view.string(), u"[]");

    view.selectAll();
    view.performStandardAction("copy:");
    view.setSelectedRange({2, 0});
    view.performStandardAction("paste:");
    EXPECT_EQ(view.string(), u"[][]");
}

// Line and column follow every line end the editor counts, not only the CRs the
// view breaks at, through edits that add and remove the others and their undo.
TEST(TextViewEditsTest, LineAndColumnCountEveryLineEndThroughEditsAndUndo)
{
    WTextCanvas view;
    // A long line too, so that pairs fall at every place in a run of eight units.
    view.loadString(u"ab\rc\U0001F600d\r\ref\rlong line of text \U0001F600 with pairs \U0001F600\U0001F600 in it");
    std::mt19937 random(7);
    const std::u16string pieces[] = {u"x", u"\r", u"\u2028", u"\u2029", u"\U0001F600", u"yz\r", u""};
    for (int round = 0; round < 300; ++round) {
        const std::u16string& text = view.string();
        const auto at = static_cast<uint32_t>(random() % (text.size() + 1));
        const auto length = static_cast<uint32_t>(std::min<size_t>(random() % 3, text.size() - at));
        if (round % 7 == 6 && view.canUndo())
            view.undo();
        else
            view.replaceCharactersInRange({at, length}, pieces[random() % std::size(pieces)]);
        for (uint32_t position = 0; position <= view.string().size(); ++position) {
            ASSERT_EQ(view.lineNumberAt(position), WStringUtils::countLinesOfString(view.string(), {0, position}))
                << "round " << round << " at " << position;
            ASSERT_EQ(view.columnAt(position), WStringUtils::columnOfPosition(view.string(), position))
                << "round " << round << " at " << position;
        }
    }
}
