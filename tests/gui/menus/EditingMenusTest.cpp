#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QImage>
#include <QMenu>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <random>

#include <gtest/gtest.h>

#include "app/WApplicationDel.h"
#include "app/WDocumentController.h"
#include "app/WGotoLineWindow.h"
#include "app/WPresenter.h"
#include "app/WQtPlatform.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "canvas/WTextCanvas.h"
#include "menus/WEditingMenus.h"
#include "menus/WMenuRenderer.h"
#include "platform/WPlainPlatform.h"

namespace fs = std::filesystem;

namespace {

// A home folder of the test's own, with image sizes read from the files as the
// desktop reads them.
class ImagePlatform : public WPlainPlatform {
public:
    std::optional<WPixelSize> imageSize(const fs::path& image) const override { return mQt.imageSize(image); }

private:
    WQtPlatform mQt;
};

class NoQuestions : public WPresenter {
public:
    void showError(QWidget*, const QString&, const QString&) override {}
    int ask(QWidget*, const QString&, const QString&, const QStringList& buttons) override
    {
        return static_cast<int>(buttons.size()) - 1;  // the last button: never saves, never blocks
    }
};

// The application with one document window open, its text view in focus.
class EditingMenus : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        home = fs::temp_directory_path() / ("wexel-editing-menus-" + std::to_string(random()));
        fs::create_directories(home);
        platform.home = home;
        WPlatform::setShared(&platform);
        WPresenter::setShared(std::make_unique<NoQuestions>());
        auto dialogs = std::make_unique<WEditingMenus::Dialogs>();
        dialogs->chooseFile = [this](QWidget*, const QString&, const QString&) { return chosenFile; };
        dialogs->askURL = [this](QWidget*) { return typedURL; };
        WEditingMenus::setDialogs(std::move(dialogs));

        application = std::make_unique<WApplicationDel>(QString::fromStdString((home / "prefs.plist").string()));
        document = application->documentController().newDocument();
        ASSERT_NE(document, nullptr);
        view = document->textView();
        activate(document);
    }
    void TearDown() override
    {
        if (QColorDialog* panel = WEditingMenus::colorPanel())
            panel->hide();
        application.reset();
        WEditingMenus::setDialogs(nullptr);
        WPresenter::setShared(nullptr);
        WPlatform::setShared(nullptr);
        std::error_code error;
        fs::remove_all(home, error);
    }

    void activate(MyDocument* which)
    {
        QApplication::setActiveWindow(which->window());
        which->textView()->setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(which->window()));
    }

    QAction* item(const char* title) { return application->mainMenuItem(QString::fromUtf8(title)); }
    QMenu* menu(const char* title) { return item(title) ? item(title)->menu() : nullptr; }

    // Validates the menu as opening it would, then says whether the item may be chosen.
    bool enabled(const char* menuTitle, const char* title)
    {
        WMenuRenderer::validate(menu(menuTitle));
        return item(title)->isEnabled();
    }

    fs::path writeFile(const fs::path& relative, const std::string& bytes)
    {
        const fs::path path = home / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    fs::path home;
    ImagePlatform platform;
    std::unique_ptr<WApplicationDel> application;
    MyDocument* document = nullptr;
    WTextCanvas* view = nullptr;
    QString chosenFile;
    std::optional<QString> typedURL;
};

}  // namespace

TEST_F(EditingMenus, ShiftingFromTheMenuAndItsKeysIsOneUndoStepEach)
{
    view->loadString(u"a\r\r  b\rtail");
    view->setSelectedRange({1, 3});  // within the first three lines
    ASSERT_TRUE(enabled("Format", "Shift Right"));
    item("Shift Right")->trigger();
    // Every line with text gains a tab; the empty line and the spaces stay.
    EXPECT_EQ(view->string(), u"\ta\r\r\t  b\rtail");
    EXPECT_EQ(view->selectedRange(), (WRange{0, 8}));
    EXPECT_TRUE(document->isDocumentEdited());
    view->undo();
    EXPECT_EQ(view->string(), u"a\r\r  b\rtail");

    // The keys reach the same commands through the menu.
    view->setSelectedRange({0, 0});
    QTest::keyClick(view, Qt::Key_BracketRight, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_BracketRight, Qt::ControlModifier);
    EXPECT_EQ(view->string(), u"\t\ta\r\r  b\rtail");
    QTest::keyClick(view, Qt::Key_BracketLeft, Qt::ControlModifier);
    EXPECT_EQ(view->string(), u"\ta\r\r  b\rtail");
    view->undo();
    EXPECT_EQ(view->string(), u"\t\ta\r\r  b\rtail");
    EXPECT_EQ(item("Shift Left")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_BracketLeft));
}

