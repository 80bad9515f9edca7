#include "editor/WTextViewWidget.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

#include "editor/WStandInCharacters.h"
#include "editor/WTextMime.h"
#include "editor/WTextViewController.h"
#include "platform/WLog.h"
#include "platform/WPlatform.h"

namespace {
std::map<std::string, WTextViewWidget::StandardAction, std::less<>>& standardActions()
{
    static std::map<std::string, WTextViewWidget::StandardAction, std::less<>> actions = {
        {"copy:", [](WTextViewWidget& view) { view.copy(); }},
        {"cut:", [](WTextViewWidget& view) { view.cut(); }},
        {"paste:", [](WTextViewWidget& view) { view.paste(); }},
        {"selectAll:", [](WTextViewWidget& view) { view.selectAll(); }},
        {"undo:", [](WTextViewWidget& view) { view.undo(); }},
        {"redo:", [](WTextViewWidget& view) { view.redo(); }},
        {"delete:", [](WTextViewWidget& view) { view.textCursor().removeSelectedText(); }},
    };
    return actions;
}

}  // namespace

WTextViewWidget::WTextViewWidget(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setUndoRedoEnabled(true);
    setTabChangesFocus(false);
    connect(document(), &QTextDocument::contentsChange, this, &WTextViewWidget::documentContentsChanged);
    connect(document(), &QTextDocument::modificationChanged, this, &WTextViewWidget::editedChanged);
}

WTextViewWidget::~WTextViewWidget()
{
    // The document may still report changes while Qt takes the widget apart.
    disconnect(document(), nullptr, this, nullptr);
    // The controller filters this widget's events and calls back into it; it
    // goes while the widget is still whole, not with the base class's children.
    delete WTextViewController::controllerOf(this);
}

std::u16string WTextViewWidget::documentText(uint32_t position, uint32_t length) const
{
    return WStandInCharacters::read(*document(), position, length);
}

void WTextViewWidget::documentContentsChanged(int position, int charsRemoved, int charsAdded)
{
    updateMirror(static_cast<uint32_t>(position), static_cast<uint32_t>(charsRemoved),
                 static_cast<uint32_t>(charsAdded));
}

void WTextViewWidget::updateMirror(uint32_t position, uint32_t removed, uint32_t added)
{
    // The document always ends in one block separator of its own that the text
    // does not have; Qt's counts may include it when the whole text changes.
    const uint32_t newLength = static_cast<uint32_t>(std::max(0, document()->characterCount() - 1));
    const uint32_t oldLength = mStorage.length();
    position = std::min(position, std::min(oldLength, newLength));
    removed = std::min(removed, oldLength - position);
    added = std::min(added, newLength - position);
    if (oldLength - removed + added != newLength) {
        // Counts that do not add up: take the whole text again rather than guess.
        WLog::write("WTextViewWidget::updateMirror - change counts disagree; taking the whole text.");
        removed = oldLength - position;
        added = newLength - position;
    }
    std::u16string text = documentText(position, added);
    // Qt reports a change of character formats as characters replaced by themselves.
    if (removed == added && std::u16string_view(mStorage.string()).substr(position, removed) == text)
        return;
    mStorage.replaceCharactersInRange({position, removed}, text);
    emit textReplaced(WRange{position, removed}, added);
}

WRange WTextViewWidget::selectedRange() const
{
    const QTextCursor cursor = textCursor();
    const auto start = static_cast<uint32_t>(cursor.selectionStart());
    const auto end = static_cast<uint32_t>(cursor.selectionEnd());
    return {start, end - start};
}

uint32_t WTextViewWidget::caretLocation() const
{
    return static_cast<uint32_t>(textCursor().position());
}

