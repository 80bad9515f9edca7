#include "canvas/WCanvasAccessible.h"

#include <QAccessible>

#include <algorithm>

#include "app/WQtStrings.h"
#include "canvas/WTextCanvas.h"

namespace {

QAccessibleInterface* canvasInterface(const QString& key, QObject* object)
{
    if (key != QLatin1String("WTextCanvas"))
        return nullptr;
    auto* canvas = qobject_cast<WTextCanvas*>(object);
    return canvas ? new WCanvasAccessible(canvas) : nullptr;
}

}  // namespace

WCanvasAccessible::WCanvasAccessible(WTextCanvas* canvas)
    : QAccessibleWidget(canvas, QAccessible::EditableText)
{
}

WTextCanvas* WCanvasAccessible::canvas() const
{
    return static_cast<WTextCanvas*>(widget());
}

void WCanvasAccessible::watch(WTextCanvas* canvas)
{
    static const bool installed = [] {
        QAccessible::installFactory(canvasInterface);
        return true;
    }();
    Q_UNUSED(installed);
    // Nothing is made or sent while no screen reader listens.
    QObject::connect(canvas, &WTextCanvas::cursorPositionChanged, canvas, [canvas] {
        if (!QAccessible::isActive())
            return;
        QAccessibleTextCursorEvent event(canvas, static_cast<int>(canvas->caretLocation()));
        QAccessible::updateAccessibility(&event);
    });
    QObject::connect(canvas, &WTextCanvas::selectionChanged, canvas, [canvas] {
        if (!QAccessible::isActive())
            return;
        const WRange selection = canvas->selectedRange();
        QAccessibleTextSelectionEvent event(canvas, static_cast<int>(selection.location),
                                            static_cast<int>(selection.maxRange()));
        event.setCursorPosition(static_cast<int>(canvas->caretLocation()));
        QAccessible::updateAccessibility(&event);
    });
}

void WCanvasAccessible::textReplaced(WTextCanvas* canvas, uint32_t location, std::u16string_view removed,
                                     std::u16string_view inserted)
{
    if (!QAccessible::isActive() || (removed.empty() && inserted.empty()))
        return;
    const int at = static_cast<int>(location);
    if (removed.empty()) {
        QAccessibleTextInsertEvent event(canvas, at, wqt::toQString(inserted));
        QAccessible::updateAccessibility(&event);
    } else if (inserted.empty()) {
        QAccessibleTextRemoveEvent event(canvas, at, wqt::toQString(removed));
        QAccessible::updateAccessibility(&event);
    } else {
        QAccessibleTextUpdateEvent event(canvas, at, wqt::toQString(removed), wqt::toQString(inserted));
        QAccessible::updateAccessibility(&event);
    }
}

QAccessible::State WCanvasAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = canvas()->isEditable();
    state.readOnly = !canvas()->isEditable();
    state.multiLine = true;
    state.selectableText = true;
    state.focusable = true;
    return state;
}

void* WCanvasAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

// ---- caret and selection ----

uint32_t WCanvasAccessible::clamped(int offset) const
{
    return static_cast<uint32_t>(std::clamp<int64_t>(offset, 0, canvas()->textStorage().length()));
}

void WCanvasAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    const WRange range = canvas()->selectedRange();
    const bool has = selectionIndex == 0 && range.length > 0;
    *startOffset = has ? static_cast<int>(range.location) : 0;
    *endOffset = has ? static_cast<int>(range.maxRange()) : 0;
}

int WCanvasAccessible::selectionCount() const
{
    return canvas()->selectedRange().length > 0 ? 1 : 0;
}

void WCanvasAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);  // the view has one selection
}

void WCanvasAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        canvas()->setSelectedRange({canvas()->caretLocation(), 0});
}

void WCanvasAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0)
        return;
    const uint32_t start = clamped(std::min(startOffset, endOffset));
    const uint32_t end = clamped(std::max(startOffset, endOffset));
    canvas()->setSelectedRange({start, end - start});
}

int WCanvasAccessible::cursorPosition() const
{
    return static_cast<int>(canvas()->caretLocation());
}

void WCanvasAccessible::setCursorPosition(int position)
{
    canvas()->setSelectedRange({clamped(position), 0});
}

// ---- the text ----

QString WCanvasAccessible::text(QAccessible::Text t) const
{
    return QAccessibleWidget::text(t);
}

QString WCanvasAccessible::text(int startOffset, int endOffset) const
{
    const uint32_t start = clamped(startOffset);
    const uint32_t end = std::max(start, clamped(endOffset));
    return wqt::toQString(std::u16string_view(canvas()->string()).substr(start, end - start));
}

int WCanvasAccessible::characterCount() const
{
    return static_cast<int>(canvas()->textStorage().length());
}

