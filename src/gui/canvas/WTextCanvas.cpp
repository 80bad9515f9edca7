#include "canvas/WTextCanvas.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QFontDatabase>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <map>

#include "app/WQtStrings.h"
#include "canvas/WCanvasAccessible.h"
#include "editor/WTextMime.h"
#include "menus/WMenuShortcuts.h"
#include "platform/WPlatform.h"
#include "text/WStringUtils.h"

namespace {

// The gap between the viewport's left edge and the text.
constexpr int kMargin = 4;
// Columns of the average character between two tab stops.
constexpr int kTabColumns = 4;
// How many units the background word wrap handles between two looks at the events.
constexpr uint32_t kWrapSlice = 256 * 1024;
// How far around the caret the text is looked at for character and word
// boundaries, and handed to an input method as the surrounding text.
constexpr uint32_t kBoundaryWindow = 256;
constexpr uint32_t kSurroundingWindow = 512;

bool isWordUnit(char16_t c)
{
    return QChar(c).isLetterOrNumber() || c == u'_' || (c >= 0xD800 && c <= 0xDFFF);
}

using Action = void (*)(WTextCanvas&);
const std::map<std::string, Action, std::less<>>& standardActions()
{
    using Move = WTextCanvas::Move;
    static const std::map<std::string, Action, std::less<>> actions = {
        {"copy:", [](WTextCanvas& v) { v.copy(); }},
        {"cut:", [](WTextCanvas& v) { v.cut(); }},
        {"paste:", [](WTextCanvas& v) { v.paste(); }},
        {"selectAll:", [](WTextCanvas& v) { v.selectAll(); }},
        {"undo:", [](WTextCanvas& v) { v.undo(); }},
        {"redo:", [](WTextCanvas& v) { v.redo(); }},
        {"delete:", [](WTextCanvas& v) { v.insertText(u""); }},
        {"moveUp:", [](WTextCanvas& v) { v.moveCaret(Move::Up, false); }},
        {"moveDown:", [](WTextCanvas& v) { v.moveCaret(Move::Down, false); }},
        {"moveForward:", [](WTextCanvas& v) { v.moveCaret(Move::Forward, false); }},
        {"moveBackward:", [](WTextCanvas& v) { v.moveCaret(Move::Backward, false); }},
        {"moveToBeginningOfLine:", [](WTextCanvas& v) { v.moveCaret(Move::RowStart, false); }},
        {"moveToEndOfLine:", [](WTextCanvas& v) { v.moveCaret(Move::RowEnd, false); }},
        {"moveToBeginningOfParagraph:", [](WTextCanvas& v) { v.moveCaret(Move::LineStart, false); }},
        {"moveToEndOfParagraph:", [](WTextCanvas& v) { v.moveCaret(Move::LineEnd, false); }},
        {"moveToBeginningOfDocument:", [](WTextCanvas& v) { v.moveCaret(Move::TextStart, false); }},
        {"moveToEndOfDocument:", [](WTextCanvas& v) { v.moveCaret(Move::TextEnd, false); }},
        {"pageUp:", [](WTextCanvas& v) { v.moveCaret(Move::PageUp, false); }},
        {"pageDown:", [](WTextCanvas& v) { v.moveCaret(Move::PageDown, false); }},
        {"deleteBackward:", [](WTextCanvas& v) { v.deleteTo(Move::Backward); }},
        {"deleteForward:", [](WTextCanvas& v) { v.deleteTo(Move::Forward); }},
        {"deleteWordBackward:", [](WTextCanvas& v) { v.deleteTo(Move::WordBackward); }},
        {"deleteToBeginningOfLine:", [](WTextCanvas& v) { v.deleteTo(Move::RowStart); }},
        {"deleteToEndOfLine:", [](WTextCanvas& v) { v.deleteTo(Move::RowEnd); }},
        {"deleteToBeginningOfParagraph:", [](WTextCanvas& v) { v.deleteTo(Move::LineStart); }},
        {"deleteToEndOfParagraph:", [](WTextCanvas& v) { v.deleteTo(Move::LineEnd); }},
        {"insertTab:", [](WTextCanvas& v) { v.insertText(u"\t"); }},
        {"insertNewline:", [](WTextCanvas& v) { v.insertText(u"\r"); }},
        {"uppercaseWord:", [](WTextCanvas& v) { v.changeWordCase(true); }},
        {"lowercaseWord:", [](WTextCanvas& v) { v.changeWordCase(false); }},
    };
    return actions;
}

}  // namespace

WTextCanvas::WTextCanvas(QWidget* parent)
    : QAbstractScrollArea(parent)
    , mLayout(mStorage)
{
    mStorage.addListener(this);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setSingleStep(1);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    viewport()->setAcceptDrops(true);
    WCanvasAccessible::watch(this);
}

WTextCanvas::~WTextCanvas()
{
    emit aboutToBeDestroyed();
    mStorage.removeListener(this);
}

// ---- the text ----

void WTextCanvas::textStorageDidReplaceCharacters(WTextStorage&, WRange oldRange, uint32_t newLength)
{
    mLayout.textReplaced(oldRange, newLength);
    const auto follow = [&](uint32_t position) {
        if (position < oldRange.location)
            return position;
        if (position >= oldRange.maxRange())
            return position - oldRange.length + newLength;
        return oldRange.location + newLength;
    };
    const WRange selectionBefore = selectedRange();
    const uint32_t caretBefore = mCaret;
    mCaret = follow(mCaret);
    mAnchor = follow(mAnchor);
    if (mTopLine >= mLayout.lines().lineCount()) {
        mTopLine = mLayout.lines().lineCount() - 1;
        mTopSubRow = 0;
    }
    if (mLayout.wraps() && !mWrapLater.isActive())
        mWrapLater.start(0, this);
    updateScrollBars();
    viewport()->update();
    // The others who listen to the storage (the colouring) must have heard of the
    // edit before anyone hears of it from the view.
    mHeard.push_back({oldRange, newLength, caretBefore, selectionBefore});
    if (!mEditingStorage)
        tellOfEdits();
}

void WTextCanvas::tellOfEdits()
{
    for (const HeardEdit& heard : std::exchange(mHeard, {})) {
        emit textReplaced(heard.oldRange, heard.newLength);
        // The caret carried along by the edit has moved as much as one moved by hand.
        if (mCaret != heard.caretBefore)
            emit cursorPositionChanged();
        if (selectedRange() != heard.selectionBefore)
            emit selectionChanged();
    }
}

