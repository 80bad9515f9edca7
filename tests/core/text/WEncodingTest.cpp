#include <gtest/gtest.h>

#include <iconv.h>

#include <random>
#include <string>
#include <vector>

#include "text/WEncoding.h"
#include "text/WUtf8.h"

namespace {

std::vector<uint8_t> bytes(std::string_view text)
{
    return {text.begin(), text.end()};
}

std::optional<std::u16string> decode(std::string_view text, WStringEncoding encoding)
{
    return WEncoding::decode(bytes(text), encoding);
}

std::string encode(std::u16string_view text, WStringEncoding encoding)
{
    auto result = WEncoding::encode(text, encoding);
    EXPECT_FALSE(result.error) << "unexpected failure at " << (result.error ? result.error->index : 0);
    return std::string(result.bytes.begin(), result.bytes.end());
}

// The same Japanese line in each encoding: "日本語 ｶﾅ \~".
const std::u16string kLine = u"\u65E5\u672C\u8A9E \uFF76\uFF85 \\~";
const std::string kShiftJis = "\x93\xfa\x96\x7b\x8c\xea \xb6\xc5 \\~";
const std::string kEuc = "\xc6\xfc\xcb\xdc\xb8\xec \x8e\xb6\x8e\xc5 \\~";
const std::string kUtf8 = "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e \xef\xbd\xb6\xef\xbe\x85 \\~";

}  // namespace

TEST(Codecs, DecodeAndEncodeEachEncoding)
{
    EXPECT_EQ(decode(kShiftJis, WShiftJISEncoding), kLine);
    EXPECT_EQ(encode(kLine, WShiftJISEncoding), kShiftJis);  // 0x5C and 0x7E stay ASCII
    EXPECT_EQ(decode(kEuc, WEUCEncoding), kLine);
    EXPECT_EQ(encode(kLine, WEUCEncoding), kEuc);
    EXPECT_EQ(decode(kUtf8, WUTF8Encoding), kLine);
    EXPECT_EQ(encode(kLine, WUTF8Encoding), kUtf8);

    const std::u16string kanji = u"a\u65E5\u672C\r";
    const std::string jis = "a\x1b$BF|K\\\x1b(B\r";
    EXPECT_EQ(decode(jis, WJISEncoding), kanji);
    EXPECT_EQ(encode(kanji, WJISEncoding), jis);
    // A text that ends inside the two-byte set is closed with the return to ASCII.
    EXPECT_EQ(encode(u"\u65E5", WJISEncoding), "\x1b$BF|\x1b(B");

    EXPECT_EQ(encode(u"", WShiftJISEncoding), "");
    EXPECT_EQ(decode("", WJISEncoding), u"");
    // NUL is a character like any other, in and out.
    EXPECT_EQ(decode(std::string("a\0b", 3), WShiftJISEncoding), std::u16string(u"a\0b", 3));
    EXPECT_EQ(encode(std::u16string(u"\0", 1), WEUCEncoding), std::string("\0", 1));
}

TEST(Codecs, JisWritesTheJisFormsOfWindowsCharacters)
{
    const std::u16string windows = u"\uFF5E\u2225\uFF0D\uFFE0\uFFE1\uFFE2";
    const std::u16string jisForms = u"\u301C\u2016\u2212\u00A2\u00A3\u00AC";
    std::string written = encode(windows, WJISEncoding);
    EXPECT_EQ(written, encode(jisForms, WJISEncoding));
    EXPECT_EQ(written, "\x1b$B!A!B!]!q!r\"L\x1b(B");
    EXPECT_EQ(decode(written, WJISEncoding), jisForms);
}

