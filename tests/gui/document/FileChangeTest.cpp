// Another program changing or deleting an open document's file: a bar above
// the text says so, Reload and Keep My Text answer it, and Save asks before it
// replaces a newer file.
#include <QFile>
#include <QFileSystemWatcher>
#include <QPushButton>
#include <QTest>

#include <unistd.h>

#include "GuiTestSupport.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "document/WMessageBar.h"
#include "canvas/WTextCanvas.h"
#include "platform/WAtomicFile.h"

namespace {

QString textOf(MyDocument* document)
{
    const std::u16string& text = document->textView()->string();
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

bool barShown(MyDocument* document)
{
    return document->fileChangedBar() && document->fileChangedBar()->isVisible();
}

// The watcher reports from the event loop; give it a few seconds at most.
bool waitForBar(MyDocument* document)
{
    return QTest::qWaitFor([document] { return barShown(document); }, 5000);
}

class FileChangeTest : public GuiTest {
protected:
    MyDocument* open(const QByteArray& bytes)
    {
        file = writeFile("page.txt", bytes);
        return documents().openDocument(file);
    }

    // The way most programs save: a new file renamed over the old one.
    void replaceFromOutside(const QByteArray& bytes)
    {
        const QString fresh = writeFile(".page.txt.new", bytes);
        ASSERT_EQ(::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(file).constData()), 0);
    }

    static void click(MyDocument* document, const QString& title)
    {
        QPushButton* button = document->fileChangedBar()->button(title);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isVisible()) << title.toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
    }

    QString file;
};

const QString kChanged = QStringLiteral("“page.txt” was changed by another program.");
const QString kDeleted = QStringLiteral("“page.txt” was deleted or moved by another program.");
const QString kReplaceQuestion =
    QStringLiteral("“page.txt” was changed by another program since you opened it. Replace it with your text?");

TEST_F(FileChangeTest, ReloadBringsInTheOtherProgramsBytesAndTheNextChangeIsSeenToo)
{
    MyDocument* document = open("first\n");
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->fileChangedBar(), nullptr);

    replaceFromOutside("second version\n");
    ASSERT_TRUE(waitForBar(document));
    EXPECT_EQ(document->fileChangedBar()->message(), kChanged);
    EXPECT_TRUE(document->fileChangedOnDisk());

    // An unedited text reloads without a question, as Revert does.
    click(document, "Reload");
    EXPECT_TRUE(presenter->questions.empty());
    EXPECT_EQ(textOf(document), "second version\r");
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_FALSE(barShown(document));
    EXPECT_FALSE(document->fileChangedOnDisk());

    // The rename gave the name a new file; it is the one watched now. An edited
    // text asks first, and Cancel keeps it and the bar.
    QTest::keyClicks(document->textView(), "mine ");
    replaceFromOutside("third\n");
    ASSERT_TRUE(waitForBar(document));
    presenter->answers = {1};
    click(document, "Reload");
    ASSERT_EQ(presenter->questions.size(), 1u);
    EXPECT_EQ(presenter->questions[0], "Revert “page.txt” to the saved file? Your changes will be lost.");
    EXPECT_EQ(textOf(document), "mine second version\r");
    EXPECT_TRUE(barShown(document));
    presenter->answers = {0};
    click(document, "Reload");
    EXPECT_EQ(textOf(document), "third\r");
    EXPECT_FALSE(barShown(document));
}

TEST_F(FileChangeTest, KeepMyTextKeepsItUntilTheFileChangesAgain)
{
    MyDocument* document = open("first\n");
    ASSERT_NE(document, nullptr);
    QTest::keyClicks(document->textView(), "mine ");

    writeFile("page.txt", "written in place\n");  // same inode, new size
    ASSERT_TRUE(waitForBar(document));
    click(document, "Keep My Text");
    EXPECT_FALSE(barShown(document));
    EXPECT_EQ(textOf(document), "mine first\r");
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_EQ(readFile(file), "written in place\n");

    // Coming to the front again over the same file says nothing more, but
    // another change does.
    document->checkFileOnDisk();
    EXPECT_FALSE(barShown(document));
    replaceFromOutside("again\n");
    ASSERT_TRUE(waitForBar(document));
    EXPECT_EQ(document->fileChangedBar()->message(), kChanged);
    EXPECT_EQ(textOf(document), "mine first\r");
}

// The text is no longer what the file holds.
TEST_F(FileChangeTest, KeepMyTextMakesAnUneditedTextEdited)
{
    MyDocument* document = open("first\n");
    ASSERT_NE(document, nullptr);
    replaceFromOutside("other\n");
    ASSERT_TRUE(waitForBar(document));
    click(document, "Keep My Text");
    EXPECT_EQ(textOf(document), "first\r");
    // Closing asks now, rather than dropping the only copy of this text.
    presenter->answers = {2};  // Cancel
    EXPECT_FALSE(documents().closeDocument(document));
    ASSERT_EQ(presenter->questions.size(), 1u);
    EXPECT_EQ(presenter->questions[0], "Do you want to save the changes you made to “page.txt”?");
}

