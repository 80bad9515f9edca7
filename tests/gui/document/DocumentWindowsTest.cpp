// What a user finds around the text: the window's title, the Window menu,
// File › Open Recent with the desktop's list, the Open dialog's folder, About.
#include <QAction>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include "GuiTestSupport.h"
#include "app/WRecentDocuments.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "canvas/WTextCanvas.h"
#include "menus/WHelpMenu.h"
#include "menus/WMenuTitles.h"

namespace {

class DocumentWindowsTest : public GuiTest {
protected:
    QMenu* windowMenu() { return application->mainMenuItem(QStringLiteral("Window"))->menu(); }
    QMenu* recentMenu() { return application->mainMenuItem(QStringLiteral("Open Recent"))->menu(); }

    // The Window menu's items as "title" or "title ✓", as a user reads them.
    QStringList windowItems()
    {
        emit windowMenu()->aboutToShow();
        QStringList items;
        for (QAction* action : windowMenu()->actions())
            items << action->iconText() + (action->isChecked() ? QStringLiteral(" ✓") : QString());
        return items;
    }
    QStringList recentItems()
    {
        QStringList items;
        for (QAction* action : recentMenu()->actions()) {
            if (!action->isSeparator())
                items << action->iconText();
        }
        return items;
    }
    QString folderShown() const { return WMenuTitles::folderForDisplay(path("x")); }
};

}  // namespace

TEST_F(DocumentWindowsTest, TitleShowsTheNameTheFolderAndTheModifiedMark)
{
    MyDocument* document = documents().openDocument(writeFile("page.html", "<p>\n"));
    ASSERT_NE(document, nullptr);
    WDocumentWindow* window = document->window();
    EXPECT_EQ(window->windowTitle(), "page.html[*] — " + folderShown());
    EXPECT_FALSE(window->isWindowModified());
    QTest::keyClicks(document->textView(), "x");
    EXPECT_TRUE(window->isWindowModified());
    ASSERT_TRUE(documents().saveDocument(document));
    EXPECT_FALSE(window->isWindowModified());
    // Undoing past the save is a change again.
    document->textView()->undo();
    EXPECT_TRUE(window->isWindowModified());

    // Saved elsewhere under another name, the title follows.
    QDir(folder.path()).mkdir(QStringLiteral("sub"));
    presenter->pathToSave = path("sub/other.html");
    ASSERT_TRUE(documents().saveDocumentAs(document));
    EXPECT_EQ(window->windowTitle(), "other.html[*] — " + folderShown() + "/sub");

    // The home folder is shown as ~.
    EXPECT_EQ(WMenuTitles::folderForDisplay(QDir::homePath() + "/site/a.html"), "~/site");
    EXPECT_EQ(WMenuTitles::folderForDisplay(QDir::homePath() + "/a.html"), "~");
    EXPECT_EQ(WMenuTitles::folderForDisplay(QDir::homePath() + "x/a.html"), QDir::homePath() + "x");
}

