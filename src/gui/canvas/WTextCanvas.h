#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeySequence>
#include <QPoint>
#include <QPointF>
#include <QTextBoundaryFinder>

#include <functional>
#include <optional>
#include <string>
#include <vector>
#include <string_view>

#include "canvas/WCanvasLayout.h"
#include "canvas/WUndoStack.h"
#include "editor/WCaretMove.h"
#include "editor/WTextViewPlatform.h"
#include "syntax/WTextStorage.h"

// The editor's own text view: it draws the document's text storage as it is
// (no second copy of the text), shaping only the pieces of lines it shows, so
// that a line of megabytes or a text of a hundred megabytes types as fast as a
// short one. Every code unit of the text is kept and shown; those that would
// not show as themselves are drawn as visible symbols.
class QMenu;

class WTextCanvas : public QAbstractScrollArea, public WTextViewPlatform, private WTextStorageListener {
    Q_OBJECT
public:
    using KeyRouter = std::function<bool(QKeyEvent*)>;

    using Move = WCaretMove;

    explicit WTextCanvas(QWidget* parent = nullptr);
    ~WTextCanvas() override;

    // WTextViewPlatform
    const std::u16string& string() const override { return mStorage.string(); }
    WRange selectedRange() const override;
    void setSelectedRange(WRange range) override;
    void insertText(std::u16string_view text) override;
    void setString(std::u16string_view text) override;
    void scrollRangeToVisible(WRange range) override;
    bool hasMarkedText() const override { return !mPreedit.isEmpty(); }
    void performStandardAction(std::string_view action) override;

    WTextStorage& textStorage() { return mStorage; }
    const WTextStorage& textStorage() const { return mStorage; }
    uint32_t caretLocation() const { return mCaret; }
    // The line and column (both from 1) of a position as the editor numbers them
    // to the user: CR, LF, U+2028 and U+2029 all end a line, and a column is a
    // character (a surrogate pair is one).
    uint32_t lineNumberAt(uint32_t position) const;
    uint32_t columnAt(uint32_t position) const;

    // Replaces the characters of range outside the typing path, as one undo step.
    void replaceCharactersInRange(WRange range, std::u16string_view text);
    // Puts a freshly loaded text in, with an empty undo history and unedited.
    void loadString(std::u16string text);

    bool isEdited() const { return mMarkedEdited || !mUndo.isAtSavedPoint(); }
    void setEdited(bool edited);
    bool canUndo() const { return mUndo.canUndo(); }
    bool canRedo() const { return mUndo.canRedo(); }
    void undo();
    void redo();
    void copy();
    void cut();
    void paste();
    void selectAll();
    // Upper- or lower-cases the selected text, or the word at the caret.
    void changeWordCase(bool upper);

    void setEditable(bool editable) { mEditable = editable; }
    bool isEditable() const { return mEditable; }
    void setWordWrap(bool wrap);
    bool wordWrap() const { return mWordWrap; }

    // Moves the caret (extend: the selection's other end stays).
    void moveCaret(Move move, bool extend);
    // Deletes the selection, or from the caret to where the move leads.
    void deleteTo(Move move);

    // The key scheme's say before the canvas's own key handling; true when it took the key.
    void setKeyRouter(KeyRouter router) { mKeyRouter = std::move(router); }

    // The caret's rectangle in viewport coordinates.
    QRect caretRect() const;
    // The text position under a point of the viewport.
    uint32_t positionAt(QPoint viewportPoint) const;

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

    // The menu a right click shows: undo, the clipboard and select all, each
    // enabled when it would do something. The caller owns it.
    QMenu* createStandardContextMenu();

signals:
    void textReplaced(WRange oldRange, uint32_t newLength);
    void editedChanged(bool edited);
    void cursorPositionChanged();
    void selectionChanged();
    // Sent first thing in the destructor, while the canvas is still whole; what
    // watches its events lets go of it here.
    void aboutToBeDestroyed();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    friend class WCanvasAccessible;

    // WTextStorageListener
    void textStorageDidReplaceCharacters(WTextStorage& storage, WRange oldRange, uint32_t newLength) override;
    void textStorageDidChangeAttributes(WTextStorage& storage, WRange range) override;

