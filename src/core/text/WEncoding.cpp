#include "text/WEncoding.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "platform/WLog.h"
#include "text/WEncodingRepertoire.h"
#include "text/WLargeText.h"
#include "text/WUtf8.h"

namespace {

// Our own text is UTF-16 in the machine's byte order.
constexpr const char* kNativeUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

const char* iconvName(WStringEncoding encoding)
{
    switch (encoding) {
    case WShiftJISEncoding: return "CP932";
    case WEUCEncoding: return "EUC-JP-MS";
    case WJISEncoding: return "ISO-2022-JP";
    case WUTF8Encoding: return "UTF-8";
    case WUTF16Encoding: return nullptr;  // done by hand below
    }
    return nullptr;
}

// glibc unloads a converter's module at the last iconv_close of it and maps it
// again at the next iconv_open; one descriptor of each kind held for the life of
// the process keeps the module loaded, so a conversion does not pay for that.
void keepConverterLoaded(const char* to, const char* from)
{
    static std::mutex lock;
    // Never destroyed, so that the descriptors stay reachable (and leak
    // checkers see them in use) until the process has ended.
    static auto* kept = new std::map<std::pair<std::string, std::string>, iconv_t>;
    std::lock_guard guard(lock);
    auto [at, added] = kept->try_emplace({to, from}, reinterpret_cast<iconv_t>(-1));
    if (added)
        at->second = iconv_open(to, from);
}

struct IconvHandle {
    iconv_t cd;
    explicit IconvHandle(const char* to, const char* from)
    {
        keepConverterLoaded(to, from);
        cd = iconv_open(to, from);
    }
    ~IconvHandle()
    {
        if (valid())
            iconv_close(cd);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    bool valid() const { return cd != reinterpret_cast<iconv_t>(-1); }
};

bool isHighSurrogate(char16_t u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}

bool isLowSurrogate(char16_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

// The character starting at index i, joining a surrogate pair.
char32_t characterAt(std::u16string_view text, size_t i)
{
    char16_t u = text[i];
    if (isHighSurrogate(u) && i + 1 < text.size() && isLowSurrogate(text[i + 1]))
        return 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
    return u;
}

// Index of the first unpaired surrogate, or npos.
size_t firstLoneSurrogate(std::u16string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t u = text[i];
        if (isHighSurrogate(u)) {
            if (i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
                ++i;
                continue;
            }
            return i;
        }
        if (isLowSurrogate(u))
            return i;
    }
    return std::u16string_view::npos;
}

// Strict when bad is null: an odd length or an unpaired surrogate fails it.
bool decodeUtf16(std::span<const uint8_t> bytes, std::u16string& text, WEncoding::LenientText* bad)
{
    if (bytes.size() % 2 != 0 && !bad)
        return false;
    bool bigEndian = true;  // without a mark the bytes are taken as big-endian
    size_t start = 0;
    if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        start = 2;
    } else if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        bigEndian = false;
        start = 2;
    }
    const size_t units = (bytes.size() - start) / 2;
    const bool oddByte = (bytes.size() - start) % 2 != 0;
    reserveLarge(text, units + oddByte);
    text.resize(units);
    const uint8_t* p = bytes.data() + start;
    for (size_t i = 0; i < text.size(); ++i, p += 2)
        text[i] = bigEndian ? char16_t((p[0] << 8) | p[1]) : char16_t((p[1] << 8) | p[0]);
    if (!bad)
        return firstLoneSurrogate(text) == std::u16string::npos;
    for (size_t i = firstLoneSurrogate(text); i != std::u16string::npos;) {
        bad->noteBad(i, start + 2 * i, 2);
        text[i] = 0xFFFD;
        const size_t next = firstLoneSurrogate(std::u16string_view(text).substr(i + 1));
        i = next == std::u16string_view::npos ? next : i + 1 + next;
    }
    if (oddByte) {
        bad->noteBad(text.size(), bytes.size() - 1);
        text.push_back(0xFFFD);
    }
    return true;
}

WEncoding::EncodeResult encodeUtf16(std::u16string_view text)
{
    WEncoding::EncodeResult result;
    size_t bad = firstLoneSurrogate(text);
    if (bad != std::u16string_view::npos) {
        result.error = WEncoding::EncodeError{static_cast<uint32_t>(bad), text[bad]};
        return result;
    }
    // Big-endian with the mark FE FF, so that the file is detected as UTF-16 again.
    result.bytes.resize(2 + text.size() * 2);
    uint8_t* out = result.bytes.data();
    *out++ = 0xFE;
    *out++ = 0xFF;
    for (char16_t u : text) {
        *out++ = static_cast<uint8_t>(u >> 8);
        *out++ = static_cast<uint8_t>(u);
    }
    return result;
}

