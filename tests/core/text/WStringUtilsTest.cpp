#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/WLog.h"
#include "text/WStringUtils.h"

using S = std::u16string;
using V = std::vector<std::u16string>;

TEST(ReturnsToCR, KindIsDecidedByTheFirstRuleThatApplies)
{
    WReturnCodeType kind = WLF_type;
    EXPECT_EQ(WStringUtils::convertReturnsToCR(u"a\r\nb\nc\rd", &kind), u"a\rb\rc\rd");
    EXPECT_EQ(kind, WCRLF_type);
    EXPECT_EQ(WStringUtils::convertReturnsToCR(u"a\nb\rc", &kind), u"a\rb\rc");
    EXPECT_EQ(kind, WLF_type);
    EXPECT_EQ(WStringUtils::convertReturnsToCR(u"abc", &kind), u"abc");
    EXPECT_EQ(kind, WCR_type);
    EXPECT_EQ(WStringUtils::convertReturnsToCR(u"", &kind), u"");
    EXPECT_EQ(kind, WCR_type);
    // A pair late in the text still makes the kind CR LF.
    EXPECT_EQ(WStringUtils::convertReturnsToCR(u"\n\na\r\n", &kind), u"\r\ra\r");
    EXPECT_EQ(kind, WCRLF_type);
}

TEST(ReturnsToCR, EdgesOfTheInPlacePass)
{
    WReturnCodeType kind = WCR_type;
    // Consecutive LFs must not be mistaken for pairs once the first became CR.
    EXPECT_EQ(WStringUtils::convertReturnsToCR(u"a\n\n\nb", &kind), u"a\r\r\rb");
    EXPECT_EQ(kind, WLF_type);
    EXPECT_EQ(WStringUtils::convertReturnsToCR(u"\r\n\r\n", &kind), u"\r\r");
    EXPECT_EQ(WStringUtils::convertReturnsToCR(u"\n", &kind), u"\r");
    EXPECT_EQ(kind, WLF_type);
    EXPECT_EQ(WStringUtils::convertReturnsToCR(u"\r\r\n\n", &kind), u"\r\r\r");
    EXPECT_EQ(kind, WCRLF_type);
    // Separators other than CR and LF are left alone; no place for the kind is fine.
    EXPECT_EQ(WStringUtils::convertReturnsToCR(u"a\u2028b\u2029\n"), u"a\u2028b\u2029\r");

    // Long lines go through the block search; compare with a plain reference.
    S text;
    for (int i = 0; i < 500; ++i)
        text += S(static_cast<size_t>(i % 37), u'\u3042') + (i % 3 == 0 ? u"\r\n" : i % 3 == 1 ? u"\n" : u"\r");
    S expected;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            continue;
        expected.push_back(text[i] == u'\n' ? u'\r' : text[i]);
    }
    EXPECT_EQ(WStringUtils::convertReturnsToCR(text, &kind), expected);
    EXPECT_EQ(kind, WCRLF_type);
}

TEST(ReturnsFromCR, EachKind)
{
    EXPECT_EQ(WStringUtils::convertReturnsFromCR(u"a\r\rb", WCRLF_type), u"a\r\n\r\nb");
    EXPECT_EQ(WStringUtils::convertReturnsFromCR(u"a\r\rb\n", WLF_type), u"a\n\nb\n");
    EXPECT_EQ(WStringUtils::convertReturnsFromCR(u"a\r\n", WCR_type), u"a\r\n");
    EXPECT_EQ(WStringUtils::convertReturnsFromCR(u"\r", WCRLF_type), u"\r\n");
    EXPECT_EQ(WStringUtils::convertReturnsFromCR(u"", WCRLF_type), u"");
}

