#include "canvas/WLineBreaks.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <limits>
#include <memory>

#include "canvas/WAdvanceTable.h"

namespace {

// What the breaking needs to know of a character.
enum Kind : uint8_t {
    kMark = 1,            // joins the character before it
    kWide = 2,            // CJK and other wide characters: rows may break on either side
    kNoBreakBefore = 4,   // closing punctuation, small kana, prolonged sound mark...
    kNoBreakAfter = 8,    // opening brackets and quotes
    kSpace = 16,          // space and tab: rows break after them, and they hang
    kPunctuation = 32,    // a good place to end a segment after (< and > of markup too)
};

uint8_t classify(UChar32 c)
{
    if (c == u' ' || c == u'\t')
        return kSpace | kPunctuation;
    uint8_t kind = 0;
    const int8_t category = u_charType(c);
    if (category == U_NON_SPACING_MARK || category == U_ENCLOSING_MARK || category == U_COMBINING_SPACING_MARK)
        return kMark;
    if (category == U_SPACE_SEPARATOR || (category >= U_DASH_PUNCTUATION && category <= U_OTHER_PUNCTUATION) ||
        category == U_INITIAL_PUNCTUATION || category == U_FINAL_PUNCTUATION || category == U_MATH_SYMBOL)
        kind |= kPunctuation;
    const int width = u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH);
    if (width == U_EA_WIDE || width == U_EA_FULLWIDTH)
        kind |= kWide;
    switch (u_getIntPropertyValue(c, UCHAR_LINE_BREAK)) {
    case U_LB_CLOSE_PUNCTUATION:
    case U_LB_CLOSE_PARENTHESIS:
    case U_LB_NONSTARTER:
    case U_LB_CONDITIONAL_JAPANESE_STARTER:
    case U_LB_EXCLAMATION:
    case U_LB_INFIX_NUMERIC:
        kind |= kNoBreakBefore;
        break;
    case U_LB_OPEN_PUNCTUATION:
        kind |= kNoBreakAfter;
        break;
    case U_LB_QUOTATION:
        if (category == U_INITIAL_PUNCTUATION)
            kind |= kNoBreakAfter;
        else if (category == U_FINAL_PUNCTUATION)
            kind |= kNoBreakBefore;
        break;
    default:
        break;
    }
    return kind;
}

// The kinds of the whole BMP, asked of ICU once: the breaking then costs a load
// per character, Japanese or not.
const uint8_t* bmpKinds()
{
    static const auto table = [] {
        auto kinds = std::make_unique<std::array<uint8_t, 0x10000>>();
        for (UChar32 c = 0; c < 0x10000; ++c)
            (*kinds)[c] = (c >= 0xD800 && c <= 0xDFFF) ? 0 : classify(c);
        return kinds;
    }();
    return table->data();
}

bool isHigh(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLow(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The character at i (a surrogate pair as one, a lone surrogate as itself); i moves past it.
char32_t take(std::u16string_view text, size_t& i)
{
    const char16_t unit = text[i++];
    if (isHigh(unit) && i < text.size() && isLow(text[i]))
        return 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[i++] - 0xDC00);
    return unit;
}

uint8_t kindOf(const uint8_t* kinds, char32_t c)
{
    return c < 0x10000 ? kinds[c] : classify(static_cast<UChar32>(c));
}

bool breaksBetween(uint8_t before, uint8_t after)
{
    return ((before | after) & kWide) && !(after & kNoBreakBefore) && !(before & kNoBreakAfter);
}

}  // namespace

