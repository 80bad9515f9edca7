// The document commands as a user reaches them: from the main menu and the
// text's context menu, on the document of the main window.
#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QUrl>

#include <fstream>
#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "app/WGotoLineWindow.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "editor/WBottomView.h"
#include "editor/WTextViewController.h"
#include "canvas/WTextCanvas.h"
#include "menus/WMenuRenderer.h"
#include "platform/WLog.h"
#include "prefs/WPrefsServer.h"

namespace {

// Stands in for the desktop's opener: keeps every file URL it is handed.
class DesktopOpener : public QObject {
    Q_OBJECT
public:
    DesktopOpener() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~DesktopOpener() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    std::vector<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};

class LogLines {
public:
    LogLines() { mOld = WLog::setSink([this](std::string_view line) { lines.emplace_back(line); }); }
    ~LogLines() { WLog::setSink(mOld); }
    bool has(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
    std::vector<std::string> lines;

private:
    WLog::Sink mOld;
};

class DocumentMenuCommands : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        platform.home = std::filesystem::path(path("home").toStdString());
        std::filesystem::create_directories(platform.home);
    }
    void TearDown() override
    {
        if (!oldPath.isNull())
            qputenv("PATH", oldPath);
        GuiTest::TearDown();
    }

    MyDocument* activeDocument(MyDocument* document)
    {
        QApplication::setActiveWindow(document->window());
        document->textView()->setFocus();
        EXPECT_TRUE(QTest::qWaitForWindowActive(document->window()));
        return document;
    }

    QAction* item(const char* title) { return application->mainMenuItem(QString::fromUtf8(title)); }
    // Validates the item's menu as opening it would.
    bool enabled(const char* title)
    {
        QAction* action = item(title);
        EXPECT_NE(action, nullptr) << title;
        if (!action)
            return false;
        QMenu* holder = qobject_cast<QMenu*>(action->parent());
        emit holder->aboutToShow();
        return action->isEnabled();
    }

    void setPreferences(int browser, const QString& command, bool newWindow)
    {
        WDictionary& preferences = application->prefsServer().tempDictionary();
        preferences.setInt(browser, "preferred_browser");
        preferences.setObject(WPlistValue(command.toStdString()), "browser_command");
        preferences.setBool(newWindow, "always_makes_a_new_window");
        ASSERT_TRUE(application->prefsServer().commit());
    }

    // A browser on PATH that writes its arguments, one a line, beside itself.
    QString putBrowserOnPath(const QString& name)
    {
        QDir().mkpath(path("bin"));
        const QString script = path("bin/" + name);
        std::ofstream(script.toStdString()) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.tmp\"\n"
                                               "mv \"$0.tmp\" \"$0.args\"\n";
        QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        oldPath = qgetenv("PATH");
        qputenv("PATH", path("bin").toLocal8Bit() + ':' + oldPath);
        return script + ".args";
    }

    QByteArray oldPath;
};

const char* const kSixCharactersTwoLines =
    "Whole Text :\n  Character Count : 6\n  Line Count : 2\n\n"
    "Selected Text :\n  Character Count : 6\n  Line Count : 2";

}  // namespace

TEST_F(DocumentMenuCommands, InformationCountsTheTextAndTheSelectionFromEitherMenu)
{
    MyDocument* document = activeDocument(documents().newDocument());
    WTextCanvas* view = document->textView();

    // The context menu's item is enabled and shows the sheet on the document's window.
    std::unique_ptr<QMenu> context(
        WMenuRenderer::createMenu(WTextViewController::controllerOf(view)->textView().menuForEvent()));
    WMenuRenderer::validate(context.get());
    QAction* information = nullptr;
    for (QAction* action : context->actions()) {
        if (action->text() == QStringLiteral("Information"))
            information = action;
    }
    ASSERT_NE(information, nullptr);
    EXPECT_TRUE(information->isEnabled());
    information->trigger();
    ASSERT_EQ(presenter->informed.size(), 1u);
    EXPECT_EQ(presenter->informed[0].title, QStringLiteral("Text Information"));
    EXPECT_EQ(presenter->informed[0].message,
              QStringLiteral("Whole Text :\n  Character Count : 0\n  Line Count : 0\n\n"
                             "Selected Text :\n  Character Count : 0\n  Line Count : 0"));

    view->insertText(u"abc\rde");
    view->selectAll();
    information->trigger();
    ASSERT_EQ(presenter->informed.size(), 2u);
    EXPECT_EQ(presenter->informed[1].message, QString::fromUtf8(kSixCharactersTwoLines));

    // With another window in front, the menu still asks the document last in front.
    application->showGotoLineWindow();
    QApplication::setActiveWindow(application->gotoLineWindow());
    ASSERT_TRUE(QTest::qWaitForWindowActive(application->gotoLineWindow()));
    EXPECT_TRUE(enabled("Text Information…"));
    item("Text Information…")->trigger();
    ASSERT_EQ(presenter->informed.size(), 3u);
    EXPECT_EQ(presenter->informed[2].message, QString::fromUtf8(kSixCharactersTwoLines));
}

