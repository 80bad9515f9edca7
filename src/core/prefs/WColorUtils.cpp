#include "prefs/WColorUtils.h"

#include <cstring>

bool WColorUtils::isEqualColor(const WColor& color, const WColor& other)
{
    return color.red == other.red && color.green == other.green && color.blue == other.blue
        && color.alpha == other.alpha;
}

WPlistData WColorUtils::dataFromColor(const rgb_color& record)
{
    WPlistData data(sizeof record);
    std::memcpy(data.data(), &record, sizeof record);
    return data;
}

std::optional<rgb_color> WColorUtils::colorFromData(std::span<const uint8_t> data)
{
    rgb_color record;
    if (data.size() < sizeof record)
        return std::nullopt;
    std::memcpy(&record, data.data(), sizeof record);
    return record;
}
