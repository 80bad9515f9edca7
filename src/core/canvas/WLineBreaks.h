#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

class WAdvanceTable;

// Where a line is cut on screen. Neither function cuts inside a surrogate pair
// or before a combining mark, so each piece can be shaped on its own.
namespace wlinebreaks {

// Word wrap: where each row of line starts (the first is 0) when rows are width
// wide. Rows break after spaces and tabs, and between CJK characters (never
// before closing punctuation such as 、。」 nor after opening punctuation);
// a stretch with no such place breaks at the last character that fits; every
// row holds at least one character.
std::vector<uint32_t> wrap(std::u16string_view line, const WAdvanceTable& advances, double width);

// Without word wrap: where each segment of a long line starts (the first is 0),
// no segment longer than maxUnits, preferring to cut after a space or
// punctuation near the end of each segment.
std::vector<uint32_t> segments(std::u16string_view line, uint32_t maxUnits);

}  // namespace wlinebreaks
