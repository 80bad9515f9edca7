// Opening and saving real files through real document windows.
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include "GuiTestSupport.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "canvas/WTextCanvas.h"

namespace {
// "日本語" in each encoding.
const QByteArray kNihongoSJIS("\x93\xfa\x96\x7b\x8c\xea");
const QByteArray kNihongoEUC("\xc6\xfc\xcb\xdc\xb8\xec");
const QByteArray kNihongoUTF8("\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e");

QString textOf(MyDocument* document)
{
    const std::u16string& text = document->textView()->string();
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

void typeAtEnd(MyDocument* document, const QString& keys)
{
    document->textView()->moveCaret(WCaretMove::TextEnd, false);
    QTest::keyClicks(document->textView(), keys);
}

void choose(QComboBox* popup, int position)
{
    popup->setCurrentIndex(position);
    emit popup->activated(position);
}
}  // namespace

using DocumentFileTest = GuiTest;

TEST_F(DocumentFileTest, ShiftJISWithCRLFOpensEditsAndSavesByteForByte)
{
    const QString file = writeFile("page.html", "<p>abc</p>\r\n" + kNihongoSJIS + "\r\n");
    MyDocument* document = documents().openDocument(file);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->window()->characterCodePopupButton()->currentIndex(), 0);
    EXPECT_EQ(document->window()->returnCodePopupButton()->currentIndex(), 2);
    EXPECT_EQ(document->textType(), WTextHTML);
    EXPECT_EQ(document->window()->textTypePopupButton()->currentText(), "X/HTML");
    EXPECT_EQ(textOf(document), QString::fromUtf8("<p>abc</p>\r日本語\r"));
    EXPECT_EQ(document->window()->lineNumberView()->text(), "1");
    EXPECT_FALSE(document->isDocumentEdited());

    typeAtEnd(document, QString::fromUtf8("xyz"));
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_TRUE(document->window()->isWindowModified());
    EXPECT_EQ(document->window()->lineNumberView()->text(), "3");

    ASSERT_TRUE(documents().saveDocument(document));
    EXPECT_EQ(readFile(file), "<p>abc</p>\r\n" + kNihongoSJIS + "\r\nxyz");
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_FALSE(document->window()->isWindowModified());

    // Undoing back to what was saved is unedited again; one step further is edited.
    QTest::keyClicks(document->textView(), "!");
    EXPECT_TRUE(document->isDocumentEdited());
    document->textView()->undo();
    EXPECT_FALSE(document->isDocumentEdited());
    document->textView()->undo();
    EXPECT_TRUE(document->isDocumentEdited());
}

TEST_F(DocumentFileTest, ShippedSampleShowsShiftJISAndCRLFAndSavesUnchanged)
{
    QFile sample(QStringLiteral(WEXEL_TEST_DATA "/../../resources/samples/sample-sjis-crlf.html"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QByteArray original = sample.readAll();
    const QString copy = writeFile("sample.html", original);
    MyDocument* document = documents().openDocument(copy);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->window()->characterCodePopupButton()->currentIndex(), 0);
    EXPECT_EQ(document->window()->returnCodePopupButton()->currentIndex(), 2);
    EXPECT_TRUE(textOf(document).contains(QString::fromUtf8("日本語のウェブページ")));
    EXPECT_TRUE(textOf(document).contains(QString::fromUtf8("ｱｲｳ")));
    ASSERT_TRUE(documents().saveDocument(document));
    EXPECT_EQ(readFile(copy), original);
}

TEST_F(DocumentFileTest, ChosenCodesApplyAtTheNextSaveWithoutTouchingTheText)
{
    const QString file = writeFile("notes.txt", kNihongoUTF8 + "\nabc\n");
    MyDocument* document = documents().openDocument(file);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->window()->characterCodePopupButton()->currentIndex(), 3);
    EXPECT_EQ(document->window()->returnCodePopupButton()->currentIndex(), 0);
    const QString before = textOf(document);

    choose(document->window()->characterCodePopupButton(), 2);  // EUC
    EXPECT_EQ(textOf(document), before);
    EXPECT_FALSE(document->isDocumentEdited());
    ASSERT_TRUE(documents().saveDocument(document));
    EXPECT_EQ(readFile(file), kNihongoEUC + "\nabc\n");

    choose(document->window()->returnCodePopupButton(), 2);  // CR LF
    choose(document->window()->characterCodePopupButton(), 4);  // UTF-16
    ASSERT_TRUE(documents().saveDocument(document));
    EXPECT_EQ(readFile(file), QByteArray("\xfe\xff\x65\xe5\x67\x2c\x8a\x9e\x00\r\x00\n\x00" "a\x00" "b\x00" "c\x00\r\x00\n", 22));

    // What was saved as UTF-16 opens as UTF-16 again.
    documents().closeDocument(document);
    MyDocument* reopened = documents().openDocument(file);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->window()->characterCodePopupButton()->currentIndex(), 4);
    EXPECT_EQ(textOf(reopened), QString::fromUtf8("日本語\rabc\r"));
}