TEST_F(EditingMenus, WrapAndRemoveReturnsChangeTheSelectionAndUndoAtOnce)
{
    const std::u16string letters(61, u'x');
    view->loadString(letters + u"\rnext");
    view->setSelectedRange({3, 0});
    item("Wrap with Return")->trigger();
    EXPECT_EQ(view->string(), std::u16string(60, u'x') + u"\rx\rnext");
    EXPECT_EQ(view->selectedRange(), (WRange{0, 63}));
    view->undo();
    EXPECT_EQ(view->string(), letters + u"\rnext");

    view->loadString(u"ab\rcd\ref");
    view->setSelectedRange({0, 6});  // both line ends, not the last line
    item("Remove Returns")->trigger();
    EXPECT_EQ(view->string(), u"abcdef");
    EXPECT_EQ(view->selectedRange(), (WRange{0, 4}));
    view->undo();
    EXPECT_EQ(view->string(), u"ab\rcd\ref");
}

TEST_F(EditingMenus, TheSwitchesShowAndToggleTheActiveDocumentsState)
{
    document->setWordWrapped(true);
    document->setAutoIndented(true);
    ASSERT_TRUE(enabled("Format", "Word Wrap"));
    EXPECT_TRUE(item("Word Wrap")->isChecked());
    EXPECT_TRUE(item("Auto Indent")->isChecked());

    item("Word Wrap")->trigger();
    EXPECT_FALSE(document->isWordWrapped());
    EXPECT_FALSE(view->wordWrap());
    WMenuRenderer::validate(menu("Format"));
    EXPECT_FALSE(item("Word Wrap")->isChecked());
    EXPECT_TRUE(item("Auto Indent")->isChecked());

    // Return stops repeating the indentation once Auto Indent is off.
    item("Auto Indent")->trigger();
    EXPECT_FALSE(document->isAutoIndented());
    view->loadString(u"  a");
    view->setSelectedRange({3, 0});
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(view->string(), u"  a\r");

    // Another window in front: the marks are its document's.
    MyDocument* second = application->documentController().newDocument();
    second->setWordWrapped(true);
    activate(second);
    WMenuRenderer::validate(menu("Format"));
    EXPECT_TRUE(item("Word Wrap")->isChecked());
    item("Word Wrap")->trigger();
    EXPECT_FALSE(second->isWordWrapped());
    EXPECT_FALSE(document->isWordWrapped());  // untouched, still off
    application->documentController().closeAllDocuments();
}

TEST_F(EditingMenus, WithoutATextInFocusOrADocumentTheItemsAreDisabled)
{
    view->clearFocus();
    EXPECT_FALSE(enabled("Format", "Shift Right"));
    EXPECT_FALSE(enabled("Format", "Remove Returns"));
    EXPECT_TRUE(enabled("Format", "Word Wrap"));     // the document still answers
    EXPECT_TRUE(enabled("Insert", "Text of File…"));  // into the document's text

    application->documentController().closeAllDocuments();
    EXPECT_FALSE(enabled("Format", "Word Wrap"));
    EXPECT_FALSE(item("Word Wrap")->isChecked());
    EXPECT_FALSE(enabled("Insert", "Colour…"));
    EXPECT_FALSE(enabled("Insert", "Link…"));
    item("Word Wrap")->trigger();  // a shortcut after the menu closed: nothing to act on
    item("Link…")->trigger();
}

TEST_F(EditingMenus, TheColourPanelStartsFromTheSelectionAndInsertsItsColour)
{
    view->loadString(u"color: #00ff00;");
    view->setSelectedRange({7, 7});
    item("Colour…")->trigger();
    QColorDialog* panel = WEditingMenus::colorPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->currentColor().rgb(), QColor(0, 255, 0).rgb());

    panel->setCurrentColor(QColor(0x12, 0xab, 0xff));
    panel->accept();
    EXPECT_EQ(view->string(), u"color: #12ABFF;");
    EXPECT_EQ(view->selectedRange(), (WRange{7, 7}));
    view->undo();
    EXPECT_EQ(view->string(), u"color: #00ff00;");

    // A selection that is no colour leaves the panel's colour as it was.
    activate(document);
    view->setSelectedRange({0, 5});
    item("Colour…")->trigger();
    EXPECT_EQ(WEditingMenus::colorPanel(), panel);  // one panel for the application
    EXPECT_EQ(panel->currentColor().rgb(), QColor(0x12, 0xab, 0xff).rgb());
}