void WTextCanvas::textStorageDidChangeAttributes(WTextStorage&, WRange range)
{
    mLayout.attributesChanged(range);
    viewport()->update();
}

bool WTextCanvas::refusesEdit() const
{
    if (mEditable)
        return false;
    WPlatform::shared().beep();
    return true;
}

void WTextCanvas::edit(WRange range, std::u16string_view text, WUndoStack::Kind kind)
{
    const uint32_t length = mStorage.length();
    range.location = std::min(range.location, length);
    range.length = std::min(range.length, length - range.location);
    if (range.length == 0 && text.empty())
        return;
    const WRange before = selectedRange();
    WUndoEdit record{range.location, mStorage.string().substr(range.location, range.length), std::u16string(text)};
    replaceInStorage(range, text);
    const uint32_t caret = range.location + static_cast<uint32_t>(text.size());
    mUndo.record(std::move(record), before, {caret, 0}, kind);
    setSelection(caret, caret);
    ensureCaretVisible();
    noteEditedChange();
}

void WTextCanvas::replaceInStorage(WRange range, std::u16string_view text)
{
    // The removed text is kept only for a screen reader that listens.
    const bool reader = QAccessible::isActive();
    const std::u16string removed = reader ? mStorage.string().substr(range.location, range.length) : std::u16string();
    if (mOtherLineEnds) {
        *mOtherLineEnds -= WStringUtils::countLineEndsOtherThanCR(
            std::u16string_view(mStorage.string()).substr(range.location, range.length));
        *mOtherLineEnds += WStringUtils::countLineEndsOtherThanCR(text);
    }
    mEditingStorage = true;
    mStorage.replaceCharactersInRange(range, text);
    mEditingStorage = false;
    if (reader)
        WCanvasAccessible::textReplaced(this, range.location, removed, text);
    tellOfEdits();
}

bool WTextCanvas::onlyCRsEndLines() const
{
    if (!mOtherLineEnds)
        mOtherLineEnds = WStringUtils::countLineEndsOtherThanCR(mStorage.string());
    return *mOtherLineEnds == 0;
}

uint32_t WTextCanvas::lineNumberAt(uint32_t position) const
{
    // The line index knows the CRs; any other line end means counting them all.
    if (!onlyCRsEndLines())
        return WStringUtils::countLinesOfString(mStorage.string(), WRange{0, position});
    return mLayout.lines().lineOfPosition(std::min(position, mStorage.length())) + 1;
}

uint32_t WTextCanvas::columnAt(uint32_t position) const
{
    if (!onlyCRsEndLines())
        return WStringUtils::columnOfPosition(mStorage.string(), position);
    const uint32_t at = std::min(position, mStorage.length());
    const WLineIndex& lines = mLayout.lines();
    return WStringUtils::columnOfPosition(mStorage.string(), at, lines.lineStart(lines.lineOfPosition(at)));
}

void WTextCanvas::insertText(std::u16string_view text)
{
    if (refusesEdit())
        return;
    edit(selectedRange(), text, WUndoStack::Kind::Typing);
}

void WTextCanvas::changeWordCase(bool upper)
{
    if (refusesEdit())
        return;
    WRange range = selectedRange();
    const bool hadSelection = range.length > 0;
    if (!hadSelection) {
        const std::u16string& text = mStorage.string();
        const bool inWord = mCaret < text.size() && isWordUnit(text[mCaret]);
        const bool afterWord = mCaret > 0 && isWordUnit(text[mCaret - 1]);
        if (!inWord && !afterWord)
            return;
        const uint32_t start = afterWord ? wordBoundary(mCaret, false) : mCaret;
        const uint32_t end = inWord ? wordBoundary(mCaret, true) : mCaret;
        range = {start, end - start};
    }
    const QString original = wqt::toQString(std::u16string_view(mStorage.string()).substr(range.location, range.length));
    const QString changed = upper ? original.toUpper() : original.toLower();
    if (changed != original) {
        mUndo.closeStep();
        edit(range, wqt::unitsOf(changed), WUndoStack::Kind::Other);
    }
    const auto end = range.location + static_cast<uint32_t>(changed.size());
    // A selection stays on the changed words; otherwise the caret goes past the word.
    setSelection(hadSelection ? range.location : end, end);
}

void WTextCanvas::replaceCharactersInRange(WRange range, std::u16string_view text)
{
    if (refusesEdit())
        return;
    mUndo.closeStep();
    edit(range, text, WUndoStack::Kind::Other);
    mUndo.closeStep();
}

void WTextCanvas::setString(std::u16string_view text)
{
    replaceCharactersInRange({0, mStorage.length()}, text);
    setSelection(0, 0);
}

