#include <unistd.h>

#include <cmath>

#include "SyntaxFixture.h"
#include "syntax/WColorSyntaxServer.h"
#include "text/WStringUtils.h"

namespace {

// Every colour differs in its blue component only, so a position's class reads as a number.
enum Paint { kNone = -1, kBase = 1, kComment, kKeyword, kQuote, kVariable, kTag, kRef, kBracket, kIndex, kGroup, kItem };
constexpr int kMarker = 99;

WColor paint(int n) { return {0, 0, n / 255.0f, 1}; }

const char* kAllColours =
    "background_color = #FFFFFF\rbase_string_color = #000001\rcomment_color = #000002\r"
    "keyword_color = #000003\rdoublequote_color = #000004\rvariable_color = #000005\r"
    "tag_color = #000006\rref_color = #000007\rbracket_color = #000008\r"
    "indexed_line_color = #000009\rgroup_color = #00000A\ritem_color = #00000B\r";

struct Changes : WTextStorageListener {
    std::vector<WRange> ranges;
    void textStorageDidChangeAttributes(WTextStorage&, WRange r) override { ranges.push_back(r); }
};

class ColorSyntaxServerTest : public SyntaxFixture {
protected:
    void SetUp() override {
        SyntaxFixture::SetUp();
        for (const char* f : {"html_settings", "css_settings", "php_settings", "perl_settings", "ruby_settings",
                              "i-text_settings", "w-index_settings"})
            shipped(f, kAllColours);
        shipped("php_keywords", "echo, function");
        shipped("perl_keywords", "print my");
        shipped("ruby_keywords", "puts def end");
        shipped("css_keywords", "color: red");
        shipped("i-text_keywords", "Chapter Section");
    }

    void open(std::u16string_view text, int32_t type) {
        storage.setString(text);
        // A replaced text keeps the attributes of what it replaced: start uncoloured.
        storage.removeAttribute(WAttributeName::ForegroundColor, {0, storage.length()});
        engine = WColorSyntaxServer::colorSyntaxServerWithTextStorage(&storage, type);
        engine->adjustColorSyntaxWithRange({0, storage.length()}, &font);
    }
    // Paints everything in the marker colour: whatever the engine repaints loses it.
    void mark() { storage.setForegroundColor(paint(kMarker), {0, storage.length()}); }
    void type(uint32_t at, std::u16string_view text, uint32_t replacing = 0) {
        storage.replaceCharactersInRange({at, replacing}, text);
        engine->adjustColorSyntaxWithRange({at, static_cast<uint32_t>(text.size())}, &font);
    }
    int at(uint32_t index) const {
        auto color = storage.attributesAtIndex(index).foregroundColor;
        return color ? static_cast<int>(std::lround(color->blue * 255)) : kNone;
    }
    int at(std::u16string_view piece) const { return at(static_cast<uint32_t>(storage.string().find(piece))); }
    bool marked(uint32_t from, uint32_t to) const {
        for (uint32_t i = from; i < to; ++i)
            if (at(i) != kMarker) return false;
        return true;
    }

    WTextStorage storage;
    WFont font{"Mono", 12};
    std::unique_ptr<WColorSyntaxServer> engine;
};

}  // namespace

