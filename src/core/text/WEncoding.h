#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The five document encodings, by their stored numbers.
enum WStringEncoding : uint32_t {
    WShiftJISEncoding = 8,
    WJISEncoding = 21,
    WEUCEncoding = 3,
    WUTF8Encoding = 4,
    WUTF16Encoding = 10,
};

// Strict codecs for the document encodings: decoding fails on any invalid byte,
// encoding fails on the first character the encoding cannot hold.
class WEncoding {
public:
    struct EncodeError {
        uint32_t index = 0;      // UTF-16 index of the first character that cannot be written
        char32_t character = 0;  // that character
    };
    struct EncodeResult {
        std::vector<uint8_t> bytes;       // empty when error is set
        std::optional<EncodeError> error;
    };
    // A text read however bad its bytes: each byte that is not part of a
    // character there became one U+FFFD (in UTF-16, each unpaired surrogate
    // and an odd last byte).
    struct LenientText {
        std::u16string text;
        uint64_t badBytes = 0;                  // bytes that were not text
        std::optional<size_t> firstBadIndex;    // index in text of the first U+FFFD put in
        uint64_t firstBadOffset = 0;            // offset in the bytes of the first bad one

        void noteBad(size_t index, uint64_t offset, uint64_t count = 1)
        {
            if (!firstBadIndex) {
                firstBadIndex = index;
                firstBadOffset = offset;
            }
            badBytes += count;
        }
    };

    static bool isDocumentEncoding(uint32_t value);
    // "S-JIS", "JIS", "EUC", "UTF-8", "UTF-16"; empty for other values.
    static std::string_view name(WStringEncoding encoding);
    static std::optional<WStringEncoding> fromName(std::string_view name);

    // Well-formed UTF-8 by the same rules decode() applies, without making the text.
    static bool isValidUtf8(std::span<const uint8_t> bytes);

    static std::optional<std::u16string> decode(std::span<const uint8_t> bytes, WStringEncoding encoding);
    // Never fails; the bytes decode wherever they can, and a shift state of JIS
    // stays in force across a bad byte.
    static LenientText decodeLeniently(std::span<const uint8_t> bytes, WStringEncoding encoding);
    static EncodeResult encode(std::u16string_view text, WStringEncoding encoding);
};
