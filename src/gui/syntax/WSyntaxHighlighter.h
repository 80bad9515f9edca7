#pragma once

#include <QSyntaxHighlighter>

#include <optional>
#include <vector>

#include "syntax/WTextStorage.h"

// Paints the colour runs of a document's WTextStorage onto its QTextDocument.
// The colours live in the blocks' layouts, never in the text, so they never
// enter the undo history. After the colouring engine has painted, only the
// blocks whose colours really differ from what is on screen are redone.
class WSyntaxHighlighter : public QSyntaxHighlighter, public WTextStorageListener {
    Q_OBJECT
public:
    // The storage mirrors the document's text in CR form, position for position.
    WSyntaxHighlighter(QTextDocument* document, WTextStorage* storage);
    ~WSyntaxHighlighter() override;

    // Redoes the blocks meeting range whose colours changed; answers how many.
    int repaintChangedBlocks(WRange range);
    // Runs the repaint that attribute changes have scheduled, if any, now.
    void flushPendingRepaint();

    // The numbers of the blocks painted since the last call, for tests and timing.
    std::vector<int> takePaintedBlocks();

    // WTextStorageListener
    void textStorageDidChangeAttributes(WTextStorage& storage, WRange range) override;
    void textStorageWillDisappear(WTextStorage& storage) override { mStorage = nullptr; }

protected:
    void highlightBlock(const QString& text) override;

private:
    struct Segment {
        uint32_t start;   // from the block's start
        uint32_t length;
        const WColor* foreground;
        const WColor* background;
    };
    std::vector<Segment> segmentsOf(uint32_t position, uint32_t length) const;
    static size_t signatureOf(const std::vector<Segment>& segments);

    WTextStorage* mStorage;  // null once the storage is gone (the widget dies before its document)
    std::optional<WRange> mPending;
    bool mRepaintQueued = false;
    std::vector<int> mPainted;
};