TEST_F(ColorSyntaxServerTest, HtmlRecoloursAsFarAsAnEditReaches) {
    std::u16string text = u"<p>one</p>\r<!-- c -->\rtwo &amp;\rthree\r";
    open(text, WColorSyntaxServer::kHTML);
    EXPECT_EQ(at(u"<p>"), kTag);
    EXPECT_EQ(at(u"one"), kBase);
    EXPECT_EQ(at(u"<!--"), kComment);
    EXPECT_EQ(at(u"&amp;"), kRef);
    EXPECT_EQ(*storage.attributesAtIndex(0).font, font);

    // "<!--" opens a comment that is not closed: it runs over the following lines
    // to the end, and what lies before the edited line keeps its colours.
    mark();
    uint32_t line3 = static_cast<uint32_t>(storage.string().find(u"two"));
    type(line3, u"<!--");
    EXPECT_TRUE(marked(0, line3));
    for (uint32_t i = line3; i < storage.length(); ++i) EXPECT_EQ(at(i), kComment) << i;

    // Its "-->" on a later line closes it there: the comment's lines are
    // recoloured, and the scan stops at the first line past the edit.
    mark();
    type(static_cast<uint32_t>(storage.string().find(u"three")) + 5, u"-->");
    EXPECT_TRUE(marked(0, line3));
    EXPECT_EQ(at(u"<!--two"), kComment);
    EXPECT_EQ(at(u"three"), kComment);
    type(storage.length(), u"<b>x");
    EXPECT_EQ(at(u"<b>"), kTag);
    EXPECT_EQ(at(u"three"), kComment);

    // A deletion gives an empty range, widened to its line.
    mark();
    uint32_t one = static_cast<uint32_t>(storage.string().find(u"one"));
    storage.replaceCharactersInRange({one, 1}, u"");
    engine->adjustColorSyntaxWithRange({one, 0}, &font);
    EXPECT_EQ(at(u"ne"), kBase);
    EXPECT_TRUE(marked(static_cast<uint32_t>(storage.string().find(u"<!-- c")), storage.length()));
}

TEST_F(ColorSyntaxServerTest, UnchangedColoursTouchNothing) {
    open(u"<p>a</p>\rb\r", WColorSyntaxServer::kHTML);
    Changes changes;
    storage.addListener(&changes);
    engine->adjustColorSyntaxWithRange({0, storage.length()}, &font);
    EXPECT_TRUE(changes.ranges.empty());
    storage.removeListener(&changes);
}

TEST_F(ColorSyntaxServerTest, MissingColourStopsAfterTheLogLine) {
    shipped("html_settings", "background_color = #FFFFFF\rbase_string_color = #000001\rcomment_color = #000002\r"
                             "tag_color = #000006\rdoublequote_color = #000004\r");
    storage.setString(u"<p>x</p>");
    mark();
    engine = WColorSyntaxServer::colorSyntaxServerWithTextStorage(&storage, WColorSyntaxServer::kHTML);
    engine->adjustColorSyntaxWithRange({0, storage.length()}, &font);
    EXPECT_TRUE(logged("WColorSyntaxServer::validateColorSyntaxHTML - invalid color."));
    EXPECT_TRUE(marked(0, storage.length()));
    EXPECT_EQ(*storage.attributesAtIndex(3).font, font);  // the font is applied all the same

    // CSS also lists its settings when a colour is missing.
    shipped("css_settings", "keyword_color = #000003\r");
    open(u"a { color: red }", WColorSyntaxServer::kCSS);
    EXPECT_TRUE(logged("WColorSyntaxServer::validateColorSyntaxCSS - invalid color."));
    EXPECT_TRUE(logged("[keyword_color] #000003"));
}

TEST_F(ColorSyntaxServerTest, ShellScriptsAndPlainText) {
    open(u"echo hi", 9);
    EXPECT_TRUE(logged("WColorSyntaxServer::setTextType - non-supported type."));
    EXPECT_EQ(engine->textType(), 0);
    EXPECT_EQ(at(0u), kNone);
    EXPECT_EQ(*storage.attributesAtIndex(0).font, font);

    WColorSyntaxServer::setPreferenceColors([](std::string_view key) -> std::optional<WColor> {
        return key == "base_string_color" ? paint(42) : WColor{0.5f, 0.5f, 0.5f, 1};
    });
    open(u"plain\rtext", WColorSyntaxServer::kPlain);
    EXPECT_EQ(at(7u), 42);
    EXPECT_EQ(*storage.attributesAtIndex(7).backgroundColor, (WColor{0.5f, 0.5f, 0.5f, 1}));
    EXPECT_FALSE(engine->settings());
    WColorSyntaxServer::setPreferenceColors(nullptr);
}

