// The editor's own text view, driven through real key, mouse and input-method events.
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QStyleHints>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "canvas/WTextCanvas.h"

namespace {

// A canvas on screen, with the keyboard.
struct ShownCanvas {
    explicit ShownCanvas(std::u16string_view text, bool wrap = false)
    {
        canvas.resize(400, 300);
        canvas.setWordWrap(wrap);
        canvas.loadString(std::u16string(text));
        canvas.show();
        canvas.activateWindow();
        canvas.setFocus();
        QCoreApplication::processEvents();
    }
    QPoint centre(uint32_t position)
    {
        canvas.setSelectedRange({position, 0});
        return canvas.caretRect().center();
    }
    WTextCanvas canvas;
};

std::u16string longLine(size_t units)
{
    std::u16string line;
    std::mt19937 random(7);
    const std::u16string_view words[] = {u"<div class=\"a\">", u"text ", u"日本語の", u"</div>", u"x=1;", u"\t"};
    while (line.size() < units)
        line += words[random() % std::size(words)];
    line.resize(units);
    return line;
}

void commit(WTextCanvas& canvas, const QString& preedit, const QString& committed)
{
    QInputMethodEvent event(preedit, {{QInputMethodEvent::Cursor, static_cast<int>(preedit.size()), 1, {}}});
    event.setCommitString(committed);
    QApplication::sendEvent(&canvas, &event);
}

}  // namespace

TEST(TextCanvasTest, TypingDeletingAndUndoGoThroughOneHistory)
{
    ShownCanvas shown(u"ab\rcd");
    WTextCanvas& canvas = shown.canvas;
    int editedSignals = 0;
    QObject::connect(&canvas, &WTextCanvas::editedChanged, [&](bool) { ++editedSignals; });
    EXPECT_FALSE(canvas.isEdited());

    canvas.setSelectedRange({1, 3});  // "b\rc"
    QTest::keyClicks(&canvas, "XY");
    EXPECT_EQ(canvas.string(), u"aXYd");
    EXPECT_TRUE(canvas.isEdited());
    QTest::keyClick(&canvas, Qt::Key_Return);
    QTest::keyClicks(&canvas, "z");
    EXPECT_EQ(canvas.string(), u"aXY\rzd");
    QTest::keyClick(&canvas, Qt::Key_Backspace);
    QTest::keyClick(&canvas, Qt::Key_Backspace);
    EXPECT_EQ(canvas.string(), u"aXYd");
    EXPECT_EQ(canvas.selectedRange(), (WRange{3, 0}));

    canvas.undo();  // the two deletions
    EXPECT_EQ(canvas.string(), u"aXY\rzd");
    canvas.undo();  // "z"
    canvas.undo();  // the line typed up to its CR
    EXPECT_EQ(canvas.string(), u"ab\rcd");
    EXPECT_EQ(canvas.selectedRange(), (WRange{1, 3}));  // the selection typed over comes back
    EXPECT_FALSE(canvas.isEdited());
    canvas.redo();
    EXPECT_EQ(canvas.string(), u"aXY\rd");
    EXPECT_TRUE(canvas.isEdited());
    EXPECT_GE(editedSignals, 3);

    // Saved here: undoing past it is an edit again.
    canvas.setEdited(false);
    canvas.undo();
    EXPECT_TRUE(canvas.isEdited());
    canvas.redo();
    EXPECT_FALSE(canvas.isEdited());
}