TEST(CountLines, BreaksAndRanges)
{
    EXPECT_EQ(WStringUtils::countLinesOfString(u""), 0u);
    EXPECT_EQ(WStringUtils::countLinesOfString(u"a"), 1u);
    EXPECT_EQ(WStringUtils::countLinesOfString(u"a\r"), 2u);
    EXPECT_EQ(WStringUtils::countLinesOfString(u"\r\n"), 3u);
    EXPECT_EQ(WStringUtils::countLinesOfString(u"a\u2028b\u2029c"), 3u);
    EXPECT_EQ(WStringUtils::countLinesOfString(u"\u0085"), 1u);
    EXPECT_EQ(WStringUtils::countLinesOfString(u"a\rb\rc", WRange{0, 0}), 1u);
    EXPECT_EQ(WStringUtils::countLinesOfString(u"a\rb\rc", WRange{0, 2}), 2u);
    EXPECT_EQ(WStringUtils::countLinesOfString(u"a\rb\rc", WRange{2, 3}), 2u);
    // A range past the end counts what is there instead of reading beyond it.
    EXPECT_EQ(WStringUtils::countLinesOfString(u"a\rb", WRange{1, 1000}), 2u);
    EXPECT_EQ(WStringUtils::countLinesOfString(u"a\rb", WRange{50, 10}), 1u);
}

TEST(ColumnOfPosition, CountsCharactersSinceTheLineEnd)
{
    EXPECT_EQ(WStringUtils::columnOfPosition(u"", 0), 1u);
    EXPECT_EQ(WStringUtils::columnOfPosition(u"abc", 3), 4u);
    EXPECT_EQ(WStringUtils::columnOfPosition(u"ab\rcd", 3), 1u);  // just after the line end
    EXPECT_EQ(WStringUtils::columnOfPosition(u"ab\rcd", 2), 3u);  // just before it
    EXPECT_EQ(WStringUtils::columnOfPosition(u"a\u2028b", 3), 2u);
    // 𠮷 is a surrogate pair: one column; a lone half counts by itself.
    EXPECT_EQ(WStringUtils::columnOfPosition(u"\U00020BB7x", 3), 3u);
    EXPECT_EQ(WStringUtils::columnOfPosition(u"\xDC00\xDC00", 2), 3u);
    EXPECT_EQ(WStringUtils::columnOfPosition(u"ab", 50), 3u);  // past the end: at the end
}

TEST(CountReturns, CountsAndLogLine)
{
    std::vector<std::string> lines;
    auto previous = WLog::setSink([&](std::string_view l) { lines.emplace_back(l); });
    auto counts = WStringUtils::countReturns(u"\r\n");
    EXPECT_EQ(counts.cr, 1);
    EXPECT_EQ(counts.lf, 1);
    EXPECT_EQ(counts.crlf, 1);
    counts = WStringUtils::countReturns(u"\n\r\u2028\u2029\u2029");
    EXPECT_EQ(counts.crlf, 0);
    EXPECT_EQ(counts.ls, 1);
    EXPECT_EQ(counts.ps, 2);
    WLog::setSink(previous);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "cr = 1, lf = 1, crlf = 1, ls = 0, ps = 0");
    EXPECT_EQ(lines[1], "cr = 1, lf = 1, crlf = 0, ls = 1, ps = 2");
}

TEST(StringTests, StartsWithAndContains)
{
    EXPECT_FALSE(WStringUtils::stringStartsWith(u"abc", u""));
    EXPECT_FALSE(WStringUtils::stringStartsWith(u"abcabc", u"bc"));
    EXPECT_TRUE(WStringUtils::stringStartsWith(u"abcabc", u"ab"));
    EXPECT_FALSE(WStringUtils::stringStartsWith(u"ab", u"abc"));
    EXPECT_TRUE(WStringUtils::stringContains(u"abcabc", u"ca"));
    EXPECT_FALSE(WStringUtils::stringContains(u"abc", u""));
    EXPECT_FALSE(WStringUtils::stringContains(u"", u"a"));
}

