// Saves that fail in the window: the document stays edited, the file stays as
// it was, and the user is told the cause.
#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "GuiTestSupport.h"
#include "WAtomicFileFaults.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "canvas/WTextCanvas.h"
#include "platform/WAtomicFile.h"

namespace {

class DocumentSaveFaultTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        WAtomicFile::setRecoveryFolder(QFile::encodeName(recovery.path()).toStdString());
    }
    void TearDown() override
    {
        WAtomicFile::setRecoveryFolder({});
        GuiTest::TearDown();
    }

    MyDocument* openEdited(const QString& name)
    {
        MyDocument* document = documents().openDocument(writeFile(name, "old text\n"));
        if (document) {
            document->textView()->moveCaret(WCaretMove::TextEnd, false);
            QTest::keyClicks(document->textView(), "typed");
        }
        return document;
    }

    // The folder's files, without the recent lists that the editor keeps beside its preferences.
    QStringList entries() const
    {
        QStringList names =
            QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        names.removeAll(QStringLiteral("RecentDocuments"));
        names.removeAll(QStringLiteral("recently-used.xbel"));
        return names;
    }

    QTemporaryDir recovery;

    QString lastDetails() const { return presenter->errors.empty() ? QString() : presenter->errors.back().details; }
};

TEST_F(DocumentSaveFaultTest, AFailingStepKeepsTheFileAndTheEditsAndSaysWhy)
{
    struct Case {
        const char* call;
        bool hardLinked;
        const char* words;
    };
    const Case cases[] = {
        {"open", false, "not enough space"},    {"write", false, "not enough space"},
        {"fsync", false, "input/output error"}, {"fchown", false, "permission"},
        {"fsetxattr", false, "not enough space"}, {"rename", false, "permission"},
        {"syncFolder", false, "input/output error"}, {"pwrite", true, "not enough space"},
        {"ftruncate", true, "input/output error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.call) + (c.hardLinked ? " in place" : ""));
        MyDocument* document = openEdited("page.txt");
        ASSERT_NE(document, nullptr);
        const QString file = document->fileName();
        if (c.hardLinked) {
            ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(path("link.txt")).constData()), 0);
        }
        // An attribute to copy, so that copying it can fail.
        ::setxattr(QFile::encodeName(file).constData(), "user.note", "x", 1, 0);
        const QStringList before = entries();

        WFaultyCalls faulty;
        faulty.failFirst = c.call;
        bool saved = true;
        {
            WCallsInstalled installed(faulty);
            saved = documents().saveDocument(document);
        }
        EXPECT_FALSE(saved);
        EXPECT_TRUE(lastDetails().contains(c.words)) << lastDetails().toStdString();
        EXPECT_TRUE(document->isDocumentEdited());
        EXPECT_EQ(readFile("page.txt"), "old text\n");
        EXPECT_EQ(entries(), before);  // no temporary beside it
        EXPECT_TRUE(QDir(recovery.path()).isEmpty());

        // Once the disk behaves, the same document saves.
        EXPECT_TRUE(documents().saveDocument(document));
        EXPECT_EQ(readFile("page.txt"), "old text\ntyped");
        if (c.hardLinked) {
            EXPECT_EQ(readFile("link.txt"), "old text\ntyped");
            QFile::remove(path("link.txt"));
        }
        ASSERT_TRUE(documents().closeDocument(document));
    }
}

