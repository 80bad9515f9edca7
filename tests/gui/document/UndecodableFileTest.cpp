// A file whose bytes are text in no encoding, in a real window: it opens
// read-only under a bar that says where the first bad byte is, is never
// written over, and Save As makes an ordinary document of the copy.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTest>

#include <unistd.h>

#include "GuiTestSupport.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "document/WIncompatibleCharactersPanel.h"
#include "document/WMessageBar.h"
#include "canvas/WTextCanvas.h"

namespace {

// "first line", then 日本語 in Shift JIS, a byte no encoding reads there (FD), "end".
const QByteArray kDamaged("first line\r\n\x93\xfa\x96\x7b\x8c\xea\xfd" "end\r\n");
const std::u16string kShown = u"first line\r日本語\uFFFDend\r";
constexpr WRange kBadByte{14, 1};

class UndecodableFileTest : public GuiTest {
protected:
    MyDocument* openDamaged()
    {
        file = writeFile("page.txt", kDamaged);
        return documents().openDocument(file);
    }

    static void choose(QComboBox* popup, int position)
    {
        popup->setCurrentIndex(position);
        emit popup->activated(position);
    }

    QString file;
};

TEST_F(UndecodableFileTest, OneBadByteOpensReadOnlyUnderABarThatSaysWhereItIs)
{
    MyDocument* document = openDamaged();
    ASSERT_NE(document, nullptr);
    EXPECT_TRUE(presenter->errors.empty());
    EXPECT_EQ(document->textView()->string(), kShown);
    EXPECT_EQ(document->returnCodeType(), WCRLF_type);
    ASSERT_TRUE(document->undecodableBytes());
    EXPECT_EQ(document->undecodableBytes()->line, 2u);
    EXPECT_EQ(document->undecodableBytes()->column, 4u);

    WMessageBar* bar = document->undecodableBytesBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    const QString message = bar->message();
    EXPECT_TRUE(message.contains("not valid text in any of the five encodings")) << message.toStdString();
    EXPECT_TRUE(message.contains("read-only")) << message.toStdString();
    EXPECT_TRUE(message.contains("line 2, column 4")) << message.toStdString();
    EXPECT_TRUE(document->window()->windowTitle().contains("read-only"));

    // Bad bytes are saved as stand-ins every encoding holds: neither the list of
    // incompatible characters nor the encoding pop-up calls them lost.
    document->incompatibleCharactersPanel()->refreshNow();
    EXPECT_TRUE(document->incompatibleCharactersPanel()->problems().empty());
    choose(document->window()->characterCodePopupButton(), 2);  // EUC, without a question
    EXPECT_EQ(document->documentEncoding(), WEUCEncoding);
    document->incompatibleCharactersPanel()->refreshNow();
    EXPECT_TRUE(document->incompatibleCharactersPanel()->problems().empty());
    EXPECT_TRUE(presenter->questions.empty());

    // The reader starts at the bad byte, and the bar's button goes back to it.
    EXPECT_EQ(document->textView()->selectedRange(), kBadByte);
    document->textView()->setSelectedRange({0, 0});
    QTest::mouseClick(bar->button("Show First Bad Byte"), Qt::LeftButton);
    EXPECT_EQ(document->textView()->selectedRange(), kBadByte);
}

TEST_F(UndecodableFileTest, NoTypingCommandPasteOrScriptChangesTheText)
{
    MyDocument* document = openDamaged();
    ASSERT_NE(document, nullptr);
    WTextCanvas* view = document->textView();
    view->setFocus();
    QTest::keyClicks(view, "typed");
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Delete})
        QTest::keyClick(view, key);
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    for (const char* action : {"paste:", "cut:", "deleteBackward:", "insertNewline:", "uppercaseWord:", "delete:"})
        view->performStandardAction(action);
    view->insertText(u"inserted");
    view->setString(u"replaced");
    document->setSelectedtext(QStringLiteral("scripted"));
    EXPECT_EQ(view->string(), kShown);
    EXPECT_FALSE(document->isDocumentEdited());

    // Reading still moves the caret and selects.
    view->performStandardAction("moveToBeginningOfDocument:");
    EXPECT_EQ(view->selectedRange(), (WRange{0, 0}));
    QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(view->selectedRange(), (WRange{0, 1}));
}

TEST_F(UndecodableFileTest, SaveRefusesAndTheFileKeepsItsBytes)
{
    MyDocument* document = openDamaged();
    ASSERT_NE(document, nullptr);
    EXPECT_FALSE(documents().saveDocument(document));
    ASSERT_EQ(presenter->errors.size(), 1u);
    EXPECT_TRUE(presenter->errors[0].details.contains("read-only")) << presenter->errors[0].details.toStdString();
    EXPECT_TRUE(presenter->errors[0].details.contains("Save As")) << presenter->errors[0].details.toStdString();

    // Save As onto the file itself, or onto another name of it, is refused the same way.
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(path("link.txt")).constData()), 0);
    for (const QString& target : {file, path("link.txt"), folder.path() + "/./page.txt"}) {
        presenter->answers = {0};
        presenter->pathToSave = target;
        EXPECT_FALSE(documents().saveDocumentAs(document));
    }
    EXPECT_EQ(presenter->errors.size(), 4u);

    // Declining the question writes nothing anywhere.
    presenter->answers = {1};
    presenter->pathToSave = path("other.txt");
    EXPECT_FALSE(documents().saveDocumentAs(document));
    EXPECT_FALSE(QFile::exists(path("other.txt")));

    EXPECT_EQ(readFile(file), kDamaged);
    EXPECT_TRUE(document->undecodableBytes());
    EXPECT_EQ(document->fileName(), file);
}