    // The one way the canvas changes its text: records the undo step, moves the
    // caret after the new text and shows it.
    void edit(WRange range, std::u16string_view text, WUndoStack::Kind kind);
    bool refusesEdit() const;
    // Tells of a change of isEdited() since it was last told.
    void noteEditedChange();
    // Every change of the text goes through here: it tells screen readers, and
    // tells of the change only after every listener of the storage heard of it.
    void replaceInStorage(WRange range, std::u16string_view text);
    void tellOfEdits();
    // The text takes the widget's font, with its tab stops.
    void fontChanged();
    void applyStep(const WUndoStep& step, bool backward);
    void setSelection(uint32_t anchor, uint32_t caret, bool keepGoalX = false);
    uint32_t target(Move move, uint32_t from);
    uint32_t wordBoundary(uint32_t from, bool forward) const;
    uint32_t graphemeBoundary(uint32_t from, bool forward) const;
    void selectUnitAt(uint32_t position, int clicks);
    // The segment (word, sentence) of position's line that position is in.
    WRange segmentAround(uint32_t position, QTextBoundaryFinder::BoundaryType type) const;
    // The position of the character drawn under a viewport point.
    uint32_t characterAt(QPoint viewportPoint) const;
    bool isInSelection(QPoint viewportPoint) const;
    // The shortcut a menu item may show for key: none when the key scheme takes the key for itself.
    QKeySequence shownShortcut(QKeySequence::StandardKey key) const;
    void startDrag();
    // Puts dropped text at position; own: from this view's drag, which a move takes from where it was.
    void dropText(uint32_t position, std::u16string_view text, bool own, bool move);
    void ensureCaretVisible();
    void updateScrollBars();
    void updateWrapWidth();
    void restartBlink();
    void setPrimarySelection();
    void insertFromClipboard(QClipboard::Mode mode);
    int pageRows() const;
    // The content point at the viewport's top left.
    QPointF scrollOffset() const;
    // The first row on screen.
    uint32_t topRow() const;
    void scrollToRow(uint32_t row);

    WTextStorage mStorage;
    mutable WCanvasLayout mLayout;
    WUndoStack mUndo;
    bool mApplyingUndo = false;
    bool mWasEdited = false;
    // Edited by say-so (setEdited) whatever the undo history says, until saved.
    bool mMarkedEdited = false;
    // Edits the storage told of that the view has not told of yet.
    struct HeardEdit {
        WRange oldRange;
        uint32_t newLength;
        uint32_t caretBefore;
        WRange selectionBefore;
    };
    std::vector<HeardEdit> mHeard;
    bool mEditingStorage = false;
    // How many line ends of the text are not CR, counted when first asked.
    mutable std::optional<size_t> mOtherLineEnds;
    bool onlyCRsEndLines() const;
    uint32_t mAnchor = 0;
    uint32_t mCaret = 0;
    std::optional<double> mGoalX;  // where Up and Down aim, kept over a run of them
    bool mEditable = true;
    bool mWordWrap = false;
    // The first line on screen and the row within it: the scroll position that
    // stays put while estimated row counts above it become exact.
    uint32_t mTopLine = 0;
    uint32_t mTopSubRow = 0;
    bool mSettingScrollBar = false;

    QString mPreedit;
    int mPreeditCursor = 0;

    bool mCaretShown = true;
    QBasicTimer mBlink;
    QBasicTimer mWrapLater;
    // Mouse selection: the unit (1 character, 2 word, 3 line) and where it began.
    int mClicks = 0;
    WRange mClickUnit;
    QElapsedTimer mSinceDoubleClick;
    bool mDragging = false;
    KeyRouter mKeyRouter;
    // A press inside the selection: a drag of it once the mouse moves far enough, else a click.
    std::optional<QPoint> mDragPress;
    WRange mDraggedRange;
    bool mDroppedHere = false;  // the drag this view started ended in it
    bool mDropAcceptable = false;
    std::optional<uint32_t> mDropCaret;  // where a drag over the view would drop
};
