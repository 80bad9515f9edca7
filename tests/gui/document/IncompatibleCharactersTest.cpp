// The list of characters a document's encoding cannot hold, in a real window.
#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "GuiTestSupport.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "document/WIncompatibleCharactersPanel.h"
#include "canvas/WTextCanvas.h"

namespace {

using IncompatibleCharacters = GuiTest;

QStringList rowsOf(const WIncompatibleCharactersPanel* panel)
{
    QStringList rows;
    for (int i = 0; i < panel->list()->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = panel->list()->topLevelItem(i);
        rows << QStringList{item->text(0), item->text(1), item->text(2), item->text(3)}.join(QLatin1Char('|'));
    }
    return rows;
}

void chooseEncoding(MyDocument* document, int tag)
{
    QComboBox* popup = document->window()->characterCodePopupButton();
    popup->setCurrentIndex(tag);
    emit popup->activated(tag);
}

}  // namespace

TEST_F(IncompatibleCharacters, ListFollowsTheEncodingAndTheTypingAndSelectsItsRows)
{
    const QString file = writeFile("page.html", "<p>\xc2\xa5" "100 \xe3\x80\x9c</p>\n\xf0\xa0\xae\xb7\xe9\x87\x8e\xe5\xae\xb6 \xed\x95\x9c\n");
    MyDocument* document = documents().openDocument(file);
    ASSERT_NE(document, nullptr);
    ASSERT_EQ(document->documentEncoding(), WUTF8Encoding);
    WIncompatibleCharactersPanel* panel = document->incompatibleCharactersPanel();
    QToolButton* indicator = document->window()->incompatibleCharactersButton();
    panel->refreshNow();
    EXPECT_TRUE(panel->problems().empty());
    EXPECT_FALSE(indicator->isVisibleTo(document->window()));

    presenter->answers.push_back(1);  // use Shift JIS all the same
    chooseEncoding(document, 0);
    ASSERT_EQ(presenter->questions.size(), 1u);
    EXPECT_TRUE(presenter->questions[0].startsWith(QString::fromUtf8(
        "3 characters of the text cannot be saved in Shift JIS, the first “U+00A5 ¥” on line 1, column 4.")))
        << presenter->questions[0].toStdString();
    EXPECT_EQ(document->documentEncoding(), WShiftJISEncoding);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowsOf(panel).size() == 4; }));  // worked out in the background
    EXPECT_EQ(rowsOf(panel), (QStringList{QString::fromUtf8("U+00A5 ¥|1|4|cannot be saved"),
                                          QString::fromUtf8("U+301C 〜|1|9|is saved as U+FF5E ～"),
                                          QString::fromUtf8("U+20BB7 𠮷|2|1|cannot be saved"),
                                          QString::fromUtf8("U+D55C 한|2|5|cannot be saved")}));
    EXPECT_TRUE(indicator->isVisibleTo(document->window()));
    EXPECT_EQ(indicator->text(), QString::fromUtf8("⚠ 4"));

    // The indicator opens the list; a row selects its character, a pair whole.
    indicator->click();
    EXPECT_TRUE(panel->isVisible());
    panel->list()->setCurrentItem(panel->list()->topLevelItem(2));
    EXPECT_EQ(document->textView()->selectedRange(), (WRange{14, 2}));

    // Typing: the list follows once the typing pauses.
    document->textView()->setSelectedRange({0, 0});
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("ā"));
    QApplication::sendEvent(document->textView(), &press);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowsOf(panel).size() == 5; }));
    EXPECT_EQ(rowsOf(panel).front(), QString::fromUtf8("U+0101 ā|1|1|cannot be saved"));
    document->textView()->setSelectedRange({0, 1});
    document->textView()->insertText(u"");
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowsOf(panel).size() == 4; }));

    // Declining the warning keeps the encoding, and the pop-up shows it.
    presenter->answers.push_back(0);
    chooseEncoding(document, 1);
    EXPECT_EQ(document->documentEncoding(), WShiftJISEncoding);
    EXPECT_EQ(document->window()->characterCodePopupButton()->currentIndex(), 0);

    // UTF-8 holds everything: no question, and the list empties.
    chooseEncoding(document, 3);
    EXPECT_EQ(presenter->questions.size(), 2u);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowsOf(panel).isEmpty(); }));
    EXPECT_FALSE(indicator->isVisibleTo(document->window()));
}

TEST_F(IncompatibleCharacters, FormatMenuOpensTheListOfTheFrontDocument)
{
    MyDocument* document = documents().newDocument();
    ASSERT_NE(document, nullptr);
    QAction* item = application->mainMenuItem(QStringLiteral("Incompatible Characters"));
    ASSERT_NE(item, nullptr);
    document->window()->show();
    QApplication::setActiveWindow(document->window());
    item->trigger();
    EXPECT_TRUE(document->incompatibleCharactersPanel()->isVisible());
}
