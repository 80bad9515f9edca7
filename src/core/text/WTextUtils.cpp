#include "text/WTextUtils.h"

#include <cstring>

#include "platform/WLog.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The kinds the byte scan can arrive at; only the detection sees them.
enum WDetectedCharacterCodeType : int32_t {
    NEW_type = 1,
    OLD_type = 2,
    NEC_type = 3,
    EUC_type = 4,
    SJIS_type = 5,
    EUCORSJIS_type = 6,
    UTF8_type = 7,
    UTF16_type = 8,
    ASCII_type = 9,
};

// Bytes up to the first NUL: detection and raw line ends read the data as C text.
size_t textLength(WTextUtils::Bytes data)
{
    if (data.empty())
        return 0;
    const void* nul = std::memchr(data.data(), 0, data.size());
    return nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - data.data()) : data.size();
}

bool inRange(uint8_t b, uint8_t low, uint8_t high)
{
    return b >= low && b <= high;
}

// The Japanese scan over the first len bytes, from the kind it starts with.
WDetectedCharacterCodeType scanJapanese(const uint8_t* s, size_t len, WDetectedCharacterCodeType kind)
{
    size_t pos = 0;
    // Reading past the end gives NUL, which also ends the scan after the rule in hand.
    auto read = [&]() -> uint8_t { return pos < len ? s[pos++] : 0; };

    while ((kind == ASCII_type || kind == EUCORSJIS_type) && pos < len) {
#if defined(__SSE2__)
        // Sixteen bytes of plain 7-bit text without ESC change nothing: skip them at once.
        if (len - pos >= 16) {
            __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + pos));
            int high = _mm_movemask_epi8(block);
            int esc = _mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8(0x1B)));
            if ((high | esc) == 0) {
                pos += 16;
                continue;
            }
        }
#endif
        uint8_t b = read();
        if (b == 0x1B) {
            uint8_t b2 = read();
            if (b2 == 0x24) {
                uint8_t b3 = read();
                if (b3 == 0x42)
                    kind = NEW_type;
                else if (b3 == 0x40)
                    kind = OLD_type;
            } else if (b2 == 0x4B) {
                kind = NEC_type;
            }
        } else if (inRange(b, 0x81, 0x8D) || inRange(b, 0x8F, 0x9F)) {
            kind = SJIS_type;
        } else if (b == 0x8E) {
            uint8_t b2 = read();
            if (inRange(b2, 0x40, 0x7E) || inRange(b2, 0x80, 0xA0) || inRange(b2, 0xE0, 0xFC))
                kind = SJIS_type;
            else if (inRange(b2, 0xA1, 0xDF))
                kind = EUCORSJIS_type;
        } else if (inRange(b, 0xA1, 0xDF)) {
            uint8_t b2 = read();
            if (inRange(b2, 0xF0, 0xFE)) {
                kind = EUC_type;
            } else if (inRange(b2, 0xA1, 0xDF)) {
                kind = EUCORSJIS_type;
            } else if (inRange(b2, 0xE0, 0xEF)) {
                kind = EUCORSJIS_type;
                // A run of high bytes decides as soon as one of them belongs to one code only.
                uint8_t c = b2;
                while (c >= 0x40 && kind == EUCORSJIS_type) {
                    if (inRange(c, 0x81, 0x8D) || inRange(c, 0x8F, 0x9F))
                        kind = SJIS_type;
                    else if (c == 0xFD || c == 0xFE)
                        kind = EUC_type;
                    c = read();
                }
            } else if (b2 <= 0x9F) {
                kind = SJIS_type;
            }
        } else if (inRange(b, 0xF0, 0xFE)) {
            kind = EUC_type;
        } else if (inRange(b, 0xE0, 0xEF)) {
            uint8_t b2 = read();
            if (inRange(b2, 0x40, 0x7E) || inRange(b2, 0x80, 0xA0))
                kind = SJIS_type;
            else if (b2 == 0xFD || b2 == 0xFE)
                kind = EUC_type;
            else if (inRange(b2, 0xA1, 0xFC))
                kind = EUCORSJIS_type;
        }
    }
    return kind;
}

// Class 0 in the UTF-8 length classes: a continuation byte, or 0xF0-0xFF.
inline bool isClassZero(uint8_t b)
{
    return (b & 0xC0) == 0x80 || b >= 0xF0;
}

