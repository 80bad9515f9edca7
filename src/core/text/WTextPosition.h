#pragma once

#include <cstdint>
#include <string_view>

// Line and column of places in a text, in the terms a person looks for them:
// both 1-based, CR, LF, U+2028 and U+2029 each ending a line, columns counted
// in characters (a surrogate pair is one). Walks forward only, so that finding
// many places in order costs one pass.
class WTextPosition {
public:
    explicit WTextPosition(std::u16string_view text) : mText(text) {}

    // Moves to index, which may not be before the last one asked for.
    void advanceTo(size_t index)
    {
        for (; mIndex < index && mIndex < mText.size(); ++mIndex) {
            char16_t u = mText[mIndex];
            if (u == u'\r' || u == u'\n' || u == 0x2028 || u == 0x2029) {
                ++mLine;
                mColumn = 1;
            } else if (!(u >= 0xDC00 && u <= 0xDFFF && mColumn > 1 && mIndex > 0 && mText[mIndex - 1] >= 0xD800 &&
                         mText[mIndex - 1] <= 0xDBFF)) {
                ++mColumn;
            }
        }
    }
    uint32_t line() const { return mLine; }
    uint32_t column() const { return mColumn; }

private:
    std::u16string_view mText;
    size_t mIndex = 0;
    uint32_t mLine = 1;
    uint32_t mColumn = 1;
};
