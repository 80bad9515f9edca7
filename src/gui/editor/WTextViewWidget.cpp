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

#include "editor/WTextViewController.h"
#include "platform/WLog.h"
#include "text/WStringUtils.h"

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

std::u16string_view toView(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}
}  // namespace

WTextViewWidget::WTextViewWidget(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setUndoRedoEnabled(true);
    setTabChangesFocus(false);
    connect(document(), &QTextDocument::contentsChange, this, &WTextViewWidget::documentContentsChanged);
}

WTextViewWidget::~WTextViewWidget()
{
    // The document may still report changes while Qt takes the widget apart.
    disconnect(document(), nullptr, this, nullptr);
    // The controller filters this widget's events and calls back into it; it
    // goes while the widget is still whole, not with the base class's children.
    delete WTextViewController::controllerOf(this);
}

QString WTextViewWidget::toQtText(std::u16string_view crText)
{
    QString text = QString::fromUtf16(crText.data(), static_cast<qsizetype>(crText.size()));
    text.replace(QChar(u'\r'), QChar(u'\n'));
    return text;
}

std::u16string WTextViewWidget::documentText(uint32_t position, uint32_t length) const
{
    if (length == 0)
        return {};
    QTextCursor cursor(document());
    cursor.setPosition(static_cast<int>(position));
    cursor.setPosition(static_cast<int>(position + length), QTextCursor::KeepAnchor);
    // selectedText() gives the characters as stored (no space for no-break space),
    // with U+2029 between blocks.
    const QString text = cursor.selectedText();
    std::u16string result(toView(text));
    std::replace(result.begin(), result.end(), char16_t(0x2029), u'\r');
    return result;
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
    QTextCursor cursor = textCursor();
    cursor.insertText(toQtText(text));
    setTextCursor(cursor);
}

void WTextViewWidget::setString(std::u16string_view text)
{
    // One undo step for the whole replacement.
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(toQtText(text));
    cursor.endEditBlock();
    cursor.setPosition(0);
    setTextCursor(cursor);
}

void WTextViewWidget::loadString(std::u16string_view text)
{
    setPlainText(toQtText(text));
    document()->clearUndoRedoStacks();
    document()->setModified(false);
    moveCursor(QTextCursor::Start);
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

bool WTextViewWidget::canInsertFromMimeData(const QMimeData* source) const
{
    return source->hasText() || QPlainTextEdit::canInsertFromMimeData(source);
}

void WTextViewWidget::insertFromMimeData(const QMimeData* source)
{
    if (!source->hasText())
        return;
    // Text from elsewhere may end its lines in LF or CR LF; here every line ends in CR.
    const QString text = source->text();
    insertText(WStringUtils::convertReturnsToCR(toView(text)));
    ensureCursorVisible();
}
