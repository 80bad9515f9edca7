// The text canvas's drag and drop, context menu and screen reader interface, through real events.
#include <QAccessible>
#include <QAccessibleEditableTextInterface>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QStyleHints>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "canvas/WTextCanvas.h"
#include "editor/WTextMime.h"

namespace {

struct Canvas {
    explicit Canvas(std::u16string_view text)
    {
        view.resize(400, 300);
        view.loadString(std::u16string(text));
        view.show();
        view.activateWindow();
        view.setFocus();
        QCoreApplication::processEvents();
    }
    // The middle of the character at position, in viewport coordinates.
    QPoint middleOf(uint32_t position)
    {
        const WRange kept = view.selectedRange();
        view.setSelectedRange({position, 0});
        const QRect left = view.caretRect();
        view.setSelectedRange({position + 1, 0});
        const QRect right = view.caretRect();
        view.setSelectedRange(kept);
        return QPoint((left.x() + right.x()) / 2, left.center().y());
    }
    WTextCanvas view;
};

// Sends a drag from another widget over the viewport and drops it; whether the view accepted the entry.
bool dropFromElsewhere(WTextCanvas& view, const QMimeData& data, QPoint at, std::function<void()> whileOver = {})
{
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &move);
    if (whileOver)
        whileOver();
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &drop);
    return true;
}

}  // namespace

TEST(CanvasDragTest, TextFromElsewhereDropsWhereThePointerIsAndUndoesInOneStep)
{
    Canvas canvas(u"abcdef\rghi");
    WTextCanvas& view = canvas.view;
    view.setSelectedRange({8, 1});
    QMimeData plain;
    plain.setText(QStringLiteral("X\nY"));

    const QPoint at = canvas.middleOf(3) - QPoint(1, 0);
    EXPECT_EQ(view.positionAt(at), 3u);
    ASSERT_TRUE(dropFromElsewhere(view, plain, at));
    // Line ends from elsewhere become CR; the dropped text is selected.
    EXPECT_EQ(view.string(), u"abcX\rYdef\rghi");
    EXPECT_EQ(view.selectedRange(), (WRange{3, 3}));
    EXPECT_TRUE(view.hasFocus());

    // A copy from another view of the editor keeps its exact units, at the end of the text too.
    std::unique_ptr<QMimeData> exact(WTextMime::mimeDataFor(u"\U0001F600\r\n"));
    view.setSelectedRange({static_cast<uint32_t>(view.string().size()), 0});
    const QPoint end = view.caretRect().center() + QPoint(50, 0);
    ASSERT_TRUE(dropFromElsewhere(view, *exact, end));
    EXPECT_EQ(view.string(), u"abcX\rYdef\rghi\U0001F600\r\n");

    view.undo();
    EXPECT_EQ(view.string(), u"abcX\rYdef\rghi");
    view.undo();
    EXPECT_EQ(view.string(), u"abcdef\rghi");
    EXPECT_EQ(view.selectedRange(), (WRange{8, 1}));
    EXPECT_FALSE(view.canUndo());

    // Data with no text in it is not taken.
    QMimeData image;
    image.setData(QStringLiteral("image/png"), QByteArray("png"));
    EXPECT_FALSE(dropFromElsewhere(view, image, at));
}

TEST(CanvasDragTest, AReadOnlyViewRefusesDrops)
{
    Canvas canvas(u"keep");
    canvas.view.setEditable(false);
    QMimeData plain;
    plain.setText(QStringLiteral("X"));
    EXPECT_FALSE(dropFromElsewhere(canvas.view, plain, canvas.middleOf(2)));
    // Even a drop that comes without an entry is turned away.
    QDropEvent drop(QPointF(canvas.middleOf(2)), Qt::CopyAction, &plain, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas.view.viewport(), &drop);
    EXPECT_FALSE(drop.isAccepted());
    EXPECT_EQ(canvas.view.string(), u"keep");
    EXPECT_FALSE(canvas.view.isEdited());
}

TEST(CanvasDragTest, AClickInsideTheSelectionPlacesTheCaretOnRelease)
{
    Canvas canvas(u"one two three");
    WTextCanvas& view = canvas.view;

    // A click inside the selection puts the caret there when the button comes up.
    view.setSelectedRange({4, 7});
    const QPoint inside = canvas.middleOf(6) + QPoint(2, 0);
    QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, inside);
    EXPECT_EQ(view.selectedRange(), (WRange{4, 7})) << "kept while it may still become a drag";
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, inside);
    EXPECT_EQ(view.selectedRange(), (WRange{7, 0}));
    // A press past the end of a row whose line end is selected is outside the selection: it selects anew.
    view.setSelectedRange({0, 13});
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, QPoint(380, inside.y()));
    EXPECT_EQ(view.selectedRange().length, 0u);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, QPoint(380, inside.y()));
}

