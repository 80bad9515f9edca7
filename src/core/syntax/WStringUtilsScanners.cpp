// The scanners that cut text into ranges for colouring, line selection and the
// navigator. They walk the caller's UTF-16 text in place: no copy is made.

#include <algorithm>
#include <optional>

#include "syntax/WMarkupScan.h"
#include "syntax/WScriptScan.h"
#include "syntax/WUnitScan.h"
#include "search/WSearchMatcher.h"
#include "text/WStringUtils.h"

namespace {

constexpr std::u16string_view kDefaultTokenCharacters =
    u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_";

using wscan::isReturn;
using wscan::matchesAt;

bool inSet(char16_t unit, std::u16string_view set) { return set.find(unit) != std::u16string_view::npos; }

bool equalAt(std::u16string_view text, size_t at, std::u16string_view word) {
    return at + word.size() <= text.size() && text.compare(at, word.size(), word) == 0;
}

// The first occurrence of word in [from, end), or {end, 0}. Ignoring case, a
// piece of text matches as it does in the find panel: by Unicode case folding
// and canonical equivalence, so the match may be longer or shorter than word.
WRange search(std::u16string_view text, uint32_t from, uint32_t end, std::u16string_view word,
              const WSearchMatcher* folding) {
    if (folding) {
        WRange found = from < end ? folding->find(text, {from, end - from}, WSearchForward) : WRange{WNotFound, 0};
        return found.location == WNotFound ? WRange{end, 0} : found;
    }
    if (word.empty() || word.size() > end - std::min(from, end)) return {end, 0};
    uint32_t last = end - static_cast<uint32_t>(word.size());
    for (uint32_t p = from; p <= last; ++p) {
        if (equalAt(text.substr(0, end), p, word)) return {p, static_cast<uint32_t>(word.size())};
    }
    return {end, 0};
}

WRange clip(std::u16string_view target, WRange range) {
    auto length = static_cast<uint32_t>(target.size());
    uint32_t location = std::min(range.location, length);
    uint32_t rest = length - location;
    return {location, std::min(range.length, rest)};
}

WRangeArray delimitedSpans(std::u16string_view target, WRange range, std::u16string_view opening,
                           std::u16string_view closing, bool insides) {
    WRangeArray result;
    result.reserve(10);
    range = range.location == WNotFound ? WRange{0, static_cast<uint32_t>(target.size())} : clip(target, range);
    uint32_t end = range.maxRange();
    if (opening.empty() || closing.empty()) return result;
    const WSearchMatcher openingFolded(opening, true);
    const WSearchMatcher closingFolded(closing, true);
    uint32_t p = range.location;
    while (p < end) {
        WRange open = search(target, p, end, opening, &openingFolded);
        if (open.location >= end) break;
        uint32_t inside = open.maxRange();
        WRange close = search(target, inside, end, closing, &closingFolded);
        if (close.location >= end) break;
        uint32_t after = close.maxRange();
        if (insides) result.emplace_back(inside, close.location - inside);
        else result.emplace_back(open.location, after - open.location);
        p = after;
    }
    return result;
}

// Room for the ranges a long scan finds, so that the arrays never move while
// growing: pages reserved but not reached cost nothing.
void reserveFor(WRangeDictionary& classes, WRange range) {
    for (auto& [name, ranges] : classes) ranges.reserve(std::max<size_t>(name == "others" ? 500 : 100, range.length / 8));
}

}  // namespace

WRange WStringUtils::lineRangeForRange(std::u16string_view target, WRange range) {
    range = clip(target, range);
    auto length = static_cast<uint32_t>(target.size());
    uint32_t start = range.location;
    while (start > 0 && !isReturn(target[start - 1])) --start;
    uint32_t p = range.length > 0 ? range.maxRange() - 1 : range.location;
    while (p < length && !isReturn(target[p])) ++p;
    uint32_t end = p;
    if (p < length) {
        end = p + 1;
        if (target[p] == u'\r' && end < length && target[end] == u'\n') ++end;
    }
    return {start, end - start};
}

WRangeArray WStringUtils::rangesOfTokens(std::u16string_view target) {
    return rangesOfTokens(target, {0, static_cast<uint32_t>(target.size())}, kDefaultTokenCharacters);
}

WRangeArray WStringUtils::rangesOfTokens(std::u16string_view target, std::u16string_view tokenCharacters) {
    return rangesOfTokens(target, {0, static_cast<uint32_t>(target.size())}, tokenCharacters);
}

WRangeArray WStringUtils::rangesOfTokens(std::u16string_view target, WRange range,
                                         std::u16string_view tokenCharacters) {
    WRangeArray result;
    result.reserve(100);
    range = clip(target, range);
    bool open = false;
    uint32_t start = 0;
    for (uint32_t p = range.location; p < range.maxRange(); ++p) {
        bool member = inSet(target[p], tokenCharacters);
        if (member && !open) {
            open = true;
            start = p;
        } else if (!member && open) {
            open = false;
            result.emplace_back(start, p - start);
        }
    }
    if (open) result.emplace_back(start, range.maxRange() - start);
    return result;
}

