#include <gtest/gtest.h>

#include "SyntaxTestSupport.h"

namespace {

const std::u16string kTokens = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_";

WRangeDictionary php(std::u16string_view text, const std::vector<std::u16string>* keywords, WRange range) {
    static const std::u16string tokens = kTokens + u"$-";
    return WStringUtils::rangesOfColorSyntaxWith(text, range, u"/*", u"*/", u"//", keywords, u"$",
                                                 std::u16string_view(tokens));
}

WRangeDictionary php(std::u16string_view text, const std::vector<std::u16string>* keywords = nullptr) {
    return php(text, keywords, whole(text));
}

WRangeDictionary ruby(std::u16string_view text, const std::vector<std::u16string>* keywords = nullptr) {
    static const std::u16string tokens = kTokens + u"-@$%&:'?=";
    return WStringUtils::rangesOfColorSyntaxWith(text, whole(text), u"=begin", u"=end", u"#", keywords, u"$@",
                                                 std::u16string_view(tokens));
}

WRangeDictionary markup(std::u16string_view text) {
    return WStringUtils::rangesOfHMLSyntaxWith(text, whole(text), nullptr);
}

}  // namespace

TEST(ScriptScanner, ClassesOfAPhpLine) {
    std::u16string text = u"$a = 'x'; // c\rnext";
    WRangeDictionary c = php(text);
    EXPECT_EQ(texts(text, c, "variables"), (Texts{u"$a"}));
    EXPECT_EQ(texts(text, c, "single_quote"), (Texts{u"'x'"}));
    EXPECT_EQ(texts(text, c, "single_comment"), (Texts{u"// c"}));
    // The CR after the comment belongs to no class.
    EXPECT_EQ(texts(text, c, "others"), (Texts{u" = ", u"; ", u"next"}));
}

TEST(ScriptScanner, UnclosedStringsAndCommentsRunToTheRangeEnd) {
    std::u16string text = u"x 'abc";
    EXPECT_EQ(texts(text, php(text), "single_quote"), (Texts{u"'abc"}));
    std::u16string lone = u"x \"";
    EXPECT_EQ(texts(lone, php(lone), "double_quote"), (Texts{u"\""}));
    std::u16string escaped = u"\"a\\\"b\" c";
    EXPECT_EQ(texts(escaped, php(escaped), "double_quote"), (Texts{u"\"a\\\"b\""}));
    std::u16string open = u"a /* x";
    EXPECT_EQ(texts(open, php(open), "multi_comment"), (Texts{u"/* x"}));
    std::u16string head = u"a /*";
    EXPECT_EQ(texts(head, php(head), "multi_comment"), (Texts{u"/*"}));
    // A comment ends at the scanned range even when the text goes on.
    std::u16string longer = u"/* a */ b";
    EXPECT_EQ(texts(longer, php(longer, nullptr, {0, 5}), "multi_comment"), (Texts{u"/* a "}));
}

TEST(ScriptScanner, QuoteLikeLiteralsNestAndStayOthers) {
    std::u16string text = u"%w(a (b) 'c') x";
    WRangeDictionary c = ruby(text);
    EXPECT_TRUE(c["single_quote"].empty());
    EXPECT_EQ(texts(text, c, "others"), (Texts{text}));
    std::u16string blank = u"% 'q'";  // the percent sign is ordinary text
    EXPECT_EQ(texts(blank, ruby(blank), "single_quote"), (Texts{u"'q'"}));
    std::u16string word = u"%d'q'";  // a word character: no literal, the quote still counts
    EXPECT_EQ(texts(word, ruby(word), "single_quote"), (Texts{u"'q'"}));
    std::u16string bang = u"%r!a'b! 'c'";
    EXPECT_EQ(texts(bang, ruby(bang), "single_quote"), (Texts{u"'c'"}));
    // A literal stops at the line end; what follows is scanned again.
    std::u16string cut = u"%q(a 'b\r'c'";
    EXPECT_EQ(texts(cut, ruby(cut), "single_quote"), (Texts{u"'c'"}));
}