TEST_F(FileChangeTest, TheWindowComingToTheFrontNoticesAChangeTheWatcherMissed)
{
    MyDocument* document = open("first\n");
    ASSERT_NE(document, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(document->window()));
    MyDocument* second = documents().newDocument();
    second->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(second->window()));
    auto* watcher = document->findChild<QFileSystemWatcher*>();
    ASSERT_NE(watcher, nullptr);
    watcher->blockSignals(true);
    replaceFromOutside("other\n");
    QCoreApplication::processEvents();
    EXPECT_FALSE(barShown(document));

    document->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(document->window()));
    EXPECT_TRUE(barShown(document));
    EXPECT_EQ(document->fileChangedBar()->message(), kChanged);
    watcher->blockSignals(false);
}

TEST_F(FileChangeTest, SaveAsksBeforeReplacingANewerFile)
{
    MyDocument* document = open("first\n");
    ASSERT_NE(document, nullptr);
    QTest::keyClicks(document->textView(), "mine ");
    writeFile("page.txt", "theirs, newer\n");
    ASSERT_TRUE(waitForBar(document));

    // Cancel writes nothing: their bytes stay, our text stays edited.
    presenter->answers = {1};
    EXPECT_FALSE(documents().saveDocument(document));
    ASSERT_EQ(presenter->questions.size(), 1u);
    EXPECT_EQ(presenter->questions[0], kReplaceQuestion);
    EXPECT_EQ(readFile(file), "theirs, newer\n");
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_TRUE(presenter->errors.empty());

    presenter->answers = {0};  // Replace
    ASSERT_TRUE(documents().saveDocument(document));
    EXPECT_EQ(readFile(file), "mine first\n");
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_FALSE(barShown(document));

    // From then on the file is ours again: the next save asks nothing.
    QTest::keyClicks(document->textView(), "more ");
    ASSERT_TRUE(documents().saveDocument(document));
    EXPECT_EQ(presenter->questions.size(), 2u);
    EXPECT_EQ(readFile(file), "mine more first\n");
}

TEST_F(FileChangeTest, TheWindowClosingWhileSaveAsksWritesNothing)
{
    MyDocument* document = open("first\n");
    ASSERT_NE(document, nullptr);
    QTest::keyClicks(document->textView(), "mine ");
    replaceFromOutside("theirs\n");
    // While the question is up the window is closed, its changes dropped; the
    // Replace that follows has no document left to save.
    presenter->whileAsking = [this, document] { documents().closeDocument(document); };
    presenter->answers = {1, 0};  // Don't Save (closing), Replace
    EXPECT_FALSE(documents().saveDocument(document));
    EXPECT_TRUE(documents().documents().empty());
    EXPECT_EQ(presenter->questions.size(), 2u);
    EXPECT_EQ(readFile(file), "theirs\n");
}

TEST_F(FileChangeTest, SavingOverADeletedFileJustSaves)
{
    MyDocument* document = open("first\n");
    ASSERT_NE(document, nullptr);
    QTest::keyClicks(document->textView(), "mine ");
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(waitForBar(document));
    EXPECT_EQ(document->fileChangedBar()->message(), kDeleted);
    // Nothing to reload from.
    EXPECT_FALSE(document->fileChangedBar()->button("Reload")->isVisible());
    EXPECT_TRUE(document->fileChangedBar()->button("Keep My Text")->isVisible());
    EXPECT_FALSE(document->fileChangedOnDisk());

    ASSERT_TRUE(documents().saveDocument(document));
    EXPECT_TRUE(presenter->questions.empty());
    EXPECT_EQ(readFile(file), "mine first\n");
    EXPECT_FALSE(barShown(document));

    // The saved file is watched: a change to it is seen again, with Reload back.
    writeFile("page.txt", "theirs\n");
    ASSERT_TRUE(waitForBar(document));
    EXPECT_EQ(document->fileChangedBar()->message(), kChanged);
    EXPECT_TRUE(document->fileChangedBar()->button("Reload")->isVisible());
}

TEST_F(FileChangeTest, OwnSavesNeverRaiseTheBar)
{
    QTemporaryDir recovery;
    ASSERT_TRUE(recovery.isValid());
    WAtomicFile::setRecoveryFolder(QFile::encodeName(recovery.path()).toStdString());
    struct Restore {
        ~Restore() { WAtomicFile::setRecoveryFolder({}); }
    } restore;
    MyDocument* document = open("first\n");
    ASSERT_NE(document, nullptr);

    // Renamed over the file, then written in place (a second hard link keeps the inode).
    QTest::keyClicks(document->textView(), "a ");
    ASSERT_TRUE(documents().saveDocument(document));
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(path("link.txt")).constData()), 0);
    QTest::keyClicks(document->textView(), "b ");
    ASSERT_TRUE(documents().saveDocument(document));
    EXPECT_EQ(readFile(path("link.txt")), "a b first\n");
    // Whatever the watcher reports of them, and coming to the front, say nothing.
    QTest::qWait(300);
    document->checkFileOnDisk();
    EXPECT_FALSE(barShown(document));
    EXPECT_TRUE(presenter->questions.empty());

    // Save As moves the watch to the new name.
    presenter->pathToSave = path("copy.txt");
    ASSERT_TRUE(documents().saveDocumentAs(document));
    QTest::qWait(300);
    EXPECT_FALSE(barShown(document));
    writeFile("page.txt", "the old name changed\n");
    document->checkFileOnDisk();
    EXPECT_FALSE(barShown(document));
    writeFile("copy.txt", "the new name changed\n");
    ASSERT_TRUE(waitForBar(document));
    EXPECT_EQ(document->fileChangedBar()->message(), "“copy.txt” was changed by another program.");
}

}  // namespace
