// Lenient decoding: every byte that is not text becomes one U+FFFD, and the
// bytes around it still decode as themselves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/WEncoding.h"

namespace {

WEncoding::LenientText lenient(std::string_view text, WStringEncoding encoding)
{
    return WEncoding::decodeLeniently(std::vector<uint8_t>(text.begin(), text.end()), encoding);
}

struct Case {
    const char* what;
    std::string bytes;
    WStringEncoding encoding;
    std::u16string text;
    uint64_t badBytes;
    size_t firstIndex;
    uint64_t firstOffset;
};

void check(const Case& c)
{
    SCOPED_TRACE(c.what);
    const WEncoding::LenientText result = lenient(c.bytes, c.encoding);
    EXPECT_EQ(result.text, c.text);
    EXPECT_EQ(result.badBytes, c.badBytes);
    ASSERT_TRUE(result.firstBadIndex);
    EXPECT_EQ(*result.firstBadIndex, c.firstIndex);
    EXPECT_EQ(result.firstBadOffset, c.firstOffset);
    // Nothing that decoded leniently decodes strictly.
    EXPECT_FALSE(WEncoding::decode(std::vector<uint8_t>(c.bytes.begin(), c.bytes.end()), c.encoding));
}

TEST(WLenientDecodingTest, BadBytesInTheMiddleOfEachEncoding)
{
    const Case cases[] = {
        // あ, a byte no Shift JIS character starts with, b.
        {"Shift JIS lone byte", "a\x82\xa0\xfd" "b", WShiftJISEncoding, u"aあ\uFFFDb", 1, 2, 3},
        // A lead byte whose pair maps to nothing: only the lead is bad, the @ after it is text.
        {"Shift JIS unmapped pair", "\x85\x40x", WShiftJISEncoding, u"\uFFFD@x", 1, 0, 0},
        {"EUC", "\xa4\xa2\xa4" "A\xa4\xa2", WEUCEncoding, u"あ\uFFFDAあ", 1, 1, 2},
        // In JIS the bad byte is passed over and the two-byte mode goes on after it.
        {"JIS", "a\x1b$B\x30\x21\xff\x30\x21\x1b(Bz", WJISEncoding, u"a亜\uFFFD亜z", 1, 2, 6},
        {"UTF-8 stray byte", "a\xff" "b\xe3\x81\x82", WUTF8Encoding, u"a\uFFFDbあ", 1, 1, 1},
        {"UTF-8 overlong", "a\xc0\xaf" "b", WUTF8Encoding, u"a\uFFFD\uFFFDb", 2, 1, 1},
        // A lone surrogate is one bad unit of two bytes; the pair after it stays whole.
        {"UTF-16 big-endian", std::string("\xfe\xff\0a\xd8\x00\0b\xd8\x42\xdf\xb7", 12), WUTF16Encoding,
         u"a\uFFFDb\U00020BB7", 2, 1, 4},
        {"UTF-16 little-endian", std::string("\xff\xfe" "a\0\x00\xdc" "b\0", 8), WUTF16Encoding, u"a\uFFFDb", 2, 1,
         4},
    };
    for (const Case& c : cases)
        check(c);
}

TEST(WLenientDecodingTest, BadBytesAtTheVeryStartAndEnd)
{
    const Case cases[] = {
        {"UTF-8", "\xff" "abc\xfe", WUTF8Encoding, u"\uFFFDabc\uFFFD", 2, 0, 0},
        {"Shift JIS", "\xfd" "abc\xa0", WShiftJISEncoding, u"\uFFFDabc\uFFFD", 2, 0, 0},
        {"EUC", "\xa0" "abc\xff", WEUCEncoding, u"\uFFFDabc\uFFFD", 2, 0, 0},
        {"JIS", "\x80" "abc\x80", WJISEncoding, u"\uFFFDabc\uFFFD", 2, 0, 0},
        {"UTF-16 odd last byte", std::string("\xfe\xff\0a\0", 5), WUTF16Encoding, u"a\uFFFD", 1, 1, 4},
    };
    for (const Case& c : cases)
        check(c);
}

TEST(WLenientDecodingTest, AMultibyteSequenceCutOffByTheEndOfTheFile)
{
    const Case cases[] = {
        // Each byte of the unfinished sequence is bad on its own.
        {"UTF-8 two of three", "ab\xe3\x81", WUTF8Encoding, u"ab\uFFFD\uFFFD", 2, 2, 2},
        {"UTF-8 three of four", "\xf0\xa0\xae", WUTF8Encoding, u"\uFFFD\uFFFD\uFFFD", 3, 0, 0},
        {"Shift JIS lead byte", "ab\x82", WShiftJISEncoding, u"ab\uFFFD", 1, 2, 2},
        {"EUC lead byte", "\xa4\xa2\xa4", WEUCEncoding, u"あ\uFFFD", 1, 1, 2},
        {"EUC three-byte form", "x\x8f\xb0", WEUCEncoding, u"x\uFFFD\uFFFD", 2, 1, 1},
        {"JIS half a character", "\x1b$B\x30\x21\x30", WJISEncoding, u"亜\uFFFD", 1, 1, 5},
        {"UTF-16 high surrogate last", std::string("\xfe\xff\0a\xd8\x00", 6), WUTF16Encoding, u"a\uFFFD", 2, 1, 4},
    };
    for (const Case& c : cases)
        check(c);
}

TEST(WLenientDecodingTest, GoodBytesDecodeAsStrictlyWithNothingMarked)
{
    const std::pair<std::string, WStringEncoding> good[] = {
        {"\x93\xfa\x96\x7b\x8c\xea \xb6\xc5 \\~", WShiftJISEncoding},
        {"\xc6\xfc\xcb\xdc\xb8\xec \x8e\xb6", WEUCEncoding},
        {"\x1b$B\x46\x7c\x1b(B!", WJISEncoding},
        {"\xef\xbf\xbd real U+FFFD", WUTF8Encoding},
        {"", WShiftJISEncoding},
    };
    for (const auto& [bytes, encoding] : good) {
        SCOPED_TRACE(bytes);
        const WEncoding::LenientText result = lenient(bytes, encoding);
        EXPECT_EQ(result.badBytes, 0u);
        EXPECT_FALSE(result.firstBadIndex);
        EXPECT_EQ(result.text, WEncoding::decode(std::vector<uint8_t>(bytes.begin(), bytes.end()), encoding));
    }
}

TEST(WLenientDecodingTest, ManyBadBytesDoNotOutgrowTheText)
{
    // Every byte bad, in a buffer sized for the common case.
    const std::string junk(100000, '\xff');
    for (WStringEncoding encoding : {WShiftJISEncoding, WEUCEncoding, WJISEncoding, WUTF8Encoding}) {
        const WEncoding::LenientText result = lenient(junk, encoding);
        EXPECT_EQ(result.text, std::u16string(junk.size(), u'\uFFFD'));
        EXPECT_EQ(result.badBytes, junk.size());
    }
}

}  // namespace
