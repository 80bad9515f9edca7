#pragma once

// A colour as the preferences store it: four floats from 0.0 to 1.0, 16 bytes,
// laid out exactly as stored.
struct rgb_color {
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 1.0f;

    friend bool operator==(const rgb_color&, const rgb_color&) = default;
};
static_assert(sizeof(rgb_color) == 16, "rgb_color is stored as its 16-byte image");

using WColor = rgb_color;
