#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "document/WDocumentData.h"
#include "platform/WLog.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> bytes(std::string_view text)
{
    return {text.begin(), text.end()};
}

std::string str(const std::vector<uint8_t>& data)
{
    return {data.begin(), data.end()};
}

// Keeps the log quiet and readable by the test.
struct QuietLog {
    std::vector<std::string> lines;
    WLog::Sink previous;
    QuietLog() : previous(WLog::setSink([this](std::string_view l) { lines.emplace_back(l); })) {}
    ~QuietLog() { WLog::setSink(previous); }
};

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "wexel-doc-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempFolder()
    {
        std::error_code ignored;
        fs::permissions(path, fs::perms::owner_all, ignored);
        fs::remove_all(path, ignored);
    }
    fs::path write(const std::string& name, std::string_view content) const
    {
        fs::path file = path / name;
        std::ofstream(file, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));
        return file;
    }
    fs::path path;
};

}  // namespace

TEST(OpenData, LineEndKindsAndEmptyFiles)
{
    QuietLog log;
    auto opened = WDocumentData::openData({}, "empty");
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->encoding, WShiftJISEncoding);
    EXPECT_EQ(opened->returnCodeType, WCR_type);
    EXPECT_EQ(opened->text, u"");
    EXPECT_TRUE(WDocumentData::saveText(u"", WShiftJISEncoding, WCR_type).bytes.empty());

    opened = WDocumentData::openData(bytes("a\nb\n"), "lf");
    EXPECT_EQ(opened->encoding, WUTF8Encoding);
    EXPECT_EQ(opened->returnCodeType, WLF_type);
    EXPECT_EQ(opened->text, u"a\rb\r");
    EXPECT_EQ(str(WDocumentData::saveText(opened->text, opened->encoding, opened->returnCodeType).bytes), "a\nb\n");

    // CR LF with a stray LF comes back with CR LF everywhere.
    opened = WDocumentData::openData(bytes("a\r\nb\nc"), "mixed");
    EXPECT_EQ(opened->returnCodeType, WCRLF_type);
    EXPECT_EQ(str(WDocumentData::saveText(opened->text, opened->encoding, opened->returnCodeType).bytes),
              "a\r\nb\r\nc");

    opened = WDocumentData::openData(bytes("no break"), "none");
    EXPECT_EQ(opened->returnCodeType, WCR_type);
    EXPECT_EQ(str(WDocumentData::saveText(opened->text + u"\rmore", opened->encoding, opened->returnCodeType).bytes),
              "no break\rmore");
}

TEST(OpenData, FallsBackToShiftJisOrRefuses)
{
    QuietLog log;
    // Looks like UTF-8 to the lenient detection, but is overlong: read as Shift JIS kana.
    auto opened = WDocumentData::openData(bytes("\xc0\xaf"), "overlong");
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->encoding, WShiftJISEncoding);
    EXPECT_EQ(opened->text, u"\uFF80\uFF6F");

    // Neither the detected encoding nor Shift JIS: no text, and a message naming the file.
    std::string message;
    EXPECT_FALSE(WDocumentData::openData(bytes("\x82\xa0\x82"), "cut.txt", &message));  // truncated
    EXPECT_NE(message.find("cut.txt"), std::string::npos) << message;
    EXPECT_NE(message.find("Shift JIS"), std::string::npos) << message;
    message.clear();
    EXPECT_FALSE(WDocumentData::openData(bytes("\xa4\xa2\xa4\xff"), "euc.txt", &message));
    EXPECT_NE(message.find("EUC-JP"), std::string::npos) << message;

    // Well-formed UTF-8 whose only non-ASCII characters take four bytes looks like
    // EUC to the detection; when neither EUC nor Shift JIS reads it, it is UTF-8.
    for (std::string text : {"hi \xf0\x9f\x98\x80\n", "\xf0\xa0\xae\xb7\xf0\x9f\x98\x80"}) {
        opened = WDocumentData::openData(bytes(text), "emoji.txt");
        ASSERT_TRUE(opened) << text;
        EXPECT_EQ(opened->encoding, WUTF8Encoding) << text;
        EXPECT_EQ(str(WDocumentData::saveText(opened->text, opened->encoding, opened->returnCodeType).bytes), text);
    }
    EXPECT_EQ(WDocumentData::openData(bytes("hi \xf0\x9f\x98\x80"), "emoji.txt")->text, u"hi \U0001F600");
    // Ill-formed UTF-8 is still refused.
    EXPECT_FALSE(WDocumentData::openData(bytes("hi \xf0\x9f\x98"), "cut-emoji.txt"));

    // NUL bytes stop detection, not decoding: everything after them is kept.
    opened = WDocumentData::openData(bytes(std::string("a\0\x82\xa0\n", 5)), "nul");
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->encoding, WShiftJISEncoding);
    EXPECT_EQ(opened->text, std::u16string(u"a\0\u3042\r", 4));
    EXPECT_EQ(str(WDocumentData::saveText(opened->text, opened->encoding, opened->returnCodeType).bytes),
              std::string("a\0\x82\xa0\n", 5));
}

