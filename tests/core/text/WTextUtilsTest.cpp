#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/WLog.h"
#include "text/WTextUtils.h"

namespace {

std::vector<uint8_t> bytes(std::string_view text)
{
    return {text.begin(), text.end()};
}

WStringEncoding detect(std::string_view text)
{
    auto data = bytes(text);
    return WTextUtils::detectCharacterCodeType(data);
}

struct LogCapture {
    std::vector<std::string> lines;
    WLog::Sink previous;
    LogCapture() : previous(WLog::setSink([this](std::string_view l) { lines.emplace_back(l); })) {}
    ~LogCapture() { WLog::setSink(previous); }
};

}  // namespace

TEST(DetectCharacterCode, PlainTextAndEmptyDataReadAsUtf8)
{
    EXPECT_EQ(detect(""), WUTF8Encoding);
    EXPECT_EQ(detect(std::string("\0\x82\xa0", 3)), WUTF8Encoding);  // NUL first: nothing is looked at
    EXPECT_EQ(detect("plain 7-bit text\r\n"), WUTF8Encoding);
}

TEST(DetectCharacterCode, EscapeSequencesDecideJisOrNec)
{
    EXPECT_EQ(detect("abc\x1b$B$\"\x1b(B"), WJISEncoding);
    EXPECT_EQ(detect("\x1b$@$\"\x1b(B"), WJISEncoding);
    EXPECT_EQ(detect("\x1b$A"), WUTF8Encoding);  // another escape changes nothing
    // ESC $ B after a decisive Shift JIS byte is never reached.
    EXPECT_EQ(detect("\x82\xa0\x1b$B"), WShiftJISEncoding);

    LogCapture log;
    EXPECT_EQ(detect("\x1bK"), WShiftJISEncoding);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0], "WTextUtils detectCodeType: an error has occured.");
}

TEST(DetectCharacterCode, Utf8JapaneseOverridesTheScanUnlessCutShort)
{
    EXPECT_EQ(detect("\xe3\x81\x82"), WUTF8Encoding);      // the scan says Shift JIS first
    EXPECT_EQ(detect("a\xe3\x81\x82\xe3\x81"), WShiftJISEncoding);  // last byte cut off
    EXPECT_EQ(detect("\xe3\x81\x82\xe3"), WShiftJISEncoding);  // a lead byte alone at the end
    EXPECT_EQ(detect("\xc3\xa9"), WUTF8Encoding);           // two-byte sequence
    // Only four-byte sequences: the pass sees no 2/3-byte sequence, the scan sees EUC.
    EXPECT_EQ(detect("\xf0\x9f\x98\x80"), WEUCEncoding);
    // The pass covers long texts too (the block path), and finds a break deep inside.
    std::string longUtf8;
    for (int i = 0; i < 100; ++i)
        longUtf8 += "\xe6\x97\xa5\xe6\x9c\xac abc ";
    EXPECT_EQ(detect(longUtf8), WUTF8Encoding);
    std::string broken = longUtf8;
    broken[301] = 'x';  // inside a sequence
    EXPECT_EQ(detect(broken), WShiftJISEncoding);
}

TEST(DetectCharacterCode, ByteOrderMarks)
{
    EXPECT_EQ(detect(std::string("\xfe\xff\0a\0b", 6)), WUTF16Encoding);
    EXPECT_EQ(detect(std::string("\xff\xfe" "a\0", 4)), WEUCEncoding);  // FF FE is no mark; FE is EUC evidence
    EXPECT_EQ(detect("\xfe"), WEUCEncoding);
    // A UTF-16 mark followed by well-formed UTF-8 bytes is taken as UTF-8.
    EXPECT_EQ(detect("\xfe\xff\xe3\x81\x82"), WUTF8Encoding);
}

