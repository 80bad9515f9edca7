// Find and replace on a real document window, driven by real keys where the
// user would press them.
#include <QLineEdit>
#include <QPushButton>

#include "FindTestSupport.h"
#include "document/WDocumentWindow.h"
#include "search/WSearchWindow.h"

TEST_F(FindTest, FindNextAndPreviousSelectWithoutWrappingAround)
{
    // Under the default scheme F3 finds, since Ctrl-G deletes forward there.
    newDocument(u"cat dog Cat dog CAT\r");
    server().setSearchString(u"cat");
    QTest::keyClick(view, Qt::Key_F3);
    EXPECT_EQ(view->selectedRange(), (WRange{0, 3}));
    QTest::keyClick(view, Qt::Key_F3);  // ignoring case, the default
    EXPECT_EQ(view->selectedRange(), (WRange{8, 3}));

    useScheme(WSystemDefault);
    view->setSelectedRange({4, 3});
    QTest::keyClick(view, Qt::Key_E, Qt::ControlModifier);  // Use Selection for Find
    EXPECT_EQ(server().searchString(), u"dog");
    QTest::keyClick(view, Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(view->selectedRange(), (WRange{12, 3}));
    EXPECT_EQ(platform.beeps, 0);
    // At the last occurrence: a beep, and the selection stays.
    QTest::keyClick(view, Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(platform.beeps, 1);
    EXPECT_EQ(view->selectedRange(), (WRange{12, 3}));
    QTest::keyClick(view, Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(view->selectedRange(), (WRange{4, 3}));
    QTest::keyClick(view, Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(platform.beeps, 2);
    EXPECT_EQ(view->selectedRange(), (WRange{4, 3}));

    EXPECT_EQ(view->string(), u"cat dog Cat dog CAT\r");
    EXPECT_FALSE(document->isDocumentEdited());
}

TEST_F(FindTest, CanonicallyEquivalentJapaneseSelectsTheWholeSequence)
{
    // は with a combining voiced mark (two units), then a precomposed ば (one).
    newDocument(u"かは\u3099ん、ば。\r");
    server().setSearchString(u"ば");
    QTest::keyClick(view, Qt::Key_F3);
    EXPECT_EQ(view->selectedRange(), (WRange{1, 2}));
    EXPECT_EQ(selectedText(), u"は\u3099");
    QTest::keyClick(view, Qt::Key_F3);
    EXPECT_EQ(view->selectedRange(), (WRange{5, 1}));
    QTest::keyClick(view, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(view->selectedRange(), (WRange{1, 2}));

    EXPECT_EQ(platform.beeps, 0);
}

TEST_F(FindTest, ReplaceAllIsOneUndoStepAndClosingAsks)
{
    useScheme(WSystemDefault);
    const std::u16string original = u"東京と京都\r京\r";
    newDocument(original);
    view->setSelectedRange({3, 2});
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(panel().searchWindow()->isVisible());

    // No match: the text and the edited state stay, the count is 0, the caret goes to the start.
    panel().searchField()->setText(QStringLiteral("大阪"));
    panel().searchWindow()->button(QStringLiteral("Replace All"))->click();
    ASSERT_EQ(presenter->asked.size(), 1u);
    EXPECT_EQ(presenter->asked[0], (QStringList{"Replacement Information", "Replaced 0 words", "OK"}));
    EXPECT_EQ(view->string(), original);
    EXPECT_EQ(view->selectedRange(), (WRange{0, 0}));
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_FALSE(panel().searchWindow()->isVisible());

    view->setSelectedRange({3, 2});
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(panel().searchField()->text(), "大阪");  // what was stored
    panel().searchField()->setText(QStringLiteral("京"));
    panel().replaceField()->setText(QStringLiteral("きょう"));
    panel().searchWindow()->button(QStringLiteral("Replace All"))->click();
    EXPECT_EQ(view->string(), u"東きょうときょう都\rきょう\r");
    EXPECT_EQ(presenter->asked.back()[1], "Replaced 3 words");
    EXPECT_EQ(view->selectedRange(), (WRange{0, 0}));
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_TRUE(document->window()->isWindowModified());

    presenter->answers = {2};  // Cancel
    EXPECT_FALSE(application->documentController().closeDocument(document));
    EXPECT_EQ(presenter->asked.back().mid(2), (QStringList{"Save", "Don't Save", "Cancel"}));

    activate();
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(view->string(), original);
    EXPECT_FALSE(document->isDocumentEdited());
}

TEST_F(FindTest, ReplaceAllRecoloursTheText)
{
    newDocument(u"&lt;b>bold&lt;/b>\r");
    document->textTypeMenuSelected(WTextHTML);
    server().setSearchString(u"&lt;");
    server().setReplaceString(u"<");
    EXPECT_EQ(WDocumentSearch::of(document)->doReplaceAll(), 2u);
    ASSERT_EQ(view->string(), u"<b>bold</b>\r");
    auto colorAt = [this](uint32_t position) { return view->textStorage().attributesAtIndex(position).foregroundColor; };
    ASSERT_TRUE(colorAt(0).has_value());
    EXPECT_EQ(colorAt(0), colorAt(7));  // both tags
    EXPECT_NE(colorAt(0), colorAt(3));  // the word between them
}

TEST_F(FindTest, ReplaceActsOnTheSelectionAndUndoesLikeTyping)
{
    useScheme(WSystemDefault);
    newDocument(u"ab ab ab");
    server().setSearchString(u"ab");
    server().setReplaceString(u"xyz");
    QAction* replace = application->mainMenuItem(QStringLiteral("Replace"));
    QAction* replaceAndFind = application->mainMenuItem(QStringLiteral("Replace and Find"));
    ASSERT_TRUE(replace && replaceAndFind);

    replace->trigger();  // nothing selected: nothing to replace
    EXPECT_EQ(view->string(), u"ab ab ab");
    replaceAndFind->trigger();  // only finds
    EXPECT_EQ(view->selectedRange(), (WRange{0, 2}));
    replaceAndFind->trigger();
    EXPECT_EQ(view->string(), u"xyz ab ab");
    EXPECT_EQ(view->selectedRange(), (WRange{4, 2}));
    replace->trigger();
    EXPECT_EQ(view->string(), u"xyz xyz ab");
    EXPECT_EQ(view->selectedRange(), (WRange{4, 3}));
    EXPECT_TRUE(document->isDocumentEdited());

    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(view->string(), u"xyz ab ab");
}

TEST_F(FindTest, ClosingADocumentLeavesTheControllerWithoutIt)
{
    useScheme(WSystemDefault);
    newDocument(u"one\r");
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(server().searchCaller(), WDocumentSearch::of(document));
    ASSERT_TRUE(application->documentController().closeDocument(document));
    EXPECT_EQ(server().searchCaller(), nullptr);
    server().searchButtonPressed(u"one", u"two");  // acts on nothing
    server().replaceAllButtonPressed(u"one", u"two");
    EXPECT_EQ(platform.beeps, 0);
    EXPECT_EQ(server().searchString(), u"one");
}