TEST(ScriptScanner, SlashPatternsHideTheirContents) {
    std::u16string text = u"a / $b / $cc;";
    EXPECT_EQ(texts(text, php(text), "variables"), (Texts{u"$cc"}));
    std::u16string unclosed = u"a / $b\r$cc;";  // no second slash on the line: nothing hidden
    EXPECT_EQ(texts(unclosed, php(unclosed), "variables"), (Texts{u"$b", u"$cc"}));
}

TEST(ScriptScanner, VariablesNearTheRangeEndAndKeywordsAsWholeTokens) {
    std::u16string end1 = u"ab $";
    WRangeDictionary c = php(end1);
    EXPECT_TRUE(c["variables"].empty());
    EXPECT_EQ(texts(end1, c, "others"), (Texts{u"ab "}));
    std::u16string end2 = u"ab $x";
    EXPECT_TRUE(php(end2)["variables"].empty());
    std::u16string end3 = u"ab $xy";
    EXPECT_EQ(texts(end3, php(end3), "variables"), (Texts{u"$xy"}));

    std::vector<std::u16string> keywords = {u"if", u"iff"};
    std::u16string words = u"if iff If ifx";
    EXPECT_EQ(texts(words, php(words, &keywords), "keywords"), (Texts{u"if", u"iff"}));
    // With a keyword list a variable head inside a token belongs to the token.
    std::u16string joined = u"a$bc;";
    EXPECT_TRUE(php(joined, &keywords)["variables"].empty());
    EXPECT_EQ(texts(joined, php(joined), "variables"), (Texts{u"$bc"}));
}

TEST(ScriptScanner, RubyApostrophesInsideTokens) {
    std::vector<std::u16string> keywords = {u"puts"};
    std::u16string text = u"it's 'it' puts";
    WRangeDictionary c = ruby(text, &keywords);
    EXPECT_EQ(texts(text, c, "single_quote"), (Texts{u"'it'"}));
    EXPECT_EQ(texts(text, c, "keywords"), (Texts{u"puts"}));
    std::u16string block = u"a\r=begin\rx\r=end\rb";
    EXPECT_EQ(texts(block, ruby(block), "multi_comment"), (Texts{u"=begin\rx\r=end"}));
}

TEST(MarkupScanner, TagsQuotesReferencesAndComments) {
    std::u16string text = u"<a href='x'>t</a>";
    WRangeDictionary c = markup(text);
    EXPECT_EQ(texts(text, c, "tags"), (Texts{u"<a href=", u">", u"</a>"}));
    EXPECT_EQ(texts(text, c, "single_quote"), (Texts{u"'x'"}));
    EXPECT_EQ(texts(text, c, "others"), (Texts{u"t"}));
    EXPECT_TRUE(c["keywords"].empty());

    std::u16string refs = u"a &amp; AT&T rocks";
    EXPECT_EQ(texts(refs, markup(refs), "refs"), (Texts{u"&amp;", u"&T rocks"}));
    std::u16string comment = u"<!-- a -->b<!-->c";
    c = markup(comment);
    EXPECT_EQ(texts(comment, c, "comments"), (Texts{u"<!-- a -->", u"<!-->"}));
    EXPECT_EQ(texts(comment, c, "others"), (Texts{u"b", u"c"}));
    std::u16string open = u"x<!-- a";
    EXPECT_EQ(texts(open, markup(open), "comments"), (Texts{u"<!-- a"}));
    // A tag cut by the range end still gets its class; quotes outside tags are prose.
    std::u16string cut = u"it's <b";
    c = markup(cut);
    EXPECT_EQ(texts(cut, c, "tags"), (Texts{u"<b"}));
    EXPECT_TRUE(c["single_quote"].empty());
    std::u16string dq = u"<p class=\"a>b\">";
    c = markup(dq);
    EXPECT_EQ(texts(dq, c, "double_quote"), (Texts{u"\"a>b\""}));
    EXPECT_EQ(texts(dq, c, "tags"), (Texts{u"<p class=", u">"}));
}