TEST(DetectCharacterCode, ShiftJisAndEucEvidence)
{
    EXPECT_EQ(detect("\x82\xa0\x82\xa2"), WShiftJISEncoding);  // hiragana
    EXPECT_EQ(detect("\xb1"), WShiftJISEncoding);               // half-width kana at the end
    EXPECT_EQ(detect("\xb1" "a"), WShiftJISEncoding);           // ... or before ASCII
    EXPECT_EQ(detect("\xa4\xa2\xa4\xa2\xa4\xa2"), WEUCEncoding);  // stays undecided: EUC
    EXPECT_EQ(detect("\xa4\xf0"), WEUCEncoding);
    EXPECT_EQ(detect("\x8e\xb1"), WEUCEncoding);    // EUC half-width kana, or Shift JIS: undecided
    EXPECT_EQ(detect("\x8e\x40"), WShiftJISEncoding);
    EXPECT_EQ(detect("\xe0\x40"), WShiftJISEncoding);
    EXPECT_EQ(detect("\xe0\xfd"), WEUCEncoding);
    EXPECT_EQ(detect("\xe0\xa1"), WEUCEncoding);
    // Run scan after a byte pair like B0 E8: a later 0x81-0x9F byte means Shift JIS,
    // 0xFD or 0xFE means EUC.
    EXPECT_EQ(detect("\xb0\xe8\xc0\x88"), WShiftJISEncoding);
    EXPECT_EQ(detect("\xb0\xe8\xc0\xfd"), WEUCEncoding);
    // The run ends at a byte below 0x40, which is consumed; the scan then goes on.
    EXPECT_EQ(detect("\xb0\xe8\x20\x82\xa0"), WShiftJISEncoding);
}

TEST(DetectCharacterCode, NulEndsTheData)
{
    EXPECT_EQ(detect(std::string("abc\0\x82\xa0", 6)), WUTF8Encoding);
    EXPECT_EQ(detect(std::string("\xe3\x81\x82\0\x82", 5)), WUTF8Encoding);
}

TEST(CodeLength, ClassesByHighBits)
{
    auto length = [](uint8_t b) { return WTextUtils::getCodeLength(&b); };
    EXPECT_EQ(length(0x00), 1);
    EXPECT_EQ(length(0x7F), 1);
    EXPECT_EQ(length(0x80), 0);
    EXPECT_EQ(length(0xBF), 0);
    EXPECT_EQ(length(0xC0), 2);
    EXPECT_EQ(length(0xDF), 2);
    EXPECT_EQ(length(0xE0), 3);
    EXPECT_EQ(length(0xEF), 3);
    EXPECT_EQ(length(0xF0), 0);
    EXPECT_EQ(length(0xFF), 0);
}

TEST(ByteReturnCodes, DetectFromTheFirstBreak)
{
    auto kind = [](std::string_view text) {
        auto data = bytes(text);
        return WTextUtils::detectReturnCodeType(data);
    };
    EXPECT_EQ(kind("\r\nb\n"), WCRLF_type);
    EXPECT_EQ(kind("a\nb\r\n"), WLF_type);
    EXPECT_EQ(kind("abc\r"), WCR_type);
    EXPECT_EQ(kind("a\rb"), WCR_type);
    EXPECT_EQ(kind("abc"), WLF_type);
    EXPECT_EQ(kind(""), WLF_type);
    EXPECT_EQ(kind(std::string("a\0\r\n", 4)), WLF_type);
}

TEST(ByteReturnCodes, ConvertBetweenKinds)
{
    auto convert = [](std::string_view text, WReturnCodeType from, WReturnCodeType to) {
        auto data = bytes(text);
        auto out = WTextUtils::convertReturnCode(data, from, to);
        return std::string(out.begin(), out.end());
    };
    EXPECT_EQ(convert("a\rb\n", WCR_type, WCR_type), "a\rb\n");
    EXPECT_EQ(convert("a\rb\r", WCR_type, WLF_type), "a\nb\n");
    EXPECT_EQ(convert("a\nb\n", WLF_type, WCR_type), "a\rb\r");
    EXPECT_EQ(convert("a\r\nb\r\n", WCRLF_type, WCR_type), "a\rb\r");
    EXPECT_EQ(convert("a\r\nb\r\n", WCRLF_type, WLF_type), "a\nb\n");
    EXPECT_EQ(convert("a\rb\r", WCR_type, WCRLF_type), "a\r\nb\r\n");
    EXPECT_EQ(convert("a\nb", WLF_type, WCRLF_type), "a\r\nb");
    EXPECT_EQ(convert("", WLF_type, WCRLF_type), "");
    // Bytes after a NUL are kept as they are, not dropped.
    EXPECT_EQ(convert(std::string("a\n\0b\n", 5), WLF_type, WCR_type), std::string("a\r\0b\n", 5));
}