void WTextCanvas::loadString(std::u16string text)
{
    mLayout.clearPreedit();
    mPreedit.clear();
    const std::u16string before = QAccessible::isActive() ? mStorage.string() : std::u16string();
    mStorage.takeString(std::move(text));
    mOtherLineEnds.reset();
    if (QAccessible::isActive())
        WCanvasAccessible::textReplaced(this, 0, before, mStorage.string());
    mLayout.reset();
    mUndo.clear();
    mUndo.markSaved();
    mTopLine = 0;
    mTopSubRow = 0;
    setSelection(0, 0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    setEdited(false);
}

void WTextCanvas::setEdited(bool edited)
{
    mMarkedEdited = edited;
    if (!edited)
        mUndo.markSaved();
    noteEditedChange();
}

void WTextCanvas::noteEditedChange()
{
    const bool edited = isEdited();
    if (edited != mWasEdited) {
        mWasEdited = edited;
        emit editedChanged(edited);
    }
}

void WTextCanvas::applyStep(const WUndoStep& step, bool backward)
{
    if (backward) {
        for (auto edit = step.edits.rbegin(); edit != step.edits.rend(); ++edit)
            replaceInStorage({edit->location, static_cast<uint32_t>(edit->inserted.size())}, edit->removed);
    } else {
        for (const WUndoEdit& edit : step.edits)
            replaceInStorage({edit.location, static_cast<uint32_t>(edit.removed.size())}, edit.inserted);
    }
    const WRange selection = backward ? step.selectionBefore : step.selectionAfter;
    setSelection(selection.location, selection.maxRange());
    ensureCaretVisible();
    noteEditedChange();
}

void WTextCanvas::undo()
{
    if (refusesEdit())
        return;
    if (!mUndo.canUndo()) {
        WPlatform::shared().beep();
        return;
    }
    applyStep(mUndo.undo(), true);
}

void WTextCanvas::redo()
{
    if (refusesEdit())
        return;
    if (!mUndo.canRedo()) {
        WPlatform::shared().beep();
        return;
    }
    applyStep(mUndo.redo(), false);
}

// ---- selection and caret ----

WRange WTextCanvas::selectedRange() const
{
    const uint32_t from = std::min(mAnchor, mCaret);
    return {from, std::max(mAnchor, mCaret) - from};
}

void WTextCanvas::setSelectedRange(WRange range)
{
    const uint32_t length = mStorage.length();
    const uint32_t from = std::min(range.location, length);
    setSelection(from, std::min(length, from + std::min(range.length, length - from)));
    mUndo.closeStep();
    ensureCaretVisible();
}

void WTextCanvas::setSelection(uint32_t anchor, uint32_t caret, bool keepGoalX)
{
    const uint32_t length = mStorage.length();
    anchor = std::min(anchor, length);
    caret = std::min(caret, length);
    if (!keepGoalX)
        mGoalX.reset();
    const bool selectionMoved = std::min(anchor, caret) != selectedRange().location ||
                                std::max(anchor, caret) != selectedRange().maxRange();
    const bool caretMoved = caret != mCaret;
    mAnchor = anchor;
    mCaret = caret;
    if (caretMoved || selectionMoved) {
        restartBlink();
        viewport()->update();
        if (caretMoved)
            emit cursorPositionChanged();
        if (selectionMoved)
            emit selectionChanged();
    }
}

void WTextCanvas::selectAll()
{
    setSelection(0, mStorage.length());
    mUndo.closeStep();
    setPrimarySelection();
}

uint32_t WTextCanvas::graphemeBoundary(uint32_t from, bool forward) const
{
    const WLineIndex& lines = mLayout.lines();
    const uint32_t line = lines.lineOfPosition(from);
    const uint32_t start = lines.lineStart(line);
    const uint32_t end = lines.lineEnd(line);
    // Across a line end: the CR is a character of its own.
    if (forward && from >= end)
        return std::min(from + 1, mStorage.length());
    if (!forward && from <= start)
        return from > 0 ? from - 1 : 0;
    const uint32_t windowStart = std::max(start, from > kBoundaryWindow ? from - kBoundaryWindow : 0);
    const uint32_t windowEnd = std::min(end, from + kBoundaryWindow);
    const QString window = wqt::toQString(std::u16string_view(mStorage.string()).substr(windowStart, windowEnd - windowStart));
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, window);
    finder.setPosition(static_cast<qsizetype>(from - windowStart));
    const qsizetype next = forward ? finder.toNextBoundary() : finder.toPreviousBoundary();
    if (next < 0)
        return forward ? from + 1 : from - 1;
    return windowStart + static_cast<uint32_t>(next);
}

uint32_t WTextCanvas::wordBoundary(uint32_t from, bool forward) const
{
    const std::u16string& text = mStorage.string();
    uint32_t position = from;
    // Skip what is not a word, then the word.
    if (forward) {
        while (position < text.size() && !isWordUnit(text[position]))
            position = graphemeBoundary(position, true);
        const WLineIndex& lines = mLayout.lines();
        const uint32_t end = lines.lineEnd(lines.lineOfPosition(position));
        const uint32_t windowStart = position;
        const uint32_t windowEnd = std::min(end, position + kBoundaryWindow);
        QTextBoundaryFinder finder(QTextBoundaryFinder::Word,
                                   wqt::toQString(std::u16string_view(text).substr(windowStart, windowEnd - windowStart)));
        const qsizetype next = finder.toNextBoundary();
        return next < 0 ? windowEnd : windowStart + static_cast<uint32_t>(next);
    }
    while (position > 0 && !isWordUnit(text[position - 1]))
        position = graphemeBoundary(position, false);
    const WLineIndex& lines = mLayout.lines();
    const uint32_t start = lines.lineStart(lines.lineOfPosition(position));
    const uint32_t windowStart = std::max(start, position > kBoundaryWindow ? position - kBoundaryWindow : 0);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word,
                               wqt::toQString(std::u16string_view(text).substr(windowStart, position - windowStart)));
    finder.toEnd();
    const qsizetype previous = finder.toPreviousBoundary();
    return previous < 0 ? windowStart : windowStart + static_cast<uint32_t>(previous);
}

uint32_t WTextCanvas::target(Move move, uint32_t from)
{
    const WLineIndex& lines = mLayout.lines();
    const uint32_t line = lines.lineOfPosition(from);
    switch (move) {
    case Move::Backward: return graphemeBoundary(from, false);
    case Move::Forward: return graphemeBoundary(from, true);
    case Move::WordBackward: return wordBoundary(from, false);
    case Move::WordForward: return wordBoundary(from, true);
    case Move::LineStart: return lines.lineStart(line);
    case Move::LineEnd: return lines.lineEnd(line);
    case Move::TextStart: return 0;
    case Move::TextEnd: return mStorage.length();
    case Move::RowStart:
    case Move::RowEnd: {
        const WCanvasLayout::Piece piece = mLayout.pieceAt(from);
        if (!mLayout.wraps())
            return move == Move::RowStart ? lines.lineStart(line) : lines.lineEnd(line);
        if (move == Move::RowStart)
            return piece.start;
        // The end of a row that the next row goes on from is before its last character.
        const bool lastRow = piece.start + piece.length == lines.lineEnd(line);
        return piece.start + piece.length - (lastRow || piece.length == 0 ? 0 : 1);
    }
    case Move::Up:
    case Move::Down:
    case Move::PageUp:
    case Move::PageDown: {
        const int rows = (move == Move::Up || move == Move::Down) ? 1 : pageRows();
        const bool down = move == Move::Down || move == Move::PageDown;
        // The lines the move may land in get their exact row counts first.
        mLayout.ensureExact(line > uint32_t(rows) ? line - rows : 0, 2 * rows + 1);
        const uint32_t row = mLayout.rowOf(from);
        if (!mGoalX)
            mGoalX = mLayout.caretRect(from).x();
        if (!down && row == 0)
            return 0;
        if (down && row + 1 >= mLayout.rowCount())
            return mStorage.length();
        const uint32_t to = down ? std::min(mLayout.rowCount() - 1, row + rows) : (row > uint32_t(rows) ? row - rows : 0);
        return mLayout.positionAt(QPointF(*mGoalX, (to + 0.5) * mLayout.lineHeight()));
    }
    }
    return from;
}

