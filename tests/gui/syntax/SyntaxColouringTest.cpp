// Colour as you type, on a real document window (offscreen): which blocks are
// repainted after an edit, and that colours stay out of the undo history.
#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>
#include <set>

#include "document/MyDocument.h"
#include "editor/WTextViewWidget.h"
#include "platform/WLog.h"
#include "platform/WPlainPlatform.h"
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

TEST_F(SyntaxColouringTest, OpeningAnHtmlCommentRecoloursTheLinesItRunsOver) {
    open(kHtml, "HTML file");
    const QColor tag = shownAt(2, 0);
    const QColor comment = shownAt(4, 0);
    EXPECT_TRUE(tag.isValid());
    typeAtEndOfBlock(1, "<!--");
    // The new comment runs to the old one's end: lines 2 and 3 were not touched,
    // yet they are now inside it; what follows is not repainted.
    EXPECT_EQ(painted(), (std::set<int>{1, 2, 3}));
    EXPECT_EQ(shownAt(1, 10), comment);
    EXPECT_EQ(shownAt(2, 0), comment);
    EXPECT_EQ(shownAt(3, 0), comment);
    EXPECT_EQ(shownAt(5, 0), tag);
}

TEST_F(SyntaxColouringTest, ClosingItGivesTheFollowingLinesTheirColoursBack) {
    open(kHtml, "HTML file");
    const QColor tag = shownAt(2, 0);
    const QColor comment = shownAt(4, 0);
    typeAtEndOfBlock(1, "<!--");
    painted();
    typeAtEndOfBlock(2, "-->");
    std::set<int> blocks = painted();
    EXPECT_TRUE(blocks.count(3));
    EXPECT_EQ(shownAt(2, 0), comment);
    EXPECT_EQ(shownAt(3, 0), tag);
    EXPECT_EQ(shownAt(4, 0), comment);
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
    typeAtEndOfBlock(1, " <!-- note -->");  // opened, running to the old comment's end, then closed
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

TEST(SyntaxModeSettings, ModeFilesOverrideFontSizeAndWrappingPerType) {
    // Private resources: HTML fixes size and wrapping, PHP says nothing about them.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::filesystem::path root = folder.path().toStdString();
    std::filesystem::create_directories(root / "resources");
    std::filesystem::create_directories(root / "home" / "Library" / "Wexel" / "settings");
    const std::string colours =
        "background_color = #FFFFFF\nbase_string_color = #000001\ncomment_color = #000002\n"
        "keyword_color = #000003\ndoublequote_color = #000004\nvariable_color = #000005\n"
        "tag_color = #000006\nref_color = #000007\n";
    std::ofstream(root / "resources" / "html_settings.txt") << colours << "font_size = 20\nis_word_wrapped = yes\n";
    std::ofstream(root / "resources" / "php_settings.txt") << colours;
    std::ofstream(root / "resources" / "php_keywords.txt") << "echo";
    // The user's copy changes one key; the others stay as shipped.
    std::ofstream(root / "home" / "Library" / "Wexel" / "settings" / "html_settings.txt") << "is_word_wrapped = no\n";
    WPlainPlatform platform;
    platform.home = root / "home";
    platform.resourceFolders = {root / "resources"};
    WPlatform::setShared(&platform);

    MyDocument document;
    const QByteArray text = "<p>x</p>\n";
    QString error;
    ASSERT_TRUE(document.loadDataRepresentation(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), size_t(text.size())), "HTML file",
        &error));
    document.windowControllerDidLoadNib();
    EXPECT_FLOAT_EQ(document.textViewFontSize(), 20.0f);
    EXPECT_FALSE(document.isWordWrapped());
    EXPECT_EQ(document.textView()->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(document.textView()->textStorage().attributesAtIndex(0).font->size, 20.0);

    // A type whose settings leave both keys out keeps the document's values, and
    // its new engine colours by the new rules at once.
    document.setWordWrapped(true);
    document.textTypeMenuSelected(WTextPHP);
    EXPECT_EQ(document.textType(), WTextPHP);
    EXPECT_FLOAT_EQ(document.textViewFontSize(), 20.0f);
    EXPECT_TRUE(document.isWordWrapped());
    auto color = document.textView()->textStorage().attributesAtIndex(0).foregroundColor;
    ASSERT_TRUE(color);
    EXPECT_NEAR(color->blue * 255, 1.0, 0.01);  // "<p>x</p>" is ordinary text in PHP
    WPlatform::setShared(nullptr);
}