TEST_F(DocumentSaveFaultTest, MessagesNameTheRealCause)
{
    // Reverting a file that was deleted meanwhile.
    MyDocument* document = openEdited("gone.txt");
    ASSERT_NE(document, nullptr);
    QFile::remove(path("gone.txt"));
    presenter->answers = {0};  // Revert
    EXPECT_FALSE(documents().revertDocument(document));
    EXPECT_TRUE(lastDetails().contains("does not exist")) << lastDetails().toStdString();
    EXPECT_TRUE(document->isDocumentEdited());

    // Reverting to bytes that no longer decode says so.
    writeFile("gone.txt", QByteArray("abc\x81", 4));
    presenter->answers = {0};
    EXPECT_FALSE(documents().revertDocument(document));
    EXPECT_TRUE(lastDetails().contains("not valid Shift JIS")) << lastDetails().toStdString();

    // Save As into a folder that makes no files, under a file, into a missing folder.
    presenter->pathToSave = QStringLiteral("/proc/sys/page.txt");
    EXPECT_FALSE(documents().saveDocumentAs(document));
    EXPECT_EQ(lastDetails(), QString::fromUtf8("The folder “/proc/sys” does not allow new files to be made in it."));
    writeFile("plain.txt", "x");
    presenter->pathToSave = path("plain.txt/page.txt");
    EXPECT_FALSE(documents().saveDocumentAs(document));
    EXPECT_TRUE(lastDetails().contains("is a file, not a folder")) << lastDetails().toStdString();
    presenter->pathToSave = path("missing/page.txt");
    EXPECT_FALSE(documents().saveDocumentAs(document));
    EXPECT_TRUE(lastDetails().contains(QString::fromUtf8("“%1” does not exist").arg(path("missing"))))
        << lastDetails().toStdString();
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_EQ(document->fileName(), path("gone.txt"));

    // Opening a folder, a file we may not read, a file under a file.
    ASSERT_TRUE(QDir(folder.path()).mkdir("sub"));
    EXPECT_EQ(documents().openDocument(path("sub")), nullptr);
    EXPECT_TRUE(lastDetails().contains("is a folder")) << lastDetails().toStdString();
    EXPECT_EQ(documents().openDocument(path("plain.txt/x")), nullptr);
    EXPECT_TRUE(lastDetails().contains("is a file, not a folder")) << lastDetails().toStdString();
    const QString secret = writeFile("secret.txt", "x");
    ::chmod(QFile::encodeName(secret).constData(), 0600);
    const bool wasRoot = ::geteuid() == 0;
    if (wasRoot) {
        ASSERT_EQ(::seteuid(65534), 0);
    }
    MyDocument* refused = documents().openDocument(secret);
    if (wasRoot) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    EXPECT_EQ(refused, nullptr);
    EXPECT_TRUE(lastDetails().contains("permission to read")) << lastDetails().toStdString();
}

TEST_F(DocumentSaveFaultTest, HardLinksAndLinksSurviveASave)
{
    MyDocument* document = openEdited("page.txt");
    ASSERT_NE(document, nullptr);
    ASSERT_EQ(::link(QFile::encodeName(path("page.txt")).constData(), QFile::encodeName(path("hard.txt")).constData()),
              0);
    ASSERT_TRUE(QFile::link(path("page.txt"), path("soft.txt")));
    EXPECT_TRUE(documents().saveDocument(document));
    EXPECT_EQ(readFile("hard.txt"), "old text\ntyped");
    EXPECT_TRUE(QFileInfo(path("soft.txt")).isSymLink());
    EXPECT_EQ(readFile("soft.txt"), "old text\ntyped");
    EXPECT_FALSE(document->isDocumentEdited());

    // A document opened through the symbolic link saves through it too.
    ASSERT_TRUE(documents().closeDocument(document));
    MyDocument* viaLink = documents().openDocument(path("soft.txt"));
    ASSERT_NE(viaLink, nullptr);
    viaLink->textView()->moveCaret(WCaretMove::TextStart, false);
    QTest::keyClicks(viaLink->textView(), "more ");
    EXPECT_TRUE(documents().saveDocument(viaLink));
    EXPECT_TRUE(QFileInfo(path("soft.txt")).isSymLink());
    EXPECT_EQ(readFile("hard.txt"), "more old text\ntyped");
    EXPECT_EQ(entries(), (QStringList{"Wexel.plist", "hard.txt", "page.txt", "soft.txt"}));
}

}  // namespace
