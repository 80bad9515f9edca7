#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <random>

#include <gtest/gtest.h>

#include "app/WPresenter.h"
#include "editor/WTextView.h"
#include "canvas/WTextCanvas.h"
#include "menus/WAddonExecution.h"
#include "menus/WApplicationMenus.h"
#include "menus/WMenuDispatcher.h"
#include "menus/WMenuRenderer.h"
#include "platform/WPlainPlatform.h"

namespace fs = std::filesystem;

namespace {

// Takes the tag items and records them; items titled "em" it disables.
class TagRecorder : public WResponder {
public:
    ~TagRecorder() override { WMenuDispatcher::forget(this); }
    bool tryToPerform(std::string_view action, WMenuItem* sender) override
    {
        if (action != "insertMenuTag:")
            return false;
        received.push_back(sender);
        return true;
    }
    bool respondsToAction(std::string_view action) const override { return action == "insertMenuTag:"; }
    bool validateMenuItem(WMenuItem& item) override { return item.title() != u"em"; }

    std::vector<WMenuItem*> received;
};

// Keeps the alerts instead of showing them.
class RecordingPresenter : public WPresenter {
public:
    explicit RecordingPresenter(std::vector<QString>* messages) : mMessages(messages) {}
    void showError(QWidget*, const QString& message, const QString&) override { mMessages->push_back(message); }

private:
    std::vector<QString>* mMessages;
};

QAction* findAction(QMenu* menu, const QString& title)
{
    for (QAction* action : menu->actions()) {
        if (action->text() == title)
            return action;
        if (action->menu()) {
            if (QAction* found = findAction(action->menu(), title))
                return found;
        }
    }
    return nullptr;
}

// A window like a document's: the main menu with the data-built menus, and a
// text view with the focus.
class MenusOnScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        home = fs::temp_directory_path() / ("wexel-gui-menus-" + std::to_string(random()));
        fs::create_directories(home);
        platform.home = home;
        WPlatform::setShared(&platform);
        WPresenter::setShared(std::make_unique<RecordingPresenter>(&messages));

        window = std::make_unique<QMainWindow>();
        tags = window->menuBar()->addMenu(QStringLiteral("HTML Tags"));
        tools = window->menuBar()->addMenu(QStringLiteral("Tools"));
        view = new WTextCanvas;
        window->setCentralWidget(view);
        WApplicationMenus::addTagMenu(tags->menuAction());
        WMenuDispatcher::setResponder(view, &recorder);
        window->show();
        QApplication::setActiveWindow(window.get());
        view->setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override
    {
        window.reset();
        WPresenter::setShared(nullptr);
        WPlatform::setShared(nullptr);
        WAddonExecution::setProgressDelay(2000);
        std::error_code error;
        fs::remove_all(home, error);
    }

    fs::path addon(const std::string& name, const std::string& body)
    {
        fs::path path = home / "Library" / "Wexel" / "add-ons" / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << body;
        fs::permissions(path, fs::perms(0700));
        return path;
    }

    fs::path home;
    WPlainPlatform platform;
    std::vector<QString> messages;
    std::unique_ptr<QMainWindow> window;
    QMenu* tags = nullptr;
    QMenu* tools = nullptr;
    WTextCanvas* view = nullptr;
    TagRecorder recorder;
};

}  // namespace

TEST_F(MenusOnScreen, ChoosingATagItemSendsItToTheFocusedTextView)
{
    QAction* strong = findAction(tags, QStringLiteral("strong"));
    ASSERT_NE(strong, nullptr);
    // "&" in a title is shown, not taken as a mnemonic.
    EXPECT_NE(findAction(tags, QStringLiteral("&&nbsp;")), nullptr);
    strong->trigger();
    ASSERT_EQ(recorder.received.size(), 1u);
    WMenuItem* sender = recorder.received.front();
    EXPECT_EQ(sender, WMenuRenderer::itemOf(strong));
    ASSERT_NE(sender->attachedText(u"pre"), nullptr);
    EXPECT_EQ(*sender->attachedText(u"pre"), u"<strong>");

    // Without a responder for the action, nothing is sent anywhere.
    WMenuDispatcher::setResponder(view, nullptr);
    strong->trigger();
    EXPECT_EQ(recorder.received.size(), 1u);
}

TEST_F(MenusOnScreen, ATagItemPutsItsTagsAroundTheSelection)
{
    WTextView editing(*view);
    WMenuDispatcher::setResponder(view, &editing);
    view->loadString(u"bold words");
    view->setSelectedRange({0, 4});
    findAction(tags, QStringLiteral("strong"))->trigger();
    EXPECT_EQ(view->string(), u"<strong>bold</strong> words");
    EXPECT_EQ(view->selectedRange(), (WRange{8, 4}));  // the text inside the tags
    view->undo();
    EXPECT_EQ(view->string(), u"bold words");
    WMenuDispatcher::setResponder(view, nullptr);
}

