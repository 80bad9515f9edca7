#include <gtest/gtest.h>

#include <unicode/normalizer2.h>
#include <unicode/utf16.h>

#include <string>
#include <vector>

#include "platform/WLog.h"
#include "search/WSearchMatcher.h"

namespace {

constexpr WRange kNotFound{WNotFound, 0};

WRange findIn(std::u16string_view text, std::u16string_view pattern, bool ignoreCase = true,
              WSearchDirection direction = WSearchForward)
{
    return WSearchMatcher(pattern, ignoreCase).find(text, {0, static_cast<uint32_t>(text.size())}, direction);
}

}  // namespace

TEST(WSearchMatcher, FindsWithinTheRangeOnlyAndAtTheTextsEnds)
{
    const std::u16string text = u"abcxxabc";
    WSearchMatcher m(u"abc", false);
    EXPECT_EQ(m.find(text, {0, 8}, WSearchForward), (WRange{0, 3}));
    EXPECT_EQ(m.find(text, {1, 7}, WSearchForward), (WRange{5, 3}));
    EXPECT_EQ(m.find(text, {8, 0}, WSearchForward), kNotFound);
    // The occurrence must lie wholly inside the range, at either end.
    EXPECT_EQ(m.find(text, {0, 7}, WSearchForward), (WRange{0, 3}));
    EXPECT_EQ(m.find(text, {1, 6}, WSearchForward), kNotFound);
    EXPECT_EQ(m.find(text, {0, 8}, WSearchBackward), (WRange{5, 3}));
    EXPECT_EQ(m.find(text, {0, 7}, WSearchBackward), (WRange{0, 3}));
    EXPECT_EQ(m.find(text, {0, 2}, WSearchBackward), kNotFound);
    EXPECT_EQ(m.find(text, {0, 0}, WSearchBackward), kNotFound);
    // Backward takes the occurrence that starts last, even when occurrences overlap.
    EXPECT_EQ(findIn(u"aaa", u"aa", false, WSearchBackward), (WRange{1, 2}));
    EXPECT_EQ(findIn(u"", u"a"), kNotFound);
}

TEST(WSearchMatcher, RangeOutsideTheTextIsRefusedWithALogLine)
{
    std::vector<std::string> lines;
    const auto old = WLog::setSink([&](std::string_view line) { lines.emplace_back(line); });
    WSearchMatcher m(u"a", true);
    EXPECT_EQ(m.find(u"aaa", {2, 2}, WSearchForward), kNotFound);
    EXPECT_EQ(m.find(u"aaa", {4, 0}, WSearchBackward), kNotFound);
    EXPECT_EQ(m.find(u"aaa", {1, 0xFFFFFFFF}, WSearchForward), kNotFound);
    EXPECT_EQ(m.find(u"aaa", {3, 0}, WSearchForward), kNotFound);
    WLog::setSink(old);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "WSearchMatcher::find - range out of bounds.");
}

TEST(WSearchMatcher, EmptySearchStringNeverMatches)
{
    WSearchMatcher m(u"", true);
    EXPECT_TRUE(m.isEmpty());
    EXPECT_EQ(m.find(u"abc", {0, 3}, WSearchForward), kNotFound);
    EXPECT_EQ(m.find(u"abc", {0, 3}, WSearchBackward), kNotFound);
    EXPECT_EQ(m.find(u"", {0, 0}, WSearchForward), kNotFound);
    const auto result = m.replaceAll(u"abc", u"x");
    EXPECT_EQ(result.count, 0u);
    EXPECT_EQ(result.text, u"abc");
}