namespace wlinebreaks {

std::vector<uint32_t> wrap(std::u16string_view line, const WAdvanceTable& advances, double width)
{
    std::vector<uint32_t> starts{0};
    if (std::isnan(width))
        width = 0;
    const uint8_t* kinds = bmpKinds();
    const size_t size = line.size();
    struct Char {
        char32_t c;
        uint8_t kind;
        uint8_t units;
    };
    auto decode = [&](size_t at) -> Char {
        const char16_t unit = line[at];
        if (unit < 0xD800 || unit > 0xDFFF)
            return {unit, kinds[unit], 1};
        size_t after = at;
        const char32_t c = take(line, after);
        return {c, kindOf(kinds, c), static_cast<uint8_t>(after - at)};
    };
    // Markup is nearly all ASCII: its advances are kept at hand rather than asked
    // of the table for every character.
    float ascii[128];
    std::fill(std::begin(ascii), std::end(ascii), std::numeric_limits<float>::quiet_NaN());
    // Measured ASCII characters that are neither space nor tab: between two of them
    // there is no break, so a stretch of them only adds up.
    bool plain[128] = {};
    auto advanceOf = [&](char32_t c) -> double {
        if (c >= 128)
            return advances.knownAdvance(c);
        if (std::isnan(ascii[c])) {
            ascii[c] = static_cast<float>(advances.advance(c));
            plain[c] = !(kinds[c] & kSpace) && ascii[c] >= 0;
        }
        return ascii[c];
    };
    // Whether the unit at can start a character that joins the one before it.
    auto mayJoin = [&](size_t at) {
        const char16_t unit = line[at];
        return unit >= 0x300 && ((unit >= 0xD800 && unit <= 0xDFFF) || (kinds[unit] & kMark));
    };
    // Eight plain characters at a time while they fit: the sum of eight
    // advances does not wait on the running x, which makes markup fast.
    auto skipPlain = [&](size_t& at, double& x) {
        while (at + 8 <= size && (at + 8 == size || !mayJoin(at + 8))) {
            bool all = true;
            for (size_t k = 0; k < 8; ++k) {
                const char16_t unit = line[at + k];
                all &= unit < 128 && plain[unit];
            }
            if (!all)
                return;
            const char16_t* u = line.data() + at;
            const double sum = (double(ascii[u[0]]) + ascii[u[1]] + (double(ascii[u[2]]) + ascii[u[3]])) +
                               (double(ascii[u[4]]) + ascii[u[5]] + (double(ascii[u[6]]) + ascii[u[7]]));
            if (x + sum > width)
                return;
            x += sum;
            at += 8;
        }
    };

    size_t rowStart = 0;
    size_t lastBreak = 0;  // the latest place the row may end; none while <= rowStart
    double x = 0;          // each row is laid out from 0, its tabs too
    uint8_t previous = 0;
    Char current = size > 0 ? decode(0) : Char{};
    for (size_t i = 0; i < size;) {
        if (!(previous & kWide) && current.c < 128 && plain[current.c]) {
            const size_t from = i;
            skipPlain(i, x);
            if (i != from) {
                previous = kinds[line[i - 1]];
                if (i == size)
                    break;
                current = decode(i);
            }
        }
        // One character with the marks that join it.
        size_t next = i + current.units;
        double advance = current.c == u'\t' ? advances.tabAdvance(x) : advanceOf(current.c);
        Char following{};
        while (next < size) {
            following = decode(next);
            if (!(following.kind & kMark))
                break;
            advance += advanceOf(following.c);
            next += following.units;
        }
        const uint8_t kind = current.kind;
        if (kind & kSpace) {
            // Spaces stay on their row however far they reach.
            x += advance;
            lastBreak = next;
        } else {
            if (i > rowStart && breaksBetween(previous, kind))
                lastBreak = i;
            if (i > rowStart && x + advance > width) {
                // Break at the latest opportunity, else before this character, and lay
                // out again from there: what moved down may need breaking itself.
                const size_t cut = lastBreak > rowStart ? lastBreak : i;
                starts.push_back(static_cast<uint32_t>(cut));
                rowStart = i = cut;
                lastBreak = 0;
                x = 0;
                previous = 0;
                current = decode(cut);
                continue;
            }
            x += advance;
        }
        previous = kind;
        i = next;
        current = following;
    }
    return starts;
}

std::vector<uint32_t> segments(std::u16string_view line, uint32_t maxUnits)
{
    std::vector<uint32_t> starts{0};
    // A surrogate pair has to fit in a segment.
    const size_t most = std::max<uint32_t>(maxUnits, 2);
    const uint8_t* kinds = bmpKinds();
    const size_t size = line.size();
    auto canCut = [&](size_t at) {
        if (isHigh(line[at - 1]) && isLow(line[at]))
            return false;
        size_t i = at;
        return !(kindOf(kinds, take(line, i)) & kMark);
    };
    const size_t lookBack = std::max<size_t>(1, most / 4);
    for (size_t start = 0; size - start > most;) {
        const size_t limit = start + most;
        size_t cut = 0;
        for (size_t at = limit; at > start && at + lookBack > limit; --at) {
            if ((kinds[line[at - 1]] & kPunctuation) && canCut(at)) {
                cut = at;
                break;
            }
        }
        for (size_t at = limit; cut == 0 && at > start; --at)
            if (canCut(at))
                cut = at;
        if (cut == 0) {
            // One character with more marks than a segment holds: cut between its
            // marks rather than let a segment grow without bound.
            cut = limit;
            if (isHigh(line[cut - 1]) && isLow(line[cut]))
                --cut;
        }
        starts.push_back(static_cast<uint32_t>(cut));
        start = cut;
    }
    return starts;
}

}  // namespace wlinebreaks
