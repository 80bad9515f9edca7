#include "canvas/WCanvasLayout.h"

#include <QFontMetricsF>
#include <QPalette>
#include <QTextLine>

#include <algorithm>
#include <cmath>

#include "canvas/WLineBreaks.h"

namespace {

// Without wrap a line is shaped in segments of at most this many units, so that
// a keystroke in a line of megabytes shapes a few hundred characters, not all.
constexpr uint32_t kSegmentUnits = 512;
// How many shaped pieces are kept: a few screens' worth.
constexpr size_t kShapedPieces = 4096;

bool isHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// What is drawn for a unit that would not show as itself; the unit itself otherwise.
char16_t visibleUnit(char16_t c)
{
    if (c < 0x20)
        return c == u'\t' ? c : static_cast<char16_t>(0x2400 + c);  // the control pictures
    if (c == 0x7F)
        return 0x2421;  // SYMBOL FOR DELETE
    if (c >= 0x80 && c <= 0x9F)
        return 0xFFFD;
    if (c == 0x2028)
        return 0x2424;  // SYMBOL FOR NEWLINE: Qt would break the line there
    if (c == 0x2029)
        return 0x00B6;  // PILCROW SIGN, for the same reason
    if ((c >= 0xFDD0 && c <= 0xFDEF) || c == 0xFFFE || c == 0xFFFF)
        return 0xFFFD;  // noncharacters
    return c;
}

// Where a line breaks after an edit, worked out from where it broke before:
// pieces before the one above the edit keep their starts (a piece's breaks
// depend only on the text from its own start); from there the line is cut again
// a stretch at a time until a piece starts where an old one did, the rest of the
// old starts moving along by delta.
struct Breaks {
    std::vector<uint32_t> starts;
    size_t kept = 0;            // starts [0, kept] are the old ones
    bool joined = false;        // starts from joinedFrom on are old ones moved along
    size_t joinedFrom = 0;
    size_t oldJoinedFrom = 0;   // ... the old start there
};

template <typename Cut>
Breaks breaksAfterEdit(const std::vector<uint32_t>& old, std::u16string_view text, uint32_t editAt,
                       uint32_t editEnd, int64_t delta, uint32_t stretch, Cut&& cut)
{
    Breaks breaks;
    const size_t containing = static_cast<size_t>(std::upper_bound(old.begin(), old.end(), editAt) - old.begin());
    breaks.kept = containing >= 2 ? containing - 2 : 0;
    breaks.starts.assign(old.begin(), old.begin() + static_cast<ptrdiff_t>(breaks.kept) + 1);
    for (bool done = false; !done;) {
        const uint32_t from = breaks.starts.back();
        const uint32_t length = std::min<uint32_t>(stretch, static_cast<uint32_t>(text.size()) - from);
        const std::vector<uint32_t> cuts = cut(text.substr(from, length));
        const bool toTheEnd = from + length == text.size();
        // The last piece of a stretch may go on past it: only the pieces before it are sure.
        const size_t sure = toTheEnd ? cuts.size() : cuts.size() - 1;
        if (sure <= 1 && !toTheEnd) {
            stretch *= 2;
            continue;
        }
        for (size_t i = 1; i < sure && !done; ++i) {
            const uint32_t start = from + cuts[i];
            breaks.starts.push_back(start);
            if (start <= editEnd)
                continue;
            const int64_t before = int64_t(start) - delta;
            auto same = std::lower_bound(old.begin(), old.end(), static_cast<uint32_t>(std::max<int64_t>(0, before)));
            if (same != old.end() && int64_t(*same) == before) {
                breaks.joined = true;
                breaks.joinedFrom = breaks.starts.size() - 1;
                breaks.oldJoinedFrom = static_cast<size_t>(same - old.begin());
                for (++same; same != old.end(); ++same)
                    breaks.starts.push_back(static_cast<uint32_t>(int64_t(*same) + delta));
                done = true;
            }
        }
        done = done || toTheEnd;
    }
    return breaks;
}

// The pieces before the one the new cutting began with show the same text, and
// so do those from where it met the old cuts again: their layouts stay.
void keepShaped(WShapedPieces& shaped, uint32_t line, const Breaks& breaks)
{
    const uint32_t kept = static_cast<uint32_t>(breaks.kept);
    if (breaks.joined)
        shaped.renumber(line, kept, static_cast<uint32_t>(breaks.oldJoinedFrom), static_cast<uint32_t>(breaks.joinedFrom));
    else
        shaped.renumber(line, kept, UINT32_MAX, UINT32_MAX);
}

}  // namespace