TEST_F(ColorSyntaxServerTest, PhpClassesAndTypingInsideAComment) {
    std::u16string text = u"echo $name; // note\rx = 1; /* long\rcomment */ $y = 2;\rlast\r";
    open(text, WColorSyntaxServer::kPHP);
    EXPECT_EQ(at(u"echo"), kKeyword);
    EXPECT_EQ(at(u"$name"), kVariable);
    EXPECT_EQ(at(u"// note"), kComment);
    EXPECT_EQ(at(u"; //"), kBase);
    EXPECT_EQ(at(u"comment */"), kComment);
    EXPECT_EQ(at(u"$y"), kVariable);

    // Typing inside the closed comment repaints the lines the comment spans, not
    // the lines around them.
    mark();
    uint32_t inside = static_cast<uint32_t>(storage.string().find(u"long")) + 2;
    type(inside, u"#");
    uint32_t from = static_cast<uint32_t>(storage.string().find(u"x = 1"));
    uint32_t to = static_cast<uint32_t>(storage.string().find(u"last"));
    EXPECT_TRUE(marked(0, from));
    EXPECT_EQ(at(u"x = 1"), kBase);
    for (uint32_t i = from + 7; i < storage.string().find(u"*/") + 2; ++i) EXPECT_EQ(at(i), kComment) << i;
    EXPECT_EQ(at(u"$y"), kVariable);
    EXPECT_TRUE(marked(to, storage.length()));
    EXPECT_EQ(at(u"#"), kComment);  // "#" starts no comment in PHP, but here it is inside one
}

TEST_F(ColorSyntaxServerTest, PerlRubyAndCss) {
    open(u"print 'a # b'; # c\rmy @list = %hash; $a-b\r", WColorSyntaxServer::kPerlScript);
    EXPECT_EQ(at(u"# b"), kQuote);
    EXPECT_EQ(at(u"# c"), kComment);
    EXPECT_EQ(at(u"@list"), kVariable);
    EXPECT_EQ(at(u"%hash"), kBase);
    EXPECT_EQ(at(u"-b"), kVariable);  // "-" is a token character: one variable

    open(u"puts 1\r=begin\rdoc\r", WColorSyntaxServer::kRubyScript);
    EXPECT_EQ(at(u"doc"), kComment);  // an open block runs to the end of the text
    mark();
    type(storage.length(), u"=end\r");  // what is added at the end goes into it
    EXPECT_EQ(at(u"doc"), kComment);
    EXPECT_EQ(at(u"=end"), kComment);
    EXPECT_EQ(at(u"puts"), kMarker);  // the edit cannot reach the first line

    open(u"a:hover { color: red; width: 50%; color: red; }", WColorSyntaxServer::kCSS);
    EXPECT_EQ(at(u"color:"), kKeyword);
    EXPECT_EQ(at(u"red"), kKeyword);
    // The percent sign's literal runs to the next ";": nothing in it is a keyword.
    EXPECT_EQ(at(static_cast<uint32_t>(storage.string().rfind(u"color:"))), kBase);
}

TEST_F(ColorSyntaxServerTest, IndexedTextAndMarkupColourWholeLines) {
    open(u"Chapter 1\rSection 2\rchapter 3\r  Section 4\r", WColorSyntaxServer::kIndex);
    EXPECT_EQ(at(u"1"), kIndex);
    EXPECT_EQ(at(u"Section 2"), kIndex);
    EXPECT_EQ(at(u"chapter"), kBase);
    EXPECT_EQ(at(u"  Section"), kBase);

    open(u"* item\r@group\r*@x\r@*x\rplain\r", WColorSyntaxServer::kWexelMarkup);
    EXPECT_EQ(at(u"* item"), kItem);
    EXPECT_EQ(at(u"@group"), kGroup);
    EXPECT_EQ(at(u"*@x"), kItem);
    EXPECT_EQ(at(u"@*x"), kGroup);
    EXPECT_EQ(at(u"plain"), kBase);
    EXPECT_EQ(*storage.attributesAtIndex(0).backgroundColor, (WColor{1, 1, 1, 1}));
}