namespace {

// The menu a right click at point opens, with its items by title.
struct OpenedMenu {
    OpenedMenu(WTextCanvas& view, QPoint point)
    {
        QContextMenuEvent event(QContextMenuEvent::Mouse, point, view.viewport()->mapToGlobal(point));
        QApplication::sendEvent(view.viewport(), &event);
        menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    }
    ~OpenedMenu()
    {
        if (menu)
            menu->close();
        QCoreApplication::processEvents();
    }
    QAction* item(const char* title) const
    {
        for (QAction* action : menu->actions())
            if (action->text() == QLatin1String(title))
                return action;
        ADD_FAILURE() << "no item " << title;
        return nullptr;
    }
    std::vector<QString> enabled() const
    {
        std::vector<QString> titles;
        for (QAction* action : menu->actions())
            if (!action->isSeparator() && action->isEnabled())
                titles.push_back(action->text());
        return titles;
    }
    QPointer<QMenu> menu;
};

}  // namespace

TEST(CanvasMenuTest, TheContextMenuOffersWhatWouldDoSomething)
{
    Canvas canvas(u"some text");
    WTextCanvas& view = canvas.view;
    QApplication::clipboard()->clear();
    using Titles = std::vector<QString>;
    {
        // Nothing selected, nothing to undo, nothing to paste.
        OpenedMenu opened(view, canvas.middleOf(2));
        ASSERT_TRUE(opened.menu);
        EXPECT_EQ(opened.enabled(), Titles{QStringLiteral("Select All")});
        EXPECT_EQ(opened.menu->actions().size(), 9);  // seven items, two separators
        EXPECT_EQ(opened.item("Copy")->shortcut(), QKeySequence(QKeySequence::Copy));
        EXPECT_EQ(opened.item("Delete")->shortcut(), QKeySequence(QKeySequence::Delete));
    }
    view.setSelectedRange({0, 4});
    view.copy();
    QTest::keyClicks(&view, "S");
    view.setSelectedRange({2, 3});
    {
        OpenedMenu opened(view, canvas.middleOf(2));
        EXPECT_EQ(opened.enabled(), (Titles{QStringLiteral("Undo"), QStringLiteral("Cut"), QStringLiteral("Copy"),
                                            QStringLiteral("Paste"), QStringLiteral("Delete"),
                                            QStringLiteral("Select All")}));
        // The item does what it says: Delete takes the selection out as a step of its own.
        opened.item("Delete")->trigger();
        EXPECT_EQ(view.string(), u"S t");
    }
    view.undo();
    EXPECT_EQ(view.string(), u"S text");
    view.selectAll();
    {
        OpenedMenu opened(view, canvas.middleOf(2));
        EXPECT_EQ(opened.enabled(), (Titles{QStringLiteral("Undo"), QStringLiteral("Redo"), QStringLiteral("Cut"),
                                            QStringLiteral("Copy"), QStringLiteral("Paste"), QStringLiteral("Delete")}));
    }
    // Read-only: reading only.
    view.setEditable(false);
    view.setSelectedRange({0, 2});
    {
        OpenedMenu opened(view, canvas.middleOf(2));
        EXPECT_EQ(opened.enabled(), (Titles{QStringLiteral("Copy"), QStringLiteral("Select All")}));
    }
}