TEST(Codecs, DecodingIsStrict)
{
    // No bytes at all, not even a place for them: an empty text.
    EXPECT_EQ(WEncoding::decode(std::span<const uint8_t>(), WUTF8Encoding), std::u16string());
    EXPECT_FALSE(decode("\x82", WShiftJISEncoding));          // cut short
    EXPECT_FALSE(decode("ab\x81\x7f", WShiftJISEncoding));    // no such trail byte
    EXPECT_FALSE(decode("\xa0", WShiftJISEncoding));
    EXPECT_FALSE(decode("\xfd", WShiftJISEncoding));
    EXPECT_FALSE(decode("\xa4", WEUCEncoding));
    EXPECT_FALSE(decode("\xa4\x41", WEUCEncoding));
    EXPECT_FALSE(decode("\x1b$BF", WJISEncoding));            // half a character
    EXPECT_FALSE(decode("\x82\xa0", WJISEncoding));           // 8-bit bytes are not ISO-2022-JP
    EXPECT_FALSE(decode("\xe3\x81", WUTF8Encoding));
    EXPECT_FALSE(decode("\xc0\xaf", WUTF8Encoding));          // overlong
    EXPECT_FALSE(decode("\xe0\x80\xaf", WUTF8Encoding));
    EXPECT_FALSE(decode("\xed\xa0\x80", WUTF8Encoding));      // surrogate
    EXPECT_FALSE(decode("\xf4\x90\x80\x80", WUTF8Encoding));  // above U+10FFFF
    EXPECT_FALSE(decode("\xff", WUTF8Encoding));
    EXPECT_EQ(decode("\xf0\x9f\x98\x80", WUTF8Encoding), u"\U0001F600");
    EXPECT_EQ(decode("\xef\xbb\xbfx", WUTF8Encoding), u"\uFEFFx");  // a UTF-8 mark is kept, so it is saved again
}

TEST(Codecs, Utf16ByMarkAndStrict)
{
    EXPECT_EQ(decode(std::string("\xfe\xff\x65\xe5\0a", 6), WUTF16Encoding), u"\u65E5a");
    EXPECT_EQ(decode(std::string("\xff\xfe\xe5\x65" "a\0", 6), WUTF16Encoding), u"\u65E5a");
    EXPECT_EQ(decode(std::string("\x65\xe5\0a", 4), WUTF16Encoding), u"\u65E5a");  // no mark: big-endian
    EXPECT_EQ(decode("\xfe\xff", WUTF16Encoding), u"");
    EXPECT_EQ(decode("", WUTF16Encoding), u"");
    EXPECT_FALSE(decode(std::string("\xfe\xff\0a\0", 5), WUTF16Encoding));  // odd length
    EXPECT_FALSE(decode("a", WUTF16Encoding));
    EXPECT_FALSE(decode(std::string("\xd8\x00\0a", 4), WUTF16Encoding));                   // lone high surrogate
    EXPECT_FALSE(decode(std::string("\xdc\x00", 2), WUTF16Encoding));                      // lone low surrogate
    EXPECT_EQ(decode(std::string("\xd8\x3d\xde\x00", 4), WUTF16Encoding), u"\U0001F600");

    EXPECT_EQ(encode(u"\u65E5a", WUTF16Encoding), std::string("\xfe\xff\x65\xe5\0a", 6));
    EXPECT_EQ(encode(u"", WUTF16Encoding), "\xfe\xff");
}

TEST(Codecs, EncodingReportsTheFirstCharacterItCannotWrite)
{
    auto failure = [](std::u16string_view text, WStringEncoding encoding) {
        auto result = WEncoding::encode(text, encoding);
        EXPECT_TRUE(result.bytes.empty());
        return result.error.value_or(WEncoding::EncodeError{999, 0});
    };
    auto e = failure(u"ab\u00F6c\u00F6", WShiftJISEncoding);
    EXPECT_EQ(e.index, 2u);
    EXPECT_EQ(e.character, U'\u00F6');
    e = failure(u"\u3042\U0001F600", WEUCEncoding);
    EXPECT_EQ(e.index, 1u);
    EXPECT_EQ(e.character, U'\U0001F600');  // the whole pair, not half of it
    e = failure(u"\u3042\u3042\u00F6", WJISEncoding);
    EXPECT_EQ(e.index, 2u);
    e = failure(u"\U0001F600", WShiftJISEncoding);
    EXPECT_EQ(e.index, 0u);

    std::u16string lone = u"ab";
    lone.push_back(char16_t(0xD800));
    e = failure(lone, WUTF8Encoding);
    EXPECT_EQ(e.index, 2u);
    EXPECT_EQ(e.character, char32_t(0xD800));
    e = failure(lone, WUTF16Encoding);
    EXPECT_EQ(e.index, 2u);
    lone.push_back(u'c');  // a high surrogate followed by no low one
    EXPECT_EQ(failure(lone, WShiftJISEncoding).index, 2u);

    // Characters that would be written but read back as others are refused.
    e = failure(u"\u3042\u00A5100", WShiftJISEncoding);  // YEN SIGN would become a backslash
    EXPECT_EQ(e.index, 1u);
    EXPECT_EQ(e.character, U'\u00A5');
    EXPECT_EQ(failure(u"a\u203E", WEUCEncoding).index, 1u);  // OVERLINE would become a tilde
    EXPECT_EQ(failure(u"\u00F6\u00A5", WShiftJISEncoding).index, 0u);  // an earlier failure comes first
    EXPECT_EQ(failure(u"a\u001B$B", WJISEncoding).index, 1u);  // a raw ESC would break the escapes
    EXPECT_EQ(decode(encode(u"\u00A5\u203E", WJISEncoding), WJISEncoding), u"\u00A5\u203E");
    EXPECT_EQ(encode(u"\u001B", WShiftJISEncoding), "\x1b");
    // The Unicode encodings hold them as themselves.
    EXPECT_EQ(encode(u"\u00A5\u203E\u001B", WUTF8Encoding), "\xc2\xa5\xe2\x80\xbe\x1b");
    EXPECT_EQ(encode(u"\u00A5\u203E", WUTF16Encoding), std::string("\xfe\xff\x00\xa5\x20\x3e", 6));

    // A long text fails at the right place too, far beyond the first buffer.
    std::u16string longText(300000, u'\u3042');
    longText[250000] = u'\u00F6';
    EXPECT_EQ(failure(longText, WShiftJISEncoding).index, 250000u);
}