WRangeArray WStringUtils::rangesOfTokensStartsWith(std::u16string_view target, WRange range,
                                                   std::u16string_view prefix) {
    return rangesOfTokensStartsWith(target, range, prefix, kDefaultTokenCharacters);
}

WRangeArray WStringUtils::rangesOfTokensStartsWith(std::u16string_view target, WRange range,
                                                   std::u16string_view prefix,
                                                   std::u16string_view tokenCharacters) {
    WRangeArray result;
    if (prefix.empty()) return result;
    for (const WRangeObj& token : rangesOfTokens(target, range, tokenCharacters)) {
        if (token.length() >= prefix.size() && target.substr(token.location(), prefix.size()) == prefix)
            result.push_back(token);
    }
    return result;
}

WRangeArray WStringUtils::rangesOfStringsStartsWith(std::u16string_view target, WRange range,
                                                    std::u16string_view opening, std::u16string_view closing) {
    return delimitedSpans(target, range, opening, closing, false);
}

WRangeArray WStringUtils::rangesOfStringsBindedWith(std::u16string_view target, WRange range,
                                                    std::u16string_view opening, std::u16string_view closing) {
    return delimitedSpans(target, range, opening, closing, true);
}

WRangeArray WStringUtils::rangesOfStrings(std::u16string_view target, WRange range, std::u16string_view word,
                                          bool ignoreCase) {
    WRangeArray result;
    result.reserve(100);
    range = range.location == WNotFound ? WRange{0, static_cast<uint32_t>(target.size())} : clip(target, range);
    uint32_t end = range.maxRange();
    if (word.empty()) return result;
    std::optional<WSearchMatcher> folding;
    if (ignoreCase) folding.emplace(word, true);
    for (uint32_t p = range.location; p < end;) {
        WRange found = search(target, p, end, word, folding ? &*folding : nullptr);
        if (found.location >= end || found.length == 0) break;
        result.emplace_back(found);
        p = found.maxRange();
    }
    return result;
}

WRangeArray WStringUtils::rangesOfLines(std::u16string_view target, WRange range) {
    WRangeArray result;
    result.reserve(100);
    range = clip(target, range);
    uint32_t end = range.maxRange();
    uint32_t at = range.location;
    for (;;) {
        WRange line = lineRangeForRange(target, {at, 0});
        if (line.maxRange() >= end) line.length = end - line.location;
        result.emplace_back(line);
        if (line.maxRange() >= end) break;
        at = line.maxRange();
    }
    return result;
}

WRangeArray WStringUtils::rangesOfLines(std::u16string_view target, WRange range, std::u16string_view prefix,
                                        bool ignoreCase) {
    WRangeArray result;
    std::optional<WSearchMatcher> folding;
    if (ignoreCase) folding.emplace(prefix, true);
    for (const WRangeObj& line : rangesOfLines(target, range)) {
        const bool starts =
            folding ? line.length() > 0 &&
                          folding->find(target, {line.location(), line.length()}, WSearchForward).location ==
                              line.location()
                    : line.length() >= prefix.size() && equalAt(target.substr(0, line.maxRange()), line.location(), prefix);
        if (starts) result.push_back(line);
    }
    return result;
}

WRangeArray WStringUtils::rangesOfLinesWithoutReturns(std::u16string_view target, WRange range) {
    range = clip(target, range);
    uint32_t returns = 0;
    for (uint32_t p = range.location; p < range.maxRange(); ++p) returns += isReturn(target[p]);
    WRangeArray result;
    result.reserve(returns + 1);
    bool open = false;
    uint32_t start = 0;
    for (uint32_t p = range.location; p < range.maxRange(); ++p) {
        bool ret = isReturn(target[p]);
        if (!ret && !open) {
            open = true;
            start = p;
        } else if (ret && open) {
            open = false;
            result.emplace_back(start, p - start);
        }
    }
    if (open) result.emplace_back(start, range.maxRange() - start);
    return result;
}

std::vector<std::u16string> WStringUtils::linesWithoutReturnsOfString(std::u16string_view target, WRange range) {
    std::vector<std::u16string> lines;
    for (const WRangeObj& line : rangesOfLinesWithoutReturns(target, range))
        lines.emplace_back(target.substr(line.location(), line.length()));
    return lines;
}