TEST_F(DocumentWindowsTest, CaretLineAndColumnFollowTheCaret)
{
    MyDocument* document = documents().openDocument(writeFile("a.txt", "ab\ncdef\n"));
    QLabel* shown = document->window()->caretPositionLabel();
    EXPECT_EQ(shown->text(), "Line 1, Column 1");
    document->textView()->setSelectedRange({5, 0});
    EXPECT_EQ(shown->text(), "Line 2, Column 3");
    // A selection made backwards: the caret is at its start.
    QTest::keyClick(document->textView(), Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(shown->text(), "Line 2, Column 2");
    QTest::keyClick(document->textView(), Qt::Key_End);
    EXPECT_EQ(shown->text(), "Line 2, Column 5");
}

TEST_F(DocumentWindowsTest, WindowMenuFollowsOpenedAndClosedWindows)
{
    EXPECT_EQ(windowItems(), (QStringList{"No Documents"}));
    MyDocument* first = documents().openDocument(writeFile("one.txt", "1\n"));
    MyDocument* second = documents().newDocument();
    EXPECT_EQ(windowItems(), (QStringList{"one.txt", "Untitled ✓"}));

    // Choosing an item brings its window to the front and checks it.
    windowMenu()->actions().at(0)->trigger();
    EXPECT_EQ(documents().currentDocument(), first);
    EXPECT_EQ(windowItems(), (QStringList{"one.txt ✓", "Untitled"}));
    windowMenu()->actions().at(1)->trigger();
    EXPECT_EQ(documents().currentDocument(), second);
    EXPECT_EQ(windowItems(), (QStringList{"one.txt", "Untitled ✓"}));

    // Two files of one name are told apart by their folders; "&" is shown as itself.
    QDir(folder.path()).mkdir(QStringLiteral("b&w"));
    MyDocument* third = documents().openDocument(writeFile("b&w/one.txt", "2\n"));
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(windowItems(), (QStringList{"one.txt — " + folderShown(), "Untitled",
                                          "one.txt — " + folderShown() + "/b&w ✓"}));
    EXPECT_EQ(windowMenu()->actions().at(2)->text(), "one.txt — " + folderShown() + "/b&&w");

    ASSERT_TRUE(documents().closeDocument(third));
    EXPECT_EQ(windowItems(), (QStringList{"one.txt", "Untitled ✓"}));
    ASSERT_TRUE(documents().closeDocument(second));
    ASSERT_TRUE(documents().closeDocument(first));
    EXPECT_EQ(windowItems(), (QStringList{"No Documents"}));
}

TEST_F(DocumentWindowsTest, AmpersandsInTitlesAreShownAsThemselves)
{
    MyDocument* document = documents().openDocument(writeFile("Q&A.txt", "?\n"));
    EXPECT_TRUE(document->window()->windowTitle().startsWith("Q&A.txt[*]"));
    EXPECT_EQ(windowMenu()->actions().at(0)->text(), "Q&&A.txt");
    EXPECT_EQ(recentMenu()->actions().at(0)->text(), "Q&&A.txt — " + folderShown());
    // The main menu's own titles with "&" in them.
    QAction* fonts = application->mainMenuItem(QStringLiteral("Font Family & Style"));
    ASSERT_NE(fonts, nullptr);
    EXPECT_EQ(fonts->text(), "Font Family && Style");
}

TEST_F(DocumentWindowsTest, OpenRecentListsOpenedAndSavedFilesAndSurvivesARestart)
{
    EXPECT_EQ(recentItems(), (QStringList{"Clear Menu"}));
    EXPECT_FALSE(recentMenu()->actions().last()->isEnabled());
    const QString a = writeFile("a.txt", "a\n");
    const QString b = writeFile("b.txt", "b\n");
    documents().openDocument(a);
    documents().openDocument(b);
    presenter->pathToSave = path("c.txt");
    ASSERT_TRUE(documents().saveDocumentAs(documents().newDocument()));
    documents().openDocument(a);  // already open: it comes first again
    const QString where = " — " + folderShown();
    EXPECT_EQ(recentItems(), (QStringList{"a.txt" + where, "c.txt" + where, "b.txt" + where, "Clear Menu"}));

    // Kept across a restart; a file gone since is dropped when chosen.
    makeApplication();
    EXPECT_EQ(recentItems().size(), 4);
    ASSERT_TRUE(QFile::remove(b));
    recentMenu()->actions().at(2)->trigger();
    ASSERT_EQ(presenter->errors.size(), 1u);
    EXPECT_EQ(recentItems(), (QStringList{"a.txt" + where, "c.txt" + where, "Clear Menu"}));
    recentMenu()->actions().at(1)->trigger();
    ASSERT_EQ(documents().documents().size(), 1u);
    EXPECT_EQ(documents().currentDocument()->fileName(), path("c.txt"));
    EXPECT_EQ(recentItems().first(), "c.txt" + where);

    recentMenu()->actions().last()->trigger();  // Clear Menu
    EXPECT_EQ(recentItems(), (QStringList{"Clear Menu"}));
    makeApplication();
    EXPECT_EQ(recentItems(), (QStringList{"Clear Menu"}));

    // No more than the maximum.
    for (int index = 0; index < WRecentDocuments::kMaximumCount + 2; ++index)
        documents().openDocument(writeFile(QStringLiteral("n%1.txt").arg(index), "n\n"));
    EXPECT_EQ(recentItems().size(), WRecentDocuments::kMaximumCount + 1);
    EXPECT_EQ(recentItems().first(), QStringLiteral("n%1.txt").arg(WRecentDocuments::kMaximumCount + 1) + where);
}

TEST_F(DocumentWindowsTest, TheDesktopsRecentListGetsTheFileAndKeepsItsOtherEntries)
{
    const QString list = path("recently-used.xbel");
    // Another program's entry, as desktops write them.
    QFile seed(list);
    ASSERT_TRUE(seed.open(QIODevice::WriteOnly));
    seed.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<xbel version=\"1.0\" xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\""
               " xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
               "<bookmark href=\"file:///tmp/other.png\" added=\"2020-01-01T00:00:00Z\""
               " modified=\"2020-01-01T00:00:00Z\" visited=\"2020-01-01T00:00:00Z\"><info>"
               "<metadata owner=\"http://freedesktop.org\"><mime:mime-type type=\"image/png\"/>"
               "<bookmark:applications><bookmark:application name=\"Viewer\" exec=\"'viewer %u'\""
               " modified=\"2020-01-01T00:00:00Z\" count=\"3\"/></bookmark:applications></metadata></info></bookmark>\n"
               "</xbel>\n");
    seed.close();

    const QString page = writeFile("ページ.html", "<p>\n");
    ASSERT_NE(documents().openDocument(page), nullptr);
    ASSERT_TRUE(documents().saveDocument(documents().currentDocument()));

    QFile file(list);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QDomDocument written;
    ASSERT_TRUE(written.setContent(&file));
    QStringList hrefs;
    QDomElement ours;
    for (QDomElement bookmark = written.documentElement().firstChildElement("bookmark"); !bookmark.isNull();
         bookmark = bookmark.nextSiblingElement("bookmark")) {
        hrefs << bookmark.attribute("href");
        if (QUrl(bookmark.attribute("href")).toLocalFile() == page)
            ours = bookmark;
    }
    ASSERT_EQ(hrefs.size(), 2);  // one entry, though opened and saved
    EXPECT_EQ(hrefs[0], "file:///tmp/other.png");
    ASSERT_FALSE(ours.isNull());
    EXPECT_TRUE(ours.attribute("href").contains("%E3%83%9A"));  // the URL is encoded
    const QDomElement metadata = ours.firstChildElement("info").firstChildElement("metadata");
    EXPECT_EQ(metadata.firstChildElement("mime:mime-type").attribute("type"), "text/html");
    const QDomElement application =
        metadata.firstChildElement("bookmark:applications").firstChildElement("bookmark:application");
    EXPECT_EQ(application.attribute("name"), "Wexel");
    EXPECT_EQ(application.attribute("count"), "2");

    // A list that is not one is left as it was.
    file.close();
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("not xml <");
    file.close();
    documents().openDocument(writeFile("b.txt", "b\n"));
    EXPECT_EQ(readFile(list), "not xml <");
}

TEST_F(DocumentWindowsTest, OpenDialogStartsInTheFrontDocumentsFolder)
{
    documents().newDocument();
    documents().openDocumentCommand();
    EXPECT_EQ(presenter->folderToOpen, QString());  // a new text has no folder: the dialog's own choice
    QDir(folder.path()).mkdir(QStringLiteral("site"));
    documents().openDocument(writeFile("site/index.html", "<p>\n"));
    presenter->pathsToOpen = {path("site/index.html")};
    documents().openDocumentCommand();
    EXPECT_EQ(presenter->folderToOpen, path("site"));
    EXPECT_EQ(documents().documents().size(), 2u);  // already open: brought to the front
}

TEST_F(DocumentWindowsTest, AboutGivesTheVersion)
{
    EXPECT_TRUE(WHelpMenu::aboutText().contains(QStringLiteral(WEXEL_VERSION)));
    EXPECT_NE(application->mainMenuItem(QStringLiteral("About Wexel")), nullptr);
}