TEST(WSearchMatcher, CanonicallyEquivalentSequencesMatchEachOther)
{
    // Precomposed ば against は + combining voiced mark, both ways, in both case modes.
    for (bool ignoreCase : {false, true}) {
        EXPECT_EQ(findIn(u"そば\u3068", u"\u306F\u3099", ignoreCase), (WRange{1, 1}));
        EXPECT_EQ(findIn(u"そ\u306F\u3099と", u"ば", ignoreCase), (WRange{1, 2}));
        EXPECT_EQ(findIn(u"\u306F\u3099", u"\u306F\u3099", ignoreCase), (WRange{0, 2}));
    }
    // A character is never split from the marks that follow it.
    EXPECT_EQ(findIn(u"ば", u"は"), kNotFound);
    EXPECT_EQ(findIn(u"\u306F\u3099", u"は"), kNotFound);
    EXPECT_EQ(findIn(u"cafe\u0301", u"cafe"), kNotFound);
    EXPECT_EQ(findIn(u"cafe\u0301 cafe", u"cafe"), (WRange{6, 4}));
    EXPECT_EQ(findIn(u"caf\u00E9", u"cafe\u0301", false), (WRange{0, 4}));
    // Marks of different combining classes may come in either order.
    EXPECT_EQ(findIn(u"xa\u0323\u0301", u"a\u0301\u0323", false), (WRange{1, 3}));
    EXPECT_EQ(findIn(u"x\u1EA5", u"a\u0302\u0301", false), (WRange{1, 1}));
    // Even when the text begins with the marks.
    EXPECT_EQ(findIn(u"\u0301\u3099x", u"\u3099\u0301", false), (WRange{0, 2}));
    EXPECT_EQ(findIn(u"\u0301\u3099x", u"\u3099\u0301", true, WSearchBackward), (WRange{0, 2}));
    // Singleton decompositions: the Kelvin sign is K, the Angstrom sign is Å.
    EXPECT_EQ(findIn(u"5\u212A", u"K", false), (WRange{1, 1}));
    EXPECT_EQ(findIn(u"\u212B", u"\u00C5", false), (WRange{0, 1}));
    // Hangul syllables and their jamo.
    EXPECT_EQ(findIn(u"한국", u"\u1112\u1161\u11AB", false), (WRange{0, 1}));
    // Compatibility forms are different text: half-width ｶﾞ is not ガ.
    EXPECT_EQ(findIn(u"\uFF76\uFF9E", u"ガ"), kNotFound);
}

TEST(WSearchMatcher, IgnoringCaseFollowsUnicodeCaseFolding)
{
    EXPECT_EQ(findIn(u"xABCx", u"abc", true), (WRange{1, 3}));
    EXPECT_EQ(findIn(u"xABCx", u"abc", false), kNotFound);
    // ß folds to ss: the found range may be longer or shorter than the search string.
    EXPECT_EQ(findIn(u"STRASSE", u"straße"), (WRange{0, 7}));
    EXPECT_EQ(findIn(u"straße", u"STRASSE"), (WRange{0, 6}));
    EXPECT_EQ(findIn(u"\u1E9E", u"ss"), (WRange{0, 1}));
    EXPECT_EQ(findIn(u"ß", u"s"), kNotFound);
    EXPECT_EQ(findIn(u"SS", u"ß", false), kNotFound);
    // The titlecase digraph ǅ and its lower and upper forms.
    for (std::u16string_view form : {u"\u01C4", u"\u01C5", u"\u01C6"}) {
        EXPECT_EQ(findIn(std::u16string(u"x") + std::u16string(form), u"\u01C5"), (WRange{1, 1}));
    }
    EXPECT_EQ(findIn(u"\u01C4\u01C6", u"\u01C5", false), kNotFound);
    // Greek final sigma folds like the other two sigmas.
    EXPECT_EQ(findIn(u"ΟΔΟΣ οδος", u"οδοσ"), (WRange{0, 4}));
    EXPECT_EQ(findIn(u"ΟΔΟΣ οδος", u"οδοσ", true, WSearchBackward), (WRange{5, 4}));
    EXPECT_EQ(findIn(u"οδος", u"οδοσ", false), kNotFound);
    // Folding plus decomposition: İ folds to i with a dot above.
    EXPECT_EQ(findIn(u"\u0130", u"i\u0307"), (WRange{0, 1}));
    EXPECT_EQ(findIn(u"\u0130", u"i"), kNotFound);
    // Full-width Latin letters have case too.
    EXPECT_EQ(findIn(u"ＡＢＣ", u"ａｂｃ"), (WRange{0, 3}));
}