WCanvasLayout::WCanvasLayout(const WTextStorage& storage)
    : mStorage(storage)
    , mShaped(kShapedPieces)
{
    setFont(QFont(), 4);
    reset();
}

WCanvasLayout::~WCanvasLayout() = default;

QString WCanvasLayout::displayText(std::u16string_view text)
{
    QString shown(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
    char16_t* units = reinterpret_cast<char16_t*>(shown.data());
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        const char16_t c = units[i];
        if (c < 0x7F && c >= 0x20)
            continue;
        if (isHighSurrogate(c) && i + 1 < n && isLowSurrogate(units[i + 1])) {
            ++i;
            continue;
        }
        if (isHighSurrogate(c) || isLowSurrogate(c)) {
            units[i] = 0xFFFD;  // half of a pair alone
            continue;
        }
        units[i] = visibleUnit(c);
    }
    return shown;
}

void WCanvasLayout::setFont(const QFont& font, int tabColumns)
{
    mFont = font;
    mTabColumns = std::max(1, tabColumns);
    const QFontMetricsF metrics(mFont);
    mLineHeight = std::max(1, static_cast<int>(std::ceil(metrics.height())));
    mAscent = metrics.ascent();
    mAverageAdvance = std::max(1.0, metrics.horizontalAdvance(QLatin1Char('x')));
    const double tabWidth = mAverageAdvance * mTabColumns;
    mAdvances = std::make_unique<WAdvanceTable>(
        [metrics](char32_t c) {
            const char32_t shown = c < 0x10000 ? visibleUnit(static_cast<char16_t>(c)) : c;
            return metrics.horizontalAdvance(QString::fromUcs4(&shown, 1));
        },
        tabWidth);
    mWidestSeen = 0;
    dropAll();
    mRows.invalidateAll();
}

void WCanvasLayout::setWrapWidth(std::optional<double> width)
{
    if (width && *width < 1)
        width = 1.0;
    if (width == mWrapWidth)
        return;
    mWrapWidth = width;
    dropAll();
    mRows.reset(mLines.lineCount());
}

void WCanvasLayout::reset()
{
    mLines.reset(mStorage.string());
    mRows.reset(mLines.lineCount());
    mWidestSeen = 0;
    dropAll();
}

void WCanvasLayout::textReplaced(WRange oldRange, uint32_t newLength)
{
    const uint32_t first = mLines.lineOfPosition(oldRange.location);
    const uint32_t oldLast = mLines.lineOfPosition(oldRange.maxRange());
    mLines.replace(mStorage.string(), oldRange, newLength);
    const uint32_t newLast = mLines.lineOfPosition(oldRange.location + newLength);
    const uint32_t removed = oldLast - first + 1;
    const uint32_t added = newLast - first + 1;
    mShaped.moveTextAfter(oldRange.maxRange(), int64_t(newLength) - int64_t(oldRange.length));
    if (removed == 1 && added == 1 && rebreakAfterEdit(first, oldRange, newLength))
        return;
    mRows.replaceLines(first, removed, added);
    if (removed == added) {
        for (uint32_t line = first; line <= oldLast; ++line)
            dropLine(line);
        return;
    }
    // The lines after the edit have new numbers: forget them all.
    for (auto it = mPieces.begin(); it != mPieces.end();)
        it = it->first >= first ? mPieces.erase(it) : std::next(it);
    mShaped.dropLinesFrom(first);
}

