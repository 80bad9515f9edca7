// The window holds exactly the text that opening decoded, whatever its code
// units, and saving an unchanged window writes what wexel-tool convert writes.
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QTest>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "document/MyDocument.h"
#include "document/WDocumentData.h"
#include "document/WDocumentWindow.h"
#include "canvas/WTextCanvas.h"
#include "text/WEncoding.h"

namespace {

std::u16string unit(char16_t u)
{
    return std::u16string(1, u);
}

// Every unit that Qt's text document or QString treats specially, and the
// characters the view shows in their place.
// kFileText is what a UTF-8 file can hold; kHardText adds unpaired surrogates.
const std::u16string kFileText = u"\uFFFE\uFEFFab\uFEFF|\u2029\u2029|\uFDD0\uFDD1|\n|\u2028|\uFFFC|" + unit(0)
                                 + u"|\u00B6\u240A\uFFFD|\r|\U0001F600\u00A0\u200D\uFFFF\U0010FFFF\r";
const std::u16string kHardText = kFileText + unit(0xDC00) + u"x" + unit(0xD800);

// The units as they are (QString::fromStdU16String would take a leading
// U+FEFF or U+FFFE for a byte-order mark).
QString exactly(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

// Types one character as a key press with that text would.
void typeCharacter(QWidget* widget, char16_t character)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(character)));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(QChar(character)));
    QApplication::sendEvent(widget, &release);
}

QByteArray toBytes(const std::vector<uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// What wexel-tool convert does with a file, by the same pipeline it runs:
// whether it opens, and the bytes it writes (nothing when they cannot be saved).
struct Converted {
    bool opens = false;
    std::optional<QByteArray> bytes;
};
Converted converted(const QByteArray& file)
{
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(file.constData()),
                                         static_cast<size_t>(file.size()));
    auto opened = WDocumentData::openData(bytes, "f");
    if (!opened)
        return {};
    WSavedText saved = WDocumentData::saveText(opened->text, opened->encoding, opened->returnCodeType);
    if (saved.failure)
        return {true, std::nullopt};
    return {true, toBytes(saved.bytes)};
}

// The real tool's output, or nothing when it refuses the file.
std::optional<QByteArray> runConvert(const QString& path)
{
    QProcess tool;
    tool.start(QStringLiteral(WEXEL_TOOL_PATH), {QStringLiteral("convert"), path});
    if (!tool.waitForFinished(30000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return std::nullopt;
    return tool.readAllStandardOutput();
}

std::optional<QByteArray> savedBytes(MyDocument* document)
{
    QString error;
    auto bytes = document->dataRepresentationOfType(QStringLiteral("text file"), &error);
    if (!bytes)
        return std::nullopt;
    return toBytes(*bytes);
}

std::u16string replaced(std::u16string text, WRange range, std::u16string_view with)
{
    return text.replace(range.location, range.length, with);
}

}  // namespace

// ---- the text view itself ---------------------------------------------------------------------

TEST(TextViewFidelity, EveryCodeUnitSurvivesEachWayInAndOut)
{
    WTextCanvas view;
    view.loadString(kHardText);
    EXPECT_EQ(view.string(), kHardText);
    view.loadString(u"\uFEFF\uFEFFx");  // no mark is taken for a byte-order mark
    EXPECT_EQ(view.string(), u"\uFEFF\uFEFFx");
    view.loadString(u"\uFFFEabc\r");  // nor is a swapped one: nothing is byte-swapped
    EXPECT_EQ(view.string(), u"\uFFFEabc\r");

    // Whole-text replacement and insertion, undone and redone.
    view.loadString(kHardText);
    view.setString(kHardText + kHardText);
    EXPECT_EQ(view.string(), kHardText + kHardText);
    view.performStandardAction("undo:");
    EXPECT_EQ(view.string(), kHardText);
    view.performStandardAction("redo:");
    EXPECT_EQ(view.string(), kHardText + kHardText);
    view.performStandardAction("undo:");

    const WRange middle{6, 9};
    view.setSelectedRange(middle);
    view.insertText(u"\u2029\n\uFDD1");
    EXPECT_EQ(view.string(), replaced(kHardText, middle, u"\u2029\n\uFDD1"));
    EXPECT_EQ(view.selectedRange(), (WRange{9, 0}));  // one view position per code unit
    view.performStandardAction("undo:");
    EXPECT_EQ(view.string(), kHardText);
    view.performStandardAction("redo:");
    EXPECT_EQ(view.string(), replaced(kHardText, middle, u"\u2029\n\uFDD1"));

    // Deleting a stand-in and undoing brings the true unit back.
    view.loadString(u"a\u2029b");
    view.setSelectedRange({1, 1});
    view.performStandardAction("delete:");
    EXPECT_EQ(view.string(), u"ab");
    view.performStandardAction("undo:");
    EXPECT_EQ(view.string(), u"a\u2029b");
}

TEST(TextViewFidelity, CopyPasteAndTypingNextToStandIns)
{
    WTextCanvas view;
    view.loadString(kHardText);
    view.performStandardAction("selectAll:");
    view.performStandardAction("copy:");
    // Other programs get the characters themselves, lines ending in LF.
    QString plain = QApplication::clipboard()->text();
    plain.replace(QChar(u'\n'), QChar(u'\r'));
    std::u16string expected = kHardText;
    std::replace(expected.begin(), expected.end(), u'\n', u'\r');
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(plain.utf16()), plain.size()), expected);
    // Pasting in the editor gives back every unit, LF included.
    view.setSelectedRange({static_cast<uint32_t>(kHardText.size()), 0});
    view.performStandardAction("paste:");
    EXPECT_EQ(view.string(), kHardText + kHardText);

    // Text from elsewhere: its own line ends become CR, nothing else changes.
    view.loadString(u"[]");
    view.setSelectedRange({1, 0});
    QApplication::clipboard()->setText(exactly(u"\uFEFF\u2029x\r\ny\uFDD0"));
    view.performStandardAction("paste:");
    EXPECT_EQ(view.string(), u"[\uFEFF\u2029x\ry\uFDD0]");

    // Typing just after a stand-in types the character itself.
    view.loadString(u"\u2029\uFDD0");
    view.setSelectedRange({1, 0});
    typeCharacter(&view, u'\u00B6');
    typeCharacter(&view, u'a');
    view.setSelectedRange({4, 0});
    typeCharacter(&view, u'\uFFFD');
    EXPECT_EQ(view.string(), u"\u2029\u00B6a\uFDD0\uFFFD");
    view.setSelectedRange({0, 0});
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(view.string(), u"\r\u2029\u00B6a\uFDD0\uFFFD");
}

