// What saving under another name, reverting and going to a line leave alone.
#include <QComboBox>
#include <QTest>

#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "canvas/WTextCanvas.h"
#include "platform/WLog.h"

namespace {
// Keeps the log lines written while it lives.
class LogLines {
public:
    LogLines()
    {
        mOld = WLog::setSink([this](std::string_view line) { lines.emplace_back(line); });
    }
    ~LogLines() { WLog::setSink(mOld); }
    std::vector<std::string> lines;

private:
    WLog::Sink mOld;
};
}  // namespace

using DocumentSettingsKeptTest = GuiTest;

TEST_F(DocumentSettingsKeptTest, SaveAsUnderAnotherExtensionKeepsTheTextType)
{
    const QString file = writeFile("page.html", "<p>a</p>\n");
    MyDocument* document = documents().openDocument(file);
    ASSERT_NE(document, nullptr);
    ASSERT_EQ(document->textType(), WTextHTML);

    presenter->pathToSave = path("script.pl");
    ASSERT_TRUE(documents().saveDocumentAs(document));
    EXPECT_EQ(document->fileName(), QFileInfo(path("script.pl")).absoluteFilePath());
    EXPECT_EQ(document->textType(), WTextHTML);
    EXPECT_EQ(document->window()->textTypePopupButton()->currentText(), "X/HTML");
    EXPECT_EQ(readFile("script.pl"), "<p>a</p>\n");
}

TEST_F(DocumentSettingsKeptTest, RevertToAnEmptyFileKeepsTheEncoding)
{
    const QString file = writeFile("a.txt", "\xe6\x97\xa5\n");
    MyDocument* document = documents().openDocument(file);
    ASSERT_NE(document, nullptr);
    ASSERT_EQ(document->window()->characterCodePopupButton()->currentIndex(), 3);  // UTF-8

    writeFile("a.txt", "");
    presenter->answers = {0};  // Revert
    ASSERT_TRUE(documents().revertDocument(document));
    EXPECT_EQ(document->textView()->string(), u"");
    EXPECT_EQ(document->documentEncoding(), WUTF8Encoding);
    EXPECT_EQ(document->window()->characterCodePopupButton()->currentIndex(), 3);

    // A file with text is detected again.
    writeFile("a.txt", "\x93\xfa\x96\x7b\n");
    presenter->answers = {0};
    ASSERT_TRUE(documents().revertDocument(document));
    EXPECT_EQ(document->documentEncoding(), WShiftJISEncoding);
}

TEST_F(DocumentSettingsKeptTest, GoToLineSelectsTheEditorsLinesAndRefusesLinesPastTheLast)
{
    // Lines end at CR and at U+2028, as everywhere else in the editor.
    const QString file = writeFile("a.txt", QByteArray("ab\xe2\x80\xa8" "cd\nef\ngh"));
    MyDocument* document = documents().openDocument(file);
    ASSERT_NE(document, nullptr);
    WTextCanvas* view = document->textView();

    document->setCurrentLineOfTextView("2");
    EXPECT_EQ(view->selectedRange(), (WRange{3, 3}));
    document->setCurrentLineOfTextView(" 3 lines");
    EXPECT_EQ(view->selectedRange(), (WRange{6, 3}));
    document->setCurrentLineOfTextView("4");
    EXPECT_EQ(view->selectedRange(), (WRange{9, 2}));

    for (const char* typed : {"5", "0", "none", "-1", "4294967297", "99999999999999999999"}) {
        LogLines log;
        document->setCurrentLineOfTextView(typed);
        EXPECT_EQ(view->selectedRange(), (WRange{9, 2})) << typed;
        EXPECT_EQ(log.lines, std::vector<std::string>{"over-range of lines."}) << typed;
    }
}
