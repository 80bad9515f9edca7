#pragma once

#include <cstdint>
#include <string_view>

#include "syntax/WUnitScan.h"
#include "text/WRange.h"

namespace wscan {

// The classes the markup scanner cuts text into.
enum class MarkupClass : uint8_t { Tags, Comments, Others, SingleQuote, DoubleQuote, Refs };

// Cuts range (lying inside text) into markup classes and hands each piece to
// put(MarkupClass, location, length). The pieces come in text order and never
// overlap, so a caller can paint them as they come without sorting or keeping
// them. Tags and quotes inside a tag never come empty; the others are skipped
// when empty.
//
// Outside tags, comments and references the scanner carries nothing but its
// position: a scan started anywhere in such a stretch gives the same pieces from
// there on. For each stretch [from, to] it calls settle(from, to); an answer
// other than kScanOn, a position inside the stretch, ends the scan there, the
// pieces delivered covering the range up to it.
template <typename Put, typename Settle = NeverSettle>
void scanMarkup(std::u16string_view text, WRange range, Put&& put, Settle&& settle = {}) {
    const uint32_t end = range.maxRange();
    // Whatever lies between classified pieces goes to the others.
    uint32_t pending = range.location;
    auto flushTo = [&](uint32_t p) {
        if (p > pending) put(MarkupClass::Others, pending, p - pending);
    };
    auto deliver = [&](MarkupClass kind, uint32_t from, uint32_t to) {
        flushTo(from);
        if (to > from) put(kind, from, to - from);
        pending = to;
    };
    uint32_t p = range.location;
    while (p < end) {
        // Jump to the next unit that can start something; what lies between stays pending.
        const uint32_t from = p;
        p = findAny(text, p, end, u'<', u'&', u'<');
        if (uint32_t stop = settle(from, p); stop != kScanOn) {
            p = stop;
            break;
        }
        if (p >= end) break;
        if (text[p] == u'<' && matchesAt(text, p, end, u"<!--")) {
            uint32_t close = find(text, p, end, u"-->");
            uint32_t after = close < end ? close + 3 : end;
            deliver(MarkupClass::Comments, p, after);
            p = after;
            continue;
        }
        if (text[p] == u'<') {
            flushTo(p);
            pending = p;
            uint32_t q = p;
            while (q < end - 1) {
                q = findAny(text, q, end - 1, u'>', u'"', u'\'');
                if (q >= end - 1 || text[q] == u'>') break;
                char16_t quote = text[q];
                if (q > pending) put(MarkupClass::Tags, pending, q - pending);
                uint32_t r = findAny(text, q + 1, end - 1, quote, quote, quote);
                put(quote == u'"' ? MarkupClass::DoubleQuote : MarkupClass::SingleQuote, q, r + 1 - q);
                pending = r + 1;
                q = r + 1;
            }
            if (q < end) {
                put(MarkupClass::Tags, pending, q + 1 - pending);
                pending = q + 1;
            }
            p = q + 1;
            continue;
        }
        // "&": a character reference up to ";" or the range end.
        uint32_t q = p;
        if (p + 1 < end) {
            q = p + 1;
            while (q < end - 1 && text[q] != u';') ++q;
        }
        deliver(MarkupClass::Refs, p, q + 1);
        p = q + 1;
    }
    if (p <= end) flushTo(p);
}

}  // namespace wscan
