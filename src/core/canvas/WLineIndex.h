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
    // The characters of line, without its CR.
    uint32_t lineLength(uint32_t line) const { return lineEnd(line) - lineStart(line); }

    uint32_t textLength() const { return mLength; }

private:
    // Starts from mGap on are stored without mDelta, the shift of the edits made
    // since they were last written: typing on one line moves every later line,
    // and this way it costs one addition until an edit elsewhere moves the gap.
    uint32_t storedStart(size_t index) const { return mStarts[index] + (index >= mGap ? mDelta : 0); }
    void moveGap(size_t gap);
    void findLongest() const;

    std::vector<uint32_t> mStarts{0};
    uint32_t mLength = 0;
    size_t mGap = 1;
    uint32_t mDelta = 0;  // modulo 2^32, as the stored starts above the gap are
    mutable uint32_t mLongest = 0;
    mutable uint32_t mLongestLength = 0;
    mutable bool mLongestKnown = true;
};
