#pragma once

#include "prefs/WPlistValue.h"

#include <optional>
#include <string_view>

// The XML form. Text that is no well-formed XML, or nested deeper than the
// binary form allows, is refused whole. A value that cannot be read (an
// unknown element, a number that is none, a string holding a NUL or bytes
// that are not UTF-8) drops only itself from its array, or its entry from its
// dictionary.
class WXmlPlistReader {
public:
    static std::optional<WPlistValue> read(std::string_view bytes);
};