TEST(Codecs, NamesAndValues)
{
    for (auto encoding : {WShiftJISEncoding, WJISEncoding, WEUCEncoding, WUTF8Encoding, WUTF16Encoding}) {
        EXPECT_TRUE(WEncoding::isDocumentEncoding(encoding));
        EXPECT_EQ(WEncoding::fromName(WEncoding::name(encoding)), encoding);
    }
    EXPECT_EQ(WEncoding::name(WShiftJISEncoding), "S-JIS");
    EXPECT_EQ(WEncoding::name(WEUCEncoding), "EUC");
    EXPECT_FALSE(WEncoding::isDocumentEncoding(0));
    EXPECT_FALSE(WEncoding::isDocumentEncoding(9));
    EXPECT_FALSE(WEncoding::fromName("SJIS"));
    EXPECT_FALSE(WEncoding::decode(bytes("a"), static_cast<WStringEncoding>(99)));
}

// The vector check, the scalar check, our decoder and glibc's UTF-8 decoder
// must agree on every input, and on the text of the valid ones; random edits of
// real text find the corners. The run of kana and kanji is long enough for
// whole blocks of three-byte characters, and the copies and cuts move the
// blocks against the end of the text.
TEST(Utf8Check, AgreesWithScalarAndIconvOnEditedText)
{
    const std::string seed = kUtf8 + "\xf0\x9f\x98\x80 plain ascii run of text, long enough \xc3\xa9\xe3\x81\x82\n"
                             + "吾輩は猫である。名前はまだ無い。\n";
    std::mt19937 random(12345);
    const uint8_t interesting[] = {0x00, 0x7F, 0x80, 0x8F, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0,
                                   0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
    iconv_t reference = iconv_open("UTF-16LE", "UTF-8");
    ASSERT_NE(reference, reinterpret_cast<iconv_t>(-1));
    int valid = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string text;
        int copies = 1 + static_cast<int>(random() % 4);
        for (int c = 0; c < copies; ++c)
            text += seed;
        int edits = static_cast<int>(random() % 3);
        for (int k = 0; k < edits; ++k) {
            size_t at = random() % text.size();
            switch (random() % 3) {
            case 0: text[at] = static_cast<char>(interesting[random() % sizeof interesting]); break;
            case 1: text.erase(at, 1); break;
            default: text.resize(at); break;
            }
            if (text.empty())
                text = "x";
        }
        auto data = bytes(text);
        bool vector = WEncoding::isValidUtf8(data);
        ASSERT_EQ(vector, wutf8::isValidScalar(data)) << "round " << round;
        ASSERT_EQ(vector, WEncoding::decode(data, WUTF8Encoding).has_value()) << "round " << round;

        std::u16string out(text.size() + 1, u'\0');
        char* in = text.data();
        size_t inLeft = text.size();
        char* o = reinterpret_cast<char*>(out.data());
        size_t outLeft = out.size() * 2;
        iconv(reference, nullptr, nullptr, nullptr, nullptr);
        bool glibc = iconv(reference, &in, &inLeft, &o, &outLeft) != static_cast<size_t>(-1);
        ASSERT_EQ(vector, glibc) << "round " << round;
        if (glibc) {
            out.resize((out.size() * 2 - outLeft) / 2);
            ASSERT_EQ(*WEncoding::decode(data, WUTF8Encoding), out) << "round " << round;
        }
        valid += vector;
    }
    iconv_close(reference);
    EXPECT_GT(valid, 500);  // the edits leave plenty of valid texts as well
}