TEST_F(EditingMenus, ChosenFilesGoInAsImageTagsPathsOrTextRelativeToTheDocument)
{
    const fs::path page = writeFile("site/page.html", "");
    const fs::path image = home / "site" / "img" / "x.png";
    fs::create_directories(image.parent_path());
    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(Qt::white);
    ASSERT_TRUE(picture.save(QString::fromStdString(image.string())));
    const fs::path notes = writeFile("notes/todo.txt", "one\r\ntwo\r\n");
    const fs::path notAnImage = writeFile("site/img/broken.png", "not a picture");

    MyDocument* opened = application->documentController().openDocument(QString::fromStdString(page.string()));
    ASSERT_NE(opened, nullptr);
    activate(opened);
    WTextCanvas* text = opened->textView();

    chosenFile = QString::fromStdString(image.string());
    item("Image Tag…")->trigger();
    const std::u16string tag = u"<img src=\"./img/x.png\" width=\"120\" height=\"80\" alt=\"\" />";
    EXPECT_EQ(text->string(), tag);
    EXPECT_EQ(text->selectedRange(), (WRange{0, static_cast<uint32_t>(tag.size())}));

    // No picture, no tag, and a beep; a cancelled choice does nothing at all.
    text->loadString(u"");
    chosenFile = QString::fromStdString(notAnImage.string());
    item("Image Tag…")->trigger();
    EXPECT_EQ(text->string(), u"");
    EXPECT_EQ(platform.beepCount, 1);
    chosenFile.clear();
    item("Text of File…")->trigger();
    EXPECT_EQ(text->string(), u"");
    EXPECT_EQ(platform.beepCount, 1);

    // A path around a selection becomes a link to it.
    text->loadString(u"see me");
    text->setSelectedRange({4, 2});
    chosenFile = QString::fromStdString(notes.string());
    item("Relative Path…")->trigger();
    EXPECT_EQ(text->string(), u"see <a href=\"../notes/todo.txt\">me</a>");

    // A file's text arrives with CR line ends only.
    text->loadString(u"[]");
    text->setSelectedRange({1, 0});
    item("Text of File…")->trigger();
    EXPECT_EQ(text->string(), u"[one\rtwo\r]");
    EXPECT_EQ(text->selectedRange(), (WRange{1, 8}));
    text->undo();
    EXPECT_EQ(text->string(), u"[]");
}

TEST_F(EditingMenus, ALinkWrapsTheSelectionOrGoesInBare)
{
    view->loadString(u"read this");
    view->setSelectedRange({5, 4});
    typedURL = QStringLiteral("  https://example.org/a  ");
    item("Link…")->trigger();
    EXPECT_EQ(view->string(), u"read <a href=\"https://example.org/a\">this</a>");

    view->loadString(u"");
    item("Link…")->trigger();
    EXPECT_EQ(view->string(), u"https://example.org/a");
    EXPECT_EQ(view->selectedRange(), (WRange{0, 21}));

    // Cancelled or left empty: nothing.
    view->loadString(u"x");
    typedURL = std::nullopt;
    item("Link…")->trigger();
    typedURL = QStringLiteral("   ");
    item("Link…")->trigger();
    EXPECT_EQ(view->string(), u"x");
}

// A panel with the keyboard leaves the commands with the document in front of it.
TEST_F(EditingMenus, TextCommandsReachTheMainDocumentWhileAnotherWindowHasTheKeyboard)
{
    view->loadString(u"a\rb");
    view->setSelectedRange({0, 3});
    application->showGotoLineWindow();
    QApplication::setActiveWindow(application->gotoLineWindow());
    ASSERT_TRUE(QTest::qWaitForWindowActive(application->gotoLineWindow()));
    ASSERT_NE(QApplication::focusWidget(), view);
    EXPECT_TRUE(enabled("Format", "Shift Right"));
    EXPECT_TRUE(enabled("Format", "Word Wrap"));
    item("Shift Right")->trigger();
    EXPECT_EQ(view->string(), u"\ta\r\tb");
    application->hideGotoLineWindow();
}
