#include "text/WStringUtils.h"

#include <bitset>
#include <cstdio>
#include <cstring>

#include "platform/WLog.h"
#include "text/WUnitSearch.h"

namespace {
constexpr char16_t CR = u'\r';
constexpr char16_t LF = u'\n';

bool isHexDigit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

uint32_t hexValue(char16_t c)
{
    if (c >= u'1' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return 0;  // '0' and anything that is not a digit
}

// Number of maximal runs of hexadecimal digits, and the length of the last one.
std::pair<int, size_t> hexRuns(std::u16string_view text)
{
    int runs = 0;
    size_t length = 0;
    for (size_t i = 0; i < text.size();) {
        if (!isHexDigit(text[i])) {
            ++i;
            continue;
        }
        size_t start = i;
        while (i < text.size() && isHexDigit(text[i]))
            ++i;
        ++runs;
        length = i - start;
    }
    return {runs, length};
}

bool isInSet(char16_t c, std::u16string_view set)
{
    return set.find(c) != std::u16string_view::npos;
}

std::vector<std::u16string_view> splitAt(std::u16string_view text, std::u16string_view separator)
{
    std::vector<std::u16string_view> pieces;
    size_t start = 0;
    for (;;) {
        size_t found = text.find(separator, start);
        if (found == std::u16string_view::npos)
            break;
        pieces.push_back(text.substr(start, found - start));
        start = found + separator.size();
    }
    pieces.push_back(text.substr(start));
    return pieces;
}
}  // namespace

// ---- Line ends ----

std::u16string WStringUtils::convertReturnsToCR(std::u16string_view text, WReturnCodeType* kindFound)
{
    std::u16string result(text);
    convertReturnsToCRInPlace(result, kindFound);
    return result;
}

void WStringUtils::convertReturnsToCRInPlace(std::u16string& text, WReturnCodeType* kindFound)
{
    char16_t* begin = text.data();
    const char16_t* end = begin + text.size();
    const char16_t* lf = wunit::find(begin, end, LF);
    if (lf == end) {
        if (kindFound)
            *kindFound = WCR_type;
        return;
    }
    // One pass does both rules: a CR LF pair becomes its CR, any other LF becomes CR.
    // Mixed text takes the CR LF kind as soon as one pair exists anywhere.
    bool sawPair = false;
    char16_t* out = const_cast<char16_t*>(lf);
    const char16_t* in = lf;
    // The input unit before the LF in hand; read before anything is moved over it.
    char16_t before = lf == begin ? 0 : lf[-1];
    while (in != end) {
        if (before == CR)
            sawPair = true;  // the CR already written stands for the pair
        else
            *out++ = CR;
        ++in;
        const char16_t* next = wunit::find(in, end, LF);
        size_t count = static_cast<size_t>(next - in);
        before = count ? next[-1] : LF;
        if (out != in && count)
            std::memmove(out, in, count * sizeof(char16_t));
        out += count;
        in = next;
    }
    text.resize(static_cast<size_t>(out - begin));
    if (kindFound)
        *kindFound = sawPair ? WCRLF_type : WLF_type;
}

std::u16string WStringUtils::convertReturnsFromCR(std::u16string_view text, WReturnCodeType kind)
{
    if (kind != WLF_type && kind != WCRLF_type)
        return std::u16string(text);
    const char16_t* p = text.data();
    const char16_t* end = p + text.size();
    if (kind == WLF_type) {
        std::u16string result(text);
        char16_t* q = result.data();
        char16_t* qend = q + result.size();
        for (q = wunit::find(q, qend, CR); q != qend; q = wunit::find(q + 1, qend, CR))
            *q = LF;
        return result;
    }
    std::u16string result;
    result.reserve(text.size() + text.size() / 16 + 16);
    while (p != end) {
        const char16_t* cr = wunit::find(p, end, CR);
        result.append(p, cr);
        if (cr == end)
            break;
        result.push_back(CR);
        result.push_back(LF);
        p = cr + 1;
    }
    return result;
}

uint32_t WStringUtils::countLinesOfString(std::u16string_view text)
{
    if (text.empty())
        return 0;
    return countLinesOfString(text, WRange{0, static_cast<uint32_t>(text.size())});
}

uint32_t WStringUtils::countLinesOfString(std::u16string_view text, WRange range)
{
    // A range reaching past the text counts only what is there.
    size_t start = std::min<size_t>(range.location, text.size());
    size_t stop = std::min<size_t>(size_t(range.location) + range.length, text.size());
    uint32_t lines = 1;
    for (size_t i = start; i < stop; ++i) {
        char16_t c = text[i];
        if (c == CR || c == LF || c == 0x2028 || c == 0x2029)
            ++lines;
    }
    return lines;
}

uint32_t WStringUtils::columnOfPosition(std::u16string_view text, uint32_t position)
{
    size_t stop = std::min<size_t>(position, text.size());
    uint32_t column = 1;
    for (size_t i = stop; i > 0; --i) {
        const char16_t c = text[i - 1];
        if (c == CR || c == LF || c == 0x2028 || c == 0x2029)
            break;
        // The second half of a pair counts with its first.
        if (!(c >= 0xDC00 && c <= 0xDFFF && i >= 2 && text[i - 2] >= 0xD800 && text[i - 2] <= 0xDBFF))
            ++column;
    }
    return column;
}

uint32_t WStringUtils::columnOfPosition(std::u16string_view text, uint32_t position, uint32_t lineStart)
{
    const size_t stop = std::min<size_t>(position, text.size());
    uint32_t column = 1;
    size_t i = lineStart;
    auto countTo = [&](size_t to) {
        for (; i < to; ++i) {
            const char16_t c = text[i];
            // The second half of a pair counts with its first.
            column += !(c >= 0xDC00 && c <= 0xDFFF && i > lineStart && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF);
        }
    };
#if defined(__SSE2__)
    // Eight units at a time while none of them is half of a pair.
    const __m128i surrogateBits = _mm_set1_epi16(static_cast<short>(0xF800));
    const __m128i surrogate = _mm_set1_epi16(static_cast<short>(0xD800));
    while (i + 8 <= stop) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(block, surrogateBits), surrogate)) != 0) {
            countTo(i + 8);
            continue;
        }
        column += 8;
        i += 8;
    }