TEST(OpenData, LittleEndianUtf16WithItsMark)
{
    QuietLog log;
    // FF FE is EUC evidence to the detection; rather than refuse the file, it is read as UTF-16.
    auto opened = WDocumentData::openData(bytes(std::string("\xff\xfe\x42\x30\r\0\n\0", 8)), "le");
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->encoding, WUTF16Encoding);
    EXPECT_EQ(opened->text, u"\u3042\r");
    EXPECT_EQ(opened->returnCodeType, WCRLF_type);
    // Saved big-endian with its mark, it opens again the same way.
    auto saved = WDocumentData::saveText(opened->text, WUTF16Encoding, WCRLF_type);
    EXPECT_EQ(str(saved.bytes), std::string("\xfe\xff\x30\x42\0\r\0\n", 8));
    auto again = WDocumentData::openData(saved.bytes, "be");
    EXPECT_EQ(again->encoding, WUTF16Encoding);
    EXPECT_EQ(again->text, opened->text);
    // Odd length: not UTF-16 either.
    EXPECT_FALSE(WDocumentData::openData(bytes(std::string("\xff\xfe\x42\x30\r", 5)), "odd"));
}

TEST(OpenData, OpenedFormMatchesOpening)
{
    QuietLog log;
    for (std::string text : {"", "a\r\nb", "a\nb", "a\rb", "\xe3\x81\x82\r\n", "\xe3\x81\x82\n\r",
                             "\xe3\x81\x82\r", "\xe3\x81\x82", "x\r\r\n", "\x82\xa0\r\n", "\xc0\xaf\n",
                             "\x1b$BF|\x1b(B\n", "\xe3\x81\x82\n\xed\xa0\x80", "hi \xf0\x9f\x98\x80\r\n"}) {
        auto opened = WDocumentData::openData(bytes(text), "f");
        auto form = WDocumentData::openedForm(bytes(text), "f");
        ASSERT_EQ(opened.has_value(), form.has_value()) << text;
        if (!opened)
            continue;
        EXPECT_EQ(form->encoding, opened->encoding) << text;
        EXPECT_EQ(form->returnCodeType, opened->returnCodeType) << text;
    }
}

