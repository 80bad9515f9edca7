#pragma once

#include "text/WRange.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// What a document keeps with its file besides the bytes: the creator and type
// codes and the selection at the last save, as extended attributes. Symbolic
// links are followed. Where the file system keeps no extended attributes the
// calls are skipped without a word: reads find nothing, writes count as done.
// Other failures answer nothing / false and write one line to the log.
class WFileAttributes {
public:
    static constexpr std::string_view creatorCodeName = "user.wexel.creator";
    static constexpr std::string_view typeCodeName = "user.wexel.type";
    static constexpr std::string_view selectedRangeName = "user.wexel_text_selected_range";

    static std::optional<std::string> stringForAttribute(const std::filesystem::path& file, std::string_view name);
    static bool setStringForAttribute(const std::filesystem::path& file, std::string_view name, std::string_view value);
    static bool removeAttribute(const std::filesystem::path& file, std::string_view name);

    // Four-character codes ('TEXT') are kept as their four characters, so the
    // attribute reads as text in other tools; the number packs them big-endian.
    static std::optional<uint32_t> fourCharCodeForAttribute(const std::filesystem::path& file, std::string_view name);
    static bool setFourCharCodeForAttribute(const std::filesystem::path& file, std::string_view name, uint32_t code);
    static constexpr uint32_t codeFromString(std::string_view fourChars)
    {
        uint32_t code = 0;
        for (size_t i = 0; i < 4; ++i)
            code = (code << 8) | (i < fourChars.size() ? static_cast<uint8_t>(fourChars[i]) : uint8_t(' '));
        return code;
    }
    static std::string stringFromCode(uint32_t code);

    static std::optional<uint32_t> creatorCode(const std::filesystem::path& file);
    static std::optional<uint32_t> typeCode(const std::filesystem::path& file);
    // Both codes at once, as a save writes them.
    static bool setCreatorAndTypeCodes(const std::filesystem::path& file, uint32_t creator, uint32_t type);

    // The selection, in the form "{location, length}".
    static std::string stringFromRange(WRange range);
    // Reads the first two whole numbers in the text; nothing when there are
    // fewer, or when one does not fit 32 bits.
    static std::optional<WRange> rangeFromString(std::string_view text);
    static bool setSelectedRange(const std::filesystem::path& file, WRange range);
    // The stored selection, only when it lies wholly inside a text of
    // `textLength` code units; a stale one from another text gives nothing.
    static std::optional<WRange> selectedRangeWithin(const std::filesystem::path& file, uint32_t textLength);
};