WRangeDictionary WStringUtils::rangesOfQuotedAndCommentedString(std::u16string_view target,
                                                                std::u16string_view comment, WRange range) {
    WRangeDictionary result;
    WRangeArray& doubles = result["double_quote"];
    WRangeArray& singles = result["single_quote"];
    WRangeArray& comments = result["comment"];
    range = clip(target, range);
    const uint32_t end = range.maxRange();
    bool inDouble = false, inSingle = false;
    uint32_t start = 0;
    for (uint32_t p = range.location; p < end; ++p) {
        char16_t c = target[p];
        if (c == u'\\') {
            ++p;
        } else if (c == u'"') {
            if (inDouble) {
                doubles.emplace_back(start, p + 1 - start);
                inDouble = false;
            } else {
                inDouble = true;
                inSingle = false;
                start = p;
            }
        } else if (c == u'\'' && !inDouble) {
            if (inSingle) {
                singles.emplace_back(start, p + 1 - start);
                inSingle = false;
            } else {
                inSingle = true;
                start = p;
            }
        } else if (!inDouble && !inSingle && !comment.empty() && matchesAt(target, p, end, comment)) {
            uint32_t q = p + static_cast<uint32_t>(comment.size());
            while (q < end && target[q] != u'\r' && target[q] != u'\n') ++q;
            uint32_t stop = q < end ? q + 1 : end;
            comments.emplace_back(p, stop - p);
            p = stop - 1;
        }
    }
    return result;
}

WRangeArray WStringUtils::rangesOfMultiCommentString(std::u16string_view target, std::u16string_view head,
                                                     std::u16string_view tail, WRange range, bool ignoreQuotes) {
    WRangeArray result;
    result.reserve(100);
    wscan::walkMultiComments(target, head, tail, clip(target, range), ignoreQuotes,
                             [&](WRange comment) { result.emplace_back(comment); });
    return result;
}

uint32_t WStringUtils::countMultiCommentString(std::u16string_view target, std::u16string_view head,
                                               std::u16string_view tail, WRange range, bool ignoreQuotes) {
    uint32_t count = 0;
    wscan::walkMultiComments(target, head, tail, clip(target, range), ignoreQuotes,
                             [&](WRange) { ++count; });
    return count;
}

WRangeDictionary WStringUtils::rangesOfColorSyntaxWith(std::u16string_view target, WRange range,
                                                       std::u16string_view multiCommentHead,
                                                       std::u16string_view multiCommentTail,
                                                       std::u16string_view singleComment,
                                                       const std::vector<std::u16string>* keywords,
                                                       std::u16string_view variableHead,
                                                       std::optional<std::u16string_view> tokenChars) {
    WRangeDictionary result;
    WRangeArray* byClass[] = {&result["double_quote"], &result["single_quote"], &result["single_comment"],
                              &result["multi_comment"], &result["keywords"],     &result["variables"],
                              &result["others"]};
    range = clip(target, range);
    reserveFor(result, range);
    wscan::KeywordSet keywordSet;
    if (keywords) keywordSet.insert(keywords->begin(), keywords->end());
    wscan::ScriptScanRules rules{multiCommentHead, multiCommentTail, singleComment,
                                 keywords ? &keywordSet : nullptr, variableHead,
                                 tokenChars ? *tokenChars : kDefaultTokenCharacters};
    wscan::scanScript(target, range, rules, [&](wscan::ScriptClass kind, uint32_t location, uint32_t length) {
        byClass[static_cast<size_t>(kind)]->emplace_back(location, length);
    });
    return result;
}

WRangeDictionary WStringUtils::rangesOfHMLSyntaxWith(std::u16string_view target, WRange range,
                                                     const std::vector<std::u16string>* keywords) {
    WRangeDictionary result;
    WRangeArray& tags = result["tags"];
    WRangeArray& comments = result["comments"];
    WRangeArray& others = result["others"];
    result["keywords"];
    WRangeArray& singles = result["single_quote"];
    WRangeArray& doubles = result["double_quote"];
    WRangeArray& refs = result["refs"];
    range = clip(target, range);
    reserveFor(result, range);
    WRangeArray* byClass[] = {&tags, &comments, &others, &singles, &doubles, &refs};
    wscan::scanMarkup(target, range, [&](wscan::MarkupClass kind, uint32_t location, uint32_t length) {
        byClass[static_cast<size_t>(kind)]->emplace_back(location, length);
    });
    return result;
}

std::map<std::u16string, std::u16string> WStringUtils::settingsFromString(std::u16string_view text) {
    std::map<std::u16string, std::u16string> settings;
    for (const std::u16string& line : stringComponentsSeparatedByCharacters(text, u"\r\n")) {
        if (stringStartsWith(trimSpaces(line), u"//")) continue;
        size_t equal = line.find(u'=');
        if (equal == std::u16string::npos || line.find(u'=', equal + 1) != std::u16string::npos) continue;
        std::u16string_view whole(line);
        settings[trimSpaces(whole.substr(0, equal))] = trimSpaces(whole.substr(equal + 1));
    }
    return settings;
}