TEST(WSearchMatcher, SurrogatePairsStayWhole)
{
    const std::u16string text = u"a\U0001F600b\U0001F600";
    EXPECT_EQ(findIn(text, u"\U0001F600"), (WRange{1, 2}));
    EXPECT_EQ(findIn(text, u"\U0001F600", true, WSearchBackward), (WRange{4, 2}));
    EXPECT_EQ(findIn(text, u"b\U0001F600"), (WRange{3, 3}));
    // Deseret letters fold across the supplementary planes.
    EXPECT_EQ(findIn(u"x\U00010400", u"\U00010428"), (WRange{1, 2}));
    EXPECT_EQ(findIn(u"x\U00010400", u"\U00010428", false), kNotFound);
    // Half a pair matches nothing, and stray halves in the text do no harm.
    EXPECT_EQ(findIn(text, std::u16string(1, char16_t(0xD83D))), kNotFound);
    const std::u16string broken = std::u16string(1, char16_t(0xDE00)) + u"ab" + char16_t(0xD83D);
    EXPECT_EQ(findIn(broken, u"ab"), (WRange{1, 2}));
    EXPECT_EQ(findIn(broken, u"b", true, WSearchBackward), (WRange{2, 1}));
}

TEST(WSearchMatcher, JapaneseText)
{
    const std::u16string text = u"検索の文字列を検索する。\r全角ＡＢＣと半角abc";
    EXPECT_EQ(findIn(text, u"検索"), (WRange{0, 2}));
    EXPECT_EQ(findIn(text, u"検索", true, WSearchBackward), (WRange{7, 2}));
    EXPECT_EQ(findIn(text, u"。\r全"), (WRange{11, 3}));
    EXPECT_EQ(findIn(text, u"ABC"), (WRange{21, 3}));
    EXPECT_EQ(findIn(text, u"ｂｃ"), (WRange{16, 2}));
    EXPECT_EQ(findIn(text, u"検策"), kNotFound);
}

TEST(WSearchMatcher, EveryPositionOfALongTextIsReached)
{
    // Plain runs are scanned blocks at a time, for one unit or for a pair:
    // an occurrence must be found at every offset, beside ASCII or not.
    for (char16_t filler : {u'x', u'\u3042'}) {
        for (uint32_t at = 0; at + 1 < 40; ++at) {
            std::u16string text(40, filler);
            text[at] = u'A';
            text[at + 1] = u'\u017F';  // long s, which folds to s
            EXPECT_EQ(findIn(text, u"a"), (WRange{at, 1})) << at;
            EXPECT_EQ(findIn(text, u"as"), (WRange{at, 2})) << at;
            EXPECT_EQ(findIn(text, u"as", true, WSearchBackward), (WRange{at, 2})) << at;
            EXPECT_EQ(findIn(text, u"as", false), kNotFound) << at;
            text[at + 1] = u'c';
            EXPECT_EQ(findIn(text, u"ab"), kNotFound) << at;
        }
    }
}

TEST(WSearchMatcher, ReplaceAllNeverOverlapsNorSearchesItsReplacements)
{
    struct Case {
        std::u16string_view text, pattern, replacement;
        bool ignoreCase;
        std::u16string_view result;
        uint32_t count;
    };
    const Case cases[] = {
        {u"aaa", u"a", u"aa", true, u"aaaaaa", 3},
        {u"aaaaa", u"aa", u"b", true, u"bba", 2},
        {u"xAyaz", u"a", u"", true, u"xyz", 2},
        {u"xAyaz", u"a", u"-", false, u"xAy-z", 1},
        {u"abc", u"x", u"y", true, u"abc", 0},
        {u"", u"x", u"y", true, u"", 0},
        // Whole equivalent sequences are replaced, whatever their length.
        {u"\u306F\u3099か\u3070", u"ば", u"ぱ", false, u"ぱかぱ", 2},
        {u"Straße STRASSE", u"SS", u"ss", true, u"Strasse STRAssE", 2},
        {u"\U0001F600x\U0001F600", u"\U0001F600", u"y", true, u"yxy", 2},
    };
    for (const Case& c : cases) {
        const auto r = WSearchMatcher(c.pattern, c.ignoreCase).replaceAll(c.text, c.replacement);
        EXPECT_EQ(r.text, c.result);
        EXPECT_EQ(r.count, c.count);
    }
}

namespace {

// A slow matcher for comparison: tries every pair of segment boundaries and
// compares the normalized (and folded) piece with the search string, using
// ICU on whole strings.
class ReferenceMatcher {
public:
    ReferenceMatcher(std::u16string_view pattern, bool ignoreCase) : mIgnoreCase(ignoreCase)
    {
        UErrorCode status = U_ZERO_ERROR;
        mNfd = icu::Normalizer2::getNFDInstance(status);
        mKey = form(pattern);
    }

