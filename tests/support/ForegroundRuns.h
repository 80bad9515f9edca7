#pragma once

// A text storage's foreground colours as runs, neighbours of one colour joined,
// so that two colourings of the same text can be compared run by run.
#include <optional>
#include <utility>
#include <variant>
#include <vector>

#include "syntax/WTextStorage.h"

using ForegroundRuns = std::vector<std::pair<WRange, std::optional<WColor>>>;

inline ForegroundRuns foregroundRuns(const WTextStorage& storage)
{
    ForegroundRuns runs;
    storage.forEachRun(WAttributeName::ForegroundColor, {0, storage.length()},
                       [&](const WAttributeValue* value, WRange range) {
                           std::optional<WColor> color;
                           if (value)
                               color = std::get<WColor>(*value);
                           if (!runs.empty() && runs.back().second == color
                               && runs.back().first.location + runs.back().first.length == range.location)
                               runs.back().first.length += range.length;
                           else
                               runs.push_back({range, color});
                       });
    return runs;
}
