// The forced reload behind the Shift key, and the selection kept with a file.
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "GuiTestSupport.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "canvas/WTextCanvas.h"
#include "platform/WFileAttributes.h"
#include "prefs/WPrefsServer.h"

namespace {
QString textOf(MyDocument* document)
{
    const std::u16string& text = document->textView()->string();
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

void choose(QComboBox* popup, int position)
{
    popup->setCurrentIndex(position);
    emit popup->activated(position);
}

void settle()
{
    // The alert's answer arrives as a later call.
    for (int round = 0; round < 3; ++round)
        QCoreApplication::processEvents();
}
}  // namespace

using DocumentReloadTest = GuiTest;

TEST_F(DocumentReloadTest, ShiftChoiceReloadsInTheChosenCodeKeepingTheLineEndKind)
{
    // "日本" in UTF-8 reads, wrongly but validly, as four Shift JIS characters.
    const QString file = writeFile("a.txt", "\xe6\x97\xa5\xe6\x9c\xac\r\nz\r\n");
    MyDocument* document = documents().openDocument(file);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->window()->characterCodePopupButton()->currentIndex(), 3);
    QTest::keyClicks(document->textView(), "lost ");
    choose(document->window()->returnCodePopupButton(), 0);  // LF

    platform.shiftDown = true;
    presenter->answers = {0};  // OK
    choose(document->window()->characterCodePopupButton(), 0);
    ASSERT_EQ(presenter->questions.size(), 1u);
    EXPECT_EQ(presenter->questions[0],
              "Reload this document and force to convert into the selected character code.\nYour changes will be lost.");
    EXPECT_EQ(textOf(document).left(5), "lost ");  // not yet: the sheet is still up
    settle();

    EXPECT_EQ(textOf(document), QString::fromUtf8("譌･譛ｬ\rz\r"));
    EXPECT_EQ(document->textView()->selectedRange(), (WRange{0, 0}));
    EXPECT_EQ(document->returnCodeType(), WLF_type);
    ASSERT_TRUE(documents().saveDocument(document));
    EXPECT_EQ(readFile(file), "\xe6\x97\xa5\xe6\x9c\xac\nz\n");
}

TEST_F(DocumentReloadTest, CancelFailureAndUnsavedDocumentsLeaveTheText)
{
    const QString file = writeFile("b.txt", "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e");
    MyDocument* document = documents().openDocument(file);
    ASSERT_NE(document, nullptr);
    QTest::keyClicks(document->textView(), "mine ");
    platform.shiftDown = true;

    presenter->answers = {1};  // Cancel: the code is chosen, the text stays
    choose(document->window()->characterCodePopupButton(), 2);
    settle();
    EXPECT_EQ(document->documentEncoding(), uint32_t(WEUCEncoding));
    EXPECT_EQ(textOf(document), QString::fromUtf8("mine 日本語"));
    EXPECT_TRUE(presenter->errors.empty());

    // The bytes are not Shift JIS (a lead byte ends them): say so, keep the text.
    presenter->answers = {0};
    choose(document->window()->characterCodePopupButton(), 0);
    settle();
    EXPECT_EQ(textOf(document), QString::fromUtf8("mine 日本語"));
    ASSERT_EQ(presenter->errors.size(), 1u);
    EXPECT_TRUE(presenter->errors[0].details.contains("left as it was"));

    // The file vanished: the same.
    QFile::remove(file);
    presenter->answers = {0};
    choose(document->window()->characterCodePopupButton(), 3);
    settle();
    EXPECT_EQ(textOf(document), QString::fromUtf8("mine 日本語"));
    EXPECT_EQ(presenter->errors.size(), 2u);

    // A document without a file has nothing to reload: no question.
    MyDocument* untitled = documents().newDocument();
    choose(untitled->window()->characterCodePopupButton(), 1);
    settle();
    EXPECT_EQ(presenter->questions.size(), 3u);
    EXPECT_EQ(untitled->documentEncoding(), uint32_t(WJISEncoding));
}

TEST_F(DocumentReloadTest, SavedSelectionIsRestoredOnlyInsideTheText)
{
    const QString file = writeFile("c.txt", "0123456789\n");
    MyDocument* document = documents().openDocument(file);
    ASSERT_NE(document, nullptr);
    document->textView()->setSelectedRange({3, 4});
    ASSERT_TRUE(documents().saveDocument(document));
    ASSERT_TRUE(documents().closeDocument(document));

    const std::filesystem::path onDisk = file.toStdString();
    const auto stored = WFileAttributes::stringForAttribute(onDisk, WFileAttributes::selectedRangeName);
    if (!stored)
        GTEST_SKIP() << "the temporary folder keeps no extended attributes";
    EXPECT_EQ(*stored, "{3, 4}");
    EXPECT_EQ(WFileAttributes::stringFromCode(WFileAttributes::typeCode(onDisk).value_or(0)), "TEXT");

    document = documents().openDocument(file);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->textView()->selectedRange(), (WRange{3, 4}));
    EXPECT_EQ(document->window()->lineNumberView()->text(), "1");
    ASSERT_TRUE(documents().closeDocument(document));

    // Up to the very end is inside; one past is not.
    ASSERT_TRUE(WFileAttributes::setStringForAttribute(onDisk, WFileAttributes::selectedRangeName, "{5, 6}"));
    document = documents().openDocument(file);
    EXPECT_EQ(document->textView()->selectedRange(), (WRange{5, 6}));
    ASSERT_TRUE(documents().closeDocument(document));
    ASSERT_TRUE(WFileAttributes::setStringForAttribute(onDisk, WFileAttributes::selectedRangeName, "{5, 7}"));
    document = documents().openDocument(file);
    EXPECT_EQ(document->textView()->selectedRange(), (WRange{0, 0}));
    ASSERT_TRUE(documents().closeDocument(document));

    // With the preference off nothing is restored.
    application->prefsServer().tempDictionary().setBool(false, "store_window_status");
    ASSERT_TRUE(application->prefsServer().commit());
    ASSERT_TRUE(WFileAttributes::setStringForAttribute(onDisk, WFileAttributes::selectedRangeName, "{1, 1}"));
    document = documents().openDocument(file);
    EXPECT_EQ(document->textView()->selectedRange(), (WRange{0, 0}));
}