TEST(StringSplitting, ComponentsSeparatedByCharacters)
{
    EXPECT_EQ(WStringUtils::stringComponentsSeparatedByCharacters(u"  a,,b , c", u","), (V{u"a", u"b ", u"c"}));
    EXPECT_EQ(WStringUtils::stringComponentsSeparatedByCharacters(u"", u","), V{});
    EXPECT_EQ(WStringUtils::stringComponentsSeparatedByCharacters(u",,,", u","), V{});
    EXPECT_EQ(WStringUtils::stringComponentsSeparatedByCharacters(u"a = b", u"="), (V{u"a ", u"b"}));
    EXPECT_EQ(WStringUtils::stringComponentsSeparatedByCharacters(u" \u3000 ", u","), V{});
    EXPECT_EQ(WStringUtils::stringComponentsSeparatedByCharacters(u"\u3000x", u","), V{u"x"});
}

TEST(StringSplitting, TrimRemoveBinded)
{
    EXPECT_EQ(WStringUtils::trimSpaces(u"\t a  b \r\n"), u"a b");
    EXPECT_EQ(WStringUtils::trimSpaces(u""), u"");
    EXPECT_EQ(WStringUtils::removeSpacesFromHeadOf(u" \tx "), u"x ");
    EXPECT_EQ(WStringUtils::removeSpacesFromHeadOf(u"\u3000x"), u"\u3000x");
    EXPECT_EQ(WStringUtils::stringBindedWith(u"a<b>c<d>e", u"<", u">"), (V{u"b", u"d"}));
    EXPECT_EQ(WStringUtils::stringBindedWith(u"x(y", u"(", u")"), V{u"y"});
    EXPECT_EQ(WStringUtils::stringBindedWith(u"no opening", u"<", u">"), V{});
    EXPECT_EQ(WStringUtils::stringBindedWith(u"<>", u"<", u">"), V{u""});
    EXPECT_EQ(WStringUtils::stringBindedWith(u"abc", u"", u">"), V{});
}

TEST(StringReplace, ReplaceAndCStyle)
{
    EXPECT_EQ(WStringUtils::replaceString(u"aaa", u"aa", u"b"), u"ba");
    EXPECT_EQ(WStringUtils::replaceString(u"abc", u"", u"x"), u"abc");
    EXPECT_EQ(WStringUtils::replaceString(u"abab", u"b", u"bb"), u"abbabb");
    EXPECT_EQ(WStringUtils::convertCStyleToString(u"\\ta\\\\b"), u"\ta\\b");
    EXPECT_EQ(WStringUtils::convertCStyleToString(u"<br>\\r\\\"q\\\""), u"<br>\r\"q\"");
    EXPECT_EQ(WStringUtils::convertCStyleToString(u"\\n"), u"\\n");  // no escape for LF
    EXPECT_EQ(WStringUtils::convertCStyleToString(u"\\\\r"), u"\\\r");  // order: \r first
}

TEST(StringReplace, ResolveCommand)
{
    auto pre = WStringUtils::resolveCommand(u"PRE \"<br>\\r\"");
    EXPECT_EQ(pre.command, u"PRE");
    EXPECT_EQ(pre.string, u"<br>\r");
    auto bare = WStringUtils::resolveCommand(u"\tHR  width");
    EXPECT_EQ(bare.command, u"HR");
    EXPECT_EQ(bare.string, u"");
    EXPECT_EQ(WStringUtils::resolveCommand(u"A \"x").string, u"");
    EXPECT_EQ(WStringUtils::resolveCommand(u"A \"x\"y\" z").string, u"x\"y");
}

TEST(HexNumbers, Parse)
{
    EXPECT_EQ(WStringUtils::unsignedIntFromString(u"ff"), 255u);
    EXPECT_EQ(WStringUtils::unsignedIntFromString(u"FFFF"), 0xFFFFu);
    EXPECT_EQ(WStringUtils::unsignedIntFromString(u"12345"), WNotFound);
    EXPECT_EQ(WStringUtils::unsignedIntFromString(u""), WNotFound);
    EXPECT_EQ(WStringUtils::unsignedIntFromString(u"g1"), 1u);
    EXPECT_EQ(WStringUtils::unsignedIntFromString(u"1g1"), WNotFound);  // two runs
    EXPECT_EQ(WStringUtils::unsignedIntFromString(u"gg"), WNotFound);   // no run
    EXPECT_EQ(WStringUtils::unsignedIntFromString(u"10"), 16u);
}