// The confirmation pass: true when every two- and three-byte lead is followed by
// class-0 bytes up to the end and at least one such lead was seen.
bool confirmsUtf8(const uint8_t* s, size_t len)
{
    bool sawSequence = false;
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i maskC0 = _mm_set1_epi8(static_cast<char>(0xC0));
    const __m128i maskE0 = _mm_set1_epi8(static_cast<char>(0xE0));
    const __m128i maskF0 = _mm_set1_epi8(static_cast<char>(0xF0));
    const __m128i value80 = _mm_set1_epi8(static_cast<char>(0x80));
    auto classZero = [&](__m128i v) {
        return _mm_or_si128(_mm_cmpeq_epi8(_mm_and_si128(v, maskC0), value80),
                            _mm_cmpeq_epi8(_mm_and_si128(v, maskF0), maskF0));
    };
    __m128i seen = _mm_setzero_si128();
    // Looks two bytes ahead, so whole blocks stop two short of the end.
    while (len >= 18 && i <= len - 18) {
        __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 1));
        __m128i b2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 2));
        __m128i lead2 = _mm_cmpeq_epi8(_mm_and_si128(b0, maskE0), maskC0);
        __m128i lead3 = _mm_cmpeq_epi8(_mm_and_si128(b0, maskF0), maskE0);
        __m128i lead = _mm_or_si128(lead2, lead3);
        __m128i bad = _mm_or_si128(_mm_andnot_si128(classZero(b1), lead), _mm_andnot_si128(classZero(b2), lead3));
        if (_mm_movemask_epi8(bad))
            return false;
        seen = _mm_or_si128(seen, lead);
        i += 16;
    }
    sawSequence = _mm_movemask_epi8(seen) != 0;
#endif
    for (; i < len; ++i) {
        int32_t n = WTextUtils::getCodeLength(s + i);
        if (n != 2 && n != 3)
            continue;
        // A position at or past the end counts as a one-byte character.
        if (i + 1 >= len || !isClassZero(s[i + 1]))
            return false;
        if (n == 3 && (i + 2 >= len || !isClassZero(s[i + 2])))
            return false;
        sawSequence = true;
    }
    return sawSequence;
}

}  // namespace

WStringEncoding WTextUtils::detectCharacterCodeType(Bytes data)
{
    const uint8_t* s = data.data();
    size_t len = textLength(data);

    WDetectedCharacterCodeType kind = ASCII_type;
    if (len >= 2 && s[0] == 0xFE && s[1] == 0xFF)
        kind = UTF16_type;
    else
        kind = scanJapanese(s, len, kind);
    if (confirmsUtf8(s, len))
        kind = UTF8_type;

    switch (kind) {
    case NEW_type:
    case OLD_type: return WJISEncoding;
    case NEC_type:
        WLog::write("WTextUtils detectCodeType: an error has occured.");
        return WShiftJISEncoding;
    case SJIS_type: return WShiftJISEncoding;
    case EUC_type:
    case EUCORSJIS_type: return WEUCEncoding;
    case UTF16_type: return WUTF16Encoding;
    case UTF8_type:
    case ASCII_type: break;
    }
    return WUTF8Encoding;
}

int32_t WTextUtils::getCodeLength(const uint8_t* byte)
{
    uint8_t v = *byte;
    if ((v & 0xC0) == 0x80)
        return 0;
    if ((v & 0x80) == 0)
        return 1;
    if ((v & 0xE0) == 0xC0)
        return 2;
    if ((v & 0xF0) == 0xE0)
        return 3;
    return 0;
}

WReturnCodeType WTextUtils::detectReturnCodeType(Bytes data)
{
    size_t len = textLength(data);
    for (size_t i = 0; i < len; ++i) {
        if (data[i] == '\n')
            return WLF_type;
        if (data[i] == '\r')
            return i + 1 < len && data[i + 1] == '\n' ? WCRLF_type : WCR_type;
    }
    return WLF_type;
}

std::vector<uint8_t> WTextUtils::convertReturnCode(Bytes data, WReturnCodeType from, WReturnCodeType to)
{
    // Only the text before a NUL byte is converted; whatever follows is kept as it is.
    size_t len = textLength(data);
    std::vector<uint8_t> result;
    if (from == to) {
        result.assign(data.begin(), data.end());
        return result;
    }
    result.reserve(data.size() + (to == WCRLF_type ? len / 8 + 16 : 0));
    for (size_t i = 0; i < len; ++i) {
        uint8_t b = data[i];
        if (from == WCRLF_type) {
            if ((to == WCR_type && b == '\n') || (to == WLF_type && b == '\r'))
                continue;
        } else if (to == WCRLF_type) {
            if ((from == WCR_type && b == '\r') || (from == WLF_type && b == '\n')) {
                result.push_back('\r');
                result.push_back('\n');
                continue;
            }
        } else if (from == WCR_type && to == WLF_type && b == '\r') {
            b = '\n';
        } else if (from == WLF_type && to == WCR_type && b == '\n') {
            b = '\r';
        }
        result.push_back(b);
    }
    result.insert(result.end(), data.begin() + static_cast<std::ptrdiff_t>(len), data.end());
    return result;
}

std::string_view WTextUtils::returnCodeName(WReturnCodeType kind)
{
    switch (kind) {
    case WCR_type: return "CR";
    case WLF_type: return "LF";
    case WCRLF_type: return "CR-LF";
    }
    return {};
}

std::optional<WReturnCodeType> WTextUtils::returnCodeFromName(std::string_view name)
{
    for (auto kind : {WCR_type, WLF_type, WCRLF_type}) {
        if (returnCodeName(kind) == name)
            return kind;
    }
    return std::nullopt;
}
