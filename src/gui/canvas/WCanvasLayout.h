#pragma once

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTextLayout>

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "canvas/WAdvanceTable.h"
#include "canvas/WLineIndex.h"
#include "canvas/WRowMap.h"
#include "canvas/WShapedPieces.h"
#include "syntax/WTextStorage.h"
#include "text/WRange.h"

// Where the text of a canvas goes on screen, in content coordinates (before
// scrolling): every row is lineHeight() high, so row r starts at r * lineHeight().
// A line is cut into pieces, each shaped on its own and only when seen: the rows
// of word wrap, or without wrap the segments of a long line side by side. Pieces
// and their shaped layouts are kept for the lines near the viewport and dropped
// when their line changes; nothing here ever walks the whole text for one edit.
class WCanvasLayout {
public:
    explicit WCanvasLayout(const WTextStorage& storage);
    ~WCanvasLayout();

    void setFont(const QFont& font, int tabColumns);
    const QFont& font() const { return mFont; }
    int lineHeight() const { return mLineHeight; }
    double ascent() const { return mAscent; }
    double averageAdvance() const { return mAverageAdvance; }

    // Wraps at width (pixels); nullopt for no wrap.
    void setWrapWidth(std::optional<double> width);
    bool wraps() const { return mWrapWidth.has_value(); }

    // The storage's text changed (the characters of oldRange became newLength).
    void textReplaced(WRange oldRange, uint32_t newLength);
    // The text was replaced as a whole.
    void reset();
    // Colours changed over range: their layouts are shaped again when next drawn.
    void attributesChanged(WRange range);

    const WLineIndex& lines() const { return mLines; }
    uint32_t rowCount() const { return mRows.rowCount(); }
    // Makes the row counts of lines [first, first + count) exact (wrapping them now).
    void ensureExact(uint32_t first, uint32_t count);
    // Wraps a few more lines with estimated counts, for about budgetUnits units;
    // answers false when every count is exact.
    bool wrapSomeMore(uint32_t budgetUnits);
    // The first row of line, and the line and row within it showing a row.
    uint32_t firstRowOf(uint32_t line) const { return mRows.firstRow(line); }
    std::pair<uint32_t, uint32_t> lineOfRow(uint32_t row) const { return mRows.lineOfRow(row); }
    // The widest line seen so far, and at least the longest line's width.
    double contentWidth();

    // One shaped piece of a line, placed in its row.
    struct Piece {
        uint32_t line;
        uint32_t index;   // the piece's number in its line
        uint32_t start;   // text position of its first character
        uint32_t length;
        uint32_t row;     // its row within the line
        double x;         // its left edge within the row
        double width;
    };
    // The pieces of row (a row of the whole text) overlapping [left, right).
    std::vector<Piece> piecesInRow(uint32_t row, double left, double right);
    // The piece showing position (the end of a line belongs to its last piece).
    Piece pieceAt(uint32_t position);
    // The shaped layout of a piece: one QTextLine whose baseline is ascent().
    // An input method's preedit text, when given, is shown at preeditAt.
    QTextLayout& layoutOf(const Piece& piece);
    void setPreedit(uint32_t position, const QString& text, const QList<QTextLayout::FormatRange>& formats);
    void clearPreedit();

    // The caret's rectangle for position, in content coordinates; while an input
    // method composes there, preeditCursor units into its preedit.
    QRectF caretRect(uint32_t position, int preeditCursor = 0);
    // The position nearest to point (content coordinates).
    uint32_t positionAt(QPointF point);
    // The row of position among all rows.
    uint32_t rowOf(uint32_t position);

    // The characters that would not show, or would break the line, as the
    // visible characters drawn in their place; one unit for one unit.
    static QString displayText(std::u16string_view text);

private:
    struct LinePieces {
        std::vector<uint32_t> starts;  // offsets in the line, first 0
        std::vector<double> x;         // without wrap: left edges, one more for the line's width
    };
    const LinePieces& piecesOf(uint32_t line);
    // After an edit inside one line whose pieces are known: cuts again only the
    // pieces the edit can reach. False when the line must be cut afresh.
    bool rebreakAfterEdit(uint32_t line, WRange oldRange, uint32_t newLength);
    void dropLine(uint32_t line);
    void dropAll();
    uint32_t lineLength(uint32_t line) const { return mLines.lineEnd(line) - mLines.lineStart(line); }
    std::u16string_view lineText(uint32_t line) const;
    Piece makePiece(uint32_t line, uint32_t index, const LinePieces& pieces) const;
    uint32_t exactRows(uint32_t line);

    const WTextStorage& mStorage;
    QFont mFont;
    int mTabColumns = 4;
    int mLineHeight = 16;
    double mAscent = 12;
    double mAverageAdvance = 8;
    std::unique_ptr<WAdvanceTable> mAdvances;
    std::optional<double> mWrapWidth;
    WLineIndex mLines;
    WRowMap mRows;
    double mWidestSeen = 0;

    std::unordered_map<uint32_t, LinePieces> mPieces;
    WShapedPieces mShaped;

    struct Preedit {
        uint32_t position;
        QString text;
        QList<QTextLayout::FormatRange> formats;
    };
    std::optional<Preedit> mPreedit;
};