WCanvasAccessible::Segment WCanvasAccessible::segmentAt(uint32_t offset, QAccessible::TextBoundaryType boundaryType) const
{
    WTextCanvas& view = *canvas();
    const uint32_t length = view.textStorage().length();
    const WLineIndex& lines = view.mLayout.lines();
    const auto character = [&]() -> Segment {
        if (offset >= length)
            return {length, length};
        const uint32_t end = view.graphemeBoundary(offset, true);
        return {view.graphemeBoundary(end, false), end};
    };
    // A line is read with its line end, so that reading line after line covers every unit.
    const auto withLineEnd = [&](uint32_t start, uint32_t end) -> Segment {
        return {start, end < length && end == lines.lineEnd(lines.lineOfPosition(end)) ? end + 1 : end};
    };
    switch (boundaryType) {
    case QAccessible::CharBoundary: return character();
    case QAccessible::WordBoundary:
    case QAccessible::SentenceBoundary: {
        if (offset >= length)
            return {length, length};
        const WRange segment = view.segmentAround(
            offset, boundaryType == QAccessible::WordBoundary ? QTextBoundaryFinder::Word : QTextBoundaryFinder::Sentence);
        // A line end (and an empty line) is a segment of its own.
        if (segment.length == 0 || segment.maxRange() <= offset)
            return character();
        return {segment.location, segment.maxRange()};
    }
    case QAccessible::LineBoundary:
        if (view.mLayout.wraps()) {
            // What the reader calls a line is a row on screen.
            const WCanvasLayout::Piece row = view.mLayout.pieceAt(offset);
            return withLineEnd(row.start, row.start + row.length);
        }
        [[fallthrough]];
    case QAccessible::ParagraphBoundary: {
        const uint32_t line = lines.lineOfPosition(offset);
        return withLineEnd(lines.lineStart(line), lines.lineEnd(line));
    }
    case QAccessible::NoBoundary: return {0, length};
    }
    return character();
}

QString WCanvasAccessible::segmentText(Segment segment, int* startOffset, int* endOffset) const
{
    *startOffset = static_cast<int>(segment.start);
    *endOffset = static_cast<int>(segment.end);
    return text(*startOffset, *endOffset);
}

QString WCanvasAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                        int* endOffset) const
{
    if (offset == -2)  // the caret's
        offset = cursorPosition();
    return segmentText(segmentAt(clamped(offset), boundaryType), startOffset, endOffset);
}

QString WCanvasAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                            int* endOffset) const
{
    if (offset == -2)
        offset = cursorPosition();
    const Segment at = segmentAt(clamped(offset), boundaryType);
    if (at.start == 0)
        return segmentText({0, 0}, startOffset, endOffset);
    return segmentText(segmentAt(at.start - 1, boundaryType), startOffset, endOffset);
}

QString WCanvasAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                           int* endOffset) const
{
    if (offset == -2)
        offset = cursorPosition();
    const uint32_t length = canvas()->textStorage().length();
    const Segment at = segmentAt(clamped(offset), boundaryType);
    if (at.end >= length)
        return segmentText({length, length}, startOffset, endOffset);
    return segmentText(segmentAt(at.end, boundaryType), startOffset, endOffset);
}

QString WCanvasAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = static_cast<int>(clamped(offset));
    return {};
}

// ---- places on screen ----

QRect WCanvasAccessible::characterRect(int offset) const
{
    WTextCanvas& view = *canvas();
    const uint32_t position = clamped(offset);
    if (offset < 0 || position >= view.textStorage().length())
        return {};
    const QRectF left = view.mLayout.caretRect(position).translated(-view.scrollOffset());
    const QRectF right = view.mLayout.caretRect(view.graphemeBoundary(position, true)).translated(-view.scrollOffset());
    const double width =
        right.top() == left.top() && right.x() > left.x() ? right.x() - left.x() : view.mLayout.averageAdvance();
    const QRect local(QPointF(left.x(), left.y()).toPoint(), QSize(std::max(1, qRound(width)), qRound(left.height())));
    return QRect(view.viewport()->mapToGlobal(local.topLeft()), local.size());
}

int WCanvasAccessible::offsetAtPoint(const QPoint& point) const
{
    WTextCanvas& view = *canvas();
    const QPoint local = view.viewport()->mapFromGlobal(point);
    if (!view.viewport()->rect().contains(local))
        return -1;
    const uint32_t position = view.characterAt(local);
    return position < view.textStorage().length() ? static_cast<int>(position) : -1;
}

void WCanvasAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    const uint32_t start = clamped(startIndex);
    canvas()->scrollRangeToVisible({start, std::max(start, clamped(endIndex)) - start});
}

// ---- editing ----

void WCanvasAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, {});
}

void WCanvasAccessible::insertText(int offset, const QString& text)
{
    replaceText(offset, offset, text);
}

void WCanvasAccessible::replaceText(int startOffset, int endOffset, const QString& text)
{
    const uint32_t start = clamped(std::min(startOffset, endOffset));
    const uint32_t end = clamped(std::max(startOffset, endOffset));
    canvas()->replaceCharactersInRange({start, end - start}, wqt::unitsOf(text));
}