#endif
    countTo(stop);
    return column;
}

size_t WStringUtils::countLineEndsOtherThanCR(std::u16string_view text)
{
    size_t count = 0;
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi16(LF);
    // U+2028 and U+2029 differ only in their last bit.
    const __m128i separator = _mm_set1_epi16(0x2028);
    const __m128i lastBit = _mm_set1_epi16(~1);
    for (; i + 8 <= text.size(); i += 8) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        const __m128i found = _mm_or_si128(_mm_cmpeq_epi16(block, lf),
                                           _mm_cmpeq_epi16(_mm_and_si128(block, lastBit), separator));
        if (const int mask = _mm_movemask_epi8(found))
            count += static_cast<size_t>(std::bitset<16>(static_cast<unsigned>(mask)).count() / 2);
    }
#endif
    for (; i < text.size(); ++i)
        count += text[i] == LF || text[i] == 0x2028 || text[i] == 0x2029;
    return count;
}

WReturnCounts WStringUtils::countReturns(std::u16string_view text)
{
    WReturnCounts counts;
    char16_t previous = 0;
    for (char16_t c : text) {
        switch (c) {
        case CR: ++counts.cr; break;
        case LF:
            ++counts.lf;
            if (previous == CR)
                ++counts.crlf;
            break;
        case 0x2028: ++counts.ls; break;
        case 0x2029: ++counts.ps; break;
        default: break;
        }
        previous = c;
    }
    char line[128];
    std::snprintf(line, sizeof line, "cr = %d, lf = %d, crlf = %d, ls = %d, ps = %d", counts.cr, counts.lf,
                  counts.crlf, counts.ls, counts.ps);
    WLog::write(line);
    return counts;
}

// ---- Searching and splitting ----

bool WStringUtils::isWhitespaceOrNewline(char16_t c)
{
    if ((c >= 0x0009 && c <= 0x000D) || c == 0x0020 || c == 0x0085 || c == 0x00A0)
        return true;
    if (c < 0x1680)
        return false;
    // The rest of Zs, then Zl and Zp.
    return c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F
        || c == 0x205F || c == 0x3000;
}

bool WStringUtils::stringStartsWith(std::u16string_view target, std::u16string_view prefix)
{
    return !prefix.empty() && target.substr(0, prefix.size()) == prefix;
}

bool WStringUtils::stringContains(std::u16string_view target, std::u16string_view piece)
{
    return !piece.empty() && target.find(piece) != std::u16string_view::npos;
}

std::u16string WStringUtils::removeSpacesFromHeadOf(std::u16string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    return std::u16string(text.substr(i));
}

std::vector<std::u16string> WStringUtils::stringComponentsSeparatedByCharacters(std::u16string_view target,
                                                                                std::u16string_view separators)
{
    std::vector<std::u16string> components;
    size_t pos = 0;
    const size_t n = target.size();
    for (;;) {
        size_t probe = pos;
        while (probe < n && isWhitespaceOrNewline(target[probe]))
            ++probe;
        if (probe == n)
            break;
        pos = probe;
        size_t start = pos;
        while (pos < n && !isInSet(target[pos], separators))
            ++pos;
        if (pos > start)
            components.emplace_back(target.substr(start, pos - start));
        while (pos < n && isWhitespaceOrNewline(target[pos]))
            ++pos;
        while (pos < n && isInSet(target[pos], separators))
            ++pos;
    }
    return components;
}

std::vector<std::u16string> WStringUtils::stringBindedWith(std::u16string_view target, std::u16string_view opening,
                                                           std::u16string_view closing)
{
    std::vector<std::u16string> result;
    if (opening.empty())
        return result;
    auto pieces = splitAt(target, opening);
    for (size_t i = 1; i < pieces.size(); ++i) {
        size_t close = closing.empty() ? std::u16string_view::npos : pieces[i].find(closing);
        result.emplace_back(pieces[i].substr(0, close));
    }
    return result;
}