TEST_F(DocumentFileTest, EmptyFileAndFileWithoutBreaks)
{
    const QString empty = writeFile("empty.txt", "");
    MyDocument* document = documents().openDocument(empty);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->documentEncoding(), uint32_t(WShiftJISEncoding));
    EXPECT_EQ(document->returnCodeType(), WCR_type);
    EXPECT_EQ(document->window()->returnCodePopupButton()->currentIndex(), 1);
    ASSERT_TRUE(documents().saveDocument(document));
    EXPECT_EQ(readFile(empty), "");

    // Typed lines in a file that had no break are written with CR.
    const QString single = writeFile("single.txt", "one");
    document = documents().openDocument(single);
    ASSERT_NE(document, nullptr);
    typeAtEnd(document, "\rtwo");
    ASSERT_TRUE(documents().saveDocument(document));
    EXPECT_EQ(readFile(single), "one\rtwo");
}

TEST_F(DocumentFileTest, RevertBringsBackTheFilesText)
{
    const QString file = writeFile("page.html", "<p>" + kNihongoSJIS + "</p>\r\n");
    MyDocument* document = documents().openDocument(file);
    ASSERT_NE(document, nullptr);
    typeAtEnd(document, "changed");
    choose(document->window()->characterCodePopupButton(), 3);
    presenter->answers = {0};  // Revert
    ASSERT_TRUE(documents().revertDocument(document));
    EXPECT_EQ(textOf(document), QString::fromUtf8("<p>日本語</p>\r"));
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_EQ(document->window()->characterCodePopupButton()->currentIndex(), 0);
    EXPECT_EQ(document->textView()->selectedRange(), (WRange{0, 0}));

    // A file that no longer decodes leaves the document as it was.
    typeAtEnd(document, "kept");
    writeFile("page.html", QByteArray("\x81", 1));
    presenter->answers = {0};
    EXPECT_FALSE(documents().revertDocument(document));
    EXPECT_EQ(textOf(document), QString::fromUtf8("<p>日本語</p>\rkept"));
    EXPECT_EQ(presenter->errors.size(), 1u);
}