TEST(HexNumbers, Format)
{
    EXPECT_EQ(WStringUtils::stringFromUnsignedInt(10, 4), S(u"000A"));
    EXPECT_EQ(WStringUtils::stringFromUnsignedInt(10, 0), std::nullopt);
    EXPECT_EQ(WStringUtils::stringFromUnsignedInt(10, 9), std::nullopt);
    EXPECT_EQ(WStringUtils::stringFromUnsignedInt(0xFFFFFFFF, 8), S(u"FFFFFFFF"));
    EXPECT_EQ(WStringUtils::stringFromUnsignedInt(0x123, 2), S(u"123"));  // never cut
}

TEST(ColourStrings, ReadAndWrite)
{
    auto color = WStringUtils::colorFromString(u"#ff0080");
    ASSERT_TRUE(color);
    EXPECT_EQ(color->red, 1.0f);
    EXPECT_EQ(color->green, 0.0f);
    EXPECT_EQ(color->blue, static_cast<float>(128 / 255.0));
    EXPECT_EQ(color->alpha, 1.0f);
    for (const char16_t* bad : {u"#ff008", u"ff0080", u"#ff0080 ", u"#GG0000", u"#ff 080", u"", u"#"})
        EXPECT_FALSE(WStringUtils::colorFromString(bad)) << WStringUtils::toUtf8(bad);

    EXPECT_EQ(WStringUtils::stringFromColor(*WStringUtils::colorFromString(u"#ABCDEF")), u"#ABCDEF");
    EXPECT_EQ(WStringUtils::stringFromColor(WColor{1.0f, 0.39f, 0.0f, 1.0f}), u"#FF6300");
    EXPECT_EQ(WStringUtils::stringFromColor(WColor{0.5f, 0.5f, 0.5f, 0.0f}), u"#7F7F7F");
    for (uint32_t v = 0; v <= 255; ++v) {
        WColor c{static_cast<float>(v / 255.0), 0.0f, 0.0f, 1.0f};
        EXPECT_EQ(WStringUtils::stringFromColor(c).substr(1, 2), *WStringUtils::stringFromUnsignedInt(v, 2));
    }
    // Components outside 0..1 are clamped rather than converted out of range.
    EXPECT_EQ(WStringUtils::stringFromColor(WColor{-1.0f, 2.0f, 0.0f, 1.0f}), u"#00FF00");
}

TEST(Whitespace, SetMembers)
{
    for (char16_t c : {u'\t', u'\n', u'\v', u'\f', u'\r', u' ', u'\u0085', u'\u00A0', u'\u2028', u'\u2029',
                       u'\u3000', u'\u2000', u'\u200A'})
        EXPECT_TRUE(WStringUtils::isWhitespaceOrNewline(c)) << int(c);
    for (char16_t c : {u'a', u'\u0008', u'\u200B', u'\u200E', u'\u3001'})
        EXPECT_FALSE(WStringUtils::isWhitespaceOrNewline(c)) << int(c);
}

TEST(Utf8Edges, RoundTripAndBadInput)
{
    S text = u"abc \u65E5\u672C \U0001F600";
    EXPECT_EQ(WStringUtils::fromUtf8(WStringUtils::toUtf8(text)), text);
    EXPECT_EQ(WStringUtils::fromUtf8("\xff" "a\xe3\x81"), u"\uFFFDa\uFFFD\uFFFD");
    EXPECT_EQ(WStringUtils::fromUtf8("\xc0\xaf"), u"\uFFFD\uFFFD");  // overlong
    EXPECT_EQ(WStringUtils::fromUtf8("\xed\xa0\x80"), u"\uFFFD\uFFFD\uFFFD");  // surrogate
    EXPECT_EQ(WStringUtils::toUtf8(S(1, char16_t(0xD800))), "\xef\xbf\xbd");
}
