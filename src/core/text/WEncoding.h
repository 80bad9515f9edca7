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

    static bool isDocumentEncoding(uint32_t value);
    // "S-JIS", "JIS", "EUC", "UTF-8", "UTF-16"; empty for other values.
    static std::string_view name(WStringEncoding encoding);
    static std::optional<WStringEncoding> fromName(std::string_view name);

    // Well-formed UTF-8 by the same rules decode() applies, without making the text.
    static bool isValidUtf8(std::span<const uint8_t> bytes);

    static std::optional<std::u16string> decode(std::span<const uint8_t> bytes, WStringEncoding encoding);
    static EncodeResult encode(std::u16string_view text, WStringEncoding encoding);
};