TEST(TextCanvasTest, EveryCodeUnitIsKeptAndShownAsOneVisibleUnit)
{
    std::u16string odd = u"\uFFFE\uFEFFa\u0000b\u0001\n\u007F\u0085\u2028\u2029\uFDD0\uFDD1\uFFFF\t";
    odd += char16_t(0xD800);  // a lone high surrogate
    odd += u"x";
    odd += char16_t(0xDC00);  // a lone low one
    odd += u"\U0001F600\r";
    ShownCanvas shown(odd);
    EXPECT_EQ(shown.canvas.string(), odd);

    const QString drawn = WCanvasLayout::displayText(odd);
    ASSERT_EQ(drawn.size(), static_cast<qsizetype>(odd.size()));
    for (qsizetype i = 0; i < drawn.size(); ++i) {
        const char16_t unit = drawn[i].unicode();
        SCOPED_TRACE(i);
        EXPECT_TRUE(unit >= 0x20 || unit == u'\t' || unit == u'\r') << "a control left to Qt";
        EXPECT_NE(unit, 0x2028);
        EXPECT_NE(unit, 0x2029);
        EXPECT_FALSE(unit >= 0xFDD0 && unit <= 0xFDEF);
    }
    EXPECT_EQ(drawn.right(3), QString::fromUtf16(u"\U0001F600\u240D"));  // a real pair stays a pair

    // Copy and paste inside the editor keep the units exactly.
    shown.canvas.selectAll();
    shown.canvas.copy();
    shown.canvas.setSelectedRange({static_cast<uint32_t>(odd.size()), 0});
    shown.canvas.paste();
    EXPECT_EQ(shown.canvas.string(), odd + odd);
    // Other programs get plain text with LF line ends.
    EXPECT_TRUE(QApplication::clipboard()->mimeData()->text().endsWith(QChar(u'\n')));
}

TEST(TextCanvasTest, CaretAndHitTestAgreeAlongALongLineWithAndWithoutWrap)
{
    const std::u16string line = longLine(20000) + u"\rshort\r日本語の行";
    for (bool wrap : {false, true}) {
        SCOPED_TRACE(wrap ? "wrap" : "no wrap");
        ShownCanvas shown(line, wrap);
        WTextCanvas& canvas = shown.canvas;
        for (uint32_t position : {0u, 1u, 511u, 512u, 513u, 9999u, 19999u, 20000u, 20003u, 20010u,
                                  static_cast<uint32_t>(line.size())}) {
            SCOPED_TRACE(position);
            canvas.setSelectedRange({position, 0});
            const QRect caret = canvas.caretRect();
            EXPECT_TRUE(canvas.viewport()->rect().contains(caret.center())) << "the caret is scrolled into view";
            EXPECT_EQ(caret.height(), canvas.caretRect().height());
            uint32_t hit = canvas.positionAt(caret.center());
            // A position inside a surrogate pair or after a tab may land on its neighbour.
            EXPECT_LE(hit > position ? hit - position : position - hit, 1u);
        }
        // Typing in the middle of the long line changes only that line.
        canvas.setSelectedRange({10000, 0});
        QTest::keyClicks(&canvas, "Q");
        EXPECT_EQ(canvas.string().substr(9990, 20), line.substr(9990, 10) + u"Q" + line.substr(10000, 9));
        EXPECT_EQ(canvas.string().size(), line.size() + 1);
        EXPECT_EQ(canvas.selectedRange(), (WRange{10001, 0}));
    }
}