bool WCanvasLayout::rebreakAfterEdit(uint32_t line, WRange oldRange, uint32_t newLength)
{
    auto found = mPieces.find(line);
    if (found == mPieces.end())
        return false;
    const LinePieces old = std::move(found->second);
    mPieces.erase(found);
    const std::u16string_view text = lineText(line);
    const uint32_t editAt = oldRange.location - mLines.lineStart(line);
    const int64_t delta = int64_t(newLength) - int64_t(oldRange.length);
    LinePieces pieces;
    if (mWrapWidth) {
        const Breaks breaks = breaksAfterEdit(old.starts, text, editAt, editAt + newLength, delta, 4096,
                                              [&](std::u16string_view stretch) {
                                                  return wlinebreaks::wrap(stretch, *mAdvances, *mWrapWidth);
                                              });
        keepShaped(mShaped, line, breaks);
        pieces.starts = breaks.starts;
        mRows.setRows(line, static_cast<uint32_t>(pieces.starts.size()), true);
    } else if (text.size() <= kSegmentUnits) {
        mShaped.dropLine(line);
        pieces.starts = {0};
        pieces.x = {0, mAdvances->width(text)};
    } else {
        const Breaks breaks = breaksAfterEdit(old.starts, text, editAt, editAt + newLength, delta, 8 * kSegmentUnits,
                                              [](std::u16string_view stretch) {
                                                  return wlinebreaks::segments(stretch, kSegmentUnits);
                                              });
        keepShaped(mShaped, line, breaks);
        pieces.starts = breaks.starts;
        // Segments before the edit keep their places; those it made are measured;
        // those after it move along by as much as the edit widened the line, unless
        // a tab after it lands on another stop for that.
        const size_t kept = breaks.kept;
        pieces.x.assign(old.x.begin(), old.x.begin() + static_cast<ptrdiff_t>(kept) + 1);
        const size_t measuredEnd = breaks.joined ? breaks.joinedFrom : pieces.starts.size();
        for (size_t i = kept; i < measuredEnd; ++i) {
            const uint32_t end = i + 1 < pieces.starts.size() ? pieces.starts[i + 1] : static_cast<uint32_t>(text.size());
            pieces.x.push_back(pieces.x[i] + mAdvances->width(text.substr(pieces.starts[i], end - pieces.starts[i]),
                                                              pieces.x[i]));
        }
        if (breaks.joined) {
            const double shift = pieces.x[measuredEnd] - old.x[breaks.oldJoinedFrom];
            const double stops = shift / mAdvances->tabWidth();
            const bool tabsStay = std::abs(stops - std::round(stops)) < 1e-6 ||
                                  text.find(u'\t', pieces.starts[measuredEnd]) == std::u16string_view::npos;
            for (size_t i = measuredEnd + 1, j = breaks.oldJoinedFrom + 1; i <= pieces.starts.size(); ++i, ++j) {
                if (tabsStay) {
                    pieces.x.push_back(old.x[j] + shift);
                } else {
                    const uint32_t end = i < pieces.starts.size() ? pieces.starts[i] : static_cast<uint32_t>(text.size());
                    pieces.x.push_back(pieces.x[i - 1] + mAdvances->width(text.substr(pieces.starts[i - 1],
                                                                                      end - pieces.starts[i - 1]),
                                                                          pieces.x[i - 1]));
                }
            }
        }
        mWidestSeen = std::max(mWidestSeen, pieces.x.back());
    }
    mPieces.emplace(line, std::move(pieces));
    return true;
}

void WCanvasLayout::attributesChanged(WRange range)
{
    mShaped.dropMeeting(range);
}

void WCanvasLayout::dropLine(uint32_t line)
{
    mPieces.erase(line);
    mShaped.dropLine(line);
}