void WTextCanvas::moveCaret(Move move, bool extend)
{
    const WRange selection = selectedRange();
    uint32_t to;
    // A selection collapses to the side the caret moves to.
    if (!extend && selection.length > 0 && (move == Move::Backward || move == Move::Forward))
        to = move == Move::Forward ? selection.maxRange() : selection.location;
    else
        to = target(move, mCaret);
    const bool vertical = move == Move::Up || move == Move::Down || move == Move::PageUp || move == Move::PageDown;
    const std::optional<double> goal = mGoalX;
    setSelection(extend ? mAnchor : to, to, vertical);
    if (vertical)
        mGoalX = goal;
    if (move == Move::PageUp || move == Move::PageDown) {
        const uint32_t top = topRow();
        const uint32_t page = static_cast<uint32_t>(pageRows());
        scrollToRow(move == Move::PageDown ? top + page : (top > page ? top - page : 0));
    }
    mUndo.closeStep();
    ensureCaretVisible();
    if (extend)
        setPrimarySelection();
}

void WTextCanvas::deleteTo(Move move)
{
    if (refusesEdit())
        return;
    WRange range = selectedRange();
    if (range.length == 0) {
        const uint32_t to = target(move, mCaret);
        range = {std::min(to, mCaret), std::max(to, mCaret) - std::min(to, mCaret)};
        // Backspace takes back one code point, not a whole cluster, as editors do
        // for composed Japanese; only a pair of surrogates goes together.
        if (move == Move::Backward && range.length > 1) {
            const char16_t last = mStorage.string()[mCaret - 1];
            const bool pair = last >= 0xDC00 && last <= 0xDFFF && mCaret >= 2 &&
                              mStorage.string()[mCaret - 2] >= 0xD800 && mStorage.string()[mCaret - 2] <= 0xDBFF;
            range = {mCaret - (pair ? 2u : 1u), pair ? 2u : 1u};
        }
    }
    if (range.length == 0) {
        WPlatform::shared().beep();
        return;
    }
    // Deleting character by character is one undo step; a word, a line or a
    // selection deleted at once is a step of its own.
    if (move == Move::Backward || move == Move::Forward) {
        edit(range, u"", WUndoStack::Kind::Deleting);
        return;
    }
    mUndo.closeStep();
    edit(range, u"", WUndoStack::Kind::Other);
    mUndo.closeStep();
}

void WTextCanvas::selectUnitAt(uint32_t position, int clicks)
{
    const WLineIndex& lines = mLayout.lines();
    WRange unit{position, 0};
    if (clicks >= 3) {
        const uint32_t line = lines.lineOfPosition(position);
        const uint32_t end = lines.lineEnd(line);
        unit = {lines.lineStart(line), end - lines.lineStart(line) + (end < mStorage.length() ? 1 : 0)};
    } else if (clicks == 2) {
        unit = segmentAround(position, QTextBoundaryFinder::Word);
    }
    mClickUnit = unit;
    setSelection(unit.location, unit.maxRange());
}

WRange WTextCanvas::segmentAround(uint32_t position, QTextBoundaryFinder::BoundaryType type) const
{
    const WLineIndex& lines = mLayout.lines();
    const uint32_t line = lines.lineOfPosition(position);
    const uint32_t start = lines.lineStart(line);
    const uint32_t end = lines.lineEnd(line);
    const uint32_t windowStart = std::max(start, position > kBoundaryWindow ? position - kBoundaryWindow : 0);
    const uint32_t windowEnd = std::min(end, position + kBoundaryWindow);
    QTextBoundaryFinder finder(type, wqt::toQString(std::u16string_view(mStorage.string()).substr(windowStart, windowEnd - windowStart)));
    finder.setPosition(static_cast<qsizetype>(position - windowStart));
    qsizetype from = finder.isAtBoundary() ? finder.position() : finder.toPreviousBoundary();
    finder.setPosition(static_cast<qsizetype>(position - windowStart));
    qsizetype to = finder.toNextBoundary();
    if (from < 0)
        from = 0;
    if (to < 0)
        to = windowEnd - windowStart;
    return {windowStart + static_cast<uint32_t>(from), static_cast<uint32_t>(to - from)};
}

// ---- clipboard ----

void WTextCanvas::copy()
{
    const WRange range = selectedRange();
    if (range.length == 0)
        return;
    QApplication::clipboard()->setMimeData(
        WTextMime::mimeDataFor(std::u16string_view(mStorage.string()).substr(range.location, range.length)));
}

void WTextCanvas::cut()
{
    if (refusesEdit() || selectedRange().length == 0)
        return;
    copy();
    mUndo.closeStep();
    edit(selectedRange(), u"", WUndoStack::Kind::Other);
}

void WTextCanvas::paste()
{
    insertFromClipboard(QClipboard::Clipboard);
}

void WTextCanvas::insertFromClipboard(QClipboard::Mode mode)
{
    if (refusesEdit())
        return;
    const QMimeData* data = QApplication::clipboard()->mimeData(mode);
    const std::optional<std::u16string> text = data ? WTextMime::textToInsert(*data) : std::nullopt;
    if (!text)
        return;
    mUndo.closeStep();
    edit(selectedRange(), *text, WUndoStack::Kind::Other);
    mUndo.closeStep();
}

void WTextCanvas::setPrimarySelection()
{
    QClipboard* clipboard = QApplication::clipboard();
    const WRange range = selectedRange();
    if (!clipboard->supportsSelection() || range.length == 0)
        return;
    clipboard->setMimeData(
        WTextMime::mimeDataFor(std::u16string_view(mStorage.string()).substr(range.location, range.length)),
        QClipboard::Selection);
}