// The first character the legacy encoding cannot save, or npos; the text as
// it is written, with each twin replaced by the form the encoding holds, in
// written (left empty when nothing needs replacing). Same length, so indexes
// still point into the caller's text.
size_t firstUnsavable(std::u16string_view text, WStringEncoding encoding, std::u16string& written)
{
    const WEncodingRepertoire& repertoire = WEncodingRepertoire::of(encoding);
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t u = text[i];
        if (u < 0x80 && u != 0x1B)
            continue;
        bool pair = isHighSurrogate(u) && i + 1 < text.size() && isLowSurrogate(text[i + 1]);
        char32_t c = pair ? characterAt(text, i) : u;
        switch (repertoire.fate(c)) {
        case WEncodingRepertoire::Fate::Kept:
            break;
        case WEncodingRepertoire::Fate::Twin:
            if (written.empty())
                written.assign(text);
            written[i] = repertoire.writtenAs(u);
            break;
        case WEncodingRepertoire::Fate::Lost:
            return i;
        }
        if (pair)
            ++i;
    }
    return std::u16string_view::npos;
}

}  // namespace

bool WEncoding::isDocumentEncoding(uint32_t value)
{
    switch (value) {
    case WShiftJISEncoding:
    case WJISEncoding:
    case WEUCEncoding:
    case WUTF8Encoding:
    case WUTF16Encoding: return true;
    default: return false;
    }
}

std::string_view WEncoding::name(WStringEncoding encoding)
{
    switch (encoding) {
    case WShiftJISEncoding: return "S-JIS";
    case WJISEncoding: return "JIS";
    case WEUCEncoding: return "EUC";
    case WUTF8Encoding: return "UTF-8";
    case WUTF16Encoding: return "UTF-16";
    }
    return {};
}

std::optional<WStringEncoding> WEncoding::fromName(std::string_view name)
{
    for (auto encoding : {WShiftJISEncoding, WJISEncoding, WEUCEncoding, WUTF8Encoding, WUTF16Encoding}) {
        if (WEncoding::name(encoding) == name)
            return encoding;
    }
    return std::nullopt;
}

namespace {

// Strict when bad is null: the first byte iconv cannot read fails it.
bool decodeWithIconv(std::span<const uint8_t> bytes, WStringEncoding encoding, std::u16string& text,
                     WEncoding::LenientText* bad)
{
    const char* from = iconvName(encoding);
    if (!from)
        return false;
    if (bytes.empty())
        return true;
    IconvHandle converter(kNativeUtf16, from);
    if (!converter.valid()) {
        WLog::write(std::string("WEncoding::decode - no converter from ") + from);
        return false;
    }
    // None of these encodings gives more UTF-16 units than it has bytes (a bad
    // byte becomes one unit), so one buffer of that size takes the whole text in
    // a single call.
    reserveLarge(text, bytes.size() + 1);
    text.resize(bytes.size() + 1);
    char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
    size_t inLeft = bytes.size();
    size_t produced = 0;  // bytes of output so far
    auto putReplacement = [&] {
        if ((produced / sizeof(char16_t)) + 1 > text.size())
            text.resize(text.size() * 2);
        const size_t index = produced / sizeof(char16_t);
        bad->noteBad(index, bytes.size() - inLeft);
        text[index] = 0xFFFD;
        produced += sizeof(char16_t);
    };
    // The second round (no input) ends a shift state; neither normally needs more room.
    for (bool flushing : {false, true}) {
        for (;;) {
            char* out = reinterpret_cast<char*>(text.data()) + produced;
            size_t outLeft = text.size() * sizeof(char16_t) - produced;
            size_t rc = flushing ? iconv(converter.cd, nullptr, nullptr, &out, &outLeft)
                                 : iconv(converter.cd, &in, &inLeft, &out, &outLeft);
            produced = text.size() * sizeof(char16_t) - outLeft;
            if (rc != static_cast<size_t>(-1))
                break;
            if (errno == E2BIG) {
                text.resize(text.size() * 2);
                continue;
            }
            // Invalid (EILSEQ) or cut short at the end (EINVAL).
            if (!bad)
                return false;
            if (flushing)
                break;  // nothing is left to read: the text simply ends in its shift state
            // Past the first byte only: the next one may start a good character.
            putReplacement();
            ++in;
            --inLeft;
        }
    }
    text.resize(produced / sizeof(char16_t));
    releaseRoomPastEnd(text);
    return true;
}

}  // namespace

