// A real document window driven through thousands of random edits: typed keys,
// deletions, pastes, cuts, add-on and command replacements, undos and redos.
// After every step the text and the selection agree with a model, and the
// colours equal colouring the same text afresh; at the end the saved file holds
// exactly the model's text.
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QTest>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "ForegroundRuns.h"
#include "GuiTestSupport.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "canvas/WTextCanvas.h"
#include "syntax/WColorSyntaxServer.h"
#include "syntax/WTextStorage.h"
#include "text/WEncoding.h"

namespace {

std::string printable(std::u16string_view text)
{
    std::string out;
    for (char16_t unit : text) {
        if (unit == u'\r')
            out += "\\r";
        else if (unit >= 0x20 && unit < 0x7F)
            out += static_cast<char>(unit);
        else
            out += "\\u" + QString::number(unit, 16).rightJustified(4, u'0').toStdString();
    }
    return out;
}

QString exactly(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

// Characters the scanners care about, Japanese text and full-width marks.
// Surrogate pairs and combining marks stay out: the caret and Backspace treat
// them as one character, which the one-unit model below would not follow.
constexpr char16_t kAlphabet[] = u"abc xyz<>/=\"'!-*#$@;:{}()\\\t\u3042\u6F22\u3000\uFF1C\uFF1E\u00A5\u301C";

// The text a window goes through: the states after each edit, and where undo
// and redo have moved in them. Qt joins adjacent typing into one undo step, so
// an undo may go back over several edits; it must reach an earlier state, and
// a redo a later one.
struct History {
    std::vector<std::u16string> states;
    size_t current = 0;
    size_t top = 0;

    explicit History(std::u16string initial) : states{std::move(initial)} {}

    const std::u16string& text() const { return states[current]; }

    void edited(std::u16string text)
    {
        if (text == states[current])
            return;
        states.resize(current + 1);
        states.push_back(std::move(text));
        current = top = states.size() - 1;
    }

    // Moves to the state the window now shows, searching backwards (undo) or
    // forwards (redo); false when no such state is there.
    bool moved(const std::u16string& shown, bool back)
    {
        if (back) {
            for (size_t i = current; i-- > 0;)
                if (states[i] == shown) {
                    current = i;
                    return true;
                }
        } else {
            for (size_t i = current + 1; i <= top; ++i)
                if (states[i] == shown) {
                    current = i;
                    return true;
                }
        }
        return false;
    }
};

struct Case {
    const char* file;
    uint32_t seed;
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.file;
}

class EditingStressTest : public GuiTest, public ::testing::WithParamInterface<Case> {
protected:
    std::mt19937 random{GetParam().seed};

    size_t below(size_t bound) { return bound == 0 ? 0 : std::uniform_int_distribution<size_t>(0, bound - 1)(random); }

    std::u16string randomText(size_t longest)
    {
        std::u16string text;
        const size_t length = below(longest + 1);
        for (size_t i = 0; i < length; ++i)
            text.push_back(below(12) == 0 ? u'\r' : kAlphabet[below(std::size(kAlphabet) - 1)]);
        return text;
    }

    WRange randomRange(size_t length)
    {
        const uint32_t location = static_cast<uint32_t>(below(length + 1));
        const uint32_t span = below(3) == 0 ? static_cast<uint32_t>(below(std::min<size_t>(length - location, 40) + 1)) : 0;
        return {location, span};
    }

    static void typeUnit(QWidget* view, char16_t unit)
    {
        if (unit == u'\r') {
            QTest::keyClick(view, Qt::Key_Return);
            return;
        }
        const QString text(QChar{unit});
        QKeyEvent press(QEvent::KeyPress, unit == u'\t' ? Qt::Key_Tab : Qt::Key_unknown, Qt::NoModifier, text);
        QApplication::sendEvent(view, &press);
        QKeyEvent release(QEvent::KeyRelease, unit == u'\t' ? Qt::Key_Tab : Qt::Key_unknown, Qt::NoModifier, text);
        QApplication::sendEvent(view, &release);
    }

    // Colouring the window's text afresh with the engine of its text type.
    static ForegroundRuns freshColours(const MyDocument& document)
    {
        WTextStorage fresh(document.textView()->string());
        auto engine = WColorSyntaxServer::colorSyntaxServerWithTextStorage(&fresh, document.textType());
        const WFont font{document.textViewFontName().toStdString(), document.textViewFontSize()};
        engine->adjustColorSyntaxWithRange({0, fresh.length()}, &font);
        return foregroundRuns(fresh);
    }
};

TEST_P(EditingStressTest, TextSelectionAndColoursFollowEveryEdit)
{
    const std::u16string initial = u"<html><body>\r<p class=\"a\">\u3042\u3044</p>\r<!-- x -->\r</body></html>\r";
    const QString file = writeFile(QString::fromLatin1(GetParam().file), exactly(initial).toUtf8());
    MyDocument* document = documents().openDocument(file);
    ASSERT_NE(document, nullptr);
    document->window()->show();
    WTextCanvas* view = document->textView();
    view->setFocus();
    ASSERT_EQ(view->string(), initial);

    History history(initial);
    WRange selection{0, 0};
    std::vector<std::string> steps;
    constexpr int kSteps = 1500;
    for (int step = 0; step < kSteps; ++step) {
        std::u16string text = history.text();
        const int kind = static_cast<int>(below(100));
        std::optional<WRange> expected;   // the selection after an edit the model follows
        bool undoing = false, redoing = false;
        std::string what;

        if (kind < 15) {
            selection = randomRange(text.size());
            view->setSelectedRange(selection);
            what = "select " + std::to_string(selection.location) + "+" + std::to_string(selection.length);
            expected = selection;
        } else if (kind < 45) {
            const char16_t unit = below(12) == 0 ? u'\r' : kAlphabet[below(std::size(kAlphabet) - 1)];
            typeUnit(view, unit);
            text.replace(selection.location, selection.length, 1, unit);
            expected = WRange{selection.location + 1, 0};
            what = "type " + printable(std::u16string(1, unit));
        } else if (kind < 53) {
            QTest::keyClick(view, Qt::Key_Backspace);
            WRange removed = selection;
            if (removed.length == 0 && removed.location > 0)
                removed = {removed.location - 1, 1};
            text.erase(removed.location, removed.length);
            expected = WRange{removed.location, 0};
            what = "backspace";
        } else if (kind < 58) {
            QTest::keyClick(view, Qt::Key_Delete);
            WRange removed = selection;
            if (removed.length == 0 && removed.location < text.size())
                removed.length = 1;
            text.erase(removed.location, removed.length);
            expected = WRange{removed.location, 0};
            what = "delete";
        } else if (kind < 64) {
            // A paste from another program: its line ends become CR.
            std::u16string pasted = randomText(12);
            QString onClipboard = exactly(pasted);
            if (below(2))
                onClipboard.replace(u'\r', QStringLiteral("\r\n"));
            QApplication::clipboard()->setText(onClipboard);
            view->performStandardAction("paste:");
            text.replace(selection.location, selection.length, pasted);
            expected = WRange{selection.location + static_cast<uint32_t>(pasted.size()), 0};
            what = "paste " + printable(pasted);
        } else if (kind < 67) {
            view->performStandardAction("cut:");
            text.erase(selection.location, selection.length);
            expected = WRange{selection.location, 0};
            what = "cut";
        } else if (kind < 74) {
            // What an add-on's output does: it takes the place of the selection.
            const std::u16string output = randomText(20);
            view->insertText(output);
            text.replace(selection.location, selection.length, output);
            expected = WRange{selection.location + static_cast<uint32_t>(output.size()), 0};
            what = "add-on " + printable(output);
        } else if (kind < 80) {
            // A command that rewrites a part of the text outside the typing path.
            const WRange range = randomRange(text.size());
            const std::u16string replacement = randomText(10);
            view->replaceCharactersInRange(range, replacement);
            text.replace(range.location, range.length, replacement);
            what = "replace " + std::to_string(range.location) + "+" + std::to_string(range.length) + " "
                   + printable(replacement);
        } else if (kind < 92) {
            undoing = view->canUndo();
            view->performStandardAction("undo:");
            what = "undo";
        } else {
            redoing = true;
            view->performStandardAction("redo:");
            what = "redo";
        }
        QCoreApplication::processEvents();
        steps.push_back(what);

        const std::u16string& shown = view->string();
        auto trail = [&] {
            std::string last;
            for (size_t i = steps.size() > 12 ? steps.size() - 12 : 0; i < steps.size(); ++i)
                last += "\n  " + steps[i];
            return "step " + std::to_string(step) + ", the last steps:" + last;
        };
        if (undoing) {
            ASSERT_TRUE(history.moved(shown, true)) << "undo reached a text never seen: " << printable(shown) << "\n"
                                                    << trail();
        } else if (redoing) {
            if (shown != history.text()) {
                ASSERT_TRUE(history.moved(shown, false)) << "redo reached a text never seen: " << printable(shown)
                                                         << "\n" << trail();
            }
        } else {
            ASSERT_EQ(printable(shown), printable(text)) << trail();
            history.edited(text);
        }

        const WRange now = view->selectedRange();
        ASSERT_LE(now.location + now.length, shown.size()) << trail();
        if (expected) {
            ASSERT_EQ(now, *expected) << trail();
        }
        selection = now;

        ASSERT_EQ(foregroundRuns(view->textStorage()), freshColours(*document))
            << "the colours differ from colouring the text afresh\n" << trail() << "\ntext: " << printable(shown);
    }

    QString error;
    ASSERT_TRUE(document->saveToFile(file, &error)) << error.toStdString();
    EXPECT_EQ(readFile(QString::fromLatin1(GetParam().file)), exactly(view->string()).toUtf8());
}

INSTANTIATE_TEST_SUITE_P(EachTextType, EditingStressTest,
                         ::testing::Values(Case{"page.html", 1}, Case{"style.css", 2}, Case{"page.php", 3},
                                           Case{"script.pl", 4}, Case{"script.rb", 5}, Case{"notes.txt", 6}));

}  // namespace