TEST_F(ColorSyntaxServerTest, RangesPastTheTextAreCut) {
    open(u"<b>x</b>", WColorSyntaxServer::kHTML);
    engine->adjustColorSyntaxWithRange({5, 100}, &font);
    engine->adjustColorSyntaxWithRange({WNotFound, 1}, nullptr);
    EXPECT_EQ(at(u"x"), kBase);
    EXPECT_EQ(storage.length(), 8u);
}

TEST_F(ColorSyntaxServerTest, WholeTextPaintingMatchesLineByLinePainting) {
    // A long text is painted in one pass; it must come out as painting it line by line does.
    std::u16string html, php;
    for (int i = 0; i < 3000; ++i) {
        html += u"<p class=\"c" + std::u16string(1, char16_t(u'a' + i % 26)) + u"\">text &amp; it's <b>x</b></p>\r";
        php += u"echo $v" + std::u16string(1, char16_t(u'a' + i % 26)) + u" . 'q' . \"w\"; // c\r";
    }
    for (auto [text, type] : {std::pair{html, WColorSyntaxServer::kHTML}, std::pair{php, WColorSyntaxServer::kPHP}}) {
        ASSERT_GT(text.size(), 1u << 16);
        open(text, type);
        WTextStorage byLines(text);
        auto lineEngine = WColorSyntaxServer::colorSyntaxServerWithTextStorage(&byLines, type);
        for (const WRangeObj& line : WStringUtils::rangesOfLines(text, {0, static_cast<uint32_t>(text.size())}))
            lineEngine->adjustColorSyntaxWithRange(line.range(), &font);
        std::vector<std::pair<WRange, std::optional<WColor>>> a, b;
        auto collect = [](WTextStorage& s, auto& out) {
            s.enumerateAttribute(WAttributeName::ForegroundColor, {0, s.length()},
                                 [&](const WAttributeValue* v, WRange r) {
                                     out.push_back({r, v ? std::optional<WColor>(std::get<WColor>(*v)) : std::nullopt});
                                 });
        };
        collect(storage, a);
        collect(byLines, b);
        size_t first = 0;
        while (first < std::min(a.size(), b.size()) && a[first] == b[first]) ++first;
        EXPECT_EQ(first, a.size()) << "type " << type << " differs at run " << first << " of " << a.size() << "/"
                                   << b.size() << " at " << (first < a.size() ? a[first].first.location : 0) << "+"
                                   << (first < a.size() ? a[first].first.length : 0) << " vs "
                                   << (first < b.size() ? b[first].first.length : 0);
        EXPECT_EQ(a.size(), b.size());
        EXPECT_GT(a.size(), 10000u);
    }
}

TEST_F(ColorSyntaxServerTest, AnEditThatOpensACommentRecoloursWhatFollowsIt) {
    // The new comment ends inside what was a string: the rest of the line leaves
    // the string, and its closing quote opens one that runs over the next line.
    open(u"echo \"a /**/ b\"; x\r/* c */\r", WColorSyntaxServer::kPHP);
    EXPECT_EQ(at(u"b\""), kQuote);
    EXPECT_EQ(at(u"/* c"), kComment);
    type(0, u"/*");
    EXPECT_EQ(at(u"/*echo"), kComment);
    EXPECT_EQ(at(u"b\""), kBase);
    EXPECT_EQ(at(u"\"; x"), kQuote);
    EXPECT_EQ(at(u"/* c"), kQuote);
    // Typing inside the string stays inside it; taking the comment away again
    // gives the first colours back.
    type(static_cast<uint32_t>(storage.string().find(u" c ")) + 1, u"d");
    EXPECT_EQ(at(u"dc"), kQuote);
    storage.replaceCharactersInRange({0, 2}, u"");
    engine->adjustColorSyntaxWithRange({0, 0}, &font);
    EXPECT_EQ(at(u"b\""), kQuote);
    EXPECT_EQ(at(u"/* dc"), kComment);
}

