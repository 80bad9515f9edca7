#pragma once

#include <QAccessibleWidget>

#include <cstdint>
#include <string_view>

class WTextCanvas;

// What a screen reader sees of a text canvas: its text, caret and selection in
// the storage's own UTF-16 units, and edits that go into the text the way a
// command's do (one undo step each, refused by a read-only view).
class WCanvasAccessible : public QAccessibleWidget,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface {
public:
    explicit WCanvasAccessible(WTextCanvas* canvas);

    // Lets Qt make one for every canvas; sends the canvas's caret and selection
    // moves to screen readers while one listens.
    static void watch(WTextCanvas* canvas);
    // Tells a listening screen reader that removed at location became inserted.
    static void textReplaced(WTextCanvas* canvas, uint32_t location, std::u16string_view removed,
                             std::u16string_view inserted);

    // QAccessibleInterface
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    // QAccessibleTextInterface
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(QAccessible::Text t) const override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                             int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                            int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // QAccessibleEditableTextInterface
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

private:
    WTextCanvas* canvas() const;
    // An offset from a screen reader, clamped into the text.
    uint32_t clamped(int offset) const;
    // The segment of the given kind holding the unit at offset.
    struct Segment {
        uint32_t start;
        uint32_t end;
    };
    Segment segmentAt(uint32_t offset, QAccessible::TextBoundaryType boundaryType) const;
    QString segmentText(Segment segment, int* startOffset, int* endOffset) const;
};