TEST_F(DocumentMenuCommands, OpenWithBrowserSavesFirstAndStartsTheNamedBrowser)
{
    const QString file = writeFile("page one.html", "<p>old</p>\n");
    MyDocument* document = activeDocument(documents().openDocument(file));
    // A stand-in under a known browser's name, first on PATH.
    const QString recorded = putBrowserOnPath(QStringLiteral("firefox"));
    setPreferences(2, QStringLiteral("firefox --profile test"), true);

    document->textView()->setSelectedRange({3, 3});
    document->textView()->insertText(u"new");
    ASSERT_TRUE(document->isDocumentEdited());
    item("Open with Browser")->trigger();
    // Saved before the browser was asked, in the file's own line ends.
    EXPECT_EQ(readFile(file), "<p>new</p>\n");
    EXPECT_FALSE(document->isDocumentEdited());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(recorded); }, 10000));
    const QByteArray url = QUrl::fromLocalFile(file).toEncoded();
    EXPECT_EQ(readFile(recorded), "--profile\ntest\n--new-window\n" + url + "\n");

    // Without the new-window preference the browser gets the file alone.
    QFile::remove(recorded);
    setPreferences(2, QStringLiteral("firefox"), false);
    item("Open with Browser")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(recorded); }, 10000));
    EXPECT_EQ(readFile(recorded), url + "\n");
    EXPECT_EQ(platform.beeps, 0);
    EXPECT_TRUE(presenter->errors.empty());
}

TEST_F(DocumentMenuCommands, OpenWithBrowserHandsTheDesktopTheURLAndFailsQuietly)
{
    DesktopOpener opener;
    const QString file = writeFile("日本語.html", "<p></p>\n");
    MyDocument* document = activeDocument(documents().openDocument(file));
    setPreferences(1, QString(), true);
    document->openWithBrowser();
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0], QUrl::fromLocalFile(file));

    // A browser that is not installed, or no browser at all: nothing shown, nothing said.
    LogLines log;
    setPreferences(2, QStringLiteral("no-such-browser-anywhere"), false);
    document->openWithBrowser();
    setPreferences(0, QString(), false);
    document->openWithBrowser();
    EXPECT_EQ(opener.opened.size(), 1u);
    EXPECT_TRUE(presenter->errors.empty());
    EXPECT_TRUE(log.has("MyDocument : openWithBrowser: - the browser could not be started."));
    EXPECT_EQ(platform.beeps, 0);

    // A document without a file beeps and saves nothing.
    setPreferences(1, QString(), false);
    MyDocument* untitled = activeDocument(documents().newDocument());
    untitled->textView()->insertText(u"x");
    item("Open with Browser")->trigger();
    EXPECT_EQ(platform.beeps, 1);
    EXPECT_EQ(opener.opened.size(), 1u);
    EXPECT_TRUE(untitled->isDocumentEdited());
}

TEST_F(DocumentMenuCommands, TheTagFileItemIsEnabledOnlyWhileTheFileExists)
{
    DesktopOpener opener;
    application->constructMenus();
    MyDocument* document = activeDocument(documents().newDocument());
    const QString tagFile = MyDocument::userDefinedTagFile();
    EXPECT_EQ(tagFile, path("home/Library/Wexel/UserDefinedTags.txt"));

    // Absent: the item is grey, and the command itself only logs.
    EXPECT_FALSE(enabled("Open User-defined Tag File"));
    {
        LogLines log;
        document->openUserDefinedTagFile();
        EXPECT_EQ(log.lines, std::vector<std::string>{"MyDocument : openUserDefinedTagFile: - no such file."});
    }
    EXPECT_TRUE(opener.opened.empty());

    // Present: enabled, and opened by the desktop's application for it.
    QDir().mkpath(path("home/Library/Wexel"));
    writeFile("home/Library/Wexel/UserDefinedTags.txt", "");
    EXPECT_TRUE(enabled("Open User-defined Tag File"));
    item("Open User-defined Tag File")->trigger();
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0], QUrl::fromLocalFile(tagFile));

    // Every other document item stays enabled; Revert needs a file to go back to.
    for (const char* title : {"Redraw Colours", "Text Information…", "Store Window Status", "Open with Browser"})
        EXPECT_TRUE(enabled(title)) << title;
    EXPECT_FALSE(enabled("Revert"));
    MyDocument* saved = activeDocument(documents().openDocument(writeFile("a.txt", "a")));
    ASSERT_NE(saved, nullptr);
    EXPECT_TRUE(enabled("Revert"));
    activeDocument(document);
    EXPECT_FALSE(enabled("Revert"));
}

