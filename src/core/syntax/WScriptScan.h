#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

#include "syntax/WUnitScan.h"
#include "text/WRange.h"

namespace wscan {

// The classes the script scanner cuts text into.
enum class ScriptClass : uint8_t { DoubleQuote, SingleQuote, SingleComment, MultiComment, Keywords, Variables, Others };

// Whether a token is in the keyword list is all that matters, so a hashed set answers.
using KeywordSet = std::unordered_set<std::u16string_view>;

// A character set asked once per unit of a long text: a table for ASCII, the
// (rare) other members searched.
class UnitSet {
public:
    explicit UnitSet(std::u16string_view members) {
        for (char16_t c : members) {
            if (c < 128) mAscii[c] = true;
            else mOthers += c;
        }
    }
    bool contains(char16_t c) const {
        return c < 128 ? mAscii[c] : mOthers.find(c) != std::u16string::npos;
    }

private:
    bool mAscii[128] = {};
    std::u16string mOthers;
};

// What the script scanner looks for. Empty markers disable what they mark; no
// keywords (null) means no keyword is looked for.
struct ScriptScanRules {
    std::u16string_view multiCommentHead;
    std::u16string_view multiCommentTail;
    std::u16string_view singleComment;
    const KeywordSet* keywords;
    std::u16string_view variableHead;
    std::u16string_view tokenCharacters;
};

// Cuts range (lying inside text) into script classes and hands each piece to
// put(ScriptClass, location, length). The pieces come in text order and never
// overlap; stretches that are skipped (escapes, quote-like literals, regular
// expressions, the line end after a comment) are in no class.
//
// Between two steps the scanner carries nothing but its position, so a scan
// started there gives the same pieces from there on. At each such position p it
// calls settle(p, p); an answer other than kScanOn (it must be p) ends the scan
// there, the pieces delivered covering the range up to p.
template <typename Put, typename Settle = NeverSettle>
void scanScript(std::u16string_view text, WRange range, const ScriptScanRules& rules, Put&& put,
                Settle&& settle = {}) {
    static constexpr std::u16string_view kOpeners = u"([{<";
    static constexpr std::u16string_view kClosers = u")]}>";
    static constexpr std::u16string_view kLiteralLetters = u"QqxrwWs";
    auto isWord = [](char16_t c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    };

    const uint32_t end = range.maxRange();
    const UnitSet tokens(rules.tokenCharacters);
    const UnitSet variableHeads(rules.variableHead);
    const std::u16string_view multiCommentHead = rules.multiCommentHead;
    const std::u16string_view multiCommentTail = rules.multiCommentTail;
    const std::u16string_view singleComment = rules.singleComment;
    const KeywordSet* keywords = rules.keywords;
    const bool multi = !multiCommentHead.empty() && !multiCommentTail.empty();
    // Whatever lies between classified pieces goes to the others.
    struct {
        Put& put;
        uint32_t pending;
        void flushTo(uint32_t p) {
            if (p > pending) put(ScriptClass::Others, pending, p - pending);
        }
        void deliver(ScriptClass kind, uint32_t from, uint32_t to) {
            flushTo(from);
            if (to > from) put(kind, from, to - from);
            pending = to;
        }
    } sink{put, range.location};

    // A quoted string from p: through the closing quote, or to the range end.
    auto quoted = [&](uint32_t p, char16_t quote) {
        uint32_t q = p;
        if (p + 1 < end) {
            q = p + 1;
            while (q < end - 1 && text[q] != quote) q += text[q] == u'\\' ? 2 : 1;
            q = std::min(q, end - 1);
        }
        return q + 1;
    };

    uint32_t p = range.location;
    while (p < end) {
        if (settle(p, p) != kScanOn) break;
        const char16_t c = text[p];
        if (c == u'\\') {
            p += 2;
            continue;
        }
        if (c == u'"' || c == u'\'') {
            uint32_t after = quoted(p, c);
            sink.deliver(c == u'"' ? ScriptClass::DoubleQuote : ScriptClass::SingleQuote, p, after);
            p = after;
            continue;
        }
        if (c == u'%' && p + 1 < end) {
            if (text[p + 1] == u' ') {
                ++p;
                continue;
            }
            uint32_t d = p + 1;
            if (kLiteralLetters.find(text[d]) != std::u16string_view::npos) ++d;
            if (d >= end) {
                ++p;
                continue;
            }
            const char16_t delimiter = text[d];
            if (delimiter == u' ' || isWord(delimiter)) {
                p = d + 1;
                continue;
            }
            uint32_t q = d + 1;
            size_t bracket = kOpeners.find(delimiter);
            if (bracket != std::u16string_view::npos) {
                const char16_t closer = kClosers[bracket];
                int depth = 1;
                while (q < end && !isReturn(text[q])) {
                    if (text[q] == u'\\') {
                        q += 2;
                        continue;
                    }
                    if (text[q] == delimiter) ++depth;
                    else if (text[q] == closer && --depth == 0) break;
                    ++q;
                }
            } else {
                while (q < end && !isReturn(text[q]) && text[q] != delimiter) {
                    q += (text[q] == u'\\' && q + 1 < end) ? 2 : 1;
                }
            }
            p = q + 1;
            continue;
        }
        if (!singleComment.empty() && matchesAt(text, p, end, singleComment)) {
            uint32_t q = p + static_cast<uint32_t>(singleComment.size());
            while (q < end && !isReturn(text[q])) ++q;
            sink.deliver(ScriptClass::SingleComment, p, q);
            p = q < end ? q + 1 : end;
            sink.pending = p;
            continue;
        }
        if (multi && matchesAt(text, p, end, multiCommentHead)) {
            uint32_t from = p + static_cast<uint32_t>(multiCommentHead.size());
            uint32_t tailAt = find(text, from, end, multiCommentTail);
            uint32_t after = tailAt < end ? tailAt + static_cast<uint32_t>(multiCommentTail.size()) : end;
            sink.deliver(ScriptClass::MultiComment, p, after);
            p = after;
            continue;
        }
        if (c == u'/' && p + 1 < end) {
            uint32_t q = p + 1;
            bool closed = false;
            while (q < end) {
                if (text[q] == u'\\' && q + 1 < end) {
                    q += 2;
                    continue;
                }
                if (text[q] == u'/') {
                    closed = true;
                    break;
                }
                if (isReturn(text[q])) break;
                ++q;
            }
            p = closed ? q + 1 : p + 1;
            continue;
        }
        if (variableHeads.contains(c)) {
            sink.flushTo(p);
            sink.pending = p;
            if (p + 2 >= end) break;  // too near the end to hold a name: no class
            uint32_t q = p + 1;
            while (q < end && tokens.contains(text[q])) ++q;
            sink.deliver(ScriptClass::Variables, p, q);
            p = q;
            continue;
        }
        if (keywords && tokens.contains(c)) {
            uint32_t q = p + 1;
            while (q < end && tokens.contains(text[q])) ++q;
            if (keywords->count(text.substr(p, q - p))) sink.deliver(ScriptClass::Keywords, p, q);
            p = q;
            continue;
        }
        ++p;
    }
    if (p <= end) sink.flushTo(p);
}


}  // namespace wscan