void WCanvasLayout::dropAll()
{
    mPieces.clear();
    mShaped.clear();
}

std::u16string_view WCanvasLayout::lineText(uint32_t line) const
{
    const uint32_t start = mLines.lineStart(line);
    return std::u16string_view(mStorage.string()).substr(start, mLines.lineEnd(line) - start);
}

const WCanvasLayout::LinePieces& WCanvasLayout::piecesOf(uint32_t line)
{
    auto found = mPieces.find(line);
    if (found != mPieces.end())
        return found->second;
    // Lines far from the viewport are not kept: the cache follows what is drawn.
    if (mPieces.size() > kShapedPieces)
        mPieces.clear();
    LinePieces pieces;
    const std::u16string_view text = lineText(line);
    if (mWrapWidth) {
        pieces.starts = wlinebreaks::wrap(text, *mAdvances, *mWrapWidth);
        mRows.setRows(line, static_cast<uint32_t>(pieces.starts.size()), true);
    } else {
        pieces.starts = text.size() > kSegmentUnits ? wlinebreaks::segments(text, kSegmentUnits)
                                                    : std::vector<uint32_t>{0};
        pieces.x.reserve(pieces.starts.size() + 1);
        double x = 0;
        for (size_t i = 0; i < pieces.starts.size(); ++i) {
            pieces.x.push_back(x);
            const uint32_t end = i + 1 < pieces.starts.size() ? pieces.starts[i + 1] : static_cast<uint32_t>(text.size());
            x += mAdvances->width(text.substr(pieces.starts[i], end - pieces.starts[i]), x);
        }
        pieces.x.push_back(x);
        mWidestSeen = std::max(mWidestSeen, x);
    }
    if (pieces.starts.empty())
        pieces.starts.push_back(0);
    return mPieces.emplace(line, std::move(pieces)).first->second;
}

uint32_t WCanvasLayout::exactRows(uint32_t line)
{
    if (!mWrapWidth || mRows.isExact(line))
        return mRows.rows(line);
    auto found = mPieces.find(line);
    const uint32_t rows = found != mPieces.end()
                              ? static_cast<uint32_t>(found->second.starts.size())
                              : static_cast<uint32_t>(std::max<size_t>(1, wlinebreaks::wrap(lineText(line), *mAdvances,
                                                                                              *mWrapWidth).size()));
    mRows.setRows(line, rows, true);
    return rows;
}

void WCanvasLayout::ensureExact(uint32_t first, uint32_t count)
{
    if (!mWrapWidth)
        return;
    const uint32_t end = std::min(mLines.lineCount(), first + count);
    for (uint32_t line = mRows.nextInexact(first); line < end; line = mRows.nextInexact(line + 1))
        exactRows(line);
}

bool WCanvasLayout::wrapSomeMore(uint32_t budgetUnits)
{
    if (!mWrapWidth)
        return false;
    uint32_t spent = 0;
    uint32_t line = mRows.nextInexact(0);
    while (line < mLines.lineCount() && spent < budgetUnits) {
        exactRows(line);
        spent += lineLength(line) + 1;
        line = mRows.nextInexact(line + 1);
    }
    return line < mLines.lineCount();
}

double WCanvasLayout::contentWidth()
{
    if (mWrapWidth)
        return *mWrapWidth;
    if (mLines.textLength() > 0)
        piecesOf(mLines.longestLine());
    return mWidestSeen;
}

WCanvasLayout::Piece WCanvasLayout::makePiece(uint32_t line, uint32_t index, const LinePieces& pieces) const
{
    const uint32_t start = pieces.starts[index];
    const uint32_t end = index + 1 < pieces.starts.size() ? pieces.starts[index + 1] : lineLength(line);
    Piece piece{line, index, mLines.lineStart(line) + start, end - start, 0, 0, 0};
    if (mWrapWidth) {
        piece.row = index;
        piece.width = *mWrapWidth;
    } else {
        piece.x = pieces.x[index];
        piece.width = pieces.x[index + 1] - pieces.x[index];
    }
    return piece;
}