TEST_F(MenusOnScreen, AnItemItsResponderDisablesStaysDisabled)
{
    QAction* em = findAction(tags, QStringLiteral("em"));
    QAction* strong = findAction(tags, QStringLiteral("strong"));
    ASSERT_TRUE(em && strong);
    QMenu* text = findAction(tags, QStringLiteral("Text"))->menu();
    ASSERT_NE(text, nullptr);
    text->popup(QPoint(10, 10));
    QTRY_VERIFY(text->isVisible());
    EXPECT_FALSE(em->isEnabled());
    EXPECT_TRUE(strong->isEnabled());
    em->trigger();
    text->hide();
    // Closed, the shortcut is validated when used: still refused.
    QTest::keyClick(view, Qt::Key_I, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(recorder.received.empty());
    EXPECT_EQ(WMenuRenderer::itemOf(em)->keyEquivalent(), u"i");
}

TEST_F(MenusOnScreen, AKeyEquivalentFromTheTagFileTriggersItsItem)
{
    QTest::keyClick(view, Qt::Key_B, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(recorder.received.size(), 1u);
    EXPECT_EQ(recorder.received.front()->title(), u"strong");
    QTest::keyClick(view, Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(recorder.received.size(), 2u);
    EXPECT_EQ(recorder.received.back()->title(), u"br");
}

TEST(MenuShortcuts, ModifiersAndSpecialKeys)
{
    auto sequence = [](std::u16string key, uint32_t mask) {
        WMenuItem item(u"x", "a:", std::move(key));
        item.setKeyEquivalentModifierMask(mask);
        return WMenuRenderer::keySequenceFor(item);
    };
    EXPECT_EQ(sequence(u"q", WCommandKeyMask), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(sequence(u"\r", WCommandKeyMask | WShiftKeyMask), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Return));
    EXPECT_EQ(sequence(u"\t", WCommandKeyMask | WAlternateKeyMask), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Tab));
    EXPECT_EQ(sequence(u"T", WCommandKeyMask), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
    EXPECT_EQ(sequence(u"1", WCommandKeyMask | WControlKeyMask), QKeySequence(Qt::CTRL | Qt::META | Qt::Key_1));
    EXPECT_TRUE(sequence(u"esc", WCommandKeyMask).isEmpty());
    EXPECT_TRUE(sequence(u"", WCommandKeyMask).isEmpty());
}

TEST_F(MenusOnScreen, AddOnsReplaceTheSelectionOrTheWholeTextAsOneUndoStep)
{
    fs::path upper = addon("Upper.sh", "#!/bin/sh\ntr a-z A-Z < \"$TMPFILE\"\n");
    fs::path sorter = addon("Sort.sh", "#!/bin/sh\nprintf FUNC=REPLACEALL > \"$TMPSETTING\"\n"
                                       "sort \"$TMPFILE_WHOLE\"\n");
    view->loadString(u"pear\rapple\rfig");
    view->setSelectedRange({0, 4});
    WAddonExecution::execute(upper, *view, view, std::nullopt);
    EXPECT_EQ(view->string(), u"PEAR\rapple\rfig");
    EXPECT_TRUE(view->isEdited());

    WAddonExecution::execute(sorter, *view, view, std::nullopt);
    EXPECT_EQ(view->string(), u"PEAR\rapple\rfig\r");
    view->undo();
    EXPECT_EQ(view->string(), u"PEAR\rapple\rfig");
    view->undo();
    EXPECT_EQ(view->string(), u"pear\rapple\rfig");
    EXPECT_TRUE(messages.empty());
}

TEST_F(MenusOnScreen, StoppingASlowAddOnChangesNothing)
{
    fs::path slow = addon("Slow.sh", "#!/bin/sh\necho changed\nsleep 30\n");
    view->loadString(u"original");
    view->selectAll();
    WAddonExecution::setProgressDelay(0);
    bool sawDialog = false;
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QProgressDialog*>(widget); dialog && dialog->isVisible()) {
                sawDialog = true;
                dialog->cancel();
            }
        }
    });
    stopper.start(50);
    WAddonResult result = WAddonExecution::execute(slow, *view, view, std::nullopt);
    EXPECT_TRUE(sawDialog);
    EXPECT_EQ(view->string(), u"original");
    EXPECT_FALSE(view->isEdited());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages.front().contains(QStringLiteral("stopped")));
    EXPECT_EQ(result.text, std::nullopt);
}

TEST_F(MenusOnScreen, TheToolsMenuListsTheAddOnsWithTheirKeys)
{
    addon("Upper-u.sh", "#!/bin/sh\ncat \"$TMPFILE\"\n");
    addon(".hidden.sh", "");
    WApplicationMenus::addScriptsMenu(tools->menuAction());
    QStringList titles;
    for (QAction* action : tools->actions())
        titles << action->text();
    EXPECT_EQ(titles, QStringList{QStringLiteral("Upper-u.sh")});
    EXPECT_EQ(tools->actions().front()->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_U));

    // Built again, the menu shows the folder as it is now, once.
    addon("Another.pl", "");
    WApplicationMenus::addScriptsMenu(tools->menuAction());
    EXPECT_EQ(tools->actions().size(), 2);
}