void WTextCanvas::performStandardAction(std::string_view action)
{
    const auto& actions = standardActions();
    auto found = actions.find(action);
    if (found == actions.end()) {
        WPlatform::shared().beep();
        return;
    }
    found->second(*this);
}

// ---- scrolling ----

int WTextCanvas::pageRows() const
{
    return std::max(1, viewport()->height() / mLayout.lineHeight());
}

uint32_t WTextCanvas::topRow() const
{
    return mLayout.firstRowOf(mTopLine) + mTopSubRow;
}

QPointF WTextCanvas::scrollOffset() const
{
    return QPointF(horizontalScrollBar()->value() - kMargin, double(topRow()) * mLayout.lineHeight());
}

void WTextCanvas::scrollToRow(uint32_t row)
{
    const uint32_t rows = mLayout.rowCount();
    const uint32_t page = static_cast<uint32_t>(pageRows());
    row = std::min(row, rows > page ? rows - page : 0);
    const auto [line, sub] = mLayout.lineOfRow(row);
    if (line == mTopLine && sub == mTopSubRow)
        return;
    mTopLine = line;
    mTopSubRow = sub;
    updateScrollBars();
    viewport()->update();
}

void WTextCanvas::scrollContentsBy(int, int)
{
    if (!mSettingScrollBar) {
        const auto [line, sub] = mLayout.lineOfRow(static_cast<uint32_t>(verticalScrollBar()->value()));
        mTopLine = line;
        mTopSubRow = sub;
        // Rows scrolled into view get their exact counts before they are drawn.
        mLayout.ensureExact(mTopLine, static_cast<uint32_t>(pageRows()) + 1);
    }
    viewport()->update();
}

void WTextCanvas::updateScrollBars()
{
    mLayout.ensureExact(mTopLine, static_cast<uint32_t>(pageRows()) + 1);
    mSettingScrollBar = true;
    QScrollBar* vertical = verticalScrollBar();
    const uint32_t rows = mLayout.rowCount();
    const int page = pageRows();
    vertical->setPageStep(page);
    vertical->setRange(0, static_cast<int>(std::min<uint32_t>(INT32_MAX, rows > uint32_t(page) ? rows - page : 0)));
    vertical->setValue(static_cast<int>(std::min<uint32_t>(INT32_MAX, topRow())));
    QScrollBar* horizontal = horizontalScrollBar();
    if (mLayout.wraps()) {
        horizontal->setRange(0, 0);
    } else {
        const int width = viewport()->width();
        const double content = mLayout.contentWidth() + 2 * kMargin + mLayout.averageAdvance();
        horizontal->setPageStep(width);
        horizontal->setSingleStep(static_cast<int>(mLayout.averageAdvance() * 2));
        horizontal->setRange(0, std::max(0, static_cast<int>(std::min<double>(INT32_MAX, content)) - width));
    }
    mSettingScrollBar = false;
}

void WTextCanvas::scrollRangeToVisible(WRange range)
{
    const uint32_t saved = mCaret;
    mCaret = std::min(range.maxRange(), mStorage.length());
    ensureCaretVisible();
    mCaret = std::min(range.location, mStorage.length());
    ensureCaretVisible();
    mCaret = saved;
}

void WTextCanvas::ensureCaretVisible()
{
    const uint32_t row = mLayout.rowOf(mCaret);
    const uint32_t top = topRow();
    const uint32_t page = static_cast<uint32_t>(pageRows());
    if (row < top)
        scrollToRow(row);
    else if (row >= top + page)
        scrollToRow(row - page + 1);
    if (mLayout.wraps())
        return;
    // Shaping the caret's piece may widen the line: the range follows first.
    const double x = mLayout.caretRect(mCaret, mPreeditCursor).x();
    updateScrollBars();
    QScrollBar* horizontal = horizontalScrollBar();
    const int width = viewport()->width();
    if (x < horizontal->value())
        horizontal->setValue(static_cast<int>(std::max(0.0, x - width / 3.0)));
    else if (x > horizontal->value() + width - 2 * kMargin)
        horizontal->setValue(static_cast<int>(x - width * 2 / 3.0));
}

void WTextCanvas::setWordWrap(bool wrap)
{
    mWordWrap = wrap;
    setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    updateWrapWidth();
}

void WTextCanvas::updateWrapWidth()
{
    const uint32_t line = mTopLine;
    if (mWordWrap)
        mLayout.setWrapWidth(std::max(1, viewport()->width() - 2 * kMargin));
    else
        mLayout.setWrapWidth(std::nullopt);
    mTopLine = line;
    mTopSubRow = 0;
    if (mLayout.wraps())
        mWrapLater.start(0, this);
    updateScrollBars();
    viewport()->update();
}

void WTextCanvas::fontChanged()
{
    mLayout.setFont(font(), kTabColumns);
    if (mLayout.wraps())
        mWrapLater.start(0, this);
    updateScrollBars();
    viewport()->update();
}

void WTextCanvas::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (mWordWrap)
        updateWrapWidth();
    else
        updateScrollBars();
}

// ---- drawing ----

void WTextCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QPalette& colors = palette();
    painter.fillRect(viewport()->rect(), colors.base());
    painter.setPen(colors.text().color());

    const int lineHeight = mLayout.lineHeight();
    const int rowsShown = viewport()->height() / lineHeight + 1;
    mLayout.ensureExact(mTopLine, static_cast<uint32_t>(rowsShown));
    const QPointF offset = scrollOffset();
    const uint32_t top = topRow();
    const double left = offset.x();
    const double right = left + viewport()->width();
    const WRange selection = selectedRange();

    QTextLayout::FormatRange selected;
    selected.format.setBackground(colors.highlight());
    selected.format.setForeground(colors.highlightedText());
    for (int shown = 0; shown < rowsShown; ++shown) {
        const uint32_t row = top + static_cast<uint32_t>(shown);
        if (row >= mLayout.rowCount())
            break;
        const double y = double(shown) * lineHeight;
        for (const WCanvasLayout::Piece& piece : mLayout.piecesInRow(row, left, right)) {
            QTextLayout& layout = mLayout.layoutOf(piece);
            QList<QTextLayout::FormatRange> selections;
            const uint32_t from = std::max(selection.location, piece.start);
            const uint32_t to = std::min(selection.maxRange(), piece.start + piece.length);
            if (from < to) {
                selected.start = static_cast<int>(from - piece.start);
                selected.length = static_cast<int>(to - from);
                selections.push_back(selected);
            }
            const QPointF origin(piece.x - left, y);
            layout.draw(&painter, origin, selections);
            // A selected line end shows as a little more selection after the line.
            const uint32_t end = piece.start + piece.length;
            if (selection.length > 0 && end == mLayout.lines().lineEnd(piece.line) && end < mStorage.length() &&
                selection.location <= end && end < selection.maxRange()) {
                const double x = origin.x() + layout.lineAt(0).naturalTextWidth();
                painter.fillRect(QRectF(x, y, mLayout.averageAdvance(), lineHeight), colors.highlight());
            }
        }
    }
    if (hasFocus() && (mCaretShown || hasMarkedText())) {
        const QRect caret = caretRect();
        if (viewport()->rect().intersects(caret))
            painter.fillRect(caret, colors.text());
    }
    if (mDropCaret) {
        const QRectF drop = mLayout.caretRect(*mDropCaret).translated(-scrollOffset());
        painter.fillRect(QRectF(drop.x(), drop.y(), 1, drop.height()), colors.text());
    }
}

