// What scripts read and write, on real document windows: which writes refresh
// the pop-ups, and that the writes changing the text are single undoable edits
// that mark the document and colour the new text.
#include <QComboBox>

#include <cmath>
#include <limits>

#include "GuiTestSupport.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "canvas/WTextCanvas.h"

namespace {
QString textOf(MyDocument* document)
{
    return document->text();
}

class DocumentScriptingTest : public GuiTest {
protected:
    MyDocument* open(const QString& name, const QByteArray& bytes)
    {
        MyDocument* document = documents().openDocument(writeFile(name, bytes));
        EXPECT_TRUE(document);
        return document;
    }
    static std::string messageOf(const MyDocument::ScriptError& error)
    {
        return error ? error->message : std::string("no error");
    }
    static std::optional<WColor> colourAt(MyDocument* document, uint32_t position)
    {
        return document->textView()->textStorage().attributesAtIndex(position).foregroundColor;
    }
};

TEST_F(DocumentScriptingTest, EncodingAndTextTypeRefreshThePopupsAndLineEndsDoNot)
{
    MyDocument* document = open("a.txt", "plain\n");
    WDocumentWindow* window = document->window();
    const int lineEndPosition = window->returnCodePopupButton()->currentIndex();

    EXPECT_EQ(messageOf(document->setEncoding(QStringLiteral("UTF-16"))), "no error");
    EXPECT_EQ(document->documentEncoding(), 10u);
    EXPECT_EQ(window->characterCodePopupButton()->currentIndex(), 4);
    // Names are compared exactly.
    EXPECT_EQ(messageOf(document->setEncoding(QStringLiteral("utf-8"))), "MyDocument - setEncoding");
    EXPECT_EQ(document->encoding(), QStringLiteral("UTF-16"));

    EXPECT_EQ(messageOf(document->setRetcode(QStringLiteral("CR-LF"))), "no error");
    EXPECT_EQ(document->returnCodeType(), WCRLF_type);
    EXPECT_EQ(window->returnCodePopupButton()->currentIndex(), lineEndPosition);
    EXPECT_EQ(messageOf(document->setRetcode(QStringLiteral("CRLF"))), "MyDocument - setRetcode");
    QString name;
    EXPECT_FALSE(document->retcode(&name));
    EXPECT_EQ(name, QStringLiteral("CR-LF"));

    EXPECT_FALSE(document->setSyntaxType(QStringLiteral("X/HTML")));
    EXPECT_EQ(document->textType(), WTextHTML);
    EXPECT_EQ(window->textTypePopupButton()->currentText(), QStringLiteral("X/HTML"));
    // The shell script type is never set; its name still makes the colouring anew.
    EXPECT_FALSE(document->setSyntaxType(QStringLiteral("sh-script")));
    EXPECT_EQ(document->textType(), WTextHTML);
    EXPECT_EQ(messageOf(document->setSyntaxType(QStringLiteral("html"))), "MyDocument - setSyntaxType");
    EXPECT_FALSE(document->syntaxtype(&name));
    EXPECT_EQ(name, QStringLiteral("X/HTML"));
}

TEST_F(DocumentScriptingTest, FontSizeTakesOnePointAndMoreAndNothingElse)
{
    MyDocument* document = documents().newDocument();
    EXPECT_EQ(messageOf(document->setFontsize(1.0)), "no error");
    EXPECT_EQ(document->textViewFontSize(), 1.0f);
    for (double refused : {0.99, 0.0, -12.0, std::nan(""), std::numeric_limits<double>::infinity(), 1e300})
        EXPECT_EQ(messageOf(document->setFontsize(refused)), "MyDocument - setFontsize") << refused;
    EXPECT_EQ(document->fontsize(), 1.0);
    document->setFontname(QStringLiteral("IPAGothic"));
    EXPECT_EQ(document->textViewFontName(), QStringLiteral("IPAGothic"));
}

TEST_F(DocumentScriptingTest, SelectionWritesStayInsideTheText)
{
    MyDocument* document = open("ten.txt", "0123456789");
    document->textView()->setSelectedRange({3, 5});
    EXPECT_FALSE(document->setSelectionLocation(8));
    EXPECT_EQ(document->selectedrange(), (WRange{8, 2}));
    EXPECT_EQ(messageOf(document->setSelectionLength(3)), "MyDocument - setSelectionLength");
    EXPECT_FALSE(document->setSelectionLength(2));
    EXPECT_EQ(messageOf(document->setSelectionLocation(11)), "MyDocument - setSelectionLocation");
    EXPECT_EQ(document->selectedrange(), (WRange{8, 2}));

    EXPECT_FALSE(document->setSelectedrange(10, 0));
    EXPECT_EQ(document->selectedrange(), (WRange{10, 0}));
    const auto refused = document->setSelectedrange(10, 1);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->kind, WScriptError::Range);
    EXPECT_EQ(refused->message, "Given Range is not Valid.");
    // A record without both numbers does nothing.
    EXPECT_FALSE(document->setSelectedrange(2, std::nullopt));
    EXPECT_EQ(document->selectedrange(), (WRange{10, 0}));
    EXPECT_FALSE(document->isDocumentEdited());
}