std::u16string WStringUtils::replaceString(std::u16string_view text, std::u16string_view search,
                                           std::u16string_view replacement)
{
    if (search.empty())
        return std::u16string(text);
    std::u16string result;
    result.reserve(text.size());
    size_t start = 0;
    for (;;) {
        size_t found = text.find(search, start);
        if (found == std::u16string_view::npos)
            break;
        result.append(text.substr(start, found - start));
        result.append(replacement);
        start = found + search.size();
    }
    result.append(text.substr(start));
    return result;
}

std::u16string WStringUtils::convertCStyleToString(std::u16string_view text)
{
    std::u16string result = replaceString(text, u"\\r", u"\r");
    result = replaceString(result, u"\\t", u"\t");
    result = replaceString(result, u"\\\"", u"\"");
    return replaceString(result, u"\\\\", u"\\");
}

std::u16string WStringUtils::trimSpaces(std::u16string_view text)
{
    std::u16string result;
    for (const auto& component : stringComponentsSeparatedByCharacters(text, u" \t\r\n")) {
        if (!result.empty())
            result.push_back(u' ');
        result.append(component);
    }
    return result;
}

WResolvedCommand WStringUtils::resolveCommand(std::u16string_view line)
{
    WResolvedCommand resolved;
    auto pieces = splitAt(line, u"\"");
    if (pieces.size() > 2) {
        std::u16string inner;
        for (size_t i = 1; i + 1 < pieces.size(); ++i) {
            if (i > 1)
                inner.push_back(u'"');
            inner.append(pieces[i]);
        }
        resolved.string = convertCStyleToString(inner);
    }
    auto words = stringComponentsSeparatedByCharacters(line, u" \t");
    if (!words.empty())
        resolved.command = words.front();
    return resolved;
}

// ---- Hexadecimal numbers and colours ----

uint32_t WStringUtils::unsignedIntFromString(std::u16string_view text)
{
    if (text.empty() || text.size() > 4 || hexRuns(text).first != 1)
        return WNotFound;
    uint32_t value = 0;
    for (size_t i = 0; i < text.size(); ++i)
        value |= hexValue(text[text.size() - 1 - i]) << (4 * i);
    return value;
}

std::optional<std::u16string> WStringUtils::stringFromUnsignedInt(uint32_t number, uint32_t digits)
{
    if (digits == 0 || digits > 8)
        return std::nullopt;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X", number);
    std::u16string result(buffer, buffer + std::strlen(buffer));
    if (result.size() < digits)
        result.insert(0, digits - result.size(), u'0');
    return result;
}

std::u16string WStringUtils::stringFromColor(const WColor& color)
{
    auto component = [](float value) {
        double scaled = static_cast<double>(value) * 255.0;
        // Out-of-range or NaN components must not reach an undefined conversion.
        if (!(scaled > 0.0))
            scaled = 0.0;
        if (scaled > 255.0)
            scaled = 255.0;
        return *stringFromUnsignedInt(static_cast<uint32_t>(scaled), 2);
    };
    return u"#" + component(color.red) + component(color.green) + component(color.blue);
}

std::optional<WColor> WStringUtils::colorFromString(std::u16string_view text)
{
    auto [runs, runLength] = hexRuns(text);
    if (runs != 1 || runLength != 6 || !stringStartsWith(text, u"#") || text.size() != 7)
        return std::nullopt;
    auto component = [&](size_t at) {
        return static_cast<float>(unsignedIntFromString(text.substr(at, 2)) / 255.0);
    };
    WColor color;
    color.red = component(1);
    color.green = component(3);
    color.blue = component(5);
    color.alpha = 1.0f;
    return color;
}

// ---- UTF-8 at the edges ----

std::u16string WStringUtils::fromUtf8(std::string_view text)
{
    std::u16string result;
    result.reserve(text.size());
    size_t i = 0;
    const size_t n = text.size();
    auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    while (i < n) {
        uint8_t b = byte(i);
        if (b < 0x80) {
            result.push_back(b);
            ++i;
            continue;
        }
        int extra = b >= 0xF0 && b <= 0xF4 ? 3 : b >= 0xE0 && b <= 0xEF ? 2 : b >= 0xC2 && b <= 0xDF ? 1 : -1;
        char32_t cp = extra == 3 ? (b & 0x07) : extra == 2 ? (b & 0x0F) : (b & 0x1F);
        bool ok = extra > 0;
        for (int k = 1; ok && k <= extra; ++k) {
            if (i + k >= n || (byte(i + k) & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (byte(i + k) & 0x3F);
        }
        if (ok) {
            char32_t minimum = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
            ok = cp >= minimum && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        }
        if (!ok) {
            result.push_back(0xFFFD);
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            result.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            result.push_back(static_cast<char16_t>(cp));
        }
        i += static_cast<size_t>(extra) + 1;
    }
    return result;
}

std::string WStringUtils::toUtf8(std::u16string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
        }
        if (cp < 0x80) {
            result.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            result.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            result.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            result.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            result.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            result.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            result.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return result;
}