std::optional<std::u16string> WEncoding::decode(std::span<const uint8_t> bytes, WStringEncoding encoding)
{
    if (encoding == WUTF8Encoding)
        return wutf8::decode(bytes);
    std::u16string text;
    const bool decoded = encoding == WUTF16Encoding ? decodeUtf16(bytes, text, nullptr)
                                                    : decodeWithIconv(bytes, encoding, text, nullptr);
    if (!decoded)
        return std::nullopt;
    return text;
}

WEncoding::LenientText WEncoding::decodeLeniently(std::span<const uint8_t> bytes, WStringEncoding encoding)
{
    if (encoding == WUTF8Encoding)
        return wutf8::decodeLeniently(bytes);
    LenientText result;
    const bool decoded = encoding == WUTF16Encoding ? decodeUtf16(bytes, result.text, &result)
                                                    : decodeWithIconv(bytes, encoding, result.text, &result);
    if (!decoded) {
        // No converter (logged): every byte is a stranger.
        result = {};
        result.text.assign(bytes.size(), u'\uFFFD');
        if (!bytes.empty())
            result.noteBad(0, 0, bytes.size());
    }
    return result;
}

WEncoding::EncodeResult WEncoding::encode(std::u16string_view text, WStringEncoding encoding)
{
    if (encoding == WUTF16Encoding)
        return encodeUtf16(text);
    EncodeResult result;
    const char* to = iconvName(encoding);
    if (!to) {
        WLog::write("WEncoding::encode - not a document encoding");
        result.error = EncodeError{0, text.empty() ? 0 : characterAt(text, 0)};
        return result;
    }
    if (text.empty())
        return result;
    std::u16string written;
    std::u16string_view source = text;
    if (encoding != WUTF8Encoding) {
        size_t lost = firstUnsavable(text, encoding, written);
        if (lost != std::u16string_view::npos) {
            result.error = EncodeError{static_cast<uint32_t>(lost), characterAt(text, lost)};
            return result;
        }
        if (!written.empty())
            source = written;
    }

    IconvHandle converter(to, kNativeUtf16);
    if (!converter.valid()) {
        WLog::write(std::string("WEncoding::encode - no converter to ") + to);
        result.error = EncodeError{0, characterAt(text, 0)};
        return result;
    }
    char* in = const_cast<char*>(reinterpret_cast<const char*>(source.data()));
    size_t inLeft = source.size() * sizeof(char16_t);
    // Four bytes per unit covers every target but ISO-2022-JP's escapes; grow if needed.
    result.bytes.resize(source.size() * 3 + 16);
    size_t produced = 0;
    auto failAt = [&]() {
        size_t index = (source.size() * sizeof(char16_t) - inLeft) / sizeof(char16_t);
        if (index >= text.size())
            index = text.size() - 1;
        result.bytes.clear();
        result.error = EncodeError{static_cast<uint32_t>(index), characterAt(text, index)};
    };
    for (;;) {
        char* out = reinterpret_cast<char*>(result.bytes.data()) + produced;
        size_t outLeft = result.bytes.size() - produced;
        size_t rc = iconv(converter.cd, &in, &inLeft, &out, &outLeft);
        produced = result.bytes.size() - outLeft;
        if (rc != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG) {
            result.bytes.resize(result.bytes.size() * 2);
            continue;
        }
        // EILSEQ: a character the encoding cannot hold; EINVAL: a high surrogate cut off at the end.
        failAt();
        return result;
    }
    // Return a stateful encoding (ISO-2022-JP) to ASCII at the end.
    for (;;) {
        char* out = reinterpret_cast<char*>(result.bytes.data()) + produced;
        size_t outLeft = result.bytes.size() - produced;
        size_t rc = iconv(converter.cd, nullptr, nullptr, &out, &outLeft);
        produced = result.bytes.size() - outLeft;
        if (rc != static_cast<size_t>(-1))
            break;
        if (errno != E2BIG) {
            failAt();
            return result;
        }
        result.bytes.resize(result.bytes.size() + 64);
    }
    result.bytes.resize(produced);
    return result;
}