    std::u16string form(std::u16string_view text) const
    {
        UErrorCode status = U_ZERO_ERROR;
        icu::UnicodeString result = mNfd->normalize(icu::UnicodeString(text.data(), int32_t(text.size())), status);
        if (mIgnoreCase)
            result = mNfd->normalize(result.foldCase(), status);
        return std::u16string(result.getBuffer(), size_t(result.length()));
    }

    WRange find(std::u16string_view text, bool backward) const
    {
        if (mKey.empty())
            return kNotFound;
        std::vector<size_t> bounds;
        for (size_t q = 0; q <= text.size(); ++q) {
            if (isBoundary(text, q))
                bounds.push_back(q);
        }
        WRange found = kNotFound;
        for (size_t i = 0; i < bounds.size(); ++i) {
            for (size_t j = i + 1; j < bounds.size(); ++j) {
                const std::u16string piece = form(text.substr(bounds[i], bounds[j] - bounds[i]));
                if (piece.size() > mKey.size())
                    break;  // longer pieces only grow
                if (piece == mKey) {
                    found = {uint32_t(bounds[i]), uint32_t(bounds[j] - bounds[i])};
                    if (!backward)
                        return found;
                    break;
                }
            }
        }
        return found;
    }

private:
    bool isBoundary(std::u16string_view s, size_t q) const
    {
        if (q == 0 || q == s.size())
            return true;
        if (U16_IS_TRAIL(s[q]) && U16_IS_LEAD(s[q - 1]))
            return false;
        UChar32 c = s[q];
        if (U16_IS_LEAD(c) && q + 1 < s.size() && U16_IS_TRAIL(s[q + 1]))
            c = U16_GET_SUPPLEMENTARY(c, s[q + 1]);
        return mNfd->hasBoundaryBefore(c);
    }

    bool mIgnoreCase;
    std::u16string mKey;
    const icu::Normalizer2* mNfd;
};

}  // namespace

TEST(WSearchMatcher, AgreesWithASlowReferenceOnTrickyText)
{
    // Letters that fold or decompose, marks, kana, supplementary characters,
    // in random texts and search strings; ranges of every kind.
    const std::u16string alphabet[] = {
        u"a", u"A", u"b", u"s", u"S", u"ß", u"\u017F", u"k", u"K", u"\u212A", u"e", u"\u0301", u"\u0323", u"\u00E9",
        u"は", u"\u3099", u"ば", u"\U0001F600", u"\U00010400", u"\U00010428", u" ", u"\u01C5", u"\u01C6", u"x",
        u"\u0130", u"i", u"\u0307", u"한", u"\u1112", u"\u1161", u"\u11AB", u"\u0F73", u"\u0F71", u"\u0F72",
        u"\uFB03", u"f", u"\u0345", u"\u1FB3", u"\u03B1", u"\u03B9"};
    uint32_t seed = 7;
    auto next = [&seed](uint32_t bound) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % bound;
    };
    auto randomText = [&](uint32_t maxPieces) {
        std::u16string text;
        for (uint32_t i = next(maxPieces + 1); i > 0; --i)
            text += alphabet[next(std::size(alphabet))];
        return text;
    };
    for (int round = 0; round < 1500; ++round) {
        // Long enough for the block scans, then a tail.
        std::u16string text = std::u16string(next(24), u'x') + randomText(24);
        const std::u16string pattern = next(2) ? randomText(3) : text.substr(next(text.size() + 1), 1 + next(3));
        const bool ignoreCase = next(2);
        const uint32_t from = next(text.size() + 1);
        const uint32_t length = next(text.size() - from + 1);
        const std::u16string_view range = std::u16string_view(text).substr(from, length);

        const WSearchMatcher matcher(pattern, ignoreCase);
        const ReferenceMatcher reference(pattern, ignoreCase);
        for (WSearchDirection direction : {WSearchForward, WSearchBackward}) {
            WRange expected = reference.find(range, direction == WSearchBackward);
            if (expected.location != WNotFound)
                expected.location += from;
            ASSERT_EQ(matcher.find(text, {from, length}, direction), expected)
                << "round " << round << (direction == WSearchBackward ? " backward" : " forward");
        }
        uint32_t count = 0;
        for (std::u16string_view rest = text;;) {
            const WRange found = reference.find(rest, false);
            if (found.location == WNotFound)
                break;
            ++count;
            rest.remove_prefix(found.maxRange());
        }
        ASSERT_EQ(matcher.replaceAll(text, u"#").count, count) << "round " << round;
    }
}
