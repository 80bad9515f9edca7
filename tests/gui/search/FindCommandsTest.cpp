// Find and replace on a real document window, driven by real keys where the
// user would press them.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <memory>

#include "app/WApplicationDel.h"
#include "app/WDocumentController.h"
#include "app/WPresenter.h"
#include "app/WQtPlatform.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "editor/WKeyAssignServer.h"
#include "editor/WTextViewWidget.h"
#include "prefs/WPrefsServer.h"
#include "search/WDocumentSearch.h"
#include "search/WFindDialog.h"
#include "search/WSearchServer.h"

namespace {

class CountingPlatform : public WQtPlatform {
public:
    int beeps = 0;
    void beep() override { ++beeps; }
};

// Keeps what the application said; answers from a script, else with the first button.
class ScriptedPresenter : public WPresenter {
public:
    std::vector<QStringList> asked;  // title, message, buttons...
    std::deque<int> answers;

    void showError(QWidget*, const QString& message, const QString&) override
    {
        ADD_FAILURE() << message.toStdString();
    }
    int ask(QWidget*, const QString& title, const QString& message, const QStringList& buttons) override
    {
        asked.push_back(QStringList{title, message} + buttons);
        if (answers.empty())
            return 0;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void askLater(QWidget* window, const QString& title, const QString& message, const QStringList& buttons,
                  std::function<void(int)> ended) override
    {
        QTimer::singleShot(0, [ended = std::move(ended), answer = ask(window, title, message, buttons)] {
            ended(answer);
        });
    }
};

class FindTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        WPlatform::setShared(&platform);
        auto owned = std::make_unique<ScriptedPresenter>();
        presenter = owned.get();
        WPresenter::setShared(std::move(owned));
        application = std::make_unique<WApplicationDel>(folder.filePath(QStringLiteral("Wexel.plist")));
    }
    void TearDown() override
    {
        application.reset();
        WPresenter::setShared(nullptr);
        WPlatform::setShared(nullptr);
    }

    // The key scheme matters: the program's own takes Ctrl-G, Ctrl-E and Ctrl-F for itself.
    void useScheme(int scheme)
    {
        WPrefsServer& prefs = application->prefsServer();
        prefs.tempDictionary().setInt(scheme, "key_bind_type");
        prefs.commit();
    }

    // A new document holding text, unedited, its window in front.
    WTextViewWidget* newDocument(std::u16string_view text)
    {
        document = application->documentController().newDocument();
        view = document->textView();
        view->loadString(text);
        activate();
        return view;
    }
    void activate()
    {
        QApplication::setActiveWindow(document->window());
        view->setFocus();
        EXPECT_TRUE(QTest::qWaitForWindowActive(document->window()));
    }

    WSearchServer& server() { return application->searchServer(); }
    WFindDialog* dialog() { return WDocumentSearch::of(document)->findDialog(); }
    std::u16string selectedText() const
    {
        const WRange range = view->selectedRange();
        return view->string().substr(range.location, range.length);
    }

    QTemporaryDir folder;
    CountingPlatform platform;
    ScriptedPresenter* presenter = nullptr;
    std::unique_ptr<WApplicationDel> application;
    MyDocument* document = nullptr;
    WTextViewWidget* view = nullptr;
};

}  // namespace

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
    EXPECT_EQ(view->textCursor().selectedText(), QString::fromUtf16(u"は\u3099"));
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
    ASSERT_NE(dialog(), nullptr);
    ASSERT_TRUE(dialog()->isVisible());

    // No match: the text and the edited state stay, the count is 0, the caret goes to the start.
    dialog()->searchField()->setText(QStringLiteral("大阪"));
    dialog()->button(QStringLiteral("Replace All"))->click();
    ASSERT_EQ(presenter->asked.size(), 1u);
    EXPECT_EQ(presenter->asked[0], (QStringList{"Replacement Information", "Replaced 0 words", "OK"}));
    EXPECT_EQ(view->string(), original);
    EXPECT_EQ(view->selectedRange(), (WRange{0, 0}));
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_FALSE(dialog()->isVisible());

    view->setSelectedRange({3, 2});
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(dialog()->searchField()->text(), "大阪");  // what was stored
    dialog()->searchField()->setText(QStringLiteral("京"));
    dialog()->replaceField()->setText(QStringLiteral("きょう"));
    dialog()->button(QStringLiteral("Replace All"))->click();
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

TEST_F(FindTest, DialogStoresItsFieldsOnlyThroughItsButtons)
{
    useScheme(WSystemDefault);
    newDocument(u"ABC abc ABC\r");
    server().setSearchString(u"old");
    server().setReplaceString(u"new");
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    ASSERT_NE(dialog(), nullptr);
    QApplication::setActiveWindow(dialog());  // the offscreen platform does not activate it by itself
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog()));
    QLineEdit* field = dialog()->searchField();
    EXPECT_EQ(field->text(), "old");
    EXPECT_EQ(dialog()->replaceField()->text(), "new");
    EXPECT_TRUE(dialog()->ignoreCaseCheckBox()->isChecked());
    EXPECT_TRUE(field->hasFocus());

    // Escape drops the edits, but the check box acts at once.
    QTest::keyClicks(field, "abc");
    dialog()->ignoreCaseCheckBox()->click();
    EXPECT_FALSE(server().ignoreCase());
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_FALSE(dialog()->isVisible());
    EXPECT_EQ(server().searchString(), u"old");
    EXPECT_FALSE(server().ignoreCase());

    activate();
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    QApplication::setActiveWindow(dialog());  // the offscreen platform does not activate it by itself
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog()));
    EXPECT_EQ(field->text(), "old");
    EXPECT_FALSE(dialog()->ignoreCaseCheckBox()->isChecked());
    QTest::keyClicks(field, "abc");  // replaces the selected field text
    QTest::keyClick(field, Qt::Key_Return);  // Next
    EXPECT_EQ(server().searchString(), u"abc");
    EXPECT_EQ(view->selectedRange(), (WRange{4, 3}));
    EXPECT_TRUE(dialog()->isVisible());
    dialog()->button(QStringLiteral("Previous"))->click();  // ABC does not match now
    EXPECT_EQ(platform.beeps, 1);
    EXPECT_EQ(view->selectedRange(), (WRange{4, 3}));
    dialog()->ignoreCaseCheckBox()->click();
    dialog()->button(QStringLiteral("Previous"))->click();
    EXPECT_EQ(view->selectedRange(), (WRange{0, 3}));
    dialog()->replaceField()->setText(QStringLiteral("x"));
    dialog()->button(QStringLiteral("Replace & Find"))->click();
    EXPECT_EQ(view->string(), u"x abc ABC\r");
    EXPECT_EQ(view->selectedRange(), (WRange{2, 3}));
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
