#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "text/WRange.h"

// Where each line of a CR-form text starts, kept up to date edit by edit so
// that the view never rescans the whole text. Only CR ends a line; the text
// after the last CR is a line too (empty when the text ends with CR).
class WLineIndex {
public:
    WLineIndex() = default;
    explicit WLineIndex(std::u16string_view text) { reset(text); }

    void reset(std::u16string_view text);
    // The characters of oldRange were replaced by newLength characters; text is
    // the text after the change.
    void replace(std::u16string_view text, WRange oldRange, uint32_t newLength);

    uint32_t lineCount() const;
    uint32_t lineStart(uint32_t line) const;
    // Where the line's characters end: before its CR, or at the end of the text.
    uint32_t lineEnd(uint32_t line) const;
    // The line holding position; the end of the text belongs to the last line.
    uint32_t lineOfPosition(uint32_t position) const;
    // The line with the most characters (the first of equals) and their count.
    uint32_t longestLine() const;

    uint32_t textLength() const { return mLength; }

private:
    std::vector<uint32_t> mStarts{0};
    uint32_t mLength = 0;
};