// Units:  漢0 字1 CR2 𠮷3-4 野5 家6 ␠7 a8 b9 c10 CR11 e12 n13 d14.
TEST(CanvasAccessibleTest, ReadsTextCaretAndSelectionInUtf16Units)
{
    Canvas canvas(u"漢字\r\U00020BB7野家 abc\rend");
    WTextCanvas& view = canvas.view;
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&view);
    ASSERT_TRUE(face);
    EXPECT_EQ(face->role(), QAccessible::EditableText);
    EXPECT_TRUE(face->state().editable);
    EXPECT_TRUE(face->state().multiLine);
    QAccessibleTextInterface* text = face->textInterface();
    ASSERT_TRUE(text);
    EXPECT_EQ(text->characterCount(), 15);
    EXPECT_EQ(text->text(3, 5), QString::fromUtf16(u"\U00020BB7"));
    EXPECT_EQ(text->text(12, 99), QStringLiteral("end"));

    struct Case {
        int offset;
        QAccessible::TextBoundaryType boundary;
        std::u16string expected;
        int start, end;
    };
    const Case cases[] = {
        {3, QAccessible::CharBoundary, u"\U00020BB7", 3, 5},
        {4, QAccessible::CharBoundary, u"\U00020BB7", 3, 5},  // the low half reads its pair
        {2, QAccessible::CharBoundary, u"\r", 2, 3},
        {15, QAccessible::CharBoundary, u"", 15, 15},
        {9, QAccessible::WordBoundary, u"abc", 8, 11},
        {8, QAccessible::WordBoundary, u"abc", 8, 11},
        {11, QAccessible::WordBoundary, u"\r", 11, 12},  // a line end is a word of its own
        {0, QAccessible::LineBoundary, u"漢字\r", 0, 3},
        {2, QAccessible::LineBoundary, u"漢字\r", 0, 3},
        {4, QAccessible::LineBoundary, u"\U00020BB7野家 abc\r", 3, 12},
        {12, QAccessible::LineBoundary, u"end", 12, 15},
        {15, QAccessible::LineBoundary, u"end", 12, 15},  // the caret at the end reads the last line
        {5, QAccessible::NoBoundary, u"漢字\r\U00020BB7野家 abc\rend", 0, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        SCOPED_TRACE(int(c.boundary));
        int start = -1, end = -1;
        EXPECT_EQ(text->textAtOffset(c.offset, c.boundary, &start, &end), QString::fromStdU16String(c.expected));
        EXPECT_EQ(start, c.start);
        EXPECT_EQ(end, c.end);
    }
    int start = -1, end = -1;
    EXPECT_EQ(text->textBeforeOffset(5, QAccessible::LineBoundary, &start, &end), QString::fromUtf16(u"漢字\r"));
    EXPECT_EQ(text->textAfterOffset(5, QAccessible::LineBoundary, &start, &end), QStringLiteral("end"));
    EXPECT_EQ(start, 12);
    EXPECT_EQ(text->textAfterOffset(13, QAccessible::LineBoundary, &start, &end), QString());
    EXPECT_EQ(text->textBeforeOffset(5, QAccessible::CharBoundary, &start, &end), QString::fromUtf16(u"\U00020BB7"));
    EXPECT_EQ(start, 3);
    EXPECT_EQ(text->textBeforeOffset(0, QAccessible::WordBoundary, &start, &end), QString());

    // Caret and selection, both ways.
    view.setSelectedRange({5, 0});
    EXPECT_EQ(text->cursorPosition(), 5);
    EXPECT_EQ(text->selectionCount(), 0);
    int offset = -1;
    EXPECT_EQ(text->textAtOffset(-2, QAccessible::CharBoundary, &offset, &end), QString::fromUtf16(u"野"));
    text->setCursorPosition(8);
    EXPECT_EQ(view.selectedRange(), (WRange{8, 0}));
    text->setSelection(0, 7, 3);
    EXPECT_EQ(view.selectedRange(), (WRange{3, 4}));
    EXPECT_EQ(text->selectionCount(), 1);
    text->selection(0, &start, &end);
    EXPECT_EQ(start, 3);
    EXPECT_EQ(end, 7);
    text->removeSelection(0);
    EXPECT_EQ(text->selectionCount(), 0);

    // Places on screen: a wide character is wider than a narrow one, and a point finds its character.
    const QRect wide = text->characterRect(5);
    const QRect narrow = text->characterRect(8);
    EXPECT_GT(wide.width(), narrow.width());
    EXPECT_EQ(wide.top(), narrow.top());
    EXPECT_EQ(text->offsetAtPoint(narrow.center()), 8);
    EXPECT_EQ(text->offsetAtPoint(wide.center()), 5);
    EXPECT_EQ(text->characterRect(15), QRect());
    EXPECT_EQ(text->offsetAtPoint(view.viewport()->mapToGlobal(QPoint(-5, -5))), -1);
}

TEST(CanvasAccessibleTest, EditsGoThroughTheViewAsOneUndoStepEach)
{
    Canvas canvas(u"前\r後");
    WTextCanvas& view = canvas.view;
    QAccessibleEditableTextInterface* editable = QAccessible::queryAccessibleInterface(&view)->editableTextInterface();
    ASSERT_TRUE(editable);

    editable->insertText(1, QString::fromUtf16(u"\U00020BB7ー"));
    EXPECT_EQ(view.string(), u"前\U00020BB7ー\r後");
    // One undo step.
    view.undo();
    EXPECT_EQ(view.string(), u"前\r後");
    EXPECT_FALSE(view.canUndo());

    editable->replaceText(0, 1, QStringLiteral("x"));
    EXPECT_EQ(view.string(), u"x\r後");
    editable->deleteText(1, 2);
    EXPECT_EQ(view.string(), u"x後");

    QTest::keyClick(&view, Qt::Key_Home);
    QTest::keyClicks(&view, "a");

    // Read-only refuses.
    view.setEditable(false);
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(&view)->state().readOnly);
    editable->insertText(0, QStringLiteral("no"));
    EXPECT_EQ(view.string(), u"ax後");
}