TEST(SaveText, FailureNamesCharacterLineAndColumn)
{
    // CR LF on disk, but the place is reported in the text the user sees.
    std::u16string text = u"first\r\u3042\U0001F600x\u00F6 end";
    auto saved = WDocumentData::saveText(text, WShiftJISEncoding, WCRLF_type);
    ASSERT_TRUE(saved.failure);
    EXPECT_TRUE(saved.bytes.empty());
    EXPECT_EQ(saved.failure->character, U'\U0001F600');
    EXPECT_EQ(saved.failure->line, 2u);
    EXPECT_EQ(saved.failure->column, 2u);
    EXPECT_EQ(saved.failure->range, (WRange{7, 2}));

    // CR, CR and U+2029 each end a line; a lone surrogate is what UTF-8 cannot hold.
    text = u"x\r\r\u2029\u65E5";
    text.push_back(char16_t(0xD800));
    saved = WDocumentData::saveText(text, WUTF8Encoding, WCRLF_type);
    ASSERT_TRUE(saved.failure);
    EXPECT_EQ(saved.failure->line, 4u);
    EXPECT_EQ(saved.failure->column, 2u);
    EXPECT_EQ(saved.failure->range, (WRange{5, 1}));
    EXPECT_EQ(saved.failure->character, char32_t(0xD800));

    saved = WDocumentData::saveText(u"\u3042\r\r  \u00F6", WJISEncoding, WLF_type);
    ASSERT_TRUE(saved.failure);
    std::string message = WDocumentData::saveFailureMessage(*saved.failure, WJISEncoding);
    EXPECT_NE(message.find("\xc3\xb6"), std::string::npos) << message;  // the character itself
    EXPECT_NE(message.find("U+00F6"), std::string::npos) << message;
    EXPECT_NE(message.find("line 3, column 3"), std::string::npos) << message;
    EXPECT_NE(message.find("JIS"), std::string::npos) << message;
    WSaveFailure control{0xD800, 1, 1, {0, 1}};
    EXPECT_NE(WDocumentData::saveFailureMessage(control, WUTF8Encoding).find("U+D800"), std::string::npos);
}

TEST(ReloadData, NoDetectionNoFallback)
{
    QuietLog log;
    auto text = WDocumentData::reloadData(bytes("\xa4\xa2\r\n"), WEUCEncoding, "f");
    EXPECT_EQ(text, u"\u3042\r");
    std::string message;
    EXPECT_FALSE(WDocumentData::reloadData(bytes("\xa4\xa2\r\n"), WJISEncoding, "page.txt", &message));
    EXPECT_NE(message.find("page.txt"), std::string::npos);
    EXPECT_FALSE(WDocumentData::reloadData(bytes("\xfe\xff\x30"), WUTF16Encoding, "odd"));
}

TEST(ReadFile, RefusesWhatCannotBeOpened)
{
    QuietLog log;
    TempFolder folder;
    std::string message;

    auto file = folder.write("page.html", "<p>\xe3\x81\x82</p>\n");
    auto read = WDocumentData::readFile(file, &message);
    ASSERT_TRUE(read);
    EXPECT_EQ(std::string(read->begin(), read->end()), "<p>\xe3\x81\x82</p>\n");
    auto opened = WDocumentData::openFile(file);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->encoding, WUTF8Encoding);

    auto empty = WDocumentData::readFile(folder.write("empty", ""));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());

    // Vanished: named, then gone.
    fs::remove(file);
    EXPECT_FALSE(WDocumentData::readFile(file, &message));
    EXPECT_NE(message.find("page.html"), std::string::npos) << message;
    EXPECT_NE(message.find("does not exist"), std::string::npos) << message;

    EXPECT_FALSE(WDocumentData::readFile(folder.path, &message));
    EXPECT_NE(message.find("folder"), std::string::npos) << message;

    fs::path fifo = folder.path / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(WDocumentData::readFile(fifo, &message));  // must not wait for a writer
    EXPECT_NE(message.find("not a regular file"), std::string::npos) << message;

    // Permissions do not hold back root, so only others can see this one.
    if (geteuid() != 0) {
        auto secret = folder.write("secret", "x");
        fs::permissions(secret, fs::perms::none);
        EXPECT_FALSE(WDocumentData::readFile(secret, &message));
        EXPECT_NE(message.find("permission"), std::string::npos) << message;
    }
}

TEST(ReadFile, RefusesFilesOverTwoGigabytes)
{
    QuietLog log;
    TempFolder folder;
    // Sparse, so the test costs no disk space.
    auto big = folder.write("huge.txt", "");
    fs::resize_file(big, (uint64_t(2) << 30) + 1);
    std::string message;
    EXPECT_FALSE(WDocumentData::openFile(big, &message));
    EXPECT_NE(message.find("huge.txt"), std::string::npos) << message;
    EXPECT_NE(message.find("too large"), std::string::npos) << message;
    // The largest size allowed is just under 2 GiB; exactly 2 GiB is already too much.
    fs::resize_file(big, uint64_t(2) << 30);
    EXPECT_FALSE(WDocumentData::readFile(big));
}