TEST_F(DocumentMenuCommands, StoreWindowStatusAndRedrawColoursActOnTheDocumentAlone)
{
    MyDocument* document = activeDocument(documents().newDocument());
    ASSERT_TRUE(document->storesWindowStatus());
    EXPECT_TRUE(enabled("Store Window Status"));
    EXPECT_TRUE(item("Store Window Status")->isChecked());
    item("Store Window Status")->trigger();
    EXPECT_FALSE(document->storesWindowStatus());
    EXPECT_TRUE(enabled("Store Window Status"));
    EXPECT_FALSE(item("Store Window Status")->isChecked());
    // Not a preference: the next document starts from the preferences again.
    EXPECT_TRUE(application->prefsServer().boolForKey("store_window_status"));
    EXPECT_TRUE(documents().newDocument()->storesWindowStatus());

    // New colours of the preferences reach an open plain text at Redraw Colours.
    activeDocument(document);
    document->textView()->insertText(u"plain words");
    application->prefsServer().tempDictionary().setColor(rgb_color{0.0f, 0.5f, 0.0f, 1.0f}, "base_string_color");
    ASSERT_TRUE(application->prefsServer().commit());
    item("Redraw Colours")->trigger();
    const std::optional<WColor> colour = document->textView()->textStorage().attributesAtIndex(3).foregroundColor;
    ASSERT_TRUE(colour);
    EXPECT_EQ(colour->green, 0.5f);
    EXPECT_EQ(colour->red, 0.0f);
}

TEST_F(DocumentMenuCommands, GoToLineOpensOverTheDocumentAndEscapeOrAnEmptyFieldOnlyClose)
{
    QByteArray lines;
    for (int line = 1; line <= 20; ++line)
        lines += "line " + QByteArray::number(line) + "\n";
    MyDocument* document = activeDocument(documents().openDocument(writeFile("lines.txt", lines)));
    document->window()->move(200, 150);
    WGotoLineWindow* window = application->gotoLineWindow();
    QLineEdit* field = window->textField();

    application->showGotoLineWindow();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(document->window()->frameGeometry().contains(window->geometry().center()));

    document->textView()->setSelectedRange({0, 0});
    QTest::keyClick(field, Qt::Key_Return);  // empty: only closes
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(document->textView()->selectedRange(), (WRange{0, 0}));

    application->showGotoLineWindow();
    QTest::keyClicks(field, "12abc");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(document->textView()->selectedRange(), (WRange{79, 8}));  // "line 12\r"
    EXPECT_FALSE(window->isVisible());

    application->showGotoLineWindow();
    QTest::keyClicks(field, "3");
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(document->textView()->selectedRange(), (WRange{79, 8}));
    application->showGotoLineWindow();
    EXPECT_TRUE(field->text().isEmpty());
}

TEST_F(DocumentMenuCommands, TheDefinitionsStripSaysWhenThereAreNone)
{
    MyDocument* document = activeDocument(documents().newDocument());
    WBottomView* strip = document->window()->findChild<WBottomView*>();
    ASSERT_NE(strip, nullptr);
    document->textView()->insertText(u"sub alpha {\r}\rsub beta\r");
    std::unique_ptr<QMenu> plain(strip->menuForEvent());
    ASSERT_EQ(plain->actions().size(), 1);
    EXPECT_EQ(plain->actions()[0]->text(), QStringLiteral("no definitions"));
    EXPECT_FALSE(plain->actions()[0]->isEnabled());

    // Every type that has definitions lists them, and an "&" in one is shown as it is.
    document->textTypeMenuSelected(WTextPerlScript);
    std::unique_ptr<QMenu> perl(strip->menuForEvent());
    ASSERT_EQ(perl->actions().size(), 2);
    EXPECT_EQ(perl->actions()[1]->text(), QStringLiteral("beta"));
    perl->actions()[1]->trigger();
    EXPECT_EQ(document->textView()->selectedRange(), (WRange{14, 9}));

    document->textView()->selectAll();
    document->textView()->insertText(u"@Q&A\r");
    document->textTypeMenuSelected(WTextWexelMarkup);
    std::unique_ptr<QMenu> markup(strip->menuForEvent());
    ASSERT_EQ(markup->actions().size(), 1);
    EXPECT_EQ(markup->actions()[0]->text(), QStringLiteral("@Q&&A"));
    for (WTextType type : {WTextCSS, WTextRubyScript, WTextIndex, WTextHTML}) {
        document->textTypeMenuSelected(type);
        std::unique_ptr<QMenu> other(strip->menuForEvent());
        ASSERT_EQ(other->actions().size(), 1) << type;
        EXPECT_EQ(other->actions()[0]->text(), QStringLiteral("no definitions")) << type;
    }
}

#include "DocumentMenuCommandsTest.moc"
