#pragma once

#include <cstdint>

// Positions and lengths count UTF-16 code units of the text.
inline constexpr uint32_t WNotFound = 0x7FFFFFFF;

struct WRange {
    uint32_t location = 0;
    uint32_t length = 0;

    constexpr uint32_t maxRange() const { return location + length; }
    friend constexpr bool operator==(const WRange&, const WRange&) = default;
};