TEST(TextCanvasTest, RowsAreEvenAndWrapMovesByRows)
{
    ShownCanvas shown(u"ascii line\r日本語の行です\r" + longLine(3000) + u"\rlast", true);
    WTextCanvas& canvas = shown.canvas;
    const int height = canvas.caretRect().height();
    // ASCII, Japanese from a fallback font, and a wrapped line: every row as high, one under another.
    for (uint32_t position : {0u, 11u, 20u, 20u + 2999u}) {
        SCOPED_TRACE(position);
        canvas.setSelectedRange({position, 0});
        const QRect caret = canvas.caretRect();
        EXPECT_EQ(caret.height(), height);
        EXPECT_EQ(caret.top() % height, 0);
    }
    canvas.setSelectedRange({0, 0});
    canvas.setSelectedRange({11, 0});
    EXPECT_EQ(canvas.caretRect().top(), height);
    // In the wrapped line, Down goes one row down, to about the same x.
    canvas.setSelectedRange({20 + 5, 0});
    const QRect before = canvas.caretRect();
    QTest::keyClick(&canvas, Qt::Key_Down);
    const QRect after = canvas.caretRect();
    EXPECT_EQ(after.top() - before.top(), height);
    EXPECT_NEAR(after.x(), before.x(), 20);
    EXPECT_GT(canvas.caretLocation(), 25u);
    EXPECT_LT(canvas.caretLocation(), 20u + 3000u);
    // Home and End stay in the row.
    QTest::keyClick(&canvas, Qt::Key_End);
    EXPECT_EQ(canvas.caretRect().top(), after.top());
    QTest::keyClick(&canvas, Qt::Key_Home);
    EXPECT_EQ(canvas.caretRect().top(), after.top());
    EXPECT_LT(canvas.caretRect().left(), 10);
    // Ctrl+End reaches the end of the text through every row.
    QTest::keyClick(&canvas, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(canvas.caretLocation(), canvas.string().size());
    QTest::keyClick(&canvas, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_GT(canvas.selectedRange().length, 0u);
}

TEST(TextCanvasTest, MouseClicksPlaceTheCaretAndSelectWordsAndLines)
{
    ShownCanvas shown(u"first words here\rsecond line\r");
    WTextCanvas& canvas = shown.canvas;
    const QPoint inWords = shown.centre(8);
    canvas.setSelectedRange({0, 0});
    QTest::mouseClick(canvas.viewport(), Qt::LeftButton, {}, inWords);
    EXPECT_EQ(canvas.selectedRange().length, 0u);
    EXPECT_NEAR(double(canvas.caretLocation()), 8.0, 1.0);

    QTest::mouseDClick(canvas.viewport(), Qt::LeftButton, {}, inWords);
    EXPECT_EQ(canvas.selectedRange(), (WRange{6, 5}));  // "words"
    QTest::mouseClick(canvas.viewport(), Qt::LeftButton, {}, inWords);  // the third click
    EXPECT_EQ(canvas.selectedRange(), (WRange{0, 17}));  // the line with its CR

    // A drag from the first line into the second selects across the line end.
    const QPoint second = shown.centre(20);
    const QPoint first = shown.centre(2);
    QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
    canvas.setSelectedRange({0, 0});  // a press inside the selection would drag it
    QTest::mousePress(canvas.viewport(), Qt::LeftButton, {}, first);
    QMouseEvent move(QEvent::MouseMove, QPointF(second), canvas.viewport()->mapToGlobal(QPointF(second)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas.viewport(), &move);
    QTest::mouseRelease(canvas.viewport(), Qt::LeftButton, {}, second);
    const WRange dragged = canvas.selectedRange();
    EXPECT_NEAR(double(dragged.location), 2.0, 1.0);
    EXPECT_NEAR(double(dragged.maxRange()), 20.0, 1.0);
}

TEST(TextCanvasTest, InputMethodComposesInlineAndCommitsAtTheCaret)
{
    ShownCanvas shown(u"前後");
    WTextCanvas& canvas = shown.canvas;
    canvas.setSelectedRange({1, 0});
    const QRect caretBefore = canvas.caretRect();

    commit(canvas, QStringLiteral("にほんご"), {});
    EXPECT_TRUE(canvas.hasMarkedText());
    EXPECT_EQ(canvas.string(), u"前後");  // the preedit is drawn, not yet text
    const QRect composing = canvas.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_GT(composing.left(), caretBefore.left() + canvas.viewport()->pos().x()) << "the caret follows the preedit";
    EXPECT_EQ(canvas.inputMethodQuery(Qt::ImSurroundingText).toString(), QStringLiteral("前後"));
    // The text's colours stop at the preedit: the input method colours it alone.
    canvas.textStorage().setForegroundColor(WColor{1, 0, 0, 1}, {0, 2});
    QCoreApplication::processEvents();
    const QImage drawn = canvas.viewport()->grab().toImage();
    int redInPreedit = 0, darkInPreedit = 0;
    for (int y = 0; y < caretBefore.height(); ++y) {
        for (int x = caretBefore.right() + 2; x < composing.left() - canvas.viewport()->pos().x() - 2; ++x) {
            const QColor pixel = drawn.pixelColor(x, y);
            redInPreedit += pixel.red() > 150 && pixel.green() < 100;
            darkInPreedit += pixel.red() < 100 && pixel.green() < 100;
        }
    }
    EXPECT_EQ(redInPreedit, 0);
    EXPECT_GT(darkInPreedit, 0) << "the preedit is drawn";
    EXPECT_EQ(canvas.inputMethodQuery(Qt::ImCursorPosition).toInt(), 1);

    commit(canvas, {}, QStringLiteral("日本語"));
    EXPECT_FALSE(canvas.hasMarkedText());
    EXPECT_EQ(canvas.string(), u"前日本語後");
    EXPECT_EQ(canvas.selectedRange(), (WRange{4, 0}));
    canvas.undo();
    EXPECT_EQ(canvas.string(), u"前後");

    // A cancelled composition leaves nothing behind.
    commit(canvas, QStringLiteral("てすと"), {});
    commit(canvas, {}, {});
    EXPECT_FALSE(canvas.hasMarkedText());
    EXPECT_EQ(canvas.string(), u"前後");
}

TEST(TextCanvasTest, AReadOnlyCanvasRefusesEveryEditPath)
{
    ShownCanvas shown(u"keep");
    WTextCanvas& canvas = shown.canvas;
    canvas.setEditable(false);
    QTest::keyClicks(&canvas, "xx");
    QTest::keyClick(&canvas, Qt::Key_Backspace);
    QTest::keyClick(&canvas, Qt::Key_Return);
    canvas.insertText(u"y");
    commit(canvas, {}, QStringLiteral("z"));
    canvas.selectAll();
    canvas.cut();
    canvas.paste();
    canvas.undo();
    EXPECT_EQ(canvas.string(), u"keep");
    EXPECT_FALSE(canvas.isEdited());
    // Reading goes on: the selection can be copied.
    canvas.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("keep"));
}

TEST(TextCanvasTest, ColoursComeFromTheStorageAndFollowItsChanges)
{
    ShownCanvas shown(u"<b>bold</b>");
    WTextCanvas& canvas = shown.canvas;
    canvas.textStorage().setForegroundColor(WColor{1, 0, 0, 1}, {0, 3});
    QCoreApplication::processEvents();
    const QImage image = canvas.viewport()->grab().toImage();
    bool red = false;
    for (int y = 0; y < canvas.caretRect().height() && !red; ++y)
        for (int x = 0; x < 60 && !red; ++x)
            red = image.pixelColor(x, y).red() > 200 && image.pixelColor(x, y).green() < 80;
    EXPECT_TRUE(red) << "the tag is drawn in the storage's colour";
}

TEST(TextCanvasTest, PlacesAfterEditsAreThoseOfLayingOutAfresh)
{
    // Edits in long lines cut again only the pieces near the edit (rows with
    // wrap, segments without); every position must land where laying out the
    // same text from nothing puts it.
    for (bool wrap : {true, false}) {
        SCOPED_TRACE(wrap ? "wrap" : "no wrap");
        ShownCanvas edited(longLine(6000) + u"\r" + longLine(3000), wrap);
        std::mt19937 random(11);
        const std::u16string_view pieces[] = {u"x", u" ", u"日本", u"、", u"\t", u"longwordwithoutbreaks", u""};
        for (int round = 0; round < 60; ++round) {
            const uint32_t length = static_cast<uint32_t>(edited.canvas.string().size());
            const uint32_t at = random() % length;
            const uint32_t removed = std::min<uint32_t>(random() % 4, length - at);
            edited.canvas.setSelectedRange({at, 0});  // the edited line is on screen, its pieces known
            edited.canvas.replaceCharactersInRange({at, removed}, pieces[random() % std::size(pieces)]);
            if (round % 20 != 19)
                continue;
            ShownCanvas fresh(edited.canvas.string(), wrap);
            for (uint32_t position = 0; position <= length; position += 37) {
                SCOPED_TRACE(position);
                // Row and x of each position, measured from the text's start.
                const auto placeOf = [position](WTextCanvas& canvas) {
                    canvas.setSelectedRange({position, 0});
                    const QRect caret = canvas.caretRect();
                    return std::pair(caret.top() + canvas.verticalScrollBar()->value() * caret.height(),
                                     caret.left() + canvas.horizontalScrollBar()->value());
                };
                ASSERT_EQ(placeOf(edited.canvas), placeOf(fresh.canvas));
                if (position % (37 * 20) == 0) {
                    // What is drawn there is the same too, layouts kept over the edits included.
                    edited.canvas.clearFocus();
                    fresh.canvas.clearFocus();
                    ASSERT_EQ(edited.canvas.viewport()->grab().toImage(), fresh.canvas.viewport()->grab().toImage());
                }
            }
        }
    }
}
