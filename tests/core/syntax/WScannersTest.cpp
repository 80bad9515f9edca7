#include <gtest/gtest.h>

#include "SyntaxTestSupport.h"

using S = WStringUtils;

TEST(Tokens, MaximalRunsCutAtTheRangeEnds) {
    std::u16string text = u"ab, c_d";
    EXPECT_EQ(texts(text, S::rangesOfTokens(text)), (Texts{u"ab", u"c_d"}));
    EXPECT_EQ(texts(text, S::rangesOfTokens(text, {1, 4}, u"abcd_")), (Texts{u"b", u"c"}));
    EXPECT_TRUE(S::rangesOfTokens(u", ;").empty());
    EXPECT_EQ(texts(text, S::rangesOfTokens(text, u"abc")), (Texts{u"ab", u"c"}));
    // A prefix must start the run; an empty one matches nothing.
    std::u16string words = u"preview view prefix";
    EXPECT_EQ(texts(words, S::rangesOfTokensStartsWith(words, whole(words), u"pre")), (Texts{u"preview", u"prefix"}));
    EXPECT_TRUE(S::rangesOfTokensStartsWith(words, whole(words), u"").empty());
}

TEST(Lines, CutAtTheRangeAndStartAtTheLineStart) {
    std::u16string text = u"a\rbb\rc";
    EXPECT_EQ(texts(text, S::rangesOfLines(text, {2, 3})), (Texts{u"bb\r"}));
    EXPECT_EQ(texts(text, S::rangesOfLines(text, {2, 2})), (Texts{u"bb"}));
    EXPECT_EQ(texts(text, S::rangesOfLines(text, {0, 3})), (Texts{u"a\r", u"b"}));
    // An empty range gives the line start up to the location.
    EXPECT_EQ(texts(text, S::rangesOfLines(text, {3, 0})), (Texts{u"b"}));
    EXPECT_EQ(S::rangesOfLines(text, {6, 0}).size(), 1u);

    std::u16string stars = u"* one\r two\r*three";
    EXPECT_EQ(texts(stars, S::rangesOfLines(stars, whole(stars), u"*", false)), (Texts{u"* one\r", u"*three"}));
    std::u16string mixed = u"Note a\rnote b\r";
    EXPECT_EQ(S::rangesOfLines(mixed, whole(mixed), u"NOTE", true).size(), 2u);
    EXPECT_EQ(S::rangesOfLines(mixed, whole(mixed), u"Note", false).size(), 1u);
}

TEST(Lines, LineRangesKnowEveryLineEnd) {
    std::u16string text = u"ab\r\ncd\nef\u2028gh";
    EXPECT_EQ(S::lineRangeForRange(text, {1, 0}), (WRange{0, 4}));  // CR LF is one line end
    EXPECT_EQ(S::lineRangeForRange(text, {4, 1}), (WRange{4, 3}));
    EXPECT_EQ(S::lineRangeForRange(text, {7, 3}), (WRange{7, 3}));  // ends with its line end
    EXPECT_EQ(S::lineRangeForRange(text, {7, 4}), (WRange{7, 5}));  // reaches into the next line
    EXPECT_EQ(S::lineRangeForRange(text, {12, 0}), (WRange{10, 2}));
    std::u16string runs = u"\r\rab\r";
    EXPECT_EQ(texts(runs, S::rangesOfLinesWithoutReturns(runs, whole(runs))), (Texts{u"ab"}));
    EXPECT_EQ(S::linesWithoutReturnsOfString(u"x\ry", {0, 3}), (Texts{u"x", u"y"}));
}

TEST(DelimitedSpans, IgnoreCaseAndHonourTheWholeTextMarker) {
    std::u16string text = u"x<B>y</b>z<b>open";
    EXPECT_EQ(texts(text, S::rangesOfStringsStartsWith(text, whole(text), u"<b>", u"</b>")), (Texts{u"<B>y</b>"}));
    EXPECT_EQ(texts(text, S::rangesOfStringsBindedWith(text, {WNotFound, 0}, u"<b>", u"</b>")), (Texts{u"y"}));
    EXPECT_TRUE(S::rangesOfStringsStartsWith(text, {0, 8}, u"<b>", u"</b>").empty());  // closer cut off
    std::u16string words = u"Aa aA aaa";
    EXPECT_EQ(S::rangesOfStrings(words, whole(words), u"aa", true).size(), 3u);  // no overlaps
    EXPECT_EQ(S::rangesOfStrings(words, whole(words), u"aa", false).size(), 1u);
}

