#pragma once

#include "prefs/WPlistValue.h"
#include "text/WColor.h"

#include <optional>
#include <span>

// Turns colour records into the desktop's colour values and back, compares
// colours, and gives the 16-byte form in which the preferences keep a record.
// In the core the desktop's colour is the record itself (WColor); the Qt side
// adds the same operations for QColor.
class WColorUtils {
public:
    // The colour's red, green, blue and alpha, exactly as the colour holds them.
    static rgb_color convertNSColorToStruct(const WColor& color) { return color; }
    static WColor convertStructToNSColor(const rgb_color& record) { return record; }
    // YES only when all four components are exactly equal; no tolerance.
    static bool isEqualColor(const WColor& color, const WColor& other);

    // The record's memory image: four floats in this machine's byte order.
    static WPlistData dataFromColor(const rgb_color& record);
    // The record in the first 16 bytes; nothing when there are fewer.
    static std::optional<rgb_color> colorFromData(std::span<const uint8_t> data);
};
