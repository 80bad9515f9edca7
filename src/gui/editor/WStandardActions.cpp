#include "editor/WStandardActions.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include "editor/WStandInCharacters.h"
#include "editor/WTextViewWidget.h"

namespace {

using Move = QTextCursor::MoveOperation;

// Moves the caret, dropping any selection.
void moveCaret(WTextViewWidget& view, Move operation)
{
    QTextCursor cursor = view.textCursor();
    cursor.clearSelection();
    cursor.movePosition(operation);
    view.setTextCursor(cursor);
}

// One character forward or back; a selection collapses to its end or start instead.
void moveCharacter(WTextViewWidget& view, bool forward)
{
    QTextCursor cursor = view.textCursor();
    if (cursor.hasSelection()) {
        cursor.setPosition(forward ? cursor.selectionEnd() : cursor.selectionStart());
    } else {
        cursor.movePosition(forward ? QTextCursor::NextCharacter : QTextCursor::PreviousCharacter);
    }
    view.setTextCursor(cursor);
}

// Deletes the selection, or from the caret to where the move leads.
void deleteTo(WTextViewWidget& view, Move operation)
{
    QTextCursor cursor = view.textCursor();
    if (!cursor.hasSelection())
        cursor.movePosition(operation, QTextCursor::KeepAnchor);
    if (cursor.hasSelection())
        cursor.removeSelectedText();
    view.setTextCursor(cursor);
}

// Scrolls one page and takes the caret the same number of laid-out lines.
void movePage(WTextViewWidget& view, bool down)
{
    const int lineHeight = std::max(1, view.fontMetrics().lineSpacing());
    const int lines = std::max(1, view.viewport()->height() / lineHeight - 1);
    QTextCursor cursor = view.textCursor();
    cursor.clearSelection();
    if (!cursor.movePosition(down ? QTextCursor::Down : QTextCursor::Up, QTextCursor::MoveAnchor, lines))
        cursor.movePosition(down ? QTextCursor::End : QTextCursor::Start);
    QScrollBar* bar = view.verticalScrollBar();
    bar->setValue(bar->value() + (down ? lines : -lines));
    view.setTextCursor(cursor);
}

// Upper- or lower-cases the selected text, or the word at the caret.
void changeWordCase(WTextViewWidget& view, bool upper)
{
    QTextCursor cursor = view.textCursor();
    const bool hadSelection = cursor.hasSelection();
    if (!hadSelection) {
        cursor.select(QTextCursor::WordUnderCursor);
        if (!cursor.hasSelection())
            return;
    }
    // The text itself, not the form Qt stores it in.
    const auto start = static_cast<uint32_t>(cursor.selectionStart());
    const auto end = static_cast<uint32_t>(cursor.selectionEnd());
    const QString original =
        WStandInCharacters::toQString(std::u16string_view(view.string()).substr(start, end - start));
    const QString changed = upper ? original.toUpper() : original.toLower();
    if (changed == original) {
        if (!hadSelection)
            cursor.setPosition(cursor.selectionEnd());
        view.setTextCursor(cursor);
        return;
    }
    view.setTextCursor(cursor);
    view.insertText(WStandInCharacters::toView(changed));
    if (hadSelection)
        view.setSelectedRange({start, static_cast<uint32_t>(changed.size())});  // keep the words selected
}

}  // namespace

void WStandardActions::registerAll()
{
    using View = WTextViewWidget;
    View::registerStandardAction("moveUp:", [](View& v) { moveCaret(v, QTextCursor::Up); });
    View::registerStandardAction("moveDown:", [](View& v) { moveCaret(v, QTextCursor::Down); });
    View::registerStandardAction("moveForward:", [](View& v) { moveCharacter(v, true); });
    View::registerStandardAction("moveBackward:", [](View& v) { moveCharacter(v, false); });
    View::registerStandardAction("moveToBeginningOfLine:", [](View& v) { moveCaret(v, QTextCursor::StartOfLine); });
    View::registerStandardAction("moveToEndOfLine:", [](View& v) { moveCaret(v, QTextCursor::EndOfLine); });
    View::registerStandardAction("moveToBeginningOfParagraph:",
                                 [](View& v) { moveCaret(v, QTextCursor::StartOfBlock); });
    View::registerStandardAction("moveToEndOfParagraph:", [](View& v) { moveCaret(v, QTextCursor::EndOfBlock); });
    View::registerStandardAction("moveToBeginningOfDocument:", [](View& v) { moveCaret(v, QTextCursor::Start); });
    View::registerStandardAction("moveToEndOfDocument:", [](View& v) { moveCaret(v, QTextCursor::End); });
    View::registerStandardAction("pageUp:", [](View& v) { movePage(v, false); });
    View::registerStandardAction("pageDown:", [](View& v) { movePage(v, true); });
    View::registerStandardAction("deleteBackward:", [](View& v) { deleteTo(v, QTextCursor::PreviousCharacter); });
    View::registerStandardAction("deleteForward:", [](View& v) { deleteTo(v, QTextCursor::NextCharacter); });
    View::registerStandardAction("deleteWordBackward:", [](View& v) { deleteTo(v, QTextCursor::PreviousWord); });
    View::registerStandardAction("deleteToBeginningOfLine:", [](View& v) { deleteTo(v, QTextCursor::StartOfLine); });
    View::registerStandardAction("deleteToEndOfLine:", [](View& v) { deleteTo(v, QTextCursor::EndOfLine); });
    View::registerStandardAction("deleteToBeginningOfParagraph:",
                                 [](View& v) { deleteTo(v, QTextCursor::StartOfBlock); });
    View::registerStandardAction("deleteToEndOfParagraph:", [](View& v) { deleteTo(v, QTextCursor::EndOfBlock); });
    View::registerStandardAction("insertTab:", [](View& v) { v.insertText(u"\t"); });
    View::registerStandardAction("insertNewline:", [](View& v) { v.insertText(u"\r"); });
    View::registerStandardAction("uppercaseWord:", [](View& v) { changeWordCase(v, true); });
    View::registerStandardAction("lowercaseWord:", [](View& v) { changeWordCase(v, false); });
}