TEST_F(ColorSyntaxServerTest, FreshRunsAreWhatColouringAnUncolouredStorageGives) {
    using Runs = std::vector<std::pair<WRange, std::optional<WColor>>>;
    auto stored = [&] {
        Runs runs;
        storage.forEachRun(WAttributeName::ForegroundColor, {0, storage.length()},
                           [&](const WAttributeValue* v, WRange r) {
                               runs.push_back({r, v ? std::optional<WColor>(std::get<WColor>(*v)) : std::nullopt});
                           });
        return runs;
    };
    auto fresh = [&] {
        Runs runs;
        EXPECT_TRUE(engine->forEachFreshRun([&](const WColor* c, WRange r) {
            runs.push_back({r, c ? std::optional<WColor>(*c) : std::nullopt});
        }));
        return runs;
    };
    // A short text is painted class by class, a long one in one pass; each may end
    // inside an unclosed tag, quote, comment, reference or literal.
    struct Case {
        int32_t type;
        std::u16string_view line;
        std::vector<std::u16string_view> tails;
    };
    const Case cases[] = {
        {WColorSyntaxServer::kHTML, u"<p class=\"x\">a &amp; b <!-- c --> 'q' </p>\r",
         {u"", u"<a href=\"x", u"<!-- open", u"&amp", u"<"}},
        {WColorSyntaxServer::kPHP, u"echo $v . 'q' . \"w\"; /* c */ function f() {} // note\r",
         {u"", u"\"open", u"/* open", u"$", u"\\"}},
        {WColorSyntaxServer::kPerlScript, u"my @a = qw(x y); print $b if /re/; # note\r", {u"", u"'open", u"%q{x"}},
        {WColorSyntaxServer::kRubyScript, u"def f(x) puts @v end # note\r=begin\rc\r=end\r", {u"", u"=begin"}},
        {WColorSyntaxServer::kCSS, u"p { color: red; } /* c */ a:hover { x: \"y\" }\r", {u"", u"/*"}},
    };
    for (const Case& c : cases) {
        std::u16string body;
        while (body.size() <= 1u << 16) body += c.line;
        for (std::u16string_view tail : c.tails) {
            const std::u16string end(tail);
            for (const std::u16string& text : {std::u16string(c.line) + end, body + end}) {
                open(text, c.type);
                Runs expected = stored();
                EXPECT_EQ(fresh(), expected) << c.type << " " << text.size() << " " << std::string(end.begin(), end.end());
            }
        }
    }
    // A text that is one closed comment is coloured as that comment.
    open(u"/* all\r of it */", WColorSyntaxServer::kPHP);
    EXPECT_EQ(fresh(), (Runs{{{0, 16}, paint(kComment)}}));
    EXPECT_EQ(stored(), fresh());
    // Classes sharing a colour make one run, as the storage joins them.
    shipped("html_settings", std::string(kAllColours) + "tag_color = #000001\r");
    open(u"<b>x</b>", WColorSyntaxServer::kHTML);
    EXPECT_EQ(fresh(), (Runs{{{0, 8}, paint(kBase)}}));
    EXPECT_EQ(stored(), fresh());
    // The line-based types are coloured through the storage only.
    open(u"Chapter 1\r", WColorSyntaxServer::kIndex);
    EXPECT_FALSE(engine->forEachFreshRun([](const WColor*, WRange) { ADD_FAILURE(); }));
}