std::vector<WCanvasLayout::Piece> WCanvasLayout::piecesInRow(uint32_t row, double left, double right)
{
    std::vector<Piece> found;
    if (row >= mRows.rowCount())
        return found;
    const auto [line, sub] = mRows.lineOfRow(row);
    const LinePieces& pieces = piecesOf(line);
    if (mWrapWidth) {
        if (sub < pieces.starts.size())
            found.push_back(makePiece(line, sub, pieces));
        return found;
    }
    // Segments side by side: those whose span meets [left, right), and at least
    // the first one, so that an empty line still has a piece to hold the caret.
    auto first = std::upper_bound(pieces.x.begin(), pieces.x.end() - 1, left);
    uint32_t index = static_cast<uint32_t>(std::max<ptrdiff_t>(0, first - pieces.x.begin() - 1));
    for (; index < pieces.starts.size(); ++index) {
        Piece piece = makePiece(line, index, pieces);
        if (piece.x >= right && !found.empty())
            break;
        found.push_back(piece);
    }
    return found;
}

WCanvasLayout::Piece WCanvasLayout::pieceAt(uint32_t position)
{
    position = std::min(position, mLines.textLength());
    const uint32_t line = mLines.lineOfPosition(position);
    const LinePieces& pieces = piecesOf(line);
    const uint32_t offset = position - mLines.lineStart(line);
    auto after = std::upper_bound(pieces.starts.begin(), pieces.starts.end(), offset);
    return makePiece(line, static_cast<uint32_t>(after - pieces.starts.begin() - 1), pieces);
}

QTextLayout& WCanvasLayout::layoutOf(const Piece& piece)
{
    if (QTextLayout* shaped = mShaped.find(piece.line, piece.index))
        return *shaped;
    const std::u16string_view text = std::u16string_view(mStorage.string()).substr(piece.start, piece.length);
    auto layout = std::make_unique<QTextLayout>(displayText(text), mFont);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(mAdvances->tabWidth());
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);

    // The preedit sits inside this piece's text; formats after it move along.
    std::optional<uint32_t> preeditAt;
    if (mPreedit && mPreedit->position >= piece.start && mPreedit->position <= piece.start + piece.length) {
        const Piece holder = pieceAt(mPreedit->position);
        if (holder.line == piece.line && holder.index == piece.index)
            preeditAt = mPreedit->position - piece.start;
    }
    // The text's colours never reach over the preedit, which the input method colours itself.
    QList<QTextLayout::FormatRange> formats;
    const auto addFormat = [&](uint32_t from, uint32_t to, const QTextCharFormat& format) {
        const int moved = static_cast<int>(mPreedit && preeditAt ? mPreedit->text.size() : 0);
        if (preeditAt && from < *preeditAt && *preeditAt < to) {
            formats.push_back({static_cast<int>(from), static_cast<int>(*preeditAt - from), format});
            formats.push_back({static_cast<int>(*preeditAt) + moved, static_cast<int>(to - *preeditAt), format});
        } else {
            const int start = static_cast<int>(from) + (preeditAt && from >= *preeditAt ? moved : 0);
            formats.push_back({start, static_cast<int>(to - from), format});
        }
    };
    const WRange range{piece.start, piece.length};
    const auto addColours = [&](WAttributeName name, void (QTextCharFormat::*set)(const QBrush&)) {
        mStorage.forEachRun(name, range, [&](const WAttributeValue* value, WRange run) {
            if (!value)
                return;
            const WColor& color = std::get<WColor>(*value);
            QTextCharFormat format;
            (format.*set)(QColor::fromRgbF(color.red, color.green, color.blue, color.alpha));
            addFormat(run.location - piece.start, run.maxRange() - piece.start, format);
        });
    };
    addColours(WAttributeName::ForegroundColor, &QTextCharFormat::setForeground);
    addColours(WAttributeName::BackgroundColor, &QTextCharFormat::setBackground);
    if (preeditAt) {
        layout->setPreeditArea(static_cast<int>(*preeditAt), mPreedit->text);
        for (QTextLayout::FormatRange format : mPreedit->formats) {
            format.start += static_cast<int>(*preeditAt);
            formats.push_back(format);
        }
    }
    layout->setFormats(formats);
    layout->beginLayout();
    QTextLine line = layout->createLine();
    line.setLineWidth(1e7);
    line.setPosition(QPointF(0, mAscent - line.ascent()));
    layout->endLayout();
    // Shaping may come out a little wider than the sum of the advances: the
    // line is as wide as what was really laid out.
    if (!mWrapWidth)
        mWidestSeen = std::max(mWidestSeen, piece.x + line.naturalTextWidth());

    return mShaped.insert(piece.line, piece.index, range, std::move(layout));
}

