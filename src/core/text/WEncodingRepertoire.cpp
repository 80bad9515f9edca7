#include "text/WEncodingRepertoire.h"

#include <iconv.h>

#include <bit>

namespace {

constexpr const char* kNativeUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

const char* legacyName(WStringEncoding encoding)
{
    switch (encoding) {
    case WShiftJISEncoding: return "CP932";
    case WEUCEncoding: return "EUC-JP-MS";
    case WJISEncoding: return "ISO-2022-JP";
    default: return nullptr;
    }
}

class Converter {
public:
    Converter(const char* to, const char* from) : mHandle(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(mHandle);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return mHandle != reinterpret_cast<iconv_t>(-1); }

    // All of input converted and the shift state closed, or false.
    bool convert(const char* input, size_t length, char* output, size_t room, size_t* produced)
    {
        iconv(mHandle, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input);
        char* out = output;
        size_t outLeft = room;
        if (iconv(mHandle, &in, &length, &out, &outLeft) == static_cast<size_t>(-1) ||
            iconv(mHandle, nullptr, nullptr, &out, &outLeft) == static_cast<size_t>(-1))
            return false;
        *produced = room - outLeft;
        return true;
    }

private:
    iconv_t mHandle;
};

}  // namespace

const std::vector<std::array<char16_t, 2>>& WEncodingRepertoire::twinPairs()
{
    static const std::vector<std::array<char16_t, 2>> pairs = {
        {0x301C, 0xFF5E},  // WAVE DASH, FULLWIDTH TILDE
        {0x2212, 0xFF0D},  // MINUS SIGN, FULLWIDTH HYPHEN-MINUS
        {0x2016, 0x2225},  // DOUBLE VERTICAL LINE, PARALLEL TO
        {0x00A2, 0xFFE0},  // CENT SIGN, FULLWIDTH CENT SIGN
        {0x00A3, 0xFFE1},  // POUND SIGN, FULLWIDTH POUND SIGN
        {0x00AC, 0xFFE2},  // NOT SIGN, FULLWIDTH NOT SIGN
        {0x2014, 0x2015},  // EM DASH, HORIZONTAL BAR
        {0x00A6, 0xFFE4},  // BROKEN BAR, FULLWIDTH BROKEN BAR
    };
    return pairs;
}

WEncodingRepertoire::WEncodingRepertoire(WStringEncoding encoding) : mEncoding(encoding)
{
    const char* name = legacyName(encoding);
    if (!name)
        return;
    mFates.assign(0x10000, Fate::Lost);
    mTwins.assign(0x10000, 0);
    Converter out(name, kNativeUtf16);
    Converter back(kNativeUtf16, name);
    if (!out.valid() || !back.valid())
        return;  // nothing can be saved in an encoding the system lacks
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        char16_t unit = static_cast<char16_t>(c);
        char bytes[16];
        char16_t readBack[8];
        size_t written = 0;
        size_t read = 0;
        if (out.convert(reinterpret_cast<const char*>(&unit), sizeof unit, bytes, sizeof bytes, &written) &&
            back.convert(bytes, written, reinterpret_cast<char*>(readBack), sizeof readBack, &read) &&
            read == sizeof(char16_t) && readBack[0] == unit)
            mFates[c] = Fate::Kept;
    }
    for (const auto& pair : twinPairs()) {
        for (int side = 0; side < 2; ++side) {
            char16_t self = pair[side];
            char16_t other = pair[1 - side];
            if (mFates[self] == Fate::Lost && mFates[other] == Fate::Kept) {
                mFates[self] = Fate::Twin;
                mTwins[self] = other;
            }
        }
    }
}

const WEncodingRepertoire& WEncodingRepertoire::of(WStringEncoding encoding)
{
    switch (encoding) {
    case WShiftJISEncoding: {
        static const WEncodingRepertoire table(WShiftJISEncoding);
        return table;
    }
    case WEUCEncoding: {
        static const WEncodingRepertoire table(WEUCEncoding);
        return table;
    }
    case WJISEncoding: {
        static const WEncodingRepertoire table(WJISEncoding);
        return table;
    }
    case WUTF8Encoding: {
        static const WEncodingRepertoire table(WUTF8Encoding);
        return table;
    }
    default: {
        static const WEncodingRepertoire table(WUTF16Encoding);
        return table;
    }
    }
}

WEncodingRepertoire::Fate WEncodingRepertoire::fate(char32_t character) const
{
    bool loneSurrogate = character >= 0xD800 && character <= 0xDFFF;
    if (mFates.empty())
        return loneSurrogate && mEncoding == WUTF8Encoding ? Fate::Lost : Fate::Kept;
    return character < mFates.size() ? mFates[character] : Fate::Lost;
}

char16_t WEncodingRepertoire::writtenAs(char16_t unit) const
{
    return !mTwins.empty() && mTwins[unit] ? mTwins[unit] : unit;
}