// ---- documents in windows ----------------------------------------------------------------------

using WindowFidelityTest = GuiTest;

TEST_F(WindowFidelityTest, OpeningRevertingReloadingAndDroppingKeepEveryUnit)
{
    // U+FFFE first: read as itself, not as a sign to swap every byte.
    const QByteArray swappedMark("\xef\xbf\xbe" "abc\n");
    MyDocument* document = documents().openDocument(writeFile("mark.txt", swappedMark));
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->textView()->string(), u"\uFFFEabc\r");
    EXPECT_FALSE(document->isDocumentEdited());
    ASSERT_TRUE(documents().saveDocument(document));
    EXPECT_EQ(readFile("mark.txt"), swappedMark);

    const auto encoded = WEncoding::encode(kFileText, WUTF8Encoding);
    ASSERT_FALSE(encoded.error);
    const QByteArray file = toBytes(encoded.bytes);
    std::u16string text = kFileText;
    std::replace(text.begin(), text.end(), u'\n', u'\r');

    document = documents().openDocument(writeFile("hard.txt", file));
    ASSERT_NE(document, nullptr);
    WTextCanvas* view = document->textView();
    EXPECT_EQ(view->string(), text);
    EXPECT_EQ(savedBytes(document), converted(file).bytes);

    // Revert, after the text was changed.
    view->setString(u"other");
    presenter->answers = {0};
    ASSERT_TRUE(documents().revertDocument(document));
    EXPECT_EQ(view->string(), text);

    // The forced reload in UTF-8.
    view->setString(u"other");
    platform.shiftDown = true;
    presenter->answers = {0};
    document->setCharacterCodeType(3);
    QTest::qWait(20);
    platform.shiftDown = false;
    EXPECT_EQ(view->string(), text);
    view->performStandardAction("undo:");
    EXPECT_EQ(view->string(), u"other");
    view->performStandardAction("redo:");
    EXPECT_EQ(view->string(), text);

    // A drop of text from elsewhere.
    view->setString(u"");
    QMimeData mime;
    mime.setText(exactly(u"\uFEFF\u2029\uFDD0\r\n\u2028"));
    const QPoint point(5, 5);
    QDragEnterEvent enter(point, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    QDropEvent drop(QPointF(point), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drop);
    EXPECT_EQ(view->string(), u"\uFEFF\u2029\uFDD0\r\u2028");

    // Case changes work on the text itself.
    view->setString(u"a\u2029b\nc\uFDD0");
    view->performStandardAction("selectAll:");
    view->performStandardAction("uppercaseWord:");
    EXPECT_EQ(view->string(), u"A\u2029B\nC\uFDD0");

    // Colouring the text as HTML does not lose the stand-ins' true units.
    view->setString(u"<p>\u2029</p>\uFDD0<!-- \uFDD1 -->");
    document->textTypeMenuSelected(WTextHTML);
    QTest::qWait(10);
    EXPECT_EQ(view->string(), u"<p>\u2029</p>\uFDD0<!-- \uFDD1 -->");
    view->setSelectedRange({3, 0});
    view->insertText(u"x");
    view->performStandardAction("undo:");
    EXPECT_EQ(view->string(), u"<p>\u2029</p>\uFDD0<!-- \uFDD1 -->");
}