void WTextViewWidget::setSelectedRange(WRange range)
{
    const uint32_t length = mStorage.length();
    const uint32_t location = std::min(range.location, length);
    const uint32_t end = location + std::min(range.length, length - location);
    QTextCursor cursor(document());
    cursor.setPosition(static_cast<int>(location));
    cursor.setPosition(static_cast<int>(end), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void WTextViewWidget::insertText(std::u16string_view text)
{
    if (refusesEdit("insertText"))
        return;
    QTextCursor cursor = textCursor();
    WStandInCharacters::insert(cursor, text);
    setTextCursor(cursor);
}

void WTextViewWidget::setString(std::u16string_view text)
{
    if (refusesEdit("setString"))
        return;
    // One undo step for the whole replacement.
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    WStandInCharacters::insert(cursor, text);
    cursor.endEditBlock();
    cursor.setPosition(0);
    setTextCursor(cursor);
}

void WTextViewWidget::replaceCharactersInRange(WRange range, std::u16string_view text)
{
    if (refusesEdit("replaceCharactersInRange"))
        return;
    const uint32_t length = mStorage.length();
    const uint32_t location = std::min(range.location, length);
    const uint32_t end = location + std::min(range.length, length - location);
    QTextCursor cursor(document());
    cursor.setPosition(static_cast<int>(location));
    cursor.setPosition(static_cast<int>(end), QTextCursor::KeepAnchor);
    cursor.beginEditBlock();
    WStandInCharacters::insert(cursor, text);
    cursor.endEditBlock();
}

void WTextViewWidget::loadString(std::u16string_view text)
{
    // Qt gives a new plain text the format at the caret, which may be a stand-in's.
    moveCursor(QTextCursor::Start);
    unmarkTypingFormat();
    if (std::none_of(text.begin(), text.end(), WStandInCharacters::needsStandIn)) {
        QString plain = WStandInCharacters::toQString(text);
        plain.replace(QChar(u'\r'), QChar(u'\n'));
        setPlainText(plain);
    } else {
        setPlainText(QString());
        QTextCursor cursor(document());
        WStandInCharacters::insert(cursor, text);
    }
    document()->clearUndoRedoStacks();
    document()->setModified(false);
    moveCursor(QTextCursor::Start);
}

bool WTextViewWidget::isEdited() const
{
    return document()->isModified();
}

void WTextViewWidget::setEdited(bool edited)
{
    document()->setModified(edited);
}

bool WTextViewWidget::canUndo() const
{
    return document()->isUndoAvailable();
}

void WTextViewWidget::setEditable(bool editable)
{
    setReadOnly(!editable);
    // Read-only, Qt would take the keyboard's caret away too; moving and
    // selecting by keys is still reading.
    if (!editable)
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

bool WTextViewWidget::refusesEdit(std::string_view what) const
{
    if (!isReadOnly())
        return false;
    WLog::write("WTextViewWidget::" + std::string(what) + " - the text is read-only.");
    WPlatform::shared().beep();
    return true;
}

void WTextViewWidget::scrollRangeToVisible(WRange range)
{
    QTextCursor cursor(document());
    cursor.setPosition(static_cast<int>(std::min(range.location, mStorage.length())));
    const QTextBlock block = cursor.block();
    const QTextLayout* layout = block.layout();
    if (!block.isValid() || !layout)
        return;
    // The vertical scroll bar of a plain text edit counts laid-out lines.
    int line = std::max(0, block.firstLineNumber());
    if (layout->lineCount() > 0)
        line += std::max(0, layout->lineForTextPosition(cursor.positionInBlock()).lineNumber());
    QScrollBar* bar = verticalScrollBar();
    const int visibleLines = std::max(1, viewport()->height() / std::max(1, fontMetrics().lineSpacing()));
    if (line < bar->value() || line >= bar->value() + visibleLines)
        bar->setValue(std::max(0, line - visibleLines / 2));
}

bool WTextViewWidget::hasMarkedText() const
{
    const QTextLayout* layout = textCursor().block().layout();
    return layout && !layout->preeditAreaText().isEmpty();
}

void WTextViewWidget::registerStandardAction(const std::string& name, StandardAction action)
{
    standardActions()[name] = std::move(action);
}

void WTextViewWidget::performStandardAction(std::string_view action)
{
    // A read-only text still moves the caret, selects and copies; nothing else.
    const bool reads = action.starts_with("move") || action.starts_with("page") || action.starts_with("select")
                       || action.starts_with("scroll") || action == "copy:";
    if (!reads && refusesEdit(action))
        return;
    auto& actions = standardActions();
    if (auto found = actions.find(action); found != actions.end()) {
        found->second(*this);
        return;
    }
    WLog::write("WTextViewWidget::performStandardAction - unknown action " + std::string(action));
}

void WTextViewWidget::keyPressEvent(QKeyEvent* event)
{
    if (mKeyRouter && !hasMarkedText() && mKeyRouter(event))
        return;
    unmarkTypingFormat();
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() != Qt::NoModifier) {
        // Qt would type its soft line break (U+2028) for Shift+Return and ignore
        // the other combinations; here every Return ends the line.
        QKeyEvent plain(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"),
                        event->isAutoRepeat(), static_cast<quint16>(event->count()));
        QPlainTextEdit::keyPressEvent(&plain);
        event->setAccepted(plain.isAccepted());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void WTextViewWidget::inputMethodEvent(QInputMethodEvent* event)
{
    unmarkTypingFormat();
    QPlainTextEdit::inputMethodEvent(event);
}

void WTextViewWidget::unmarkTypingFormat()
{
    // Qt types with the format of the character before the caret; after a
    // stand-in that would mark the typed text as one.
    QTextCursor cursor = textCursor();
    const QTextCharFormat format = cursor.charFormat();
    if (!format.hasProperty(WStandInCharacters::kTrueUnitProperty))
        return;
    // With a selection, setCharFormat would change the selected text instead.
    if (cursor.hasSelection())
        return;
    cursor.setCharFormat(WStandInCharacters::withoutMark(format));
    setTextCursor(cursor);
}

QMimeData* WTextViewWidget::createMimeDataFromSelection() const
{
    const WRange range = selectedRange();
    return WTextMime::mimeDataFor(std::u16string_view(mStorage.string()).substr(range.location, range.length));
}

bool WTextViewWidget::canInsertFromMimeData(const QMimeData* source) const
{
    return source->hasText() || QPlainTextEdit::canInsertFromMimeData(source);
}

void WTextViewWidget::insertFromMimeData(const QMimeData* source)
{
    if (refusesEdit("insertFromMimeData"))
        return;
    const std::optional<std::u16string> text = WTextMime::textToInsert(*source);
    if (!text)
        return;
    insertText(*text);
    ensureCursorVisible();
}