QRect WTextCanvas::caretRect() const
{
    const QRectF rect = mLayout.caretRect(mCaret, mPreeditCursor).translated(-scrollOffset());
    return QRect(static_cast<int>(rect.x()), static_cast<int>(rect.y()), 1, static_cast<int>(rect.height()));
}

uint32_t WTextCanvas::positionAt(QPoint viewportPoint) const
{
    return mLayout.positionAt(QPointF(viewportPoint) + scrollOffset());
}

void WTextCanvas::restartBlink()
{
    mCaretShown = true;
    const int period = QApplication::cursorFlashTime() / 2;
    if (period > 0 && hasFocus())
        mBlink.start(period, this);
    else
        mBlink.stop();
}

void WTextCanvas::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == mBlink.timerId()) {
        mCaretShown = !mCaretShown;
        viewport()->update(caretRect().adjusted(-1, 0, 1, 0));
    } else if (event->timerId() == mWrapLater.timerId()) {
        // Word wrap of the lines not yet seen, a slice at a time between events.
        if (!mLayout.wrapSomeMore(kWrapSlice))
            mWrapLater.stop();
        updateScrollBars();
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

void WTextCanvas::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    restartBlink();
    viewport()->update();
}

void WTextCanvas::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    mBlink.stop();
    viewport()->update();
}

void WTextCanvas::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        viewport()->update();
    else if (event->type() == QEvent::FontChange)
        fontChanged();
}

// ---- keys ----

bool WTextCanvas::event(QEvent* event)
{
    // Plain typing and moving keys are the text's, never a menu shortcut's.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        if (modifiers == Qt::NoModifier && key->key() != Qt::Key_Escape && !(key->key() >= Qt::Key_F1 && key->key() <= Qt::Key_F35)) {
            key->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void WTextCanvas::keyPressEvent(QKeyEvent* event)
{
    if (mKeyRouter && mKeyRouter(event))
        return;
    if (event == QKeySequence::Copy)
        return copy();
    if (event == QKeySequence::Cut)
        return cut();
    if (event == QKeySequence::Paste)
        return paste();
    if (event == QKeySequence::Undo)
        return undo();
    if (event == QKeySequence::Redo)
        return redo();
    if (event == QKeySequence::SelectAll)
        return selectAll();

    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    std::optional<Move> move;
    switch (event->key()) {
    case Qt::Key_Left: move = control ? Move::WordBackward : Move::Backward; break;
    case Qt::Key_Right: move = control ? Move::WordForward : Move::Forward; break;
    case Qt::Key_Up: move = Move::Up; break;
    case Qt::Key_Down: move = Move::Down; break;
    case Qt::Key_PageUp: move = Move::PageUp; break;
    case Qt::Key_PageDown: move = Move::PageDown; break;
    case Qt::Key_Home: move = control ? Move::TextStart : Move::RowStart; break;
    case Qt::Key_End: move = control ? Move::TextEnd : Move::RowEnd; break;
    case Qt::Key_Backspace: return deleteTo(control ? Move::WordBackward : Move::Backward);
    case Qt::Key_Delete: return deleteTo(control ? Move::WordForward : Move::Forward);
    case Qt::Key_Return:
    case Qt::Key_Enter: return insertText(u"\r");
    case Qt::Key_Tab:
        if (!control)
            return insertText(u"\t");
        break;
    default: break;
    }
    if (move)
        return moveCaret(*move, shift);

    const QString text = event->text();
    const bool typed = !text.isEmpty() && !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) &&
                       std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x20 && c.unicode() != 0x7F; });
    if (typed) {
        insertText(wqt::unitsOf(text));
        return;
    }
    event->ignore();
}

// ---- input methods ----

void WTextCanvas::inputMethodEvent(QInputMethodEvent* event)
{
    const QString commit = event->commitString();
    if (!mEditable && (!commit.isEmpty() || !event->preeditString().isEmpty())) {
        WPlatform::shared().beep();
        event->accept();
        return;
    }
    if (!commit.isEmpty() || event->replacementLength() > 0) {
        WRange range = selectedRange();
        if (event->replacementLength() > 0 || event->replacementStart() != 0) {
            const int64_t start = int64_t(mCaret) + event->replacementStart();
            const uint32_t from = static_cast<uint32_t>(std::clamp<int64_t>(start, 0, mStorage.length()));
            range = {from, std::min<uint32_t>(static_cast<uint32_t>(event->replacementLength()), mStorage.length() - from)};
        }
        mLayout.clearPreedit();
        mPreedit.clear();
        edit(range, wqt::unitsOf(commit),
             WUndoStack::Kind::Typing);
    }
    const QString preedit = event->preeditString();
    if (!preedit.isEmpty() && selectedRange().length > 0)
        edit(selectedRange(), u"", WUndoStack::Kind::Other);  // composing replaces the selection
    mPreedit = preedit;
    mPreeditCursor = static_cast<int>(preedit.size());
    QList<QTextLayout::FormatRange> formats;
    for (const QInputMethodEvent::Attribute& attribute : event->attributes()) {
        if (attribute.type == QInputMethodEvent::Cursor) {
            mPreeditCursor = attribute.start;
        } else if (attribute.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat format = attribute.value.value<QTextFormat>().toCharFormat();
            if (format.isValid())
                formats.push_back({attribute.start, attribute.length, format});
        }
    }
    if (mPreedit.isEmpty())
        mLayout.clearPreedit();
    else
        mLayout.setPreedit(mCaret, mPreedit, formats);
    ensureCaretVisible();
    viewport()->update();
    event->accept();
}