TEST_F(UndecodableFileTest, SaveAsAsksThenWritesTheChosenEncodingAndTheCopyIsEditable)
{
    MyDocument* document = openDamaged();
    ASSERT_NE(document, nullptr);
    choose(document->window()->characterCodePopupButton(), 3);  // UTF-8
    presenter->answers = {0};
    presenter->pathToSave = path("copy.txt");
    ASSERT_TRUE(documents().saveDocumentAs(document));
    ASSERT_EQ(presenter->questions.size(), 1u);
    EXPECT_TRUE(presenter->questions[0].contains("U+FFFD")) << presenter->questions[0].toStdString();
    EXPECT_EQ(readFile("copy.txt"), QByteArray("first line\r\n\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xef\xbf\xbd" "end\r\n"));
    EXPECT_EQ(readFile(file), kDamaged);

    // Now an ordinary document of the copy.
    EXPECT_EQ(document->fileName(), path("copy.txt"));
    EXPECT_FALSE(document->undecodableBytes());
    EXPECT_EQ(document->undecodableBytesBar(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(document->window()->findChild<WMessageBar*>("undecodableBytesBar"), nullptr);
    document->textView()->moveCaret(WCaretMove::TextEnd, false);
    QTest::keyClicks(document->textView(), "more");
    EXPECT_TRUE(document->isDocumentEdited());
    ASSERT_TRUE(documents().saveDocument(document));
    EXPECT_TRUE(readFile("copy.txt").endsWith("end\r\nmore"));
    EXPECT_EQ(readFile(file), kDamaged);
}

TEST_F(UndecodableFileTest, InShiftJISTheBadByteIsSavedAsTheGetaMark)
{
    MyDocument* document = openDamaged();
    ASSERT_NE(document, nullptr);
    presenter->answers = {0};
    presenter->pathToSave = path("copy.txt");
    ASSERT_TRUE(documents().saveDocumentAs(document));
    EXPECT_TRUE(presenter->questions[0].contains("U+3013")) << presenter->questions[0].toStdString();
    // 〓 is 81 AC in Shift JIS.
    EXPECT_EQ(readFile("copy.txt"), QByteArray("first line\r\n\x93\xfa\x96\x7b\x8c\xea\x81\xac" "end\r\n"));
    // The window shows what the file holds, so the next save writes it unchanged.
    EXPECT_EQ(document->textView()->string(), u"first line\r日本語〓end\r");
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_EQ(readFile(file), kDamaged);
}

TEST_F(UndecodableFileTest, ReloadingInAnEncodingThatReadsTheBytesMakesTheTextEditable)
{
    // 85 is no Shift JIS lead byte, but in EUC a control character before あ.
    file = writeFile("euc.txt", QByteArray("\x85\xa4\xa2"));
    MyDocument* document = documents().openDocument(file);
    ASSERT_NE(document, nullptr);
    ASSERT_TRUE(document->undecodableBytes());
    EXPECT_EQ(document->textView()->string(), u"\uFFFD\uFF64\uFF62");

    // In UTF-8 the bytes are still no text: it stays read-only and says so.
    platform.shiftDown = true;
    presenter->answers = {0};
    choose(document->window()->characterCodePopupButton(), 3);
    QTest::qWait(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(presenter->errors.size(), 1u);
    EXPECT_TRUE(document->undecodableBytes());

    presenter->answers = {0};
    choose(document->window()->characterCodePopupButton(), 2);  // EUC
    QTest::qWait(1);
    QCoreApplication::processEvents();
    platform.shiftDown = false;
    EXPECT_EQ(document->textView()->string(), u"\u0085あ");
    EXPECT_FALSE(document->undecodableBytes());
    EXPECT_EQ(document->undecodableBytesBar(), nullptr);
    document->textView()->moveCaret(WCaretMove::TextEnd, false);
    QTest::keyClicks(document->textView(), "x");
    ASSERT_TRUE(documents().saveDocument(document));
    EXPECT_EQ(readFile(file), QByteArray("\x85\xa4\xa2x"));
}

TEST_F(UndecodableFileTest, RevertReadsTheFileAgainTheWayItReads)
{
    MyDocument* document = openDamaged();
    ASSERT_NE(document, nullptr);
    // Still bad, elsewhere: the bar follows.
    writeFile("page.txt", "ok\n\n\xfd");
    ASSERT_TRUE(documents().revertDocument(document));
    EXPECT_EQ(document->textView()->string(), u"ok\r\r\uFFFD");
    EXPECT_TRUE(document->undecodableBytesBar()->message().contains("line 3, column 1"));
    EXPECT_EQ(document->textView()->selectedRange(), (WRange{4, 1}));
    // Mended: an ordinary document of its file again.
    writeFile("page.txt", "mended\n");
    ASSERT_TRUE(documents().revertDocument(document));
    EXPECT_FALSE(document->undecodableBytes());
    EXPECT_TRUE(document->textView()->isEditable());
    EXPECT_TRUE(presenter->errors.empty());
}

}  // namespace