void WCanvasLayout::setPreedit(uint32_t position, const QString& text, const QList<QTextLayout::FormatRange>& formats)
{
    if (mPreedit)
        mShaped.dropMeeting({mPreedit->position, 0});
    mPreedit = Preedit{position, text, formats};
    mShaped.dropMeeting({position, 0});
}

void WCanvasLayout::clearPreedit()
{
    if (!mPreedit)
        return;
    mShaped.dropMeeting({mPreedit->position, 0});
    mPreedit.reset();
}

uint32_t WCanvasLayout::rowOf(uint32_t position)
{
    const Piece piece = pieceAt(position);
    return mRows.firstRow(piece.line) + piece.row;
}

QRectF WCanvasLayout::caretRect(uint32_t position, int preeditCursor)
{
    const Piece piece = pieceAt(position);
    QTextLayout& layout = layoutOf(piece);
    int offset = static_cast<int>(std::min(position, mLines.textLength()) - piece.start);
    if (mPreedit && mPreedit->position == position && !layout.preeditAreaText().isEmpty())
        offset += preeditCursor;
    const double x = layout.lineAt(0).cursorToX(offset);
    const double y = double(mRows.firstRow(piece.line) + piece.row) * mLineHeight;
    return QRectF(piece.x + x, y, 1, mLineHeight);
}

uint32_t WCanvasLayout::positionAt(QPointF point)
{
    if (mRows.rowCount() == 0)
        return 0;
    const double rowAt = std::floor(point.y() / mLineHeight);
    const uint32_t row = static_cast<uint32_t>(std::clamp<double>(rowAt, 0, mRows.rowCount() - 1));
    const auto [line, sub] = mRows.lineOfRow(row);
    const LinePieces& pieces = piecesOf(line);
    uint32_t index = std::min<uint32_t>(sub, static_cast<uint32_t>(pieces.starts.size() - 1));
    if (!mWrapWidth) {
        auto after = std::upper_bound(pieces.x.begin(), pieces.x.end() - 1, point.x());
        index = static_cast<uint32_t>(std::clamp<ptrdiff_t>(after - pieces.x.begin() - 1, 0,
                                                            static_cast<ptrdiff_t>(pieces.starts.size()) - 1));
    }
    const Piece piece = makePiece(line, index, pieces);
    QTextLayout& layout = layoutOf(piece);
    const int offset = layout.lineAt(0).xToCursor(point.x() - piece.x, QTextLine::CursorBetweenCharacters);
    uint32_t position = piece.start + std::clamp<uint32_t>(static_cast<uint32_t>(std::max(0, offset)), 0, piece.length);
    // Past the end of a wrapped row that the next row goes on from, the caret
    // stays before the row's last character rather than jumping to the next row.
    const bool lastPiece = index + 1 == pieces.starts.size();
    if (mWrapWidth && !lastPiece && position == piece.start + piece.length && piece.length > 0)
        --position;
    return position;
}