QVariant WTextCanvas::inputMethodQuery(Qt::InputMethodQuery query) const
{
    const WLineIndex& lines = mLayout.lines();
    const uint32_t line = lines.lineOfPosition(mCaret);
    const uint32_t start = std::max(lines.lineStart(line), mCaret > kSurroundingWindow ? mCaret - kSurroundingWindow : 0);
    const uint32_t end = std::min(lines.lineEnd(line), mCaret + kSurroundingWindow);
    switch (query) {
    case Qt::ImEnabled: return true;
    case Qt::ImHints: return QVariant(static_cast<int>(Qt::ImhMultiLine));
    case Qt::ImFont: return mLayout.font();
    case Qt::ImCursorRectangle: return QRect(caretRect().translated(viewport()->pos()));
    case Qt::ImAnchorRectangle: {
        const QRectF anchor = mLayout.caretRect(mAnchor).translated(-scrollOffset());
        return anchor.toRect().translated(viewport()->pos());
    }
    case Qt::ImSurroundingText:
        return wqt::toQString(std::u16string_view(mStorage.string()).substr(start, end - start));
    case Qt::ImCursorPosition: return static_cast<int>(mCaret - start);
    case Qt::ImAnchorPosition:
        return static_cast<int>(std::clamp(mAnchor, start, end) - start);
    case Qt::ImCurrentSelection: {
        const WRange selection = selectedRange();
        return wqt::toQString(std::u16string_view(mStorage.string()).substr(selection.location,
                                                                       std::min<uint32_t>(selection.length, 4096)));
    }
    case Qt::ImAbsolutePosition: return static_cast<qlonglong>(mCaret);
    case Qt::ImMaximumTextLength: return QVariant();
    default: return QAbstractScrollArea::inputMethodQuery(query);
    }
}

// ---- mouse ----

void WTextCanvas::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    const uint32_t position = positionAt(event->position().toPoint());
    if (event->button() == Qt::MiddleButton && QApplication::clipboard()->supportsSelection()) {
        setSelection(position, position);
        insertFromClipboard(QClipboard::Selection);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    mUndo.closeStep();
    mDragging = true;
    const bool triple = mSinceDoubleClick.isValid() &&
                        mSinceDoubleClick.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval();
    mSinceDoubleClick.invalidate();
    mDragPress.reset();
    if (triple) {
        mClicks = 3;
        selectUnitAt(position, 3);
    } else if (!(event->modifiers() & Qt::ShiftModifier) && isInSelection(event->position().toPoint())) {
        // Perhaps the start of a drag of the selection: it stays until the mouse says which.
        mDragging = false;
        mDragPress = event->position().toPoint();
    } else if (event->modifiers() & Qt::ShiftModifier) {
        mClicks = 1;
        setSelection(mAnchor, position);
    } else {
        mClicks = 1;
        mClickUnit = {position, 0};
        setSelection(position, position);
    }
}

void WTextCanvas::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    mDragging = true;
    mClicks = 2;
    selectUnitAt(positionAt(event->position().toPoint()), 2);
    mSinceDoubleClick.start();
}

void WTextCanvas::mouseMoveEvent(QMouseEvent* event)
{
    if (mDragPress && (event->buttons() & Qt::LeftButton)) {
        if ((event->position().toPoint() - *mDragPress).manhattanLength() >= QApplication::startDragDistance())
            startDrag();
        return;
    }
    if (!mDragging || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint point = event->position().toPoint();
    // Dragging past the top or bottom scrolls a row at a time.
    if (point.y() < 0)
        scrollToRow(topRow() > 0 ? topRow() - 1 : 0);
    else if (point.y() > viewport()->height())
        scrollToRow(topRow() + 1);
    const uint32_t position = positionAt(point);
    if (mClicks <= 1) {
        setSelection(mAnchor, position);
        return;
    }
    // Word and line selections grow by whole units from the one first clicked.
    const WRange first = mClickUnit;
    selectUnitAt(position, mClicks);
    const WRange reached = mClickUnit;
    mClickUnit = first;
    if (reached.location < first.location)
        setSelection(first.maxRange(), reached.location);
    else
        setSelection(first.location, std::max(first.maxRange(), reached.maxRange()));
}

void WTextCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && mDragPress) {
        // A click inside the selection, not a drag: the caret goes where it was pressed.
        const uint32_t position = positionAt(*mDragPress);
        mDragPress.reset();
        setSelection(position, position);
        return;
    }
    if (event->button() == Qt::LeftButton && mDragging) {
        mDragging = false;
        setPrimarySelection();
    }
}

uint32_t WTextCanvas::characterAt(QPoint viewportPoint) const
{
    // The nearest caret position is one end of the character under the point.
    const uint32_t position = positionAt(viewportPoint);
    const QRectF caret = mLayout.caretRect(position).translated(-scrollOffset());
    if (viewportPoint.x() < caret.x() && position > 0) {
        const uint32_t before = graphemeBoundary(position, false);
        if (mLayout.caretRect(before).top() == mLayout.caretRect(position).top())
            return before;
    }
    return position;
}

bool WTextCanvas::isInSelection(QPoint viewportPoint) const
{
    const WRange selection = selectedRange();
    if (selection.length == 0)
        return false;
    const uint32_t character = characterAt(viewportPoint);
    if (character < selection.location || character >= selection.maxRange())
        return false;
    // Past the end of a row the point is over no character, only over the selected line end's mark.
    const QRectF left = mLayout.caretRect(character).translated(-scrollOffset());
    const QRectF right = mLayout.caretRect(graphemeBoundary(character, true)).translated(-scrollOffset());
    const double width = right.top() == left.top() && right.x() > left.x() ? right.x() - left.x() : mLayout.averageAdvance();
    return viewportPoint.x() >= left.x() && viewportPoint.x() < left.x() + width;
}

// ---- drag and drop ----