TEST_F(DocumentFileTest, UnencodableCharacterFailsTheSaveAndIsSelected)
{
    const QString file = writeFile("notes.txt", "abc\r\n" + kNihongoSJIS + "\r\n");
    MyDocument* document = documents().openDocument(file);
    ASSERT_NE(document, nullptr);
    typeAtEnd(document, "x");
    // é has no Shift JIS code; it arrives as a key with text of its own, as from a keyboard layout.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QString::fromUtf8("é"));
    QApplication::sendEvent(document->textView(), &press);
    const QByteArray before = readFile(file);

    EXPECT_FALSE(documents().saveDocument(document));
    ASSERT_EQ(presenter->errors.size(), 1u);
    const QString told = presenter->errors[0].details;
    EXPECT_TRUE(told.contains(QString::fromUtf8("“é”"))) << told.toStdString();
    EXPECT_TRUE(told.contains("line 3, column 2")) << told.toStdString();
    EXPECT_EQ(document->textView()->selectedRange(), (WRange{9, 1}));
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_EQ(readFile(file), before);

    // A character outside the BMP is selected whole.
    document->textView()->setSelectedRange({9, 1});
    document->textView()->insertText(u"\U0001F600");
    presenter->answers.push_back(1);  // EUC all the same, when warned that it cannot hold the text
    choose(document->window()->characterCodePopupButton(), 2);
    ASSERT_EQ(presenter->questions.size(), 1u);
    EXPECT_TRUE(presenter->questions[0].startsWith(
        QString::fromUtf8("1 character of the text cannot be saved in EUC-JP, the first “U+1F600 😀” on line 3, column 2.")))
        << presenter->questions[0].toStdString();
    EXPECT_FALSE(documents().saveDocument(document));
    EXPECT_EQ(document->textView()->selectedRange(), (WRange{9, 2}));
    EXPECT_EQ(readFile(file), before);

    choose(document->window()->characterCodePopupButton(), 3);  // UTF-8 holds it
    EXPECT_TRUE(documents().saveDocument(document));
    EXPECT_EQ(readFile(file), "abc\r\n" + kNihongoUTF8 + "\r\nx\xf0\x9f\x98\x80");
}

TEST_F(DocumentFileTest, SaveIntoReadOnlyFolderFailsAndLosesNothing)
{
    ASSERT_TRUE(QDir(folder.path()).mkdir("locked"));
    const QString file = writeFile("locked/page.txt", "old\n");
    MyDocument* document = documents().openDocument(file);
    ASSERT_NE(document, nullptr);
    typeAtEnd(document, "new");
    ASSERT_EQ(::chmod(QFile::encodeName(path("locked")).constData(), 0555), 0);

    // Root writes anywhere; check as an ordinary user would be checked.
    const bool wasRoot = ::geteuid() == 0;
    if (wasRoot) {
        ASSERT_EQ(::seteuid(65534), 0);
    }
    const bool saved = documents().saveDocument(document);
    presenter->pathToSave = path("locked/other.txt");
    const bool savedAs = documents().saveDocumentAs(document);
    if (wasRoot) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    ::chmod(QFile::encodeName(path("locked")).constData(), 0755);

    EXPECT_FALSE(saved);
    EXPECT_FALSE(savedAs);
    ASSERT_EQ(presenter->errors.size(), 2u);
    EXPECT_TRUE(presenter->errors[0].message.contains("page.txt"));
    EXPECT_FALSE(presenter->errors[0].details.isEmpty());
    EXPECT_EQ(readFile(file), "old\n");
    EXPECT_FALSE(QFile::exists(path("locked/other.txt")));
    EXPECT_EQ(QDir(path("locked")).entryList(QDir::Files | QDir::Hidden), QStringList{"page.txt"});
    EXPECT_EQ(textOf(document), "old\rnew");
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_EQ(document->fileName(), QFileInfo(file).absoluteFilePath());
}

TEST_F(DocumentFileTest, FilesThatCannotBeOpenedMakeNoDocument)
{
    // Missing; over 2 GiB. (Bytes that are text in no encoding open read-only.)
    EXPECT_EQ(documents().openDocument(path("missing.txt")), nullptr);
    const QString huge = writeFile("huge.txt", "");
    ASSERT_EQ(::truncate(QFile::encodeName(huge).constData(), (off_t(2) << 30) + 1), 0);
    EXPECT_EQ(documents().openDocument(huge), nullptr);

    EXPECT_TRUE(documents().documents().empty());
    ASSERT_EQ(presenter->errors.size(), 2u);
    EXPECT_TRUE(presenter->errors[0].message.contains("missing.txt"));
    EXPECT_TRUE(presenter->errors[1].message.contains("huge.txt"));
    EXPECT_TRUE(presenter->errors[1].details.contains("2 G")) << presenter->errors[1].details.toStdString();
}