TEST(CaseIgnoringScans, FoldAllOfUnicodeAsTheFindPanelDoes) {
    // Letters outside the few scripts a table would list: a with macron, y with
    // diaeresis, alpha with tonos; and sharp s, whose folding is two letters.
    std::u16string text = u"\u0100b \u0178es \u0386\u03A9 STRASSE";
    EXPECT_EQ(texts(text, S::rangesOfStrings(text, whole(text), u"\u0101B", true)), (Texts{u"\u0100b"}));
    EXPECT_EQ(texts(text, S::rangesOfStrings(text, whole(text), u"\u00FFES", true)), (Texts{u"\u0178es"}));
    EXPECT_EQ(texts(text, S::rangesOfStrings(text, whole(text), u"\u03AC\u03C9", true)), (Texts{u"\u0386\u03A9"}));
    EXPECT_EQ(texts(text, S::rangesOfStrings(text, whole(text), u"stra\u00DFe", true)), (Texts{u"STRASSE"}));
    // Matching case stays exact, code unit for code unit.
    EXPECT_TRUE(S::rangesOfStrings(text, whole(text), u"\u0101b", false).empty());

    std::u16string tags = u"x<\u0100>y</\u0101>z";
    EXPECT_EQ(texts(tags, S::rangesOfStringsBindedWith(tags, {WNotFound, 0}, u"<\u0101>", u"</\u0100>")), (Texts{u"y"}));
    std::u16string lines = u"\u0178 one\r\u00FF two\rY three\r";
    EXPECT_EQ(texts(lines, S::rangesOfLines(lines, whole(lines), u"\u00FF", true)), (Texts{u"\u0178 one\r", u"\u00FF two\r"}));
    EXPECT_EQ(texts(lines, S::rangesOfLines(lines, whole(lines), u"\u00FF", false)), (Texts{u"\u00FF two\r"}));
    // A prefix found later in a line does not make the line start with it.
    EXPECT_TRUE(S::rangesOfLines(lines, whole(lines), u"ONE", true).empty());
}

TEST(QuotesAndComments, EscapesAndMarkers) {
    std::u16string text = u"say \\\"hi\\\" 'x'";
    WRangeDictionary found = S::rangesOfQuotedAndCommentedString(text, u"//", whole(text));
    EXPECT_TRUE(found["double_quote"].empty());
    EXPECT_EQ(texts(text, found, "single_quote"), (Texts{u"'x'"}));

    std::u16string comment = u"a // b";
    found = S::rangesOfQuotedAndCommentedString(comment, u"//", whole(comment));
    EXPECT_EQ(texts(comment, found, "comment"), (Texts{u"// b"}));
    std::u16string lines = u"\"s // t\" // u\rv";
    found = S::rangesOfQuotedAndCommentedString(lines, u"//", whole(lines));
    EXPECT_EQ(texts(lines, found, "double_quote"), (Texts{u"\"s // t\""}));
    EXPECT_EQ(texts(lines, found, "comment"), (Texts{u"// u\r"}));
    // A double quote abandons an open single-quoted stretch; unclosed stretches vanish.
    std::u16string odd = u"'a \"b\" 'c";
    found = S::rangesOfQuotedAndCommentedString(odd, u"", whole(odd));
    EXPECT_EQ(texts(odd, found, "double_quote"), (Texts{u"\"b\""}));
    EXPECT_TRUE(found["single_quote"].empty());
}

TEST(MultiLineComments, ClosedOnlyQuotesHonouredAndRangeEnds) {
    std::u16string text = u"a /* b */ c";
    EXPECT_EQ(texts(text, S::rangesOfMultiCommentString(text, u"/*", u"*/", whole(text))), (Texts{u"/* b */"}));
    EXPECT_EQ(S::countMultiCommentString(u"/* open", u"/*", u"*/", {0, 7}), 0u);

    std::u16string quoted = u"'/*' x */";
    EXPECT_EQ(S::countMultiCommentString(quoted, u"/*", u"*/", whole(quoted)), 0u);
    EXPECT_EQ(S::countMultiCommentString(quoted, u"/*", u"*/", whole(quoted), true), 1u);
    std::u16string apostrophe = u"/* it's */ x";
    EXPECT_EQ(S::countMultiCommentString(apostrophe, u"/*", u"*/", whole(apostrophe)), 0u);

    // A tail ending exactly at the range end counts; one unit short, it does not.
    std::u16string tight = u"<!-- a -->b";
    EXPECT_EQ(S::countMultiCommentString(tight, u"<!--", u"-->", {0, 10}), 1u);
    EXPECT_EQ(S::countMultiCommentString(tight, u"<!--", u"-->", {0, 9}), 0u);
    // The unit right after a closing quote may still open a comment.
    std::u16string after = u"\"x\"/* y */";
    EXPECT_EQ(S::countMultiCommentString(after, u"/*", u"*/", whole(after)), 1u);
    // Several comments, the head needing its whole length inside the range.
    std::u16string many = u"/**/ /* a */ /";
    EXPECT_EQ(texts(many, S::rangesOfMultiCommentString(many, u"/*", u"*/", whole(many))), (Texts{u"/**/", u"/* a */"}));
}

TEST(MultiLineComments, LongTextsAreWalkedWholeAcrossBlocks) {
    // Long stretches without delimiters exercise the block-wise search.
    std::u16string text = std::u16string(37, u'x') + u"<!--" + std::u16string(70, u'y') + u"-->" +
                          std::u16string(9, u'z') + u"'" + std::u16string(20, u'q') + u"'<!--a-->";
    EXPECT_EQ(S::countMultiCommentString(text, u"<!--", u"-->", whole(text)), 2u);
    auto ranges = S::rangesOfMultiCommentString(text, u"<!--", u"-->", whole(text));
    ASSERT_EQ(ranges.size(), 2u);
    EXPECT_EQ(ranges[0].range(), (WRange{37, 77}));
}
