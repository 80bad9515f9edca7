#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/WColor.h"
#include "text/WRange.h"
#include "text/WTextUtils.h"

// Line-break statistics of a text.
struct WReturnCounts {
    int32_t cr = 0;
    int32_t lf = 0;
    int32_t crlf = 0;
    int32_t ls = 0;
    int32_t ps = 0;
};

// A tag-file command line, resolved.
struct WResolvedCommand {
    std::u16string command;
    std::u16string string;
};

// Stateless string helpers. Every operation returns a new value and leaves its
// arguments alone.
class WStringUtils {
public:
    // Line ends.
    static std::u16string convertReturnsToCR(std::u16string_view text, WReturnCodeType* kindFound = nullptr);
    static std::u16string convertReturnsFromCR(std::u16string_view text, WReturnCodeType kind);
    static uint32_t countLinesOfString(std::u16string_view text);
    static uint32_t countLinesOfString(std::u16string_view text, WRange range);
    static WReturnCounts countReturns(std::u16string_view text);

    // Searching and splitting.
    static bool stringStartsWith(std::u16string_view target, std::u16string_view prefix);
    static bool stringContains(std::u16string_view target, std::u16string_view piece);
    static std::u16string removeSpacesFromHeadOf(std::u16string_view text);
    static std::vector<std::u16string> stringComponentsSeparatedByCharacters(std::u16string_view target,
                                                                             std::u16string_view separators);
    static std::vector<std::u16string> stringBindedWith(std::u16string_view target, std::u16string_view opening,
                                                        std::u16string_view closing);
    static std::u16string replaceString(std::u16string_view text, std::u16string_view search,
                                        std::u16string_view replacement);
    static std::u16string convertCStyleToString(std::u16string_view text);
    static std::u16string trimSpaces(std::u16string_view text);
    static WResolvedCommand resolveCommand(std::u16string_view line);
    // True for U+0009..U+000D, U+0085 and the categories Zs, Zl and Zp.
    static bool isWhitespaceOrNewline(char16_t unit);

    // Hexadecimal numbers and colour strings.
    static uint32_t unsignedIntFromString(std::u16string_view text);  // WNotFound when malformed
    static std::optional<std::u16string> stringFromUnsignedInt(uint32_t number, uint32_t digits);
    static std::u16string stringFromColor(const WColor& color);  // "#RRGGBB"
    static std::optional<WColor> colorFromString(std::u16string_view text);

    // Conversions at the edges of the core (file names, settings, log lines).
    static std::u16string fromUtf8(std::string_view text);
    static std::string toUtf8(std::u16string_view text);
};
