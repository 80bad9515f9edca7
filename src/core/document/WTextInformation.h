#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/WRange.h"

// What the Text Information sheet tells about a text and its selection:
// lengths in UTF-16 code units, and lines as the line counter counts them
// (none in an empty text, else one more than its line ends).
struct WTextInformation {
    uint32_t wholeCharacterCount = 0;
    uint32_t wholeLineCount = 0;
    uint32_t selectedCharacterCount = 0;
    uint32_t selectedLineCount = 0;

    // A selection reaching past the end counts only what lies in the text.
    static WTextInformation of(std::u16string_view text, WRange selection);

    // The sheet's message, four counts under two headings.
    std::string message() const;

    friend bool operator==(const WTextInformation&, const WTextInformation&) = default;
};
