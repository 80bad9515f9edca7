#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

// The advance of each character in the view's font, asked of the measuring
// function once per character and kept. Tabs are not measured here: they
// advance to the next tab stop (see tabAdvance).
class WAdvanceTable {
public:
    using Measure = std::function<double(char32_t)>;

    WAdvanceTable(Measure measure, double tabWidth);

    double advance(char32_t c) const;
    // The same, answered inline once c has been measured: for loops over long lines.
    double knownAdvance(char32_t c) const
    {
        if (c < mBmp.size() && c != u'\t') {
            const float known = mBmp[c];
            if (known == known)
                return known;
        }
        return advance(c);
    }
    double tabWidth() const { return mTabWidth; }
    // How far a tab at x advances.
    double tabAdvance(double x) const;
    // The width of text laid out from x (tabs measured from 0, the line's start).
    double width(std::u16string_view text, double x = 0) const;

private:
    Measure mMeasure;
    double mTabWidth;
    mutable std::vector<float> mBmp;  // NaN: not measured yet
    mutable std::unordered_map<char32_t, float> mAstral;
};
