#include "syntax/WSyntaxHighlighter.h"

#include <QTextBlockUserData>
#include <QTextDocument>

#include <algorithm>
#include <functional>

namespace {

// What a block was last painted with, to tell whether new runs change anything.
class PaintedSignature : public QTextBlockUserData {
public:
    explicit PaintedSignature(size_t value) : value(value) {}
    size_t value;
};

QColor toQColor(const WColor& color) { return QColor::fromRgbF(color.red, color.green, color.blue, color.alpha); }

}  // namespace

WSyntaxHighlighter::WSyntaxHighlighter(QTextDocument* document, WTextStorage* storage)
    : QSyntaxHighlighter(document), mStorage(storage) {
    mStorage->addListener(this);
}

WSyntaxHighlighter::~WSyntaxHighlighter() {
    if (mStorage) mStorage->removeListener(this);
}

std::vector<WSyntaxHighlighter::Segment> WSyntaxHighlighter::segmentsOf(uint32_t position, uint32_t length) const {
    // The foreground and background runs of the stretch, cut where either changes.
    struct Run {
        WRange range;
        const WColor* color;
    };
    auto runsOf = [&](WAttributeName name) {
        std::vector<Run> runs;
        mStorage->enumerateAttribute(name, {position, length}, [&](const WAttributeValue* value, WRange range) {
            runs.push_back({range, value ? &std::get<WColor>(*value) : nullptr});
        });
        return runs;
    };
    std::vector<Run> fg = runsOf(WAttributeName::ForegroundColor);
    std::vector<Run> bg = runsOf(WAttributeName::BackgroundColor);
    std::vector<Segment> segments;
    size_t i = 0, j = 0;
    uint32_t at = position;
    while (i < fg.size() && j < bg.size()) {
        uint32_t end = std::min(fg[i].range.maxRange(), bg[j].range.maxRange());
        if (fg[i].color || bg[j].color) segments.push_back({at - position, end - at, fg[i].color, bg[j].color});
        at = end;
        if (fg[i].range.maxRange() == end) ++i;
        if (bg[j].range.maxRange() == end) ++j;
    }
    return segments;
}

size_t WSyntaxHighlighter::signatureOf(const std::vector<Segment>& segments) {
    size_t h = 1469598103934665603ull;
    auto mix = [&h](size_t v) { h = (h ^ v) * 1099511628211ull; };
    std::hash<float> f;
    for (const Segment& s : segments) {
        mix(s.start);
        mix(s.length);
        for (const WColor* c : {s.foreground, s.background}) {
            if (!c) {
                mix(0xFFFF);
                continue;
            }
            mix(f(c->red));
            mix(f(c->green));
            mix(f(c->blue));
            mix(f(c->alpha));
        }
    }
    return h;
}

void WSyntaxHighlighter::highlightBlock(const QString& text) {
    if (!mStorage) return;
    const QTextBlock block = currentBlock();
    auto position = static_cast<uint32_t>(block.position());
    if (position > mStorage->length()) return;  // the mirror has not caught up yet
    uint32_t length = std::min<uint32_t>(static_cast<uint32_t>(text.size()), mStorage->length() - position);
    std::vector<Segment> segments = segmentsOf(position, length);
    for (const Segment& s : segments) {
        QTextCharFormat format;
        if (s.foreground) format.setForeground(toQColor(*s.foreground));
        if (s.background) format.setBackground(toQColor(*s.background));
        setFormat(static_cast<int>(s.start), static_cast<int>(s.length), format);
    }
    setCurrentBlockUserData(new PaintedSignature(signatureOf(segments)));
    mPainted.push_back(block.blockNumber());
}

int WSyntaxHighlighter::repaintChangedBlocks(WRange range) {
    QTextDocument* doc = document();
    if (!doc || !mStorage) return 0;
    int repainted = 0;
    QTextBlock block = doc->findBlock(static_cast<int>(range.location));
    const uint32_t end = range.maxRange();
    for (; block.isValid(); block = block.next()) {
        auto position = static_cast<uint32_t>(block.position());
        if (position > end || (position == end && range.length > 0)) break;
        if (position > mStorage->length()) break;
        uint32_t length =
            std::min<uint32_t>(static_cast<uint32_t>(block.length() - 1), mStorage->length() - position);
        auto* painted = static_cast<PaintedSignature*>(block.userData());
        if (painted && painted->value == signatureOf(segmentsOf(position, length))) continue;
        rehighlightBlock(block);
        ++repainted;
    }
    return repainted;
}

void WSyntaxHighlighter::textStorageDidChangeAttributes(WTextStorage&, WRange range) {
    if (mPending) {
        uint32_t from = std::min(mPending->location, range.location);
        uint32_t to = std::max(mPending->maxRange(), range.maxRange());
        mPending = WRange{from, to - from};
    } else {
        mPending = range;
    }
    // The engine paints while the text widget is still inside its change
    // notification; the blocks are redone just after it, before the next paint.
    if (!mRepaintQueued) {
        mRepaintQueued = true;
        QMetaObject::invokeMethod(this, &WSyntaxHighlighter::flushPendingRepaint, Qt::QueuedConnection);
    }
}

void WSyntaxHighlighter::flushPendingRepaint() {
    mRepaintQueued = false;
    if (!mPending) return;
    WRange range = *mPending;
    mPending.reset();
    repaintChangedBlocks(range);
}

std::vector<int> WSyntaxHighlighter::takePaintedBlocks() {
    std::vector<int> painted;
    painted.swap(mPainted);
    return painted;
}