TEST_F(ColorSyntaxServerTest, EditsRecolourAsColouringTheTextAfreshDoes) {
    using Runs = std::vector<std::pair<WRange, std::optional<WColor>>>;
    auto runsOf = [](const WTextStorage& s) {
        Runs runs;
        s.forEachRun(WAttributeName::ForegroundColor, {0, s.length()}, [&](const WAttributeValue* v, WRange r) {
            std::optional<WColor> c = v ? std::optional<WColor>(std::get<WColor>(*v)) : std::nullopt;
            if (!runs.empty() && runs.back().second == c) runs.back().first.length += r.length;
            else runs.push_back({r, c});
        });
        return runs;
    };
    struct Edit {
        uint32_t at;  // UINT32_MAX: at the end
        uint32_t replacing;
        std::u16string_view text;
    };
    struct Case {
        int32_t type;
        std::u16string_view text;
        std::vector<Edit> edits;
    };
    constexpr uint32_t kEnd = UINT32_MAX;
    const Case cases[] = {
        // A quote opened or closed runs over the lines after it, both ways.
        {WColorSyntaxServer::kPHP, u"a = 1;\rb = 'x';\rc = 2;\r/* d */\re\r",
         {{0, 0, u"'"}, {4, 0, u"'"}, {4, 1, u""}, {0, 1, u""}}},
        // The input the fuzzer found: a quote hiding a comment head, then comments typed.
        {WColorSyntaxServer::kPHP, u"<?php echo \"a /* b\"; ?>\r/* c */\r", {{16, 0, u"*/"}, {0, 0, u"/*"}}},
        // Adding at the end of a text whose last step the end cut short: an open
        // comment, a variable sign, a percent literal over the line end, an open tag.
        {WColorSyntaxServer::kRubyScript, u"x\r=begin\rdoc\r", {{kEnd, 0, u"more\r"}, {kEnd, 0, u"=end\ry"}}},
        {WColorSyntaxServer::kPHP, u"echo $\r", {{kEnd, 0, u"name"}, {kEnd, 0, u"\r$"}, {kEnd, 0, u"v"}}},
        {WColorSyntaxServer::kPerlScript, u"print %\r", {{kEnd, 0, u"abc def\rnext"}}},
        {WColorSyntaxServer::kHTML, u"<p>a</p>\r<a\r", {{kEnd, 0, u"href=\"x\r"}, {kEnd, 0, u"\">b</a>"}}},
        // Tags and comments over lines, edited in the middle and at both ends.
        {WColorSyntaxServer::kHTML, u"<div\rclass='a'>\rtext <!-- c\rd -->\r&amp\rx;\r",
         {{1, 0, u">"}, {1, 1, u""}, {20, 0, u"--"}, {30, 3, u""}, {0, 0, u"<!--"}, {kEnd, 0, u"-->"}}},
        // A literal that the end cuts short leaves all after the last class uncoloured,
        // back over lines and past a keyword an edit breaks; the end moved by a
        // deletion takes the class of a name sign just before it.
        {WColorSyntaxServer::kCSS, u"p { color: red }\rx\ry 50%; z", {{4, 2, u""}, {0, 0, u"/*"}, {2, 0, u"*/"}}},
        {WColorSyntaxServer::kRubyScript, u"\"\";$\rX", {{5, 1, u""}, {kEnd, 0, u"y"}}},
        // A step over a line end found before the last step that the end cuts short,
        // then a deletion that reaches into both.
        {WColorSyntaxServer::kRubyScript, u"ab     %\u2028\n%%", {{1, 5, u""}}},
        // Line-based colouring: text ending in a line end leaves the rest of its line
        // on a line of its own.
        {WColorSyntaxServer::kIndex, u"Chapter", {{3, 0, u"1\r\tS\rection\r"}, {0, 4, u""}}},
        {WColorSyntaxServer::kWexelMarkup, u"* item", {{1, 0, u"\rx"}}},
        // A text that becomes, and stops being, one comment.
        {WColorSyntaxServer::kCSS, u"/* a\r\"b */\rc { color: red }\r", {{kEnd, 0, u"*/"}, {0, 0, u"p "}}},
    };
    for (const Case& c : cases) {
        open(c.text, c.type);
        for (const Edit& e : c.edits) {
            const uint32_t at = e.at == kEnd ? storage.length() : e.at;
            type(at, e.text, e.replacing);
            WTextStorage fresh(storage.string());
            auto freshEngine = WColorSyntaxServer::colorSyntaxServerWithTextStorage(&fresh, c.type);
            freshEngine->adjustColorSyntaxWithRange({0, fresh.length()}, &font);
            EXPECT_EQ(runsOf(storage), runsOf(fresh))
                << "type " << c.type << ", text " << WStringUtils::toUtf8(storage.string());
        }
    }
}