void WTextCanvas::startDrag()
{
    mDragPress.reset();
    mDraggedRange = selectedRange();
    const std::u16string dragged = mStorage.string().substr(mDraggedRange.location, mDraggedRange.length);
    mDroppedHere = false;
    QPointer<WTextCanvas> self(this);
    auto* drag = new QDrag(this);
    drag->setMimeData(WTextMime::mimeDataFor(dragged));
    const Qt::DropAction done = drag->exec(mEditable ? Qt::CopyAction | Qt::MoveAction : Qt::CopyAction,
                                           mEditable ? Qt::MoveAction : Qt::CopyAction);
    if (!self)
        return;
    // Moved to another view or program: the text leaves here, unless it changed meanwhile.
    const bool unchanged = mDraggedRange.maxRange() <= mStorage.length() &&
                           std::u16string_view(mStorage.string()).substr(mDraggedRange.location, mDraggedRange.length) == dragged;
    if (done == Qt::MoveAction && !mDroppedHere && mEditable && unchanged)
        replaceCharactersInRange(mDraggedRange, u"");
}

void WTextCanvas::dragEnterEvent(QDragEnterEvent* event)
{
    // A read-only view takes nothing; the forbidden pointer says so without a beep.
    mDropAcceptable = mEditable && event->mimeData() && WTextMime::textToInsert(*event->mimeData());
    if (!mDropAcceptable) {
        event->ignore();
        return;
    }
    dragMoveEvent(event);
}

void WTextCanvas::dragMoveEvent(QDragMoveEvent* event)
{
    if (!mDropAcceptable || !mEditable) {
        event->ignore();
        return;
    }
    const QPoint point = event->position().toPoint();
    // Near the top or bottom edge the text scrolls, to reach a drop point off screen.
    const int edge = mLayout.lineHeight() / 2;
    if (point.y() < edge)
        scrollToRow(topRow() > 0 ? topRow() - 1 : 0);
    else if (point.y() > viewport()->height() - edge)
        scrollToRow(topRow() + 1);
    mDropCaret = positionAt(point);
    viewport()->update();
    const bool own = event->source() == this;
    event->setDropAction(own ? ((event->modifiers() & Qt::ControlModifier) ? Qt::CopyAction : Qt::MoveAction)
                             : event->proposedAction());
    event->accept();
}

void WTextCanvas::dragLeaveEvent(QDragLeaveEvent*)
{
    mDropCaret.reset();
    viewport()->update();
}

void WTextCanvas::dropEvent(QDropEvent* event)
{
    mDropCaret.reset();
    viewport()->update();
    const std::optional<std::u16string> text = event->mimeData() ? WTextMime::textToInsert(*event->mimeData()) : std::nullopt;
    if (!text || refusesEdit()) {
        event->ignore();
        return;
    }
    const uint32_t position = positionAt(event->position().toPoint());
    const bool own = event->source() == this;
    // In its own view a drag moves the text, or copies it with Ctrl held.
    const bool move = own && !(event->modifiers() & Qt::ControlModifier);
    mDroppedHere = own;
    dropText(position, *text, own, move);
    event->setDropAction(own ? (move ? Qt::MoveAction : Qt::CopyAction) : event->proposedAction());
    event->accept();
    setFocus(Qt::MouseFocusReason);
}

void WTextCanvas::dropText(uint32_t position, std::u16string_view text, bool own, bool move)
{
    const WRange from = mDraggedRange;
    // Into the dragged text itself, or next to it for a move, nothing changes.
    if (own && position > from.location && position < from.maxRange())
        return;
    if (move && (position == from.location || position == from.maxRange()))
        return;
    const WRange selection = selectedRange();
    mUndo.closeStep();
    mUndo.beginGroup(selection);
    uint32_t at = position;
    if (move) {
        edit(from, u"", WUndoStack::Kind::Other);
        if (at > from.location)
            at -= from.length;
    }
    edit({at, 0}, text, WUndoStack::Kind::Other);
    // The dropped text is selected, to be seen and moved on.
    setSelection(at, at + static_cast<uint32_t>(text.size()));
    mUndo.endGroup(selectedRange());
    mUndo.closeStep();
}

// ---- the context menu ----

QKeySequence WTextCanvas::shownShortcut(QKeySequence::StandardKey key) const
{
    const QList<QKeySequence> bindings = QKeySequence::keyBindings(key);
    if (bindings.isEmpty())
        return {};
    // The view's own keys do what the items do; a key scheme in front of them may take the key for something else.
    if (mKeyRouter && WMenuShortcuts::schemeTakes(WMenuShortcuts::activeScheme(), bindings.first()))
        return {};
    return bindings.first();
}

QMenu* WTextCanvas::createStandardContextMenu()
{
    auto* menu = new QMenu(this);
    const bool selected = selectedRange().length > 0;
    const QMimeData* clipboard = QApplication::clipboard()->mimeData();
    const auto add = [&](const QString& title, QKeySequence::StandardKey key, bool enabled, auto&& slot) {
        QAction* action = menu->addAction(title, this, slot);
        action->setEnabled(enabled);
        action->setShortcut(shownShortcut(key));
        action->setShortcutVisibleInContextMenu(true);
        return action;
    };
    add(tr("Undo"), QKeySequence::Undo, mEditable && canUndo(), [this] { undo(); });
    add(tr("Redo"), QKeySequence::Redo, mEditable && canRedo(), [this] { redo(); });
    menu->addSeparator();
    add(tr("Cut"), QKeySequence::Cut, mEditable && selected, [this] { cut(); });
    add(tr("Copy"), QKeySequence::Copy, selected, [this] { copy(); });
    add(tr("Paste"), QKeySequence::Paste, mEditable && clipboard && WTextMime::textToInsert(*clipboard),
        [this] { paste(); });
    add(tr("Delete"), QKeySequence::Delete, mEditable && selected,
        [this] { replaceCharactersInRange(selectedRange(), u""); });
    menu->addSeparator();
    add(tr("Select All"), QKeySequence::SelectAll, selectedRange().length < mStorage.length(), [this] { selectAll(); });
    return menu;
}

void WTextCanvas::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // From the keyboard the menu opens at the caret.
    const QPoint at = event->reason() == QContextMenuEvent::Mouse
                          ? event->globalPos()
                          : viewport()->mapToGlobal(caretRect().bottomLeft());
    menu->popup(at);
    event->accept();
}
