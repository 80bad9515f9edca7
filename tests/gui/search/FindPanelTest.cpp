// The find panel: one for every document, not modal, storing its fields only
// through Find, Replace All and Set.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>

#include "FindTestSupport.h"
#include "document/WDocumentWindow.h"
#include "search/WSearchWindow.h"

namespace {

class FindPanelTest : public FindTest {
protected:
    void SetUp() override
    {
        FindTest::SetUp();
        useScheme(WSystemDefault);
    }

    // Ctrl-F in the document, then the panel in front as a user would have it.
    WSearchWindow* showPanel()
    {
        QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
        WSearchWindow* window = panel().searchWindow();
        EXPECT_TRUE(window->isVisible());
        QApplication::setActiveWindow(window);  // the offscreen platform does not activate it by itself
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        return window;
    }
    void press(const QString& title)
    {
        QPushButton* button = panel().searchWindow()->button(title);
        ASSERT_NE(button, nullptr) << title.toStdString();
        button->click();
    }
};

}  // namespace

TEST_F(FindPanelTest, ShowsTheStoredStringsAndTheFlags)
{
    newDocument(u"abc\r");
    server().setSearchString(u"old");
    server().setReplaceString(u"new");
    WSearchWindow* window = showPanel();
    EXPECT_EQ(panel().searchField()->text(), "old");
    EXPECT_EQ(panel().replaceField()->text(), "new");
    EXPECT_TRUE(panel().searchField()->hasFocus());
    EXPECT_EQ(panel().searchField()->selectedText(), "old");  // typing replaces it
    EXPECT_TRUE(panel().ignoreCaseCheckBox()->isChecked());
    EXPECT_FALSE(panel().useRegexCheckBox()->isChecked());
    EXPECT_FALSE(panel().useRegexCheckBox()->isEnabled());
    for (const char* title : {"Find", "Previous", "Replace", "Replace & Find", "Replace All", "Set", "Cancel"})
        EXPECT_NE(window->button(QString::fromUtf8(title)), nullptr) << title;
    // "&" is shown as itself, not as a mnemonic.
    EXPECT_EQ(WSearchWindow::shownText(window->button(QStringLiteral("Replace & Find"))->text()), "Replace & Find");
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(FindPanelTest, CancelAndTheCloseButtonDropTheEditsButNotTheFlags)
{
    newDocument(u"ABC abc old\r");
    server().setSearchString(u"old");
    showPanel();
    QTest::keyClicks(panel().searchField(), "abc");
    panel().replaceField()->setText(QStringLiteral("x"));
    panel().ignoreCaseCheckBox()->click();  // acts at once
    EXPECT_FALSE(server().ignoreCase());
    press(QStringLiteral("Cancel"));
    EXPECT_FALSE(panel().searchWindow()->isVisible());
    EXPECT_EQ(server().searchString(), u"old");
    EXPECT_EQ(server().replaceString(), u"");
    EXPECT_FALSE(server().ignoreCase());

    // The next Find uses the old string.
    activate();
    QTest::keyClick(view, Qt::Key_F3);
    EXPECT_EQ(view->selectedRange(), (WRange{8, 3}));

    // The close button hides the panel, and showing it again shows what was stored.
    showPanel();
    EXPECT_EQ(panel().searchField()->text(), "old");
    EXPECT_FALSE(panel().ignoreCaseCheckBox()->isChecked());
    QTest::keyClicks(panel().searchField(), "unsaved");
    EXPECT_TRUE(panel().searchWindow()->close() == false);  // hidden, never closed
    EXPECT_FALSE(panel().searchWindow()->isVisible());
    EXPECT_EQ(server().searchString(), u"old");
    activate();
    showPanel();
    EXPECT_EQ(panel().searchField()->text(), "old");

    // Escape is Cancel too.
    QTest::keyClicks(panel().searchField(), "typed");
    QTest::keyClick(panel().searchField(), Qt::Key_Escape);
    EXPECT_FALSE(panel().searchWindow()->isVisible());
    EXPECT_EQ(server().searchString(), u"old");
    EXPECT_EQ(platform.beeps, 0);
}

TEST_F(FindPanelTest, SetKeepsTheStringsWithoutSearching)
{
    newDocument(u"one two one\r");
    showPanel();
    QTest::keyClicks(panel().searchField(), "one");
    panel().replaceField()->setText(QStringLiteral("1"));
    press(QStringLiteral("Set"));
    EXPECT_FALSE(panel().searchWindow()->isVisible());
    EXPECT_EQ(server().searchString(), u"one");
    EXPECT_EQ(server().replaceString(), u"1");
    EXPECT_EQ(view->selectedRange(), (WRange{0, 0}));
    EXPECT_EQ(view->string(), u"one two one\r");
    // The document has the keyboard back, and Find Next uses what was set.
    EXPECT_EQ(document->window()->focusWidget(), view);
    activate();
    QTest::keyClick(view, Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(view->selectedRange(), (WRange{0, 3}));
    QTest::keyClick(view, Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(view->selectedRange(), (WRange{8, 3}));
}

TEST_F(FindPanelTest, FindStoresHidesAndSelects_AFailedOneSaysNotFound)
{
    newDocument(u"cat dog\rcat\r");
    view->setSelectedRange({8, 0});
    showPanel();
    QTest::keyClicks(panel().searchField(), "dog");
    QTest::keyClick(panel().searchField(), Qt::Key_Return);  // Find is the default button
    EXPECT_FALSE(panel().searchWindow()->isVisible());
    EXPECT_EQ(server().searchString(), u"dog");
    // No wrap-around: the caret is past the only dog.
    EXPECT_EQ(platform.beeps, 1);
    EXPECT_EQ(view->selectedRange(), (WRange{8, 0}));
    EXPECT_EQ(document->window()->statusMessage(), "Not found");

    // Moving the caret takes the note away; a found one leaves none.
    view->setSelectedRange({0, 0});
    EXPECT_EQ(document->window()->statusMessage(), "");
    showPanel();
    press(QStringLiteral("Find"));
    EXPECT_EQ(view->selectedRange(), (WRange{4, 3}));
    EXPECT_EQ(document->window()->statusMessage(), "");
    EXPECT_EQ(platform.beeps, 1);

    // Find Previous from the menu says it too.
    view->setSelectedRange({0, 0});
    QTest::keyClick(view, Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(platform.beeps, 2);
    EXPECT_EQ(document->window()->statusMessage(), "Not found");
}

TEST_F(FindPanelTest, ReplaceAndFindActsAndThePanelStays)
{
    newDocument(u"ab ab ab\r");
    showPanel();
    panel().searchField()->setText(QStringLiteral("ab"));
    panel().replaceField()->setText(QStringLiteral("xyz"));
    press(QStringLiteral("Replace"));  // nothing selected: nothing replaced
    EXPECT_EQ(view->string(), u"ab ab ab\r");
    EXPECT_EQ(server().searchString(), u"ab");  // but stored
    press(QStringLiteral("Replace & Find"));  // empty selection: only finds
    EXPECT_EQ(view->selectedRange(), (WRange{0, 2}));
    press(QStringLiteral("Replace & Find"));
    EXPECT_EQ(view->string(), u"xyz ab ab\r");
    EXPECT_EQ(view->selectedRange(), (WRange{4, 2}));
    press(QStringLiteral("Replace"));
    EXPECT_EQ(view->string(), u"xyz xyz ab\r");
    EXPECT_EQ(view->selectedRange(), (WRange{4, 3}));
    press(QStringLiteral("Previous"));  // "ab" no longer occurs before the selection
    EXPECT_EQ(platform.beeps, 1);
    EXPECT_EQ(document->window()->statusMessage(), "Not found");
    EXPECT_TRUE(panel().searchWindow()->isVisible());
    EXPECT_TRUE(document->isDocumentEdited());
}

TEST_F(FindPanelTest, TheDocumentTakesTypingWhileThePanelIsUp)
{
    newDocument(u"abc\r");
    showPanel();
    activate();  // a click into the document window
    EXPECT_TRUE(panel().searchWindow()->isVisible());
    view->setSelectedRange({3, 0});
    QTest::keyClicks(view, "de");
    EXPECT_EQ(view->string(), u"abcde\r");
    EXPECT_EQ(document->window()->caretPositionLabel()->text(), "Line 1, Column 6");

    // The panel's Find acts on what the user typed meanwhile.
    QApplication::setActiveWindow(panel().searchWindow());
    panel().searchField()->setText(QStringLiteral("cd"));
    view->setSelectedRange({0, 0});
    press(QStringLiteral("Find"));
    EXPECT_EQ(view->selectedRange(), (WRange{2, 2}));
}

// Every control but Cancel (which Escape gives) has an Alt letter of its own,
// and the letters act in the panel.
TEST_F(FindPanelTest, EachControlHasItsOwnAltLetter)
{
    newDocument(u"ab ab\r");
    WSearchWindow* window = showPanel();
    QStringList titles;
    for (auto* button : window->findChildren<QAbstractButton*>())
        titles << button->text();
    for (auto* label : window->findChildren<QLabel*>())
        titles << label->text();
    QSet<QKeySequence> letters;
    for (const QString& title : titles) {
        if (title == QLatin1String("Cancel"))
            continue;
        const QKeySequence letter = QKeySequence::mnemonic(title);
        EXPECT_FALSE(letter.isEmpty()) << title.toStdString();
        EXPECT_FALSE(letters.contains(letter)) << title.toStdString();
        letters.insert(letter);
    }
    EXPECT_EQ(letters.size(), 10);

    QTest::keyClick(window, Qt::Key_W, Qt::AltModifier);
    EXPECT_TRUE(panel().replaceField()->hasFocus());
    QTest::keyClicks(panel().replaceField(), "x");
    QTest::keyClick(window, Qt::Key_I, Qt::AltModifier);
    EXPECT_TRUE(panel().searchField()->hasFocus());
    QTest::keyClicks(panel().searchField(), "ab");
    QTest::keyClick(window, Qt::Key_A, Qt::AltModifier);  // the button shows itself pressed, then clicks
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->string() == u"x x\r"; }));
}

TEST_F(FindPanelTest, OnePanelForEveryDocument)
{
    newDocument(u"first text\r");
    MyDocument* first = document;
    WTextCanvas* firstView = view;
    WSearchWindow* window = showPanel();
    newDocument(u"second text\r");
    EXPECT_EQ(showPanel(), window);
    EXPECT_EQ(server().searchCaller(), WDocumentSearch::of(document));

    // The buttons act on the document that showed the panel last.
    panel().searchField()->setText(QStringLiteral("text"));
    press(QStringLiteral("Find"));
    EXPECT_EQ(view->selectedRange(), (WRange{7, 4}));
    EXPECT_EQ(firstView->selectedRange(), (WRange{0, 0}));

    // Once that one is closed, on the one in front.
    ASSERT_TRUE(application->documentController().closeDocument(document));
    document = first;
    view = firstView;
    activate();
    QApplication::setActiveWindow(window);
    window->show();
    press(QStringLiteral("Find"));
    EXPECT_EQ(firstView->selectedRange(), (WRange{6, 4}));

    // Without documents the panel goes away.
    window->show();
    ASSERT_TRUE(application->documentController().closeDocument(first));
    EXPECT_FALSE(window->isVisible());
}