// Random texts over all of Unicode, in every encoding that holds them, saved
// unchanged and after an edit that is undone, give what convert gives.
TEST_F(WindowFidelityTest, RandomTextsSaveAsConvertWouldSaveThem)
{
    std::mt19937 random(20261207);
    auto below = [&](uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(random); };
    const char32_t specials[] = {0xFFFE, 0xFEFF, 0x2029, 0x2028, 0xFDD0, 0xFDD1, 0xFFFC, 0,      0x0A,
                                 0x0D,   0x00B6, 0x240A, 0xFFFD, 0x09,   0x00A5, 0x203E, 0x5C,   0x7E,
                                 0x1B,   0x00A0, 0x0301, 0x3099, 0xFFFF, 0x10FFFF, 0x1F600, 0x20BB7};
    auto randomCharacter = [&]() -> char32_t {
        switch (below(8)) {
        case 0:
        case 1: return specials[below(std::size(specials))];
        case 2:
        case 3: return 0x20 + below(0x5F);
        case 4: return 0x3000 + below(0x7000);  // kana and kanji
        case 5: return 0x10000 + below(0x100000);
        default: {
            char32_t c = below(0x10000);
            return c >= 0xD800 && c <= 0xDFFF ? c + 0x800 : c;
        }
        }
    };
    auto append = [](std::u16string& text, char32_t c) {
        if (c > 0xFFFF) {
            c -= 0x10000;
            text.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            text.push_back(static_cast<char16_t>(c));
        }
    };
    const WStringEncoding encodings[] = {WUTF8Encoding, WUTF16Encoding, WShiftJISEncoding, WEUCEncoding,
                                         WJISEncoding};
    std::map<std::pair<WStringEncoding, char32_t>, bool> held;
    auto holds = [&](WStringEncoding encoding, char32_t c, const std::u16string& one) {
        if (encoding == WUTF8Encoding || encoding == WUTF16Encoding)
            return true;
        auto [at, added] = held.try_emplace({encoding, c}, false);
        if (added)
            at->second = !WEncoding::encode(one, encoding).error;
        return at->second;
    };
    // Each text is made of characters its encoding holds, so that it can be a file.
    auto randomFile = [&](WStringEncoding encoding) {
        std::u16string text;
        const uint32_t length = 1 + below(40);
        const char16_t* lineEnd = below(3) == 0 ? u"\r\n" : below(2) ? u"\n" : u"\r";
        while (text.size() < length) {
            const char32_t c = randomCharacter();
            std::u16string one;
            if (c == 0x0A || c == 0x0D)
                one = below(4) ? lineEnd : (c == 0x0A ? u"\n" : u"\r");
            else
                append(one, c);
            if (holds(encoding, c, one))
                text += one;
        }
        auto encoded = WEncoding::encode(text, encoding);
        EXPECT_FALSE(encoded.error);
        QByteArray bytes = toBytes(encoded.bytes);
        if (encoding == WUTF16Encoding && below(3) == 0)
            bytes.remove(0, 2);  // big-endian without its mark
        return bytes;
    };

    // Thousands of little files: in memory where the machine has a tmpfs for them.
    QTemporaryDir memoryFolder(QStringLiteral("/dev/shm/wexel-fidelity-XXXXXX"));
    const QTemporaryDir& files = memoryFolder.isValid() ? memoryFolder : folder;
    MyDocument* document = nullptr;
    int compared = 0;
    for (int round = 0; round < 3000; ++round) {
        const WStringEncoding encoding = encodings[round % std::size(encodings)];
        const QByteArray file = randomFile(encoding);
        // A new file each time: truncating one costs a flush to disk on ext4.
        const QString path = files.filePath(QStringLiteral("random-%1.txt").arg(round));
        {
            QFile out(path);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(file);
        }
        const Converted expected = converted(file);
        const std::string shown = "round " + std::to_string(round) + ": " + file.toHex(' ').toStdString();

        // Every 50th text opens a window of its own; the others go into the
        // same window by reverting it to the file.
        if (round % 50 == 0) {
            if (document)
                documents().closeDocument(document);
            presenter->errors.clear();
            document = documents().openDocument(path);
            ASSERT_EQ(document != nullptr, expected.opens) << shown;
            if (!document)
                continue;
        } else if (!document->revertToSavedFromFile(path, QStringLiteral("text file"))) {
            EXPECT_FALSE(expected.opens) << shown;
            continue;
        }
        ASSERT_TRUE(expected.opens) << shown;
        EXPECT_FALSE(document->isDocumentEdited()) << shown;
        EXPECT_EQ(savedBytes(document), expected.bytes) << shown;

        // An edit, undone: hard units replace a stretch, then go again.
        WTextCanvas* view = document->textView();
        const auto length = static_cast<uint32_t>(view->string().size());
        const uint32_t at = below(length + 1);
        view->setSelectedRange({at, below(length - at + 1)});
        std::u16string inserted;
        for (uint32_t i = below(6); i > 0; --i)
            append(inserted, specials[below(std::size(specials))]);
        view->insertText(inserted);
        view->performStandardAction("undo:");
        EXPECT_EQ(savedBytes(document), expected.bytes) << shown << " after an undone edit";
        ++compared;
    }
    EXPECT_GT(compared, 2500);
    if (document)
        documents().closeDocument(document);
}

