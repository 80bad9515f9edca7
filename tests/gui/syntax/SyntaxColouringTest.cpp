// Colour as you type, on a real document window (offscreen): which lines get
// new colours after an edit (the view repaints what changes colour, and only
// that), and that colours stay out of the undo history.
#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <fstream>
#include <set>

#include "document/MyDocument.h"
#include "canvas/WTextCanvas.h"
#include "platform/WLog.h"
#include "platform/WPlainPlatform.h"
#include "text/WStringUtils.h"

namespace {

// The lines whose colours changed since last asked.
class RecolouredLines : public WTextStorageListener {
public:
    void textStorageDidChangeAttributes(WTextStorage& storage, WRange range) override {
        const std::u16string& text = storage.string();
        auto lineOf = [&](uint32_t at) { return int(std::count(text.begin(), text.begin() + at, u'\r')); };
        const int last = lineOf(range.maxRange() - (range.length > 0 ? 1 : 0));
        for (int line = lineOf(range.location); line <= last; ++line) mLines.insert(line);
    }
    std::set<int> take() { return std::exchange(mLines, {}); }

private:
    std::set<int> mLines;
};

class SyntaxColouringTest : public ::testing::Test {
protected:
    ~SyntaxColouringTest() override {
        if (view) view->textStorage().removeListener(&recoloured);
    }
    void open(const QByteArray& utf8, const QString& typeName) {
        QString error;
        ASSERT_TRUE(document.loadDataRepresentation(
            std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(utf8.data()), size_t(utf8.size())), typeName,
            &error))
            << error.toStdString();
        document.windowControllerDidLoadNib();
        view = document.textView();
        ASSERT_TRUE(view);
        settle();
        view->textStorage().addListener(&recoloured);
    }
    void settle() {
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    }
    uint32_t lineStart(int line) {
        const std::u16string& text = view->string();
        uint32_t at = 0;
        for (int i = 0; i < line; ++i) at = uint32_t(text.find(u'\r', at)) + 1;
        return at;
    }
    // Puts the caret at the end of a line and types there with real key events.
    void typeAtEndOfLine(int line, const QString& keys) {
        const uint32_t end = uint32_t(std::min(view->string().find(u'\r', lineStart(line)), view->string().size()));
        view->setSelectedRange({end, 0});
        QTest::keyClicks(view, keys);
        settle();
    }
    std::set<int> painted() { return recoloured.take(); }
    // The colour the line shows at its offset: the view draws the storage's colours.
    QColor shownAt(int line, int offset) { return storageColorAt(lineStart(line) + uint32_t(offset)); }
    QColor storageColorAt(uint32_t position) {
        auto color = view->textStorage().attributesAtIndex(position).foregroundColor;
        return color ? QColor::fromRgbF(color->red, color->green, color->blue) : QColor();
    }

    MyDocument document;
    WTextCanvas* view = nullptr;
    RecolouredLines recoloured;
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
    typeAtEndOfLine(1, "<!--");
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
    typeAtEndOfLine(1, "<!--");
    painted();
    typeAtEndOfLine(2, "-->");
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
    typeAtEndOfLine(3, "more $c 'q'");
    std::set<int> blocks = painted();
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
    typeAtEndOfLine(1, " <!-- note -->");  // opened, running to the old comment's end, then closed
    typeAtEndOfLine(3, "<b>x</b>");
    EXPECT_EQ(shownAt(1, 12), comment);
    ASSERT_TRUE(view->canUndo());
    // Every undo step takes typed text away: none of them is a colour change.
    while (view->canUndo()) {
        const std::u16string before = view->string();
        view->undo();
        settle();
        EXPECT_NE(view->string(), before);
    }
    EXPECT_EQ(view->string(), WStringUtils::convertReturnsToCR(QString::fromUtf8(kHtml).toStdU16String()));
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
    EXPECT_FALSE(document.textView()->wordWrap());
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