TEST_F(DocumentScriptingTest, WritingTheSelectedTextIsOneUndoableEditThatIsColoured)
{
    MyDocument* document = open("page.html", "<p>one</p>\n<p>two</p>\n");
    const auto tagColour = colourAt(document, 0);
    ASSERT_TRUE(tagColour);
    document->textView()->setSelectedRange({3, 3});
    ASSERT_EQ(document->selectedtext(), QStringLiteral("one"));

    document->setSelectedtext(QStringLiteral("<b>1</b>\r\nx"));
    // Line ends of any kind arrive as CR, and the new text is selected.
    EXPECT_EQ(textOf(document), QStringLiteral("<p><b>1</b>\rx</p>\r<p>two</p>\r"));
    EXPECT_EQ(document->selectedrange(), (WRange{3, 10}));
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_EQ(colourAt(document, 3), tagColour);
    EXPECT_NE(colourAt(document, 6), tagColour);

    // A second write is an undo step of its own, even right after the first.
    document->textView()->setSelectedRange({13, 0});
    document->setSelectedtext(QStringLiteral("2"));
    document->textView()->undo();
    EXPECT_EQ(textOf(document), QStringLiteral("<p><b>1</b>\rx</p>\r<p>two</p>\r"));
    document->textView()->undo();
    EXPECT_EQ(textOf(document), QStringLiteral("<p>one</p>\r<p>two</p>\r"));
}

TEST_F(DocumentScriptingTest, ReplaceAllIsOneUndoableEditThatLeavesTheSelection)
{
    MyDocument* document = open("a.txt", "aaa bbb AAA");
    document->textView()->setSelectedRange({4, 3});

    // Only in another case: nothing replaced, nothing changed.
    WSearchScriptResult result = document->handleReplaceAllCommand({u"Bbb", u"x", false, std::nullopt});
    EXPECT_EQ(result.value, 0);
    EXPECT_EQ(textOf(document), QStringLiteral("aaa bbb AAA"));
    EXPECT_FALSE(document->isDocumentEdited());

    result = document->handleReplaceAllCommand({u"a", u"xy", std::nullopt, std::nullopt});
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.value, 6);
    EXPECT_EQ(textOf(document), QStringLiteral("xyxyxy bbb xyxyxy"));
    EXPECT_EQ(document->selectedrange(), (WRange{4, 3}));
    EXPECT_TRUE(document->isDocumentEdited());
    document->textView()->undo();
    EXPECT_EQ(textOf(document), QStringLiteral("aaa bbb AAA"));

    // Search leaves the selection where it was.
    document->textView()->setSelectedRange({1, 1});
    result = document->handleSearchCommand({u"AAA", std::nullopt, std::nullopt, 1});
    EXPECT_EQ(result.value, 8);
    EXPECT_EQ(document->selectedrange(), (WRange{1, 1}));
}
}  // namespace