// The round-trip corpus: each encoding with each kind of line end, opened and
// saved through the window, against the real wexel-tool convert.
TEST_F(WindowFidelityTest, CorpusSavesAsTheToolConvertsIt)
{
    const std::u16string common = u"Wexel \u65e5\u672c\u8a9e\u306e\u30c6\u30ad\u30b9\u30c8 \\~\t<p>";
    const std::u16string halfWidthKana = u"\uff76\uff85";  // not in ISO-2022-JP
    const struct {
        WStringEncoding encoding;
        std::u16string text;
    } samples[] = {
        {WUTF8Encoding, common + u"\uFFFE\u2029\uFDD0\uFDD1\u2028\uFFFC\u00A5\u203E\U0001F600e\u0301"},
        {WUTF16Encoding, u"\uFEFF" + common + u"\u2029\uFDD1\u2028\U00020BB7\u00A5" + unit(0)},
        {WShiftJISEncoding, common + halfWidthKana + u"\u2460\u9ad9\uff5e"},
        {WEUCEncoding, common + halfWidthKana + u"\u2460\u9ad9"},
        {WJISEncoding, common + u"\u00A5\u203E\u2225"},
    };
    const struct {
        const char16_t* lineEnd;
        const char* name;
    } kinds[] = {{u"\r", "cr"}, {u"\n", "lf"}, {u"\r\n", "crlf"}};
    for (const auto& sample : samples) {
        for (const auto& kind : kinds) {
            std::u16string text;
            for (int line = 0; line < 3; ++line)
                text += sample.text + kind.lineEnd;
            text += u"last";
            const auto encoded = WEncoding::encode(text, sample.encoding);
            ASSERT_FALSE(encoded.error) << sample.encoding;
            const QString name = QStringLiteral("corpus-%1-%2.txt")
                                     .arg(QString::fromUtf8(WEncoding::name(sample.encoding)), kind.name);
            const QString file = writeFile(name, toBytes(encoded.bytes));
            const std::optional<QByteArray> tool = runConvert(file);
            ASSERT_TRUE(tool) << name.toStdString();

            MyDocument* document = documents().openDocument(file);
            ASSERT_NE(document, nullptr) << name.toStdString();
            EXPECT_EQ(document->documentEncoding(), sample.encoding) << name.toStdString();
            // Saved unchanged, the file is what the tool writes, which is what it was.
            ASSERT_TRUE(documents().saveDocument(document));
            EXPECT_EQ(readFile(name), *tool) << name.toStdString();
            EXPECT_EQ(readFile(name), toBytes(encoded.bytes)) << name.toStdString();
            documents().closeDocument(document);
        }
    }
}
