#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "text/WEncoding.h"

// Line-ending kind of a file.
enum WReturnCodeType : int32_t {
    WCR_type = 0,
    WLF_type = 1,
    WCRLF_type = 2,
};

// Byte-level operations: character-code detection and raw line ends.
class WTextUtils {
public:
    using Bytes = std::span<const uint8_t>;

    // The document encoding the bytes are most likely written in.
    static WStringEncoding detectCharacterCodeType(Bytes data);
    // UTF-8 length class of a lead byte: 0 (continuation or 4-byte lead), 1, 2 or 3.
    static int32_t getCodeLength(const uint8_t* byte);
    static WReturnCodeType detectReturnCodeType(Bytes data);
    static std::vector<uint8_t> convertReturnCode(Bytes data, WReturnCodeType from, WReturnCodeType to);

    // "CR", "LF", "CR-LF"; empty for any other value.
    static std::string_view returnCodeName(WReturnCodeType kind);
    // Exact names only.
    static std::optional<WReturnCodeType> returnCodeFromName(std::string_view name);
};
