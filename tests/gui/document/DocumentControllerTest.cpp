// New, open, close and quit with the unsaved-changes question.
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "GuiTestSupport.h"
#include "app/WGotoLineWindow.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "canvas/WTextCanvas.h"

using DocumentControllerTest = GuiTest;

TEST_F(DocumentControllerTest, NewDocumentStartsEmptyAndPlain)
{
    MyDocument* document = documents().newDocument();
    EXPECT_TRUE(document->textView()->string().empty());
    EXPECT_EQ(document->window()->lineNumberView()->text(), "1");
    EXPECT_EQ(document->window()->characterCodePopupButton()->currentIndex(), 0);
    EXPECT_EQ(document->window()->returnCodePopupButton()->currentIndex(), 1);
    EXPECT_EQ(document->window()->textTypePopupButton()->currentText(), "Plain");
    EXPECT_EQ(document->window()->windowTitle(), "Untitled[*]");
    EXPECT_EQ(documents().newDocument()->displayName(), "Untitled 2");

    // The text-type pop-up lists the types in menu order, with a separator before the last two.
    QComboBox* types = document->window()->textTypePopupButton();
    QStringList titles;
    for (int index = 0; index < types->count(); ++index)
        titles << types->itemText(index);
    EXPECT_EQ(titles, (QStringList{"Plain", "X/HTML", "CSS", "PHP", "ruby", "perl", "", "Indexed", "w-markup"}));
    EXPECT_EQ(types->itemData(7).toInt(), int(WTextIndex));
    document->setTextType(WTextShellScript);
    EXPECT_EQ(types->currentIndex(), -1);
}

TEST_F(DocumentControllerTest, ClosingAnEditedDocumentAsks)
{
    const QString file = writeFile("a.txt", "text\n");
    MyDocument* document = documents().openDocument(file);
    ASSERT_NE(document, nullptr);
    QTest::keyClicks(document->textView(), "more ");

    presenter->answers = {2};  // Cancel
    EXPECT_FALSE(documents().closeDocument(document));
    ASSERT_EQ(documents().documents().size(), 1u);
    EXPECT_TRUE(presenter->questions.back().contains("a.txt"));

    presenter->answers = {1};  // Don't Save
    EXPECT_TRUE(documents().closeDocument(document));
    EXPECT_TRUE(documents().documents().empty());
    EXPECT_EQ(readFile(file), "text\n");

    document = documents().openDocument(file);
    QTest::keyClicks(document->textView(), "saved ");
    presenter->answers = {0};  // Save
    EXPECT_TRUE(documents().closeDocument(document));
    EXPECT_EQ(readFile(file), "saved text\n");

    // Unedited documents close without a word; the window's own close button asks too.
    const size_t asked = presenter->questions.size();
    document = documents().openDocument(file);
    EXPECT_TRUE(documents().closeDocument(document));
    EXPECT_EQ(presenter->questions.size(), asked);

    document = documents().openDocument(file);
    QTest::keyClicks(document->textView(), "x");
    presenter->answers = {2};
    EXPECT_FALSE(document->window()->close());
    EXPECT_EQ(documents().documents().size(), 1u);
}

TEST_F(DocumentControllerTest, QuitAsksForEachAndStopsAtCancel)
{
    MyDocument* first = documents().openDocument(writeFile("1.txt", "one"));
    MyDocument* second = documents().openDocument(writeFile("2.txt", "two"));
    MyDocument* third = documents().openDocument(writeFile("3.txt", "three"));
    QTest::keyClicks(first->textView(), "a");
    QTest::keyClicks(third->textView(), "c");
    (void)second;

    presenter->answers = {1, 2};  // third: Don't Save; first: Cancel
    EXPECT_FALSE(documents().closeAllDocuments());
    ASSERT_EQ(documents().documents().size(), 1u);
    EXPECT_EQ(documents().documents()[0].get(), first);
    EXPECT_EQ(presenter->questions.size(), 2u);
}

TEST_F(DocumentControllerTest, OpeningAnOpenFileBringsItsWindowBack)
{
    const QString file = writeFile("page.html", "<p>x</p>");
    MyDocument* document = documents().openDocument(file);
    documents().newDocument();
    EXPECT_EQ(documents().openDocument(folder.path() + "/./page.html"), document);
    EXPECT_EQ(documents().documents().size(), 2u);
    EXPECT_EQ(documents().currentDocument(), document);
}

TEST_F(DocumentControllerTest, SaveAsNamesTheDocumentAndKeepsItsType)
{
    MyDocument* document = documents().newDocument();
    QTest::keyClicks(document->textView(), "body { }");
    presenter->pathToSave = path("style.css");
    ASSERT_TRUE(documents().saveDocument(document));
    EXPECT_EQ(readFile("style.css"), "body { }");
    EXPECT_EQ(document->displayName(), "style.css");
    EXPECT_EQ(document->textType(), WTextPlain);  // the type changes only by choice
    EXPECT_FALSE(document->isDocumentEdited());

    presenter->pathToSave.clear();  // the user cancels the file choice
    QTest::keyClicks(document->textView(), "x");
    EXPECT_FALSE(documents().saveDocumentAs(document));
    EXPECT_TRUE(document->isDocumentEdited());
}

TEST_F(DocumentControllerTest, GoToLineSelectsTheLineAndEmptiesTheField)
{
    MyDocument* document = documents().openDocument(writeFile("lines.txt", "one\ntwo\nthree"));
    application->showGotoLineWindow();
    application->showGotoLineWindow();
    EXPECT_TRUE(application->gotoLineWindow()->isVisible());

    QTest::keyClicks(application->gotoLineWindow()->textField(), "2");
    QTest::keyClick(application->gotoLineWindow()->textField(), Qt::Key_Return);
    EXPECT_EQ(document->textView()->selectedRange(), (WRange{4, 4}));
    EXPECT_EQ(document->window()->lineNumberView()->text(), "2");
    EXPECT_FALSE(application->gotoLineWindow()->isVisible());
    EXPECT_TRUE(application->gotoLineWindow()->textField()->text().isEmpty());

    // The last line has no break of its own; a line past the end beeps and selects nothing new.
    document->setCurrentLineOfTextView("3rd");
    EXPECT_EQ(document->textView()->selectedRange(), (WRange{8, 5}));
    document->setCurrentLineOfTextView("4");
    EXPECT_EQ(document->textView()->selectedRange(), (WRange{8, 5}));
}
