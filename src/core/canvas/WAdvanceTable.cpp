#include "canvas/WAdvanceTable.h"

#include <cmath>
#include <limits>

WAdvanceTable::WAdvanceTable(Measure measure, double tabWidth) : mMeasure(std::move(measure)), mTabWidth(tabWidth) {}

double WAdvanceTable::advance(char32_t c) const
{
    if (c == u'\t')
        return tabAdvance(0);
    if (c < 0x10000) {
        if (mBmp.empty())
            mBmp.assign(0x10000, std::numeric_limits<float>::quiet_NaN());
        float& known = mBmp[c];
        if (std::isnan(known)) {
            const double measured = mMeasure(c);
            known = std::isnan(measured) ? 0.0f : static_cast<float>(measured);
        }
        return known;
    }
    const auto found = mAstral.find(c);
    if (found != mAstral.end())
        return found->second;
    const double measured = mMeasure(c);
    const float known = std::isnan(measured) ? 0.0f : static_cast<float>(measured);
    mAstral.emplace(c, known);
    return known;
}

double WAdvanceTable::tabAdvance(double x) const
{
    // Without stops a tab is as wide as a space: there is nothing to advance to.
    if (!(mTabWidth > 0) || !std::isfinite(mTabWidth))
        return advance(u' ');
    if (!std::isfinite(x))
        return mTabWidth;
    // Sums of float advances land a hair before a stop they should sit on; that
    // tab still advances a whole stop rather than a sliver.
    const double stops = x / mTabWidth;
    const double next = (std::floor(stops + 1e-6) + 1) * mTabWidth;
    return next - x;
}

double WAdvanceTable::width(std::u16string_view text, double x) const
{
    double position = x;
    const size_t size = text.size();
    for (size_t i = 0; i < size; ++i) {
        char32_t c = text[i];
        if (c == u'\t') {
            position += tabAdvance(position);
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < size && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        position += advance(c);
    }
    return position - x;
}
