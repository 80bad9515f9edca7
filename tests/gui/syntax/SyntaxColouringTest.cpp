// Colour as you type, on a real document window (offscreen): which blocks are
// repainted after an edit, and that colours stay out of the undo history.
#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <set>

#include "document/MyDocument.h"
#include "editor/WTextViewWidget.h"
#include "platform/WLog.h"
#include "syntax/WSyntaxHighlighter.h"

namespace {

class SyntaxColouringTest : public ::testing::Test {
protected:
    void open(const QByteArray& utf8, const QString& typeName) {
        QString error;
        ASSERT_TRUE(document.loadDataRepresentation(
            std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(utf8.data()), size_t(utf8.size())), typeName,
            &error))
            << error.toStdString();
        document.windowControllerDidLoadNib();
        view = document.textView();
        highlighter = view->document()->findChild<WSyntaxHighlighter*>();
        ASSERT_TRUE(highlighter);
        settle();
        highlighter->takePaintedBlocks();
    }
    void settle() {
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    }
    // Puts the caret at the end of a block and types there with real key events.
    void typeAtEndOfBlock(int blockNumber, const QString& keys) {
        QTextCursor cursor(view->document()->findBlockByNumber(blockNumber));
        cursor.movePosition(QTextCursor::EndOfBlock);
        view->setTextCursor(cursor);
        QTest::keyClicks(view, keys);
        settle();
    }
    std::set<int> painted() {
        std::vector<int> blocks = highlighter->takePaintedBlocks();
        return {blocks.begin(), blocks.end()};
    }
    // The colour the block shows at its offset, as the layout paints it.
    QColor shownAt(int blockNumber, int offset) {
        QTextBlock block = view->document()->findBlockByNumber(blockNumber);
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            if (offset >= range.start && offset < range.start + range.length) return range.format.foreground().color();
        }
        return {};
    }
    QColor storageColorAt(uint32_t position) {
        auto color = view->textStorage().attributesAtIndex(position).foregroundColor;
        return color ? QColor::fromRgbF(color->red, color->green, color->blue) : QColor();
    }

    MyDocument document;
    WTextViewWidget* view = nullptr;
    WSyntaxHighlighter* highlighter = nullptr;
};

const char* kHtml =
    "<p>one</p>\n"
    "<p>two</p>\n"
    "<p>three</p>\n"
    "<p>four</p>\n"
    "<!-- old -->\n"
    "<p>five</p>\n";

}  // namespace

TEST_F(SyntaxColouringTest, OpeningAnHtmlCommentRecoloursOnlyItsLine) {
    open(kHtml, "HTML file");
    const QColor tag = shownAt(2, 0);
    EXPECT_TRUE(tag.isValid());
    typeAtEndOfBlock(1, "<!--");
    EXPECT_EQ(painted(), (std::set<int>{1}));
    EXPECT_EQ(shownAt(2, 0), tag);  // the next line still shows a tag
    EXPECT_NE(shownAt(1, 10), tag);  // the new, open comment
}

TEST_F(SyntaxColouringTest, ClosingItRecoloursTheWholeText) {
    open(kHtml, "HTML file");
    const QColor tag = shownAt(2, 0);
    const QColor comment = shownAt(4, 0);
    typeAtEndOfBlock(1, "<!--");
    painted();
    typeAtEndOfBlock(3, "-->");
    std::set<int> blocks = painted();
    // Lines 2 and 3 were not touched, yet they are now inside the comment.
    EXPECT_TRUE(blocks.count(2));
    EXPECT_EQ(shownAt(2, 0), comment);
    EXPECT_EQ(shownAt(3, 0), comment);
    EXPECT_EQ(shownAt(0, 0), tag);
    EXPECT_FALSE(blocks.count(0));  // unchanged colours are not repainted
    EXPECT_FALSE(blocks.count(5));
}

TEST_F(SyntaxColouringTest, EditInsideAClosedPhpCommentRepaintsOnlyThatComment) {
    open("<?php\n$a = 1;\n/* first\n   second\n   third */\n$b = 'x';\n", "php file");
    const QColor comment = shownAt(3, 3);
    QTextCursor cursor(view->document()->findBlockByNumber(3));
    cursor.movePosition(QTextCursor::EndOfBlock);
    view->setTextCursor(cursor);
    QTest::keyClicks(view, "more $c 'q'");
    settle();
    std::set<int> blocks = painted();
    EXPECT_FALSE(blocks.empty());
    for (int b : blocks) {
        EXPECT_GE(b, 2);
        EXPECT_LE(b, 4);
    }
    EXPECT_EQ(shownAt(3, 12), comment);  // "$c" typed inside the comment stays comment
    EXPECT_NE(shownAt(5, 0), comment);
}

TEST_F(SyntaxColouringTest, UndoNeverUndoesAColour) {
    open(kHtml, "HTML file");
    const QColor tag = shownAt(1, 0);
    const QColor comment = shownAt(4, 0);
    typeAtEndOfBlock(1, " <!-- note -->");  // closes at once: the whole text is recoloured
    typeAtEndOfBlock(3, "<b>x</b>");
    EXPECT_EQ(shownAt(1, 12), comment);
    ASSERT_TRUE(view->document()->isUndoAvailable());
    // Every undo step takes typed text away: none of them is a colour change.
    while (view->document()->isUndoAvailable()) {
        const QString before = view->document()->toPlainText();
        view->undo();
        settle();
        EXPECT_NE(view->document()->toPlainText(), before);
    }
    EXPECT_EQ(view->document()->toPlainText(), QString::fromUtf8(kHtml));
    // The colours follow the text back.
    EXPECT_EQ(shownAt(1, 0), tag);
    EXPECT_EQ(shownAt(3, 4), QColor::fromRgbF(0x1F / 255.0f, 0x23 / 255.0f, 0x28 / 255.0f));
    EXPECT_EQ(storageColorAt(11), tag);
    EXPECT_EQ(shownAt(4, 0), comment);
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qgetenv("WEXEL_RESOURCES").isEmpty()) qputenv("WEXEL_RESOURCES", WEXEL_TEST_DATA "/../../resources");
    WLog::setSink([](std::string_view) {});
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
