#pragma once

#include "prefs/WPlistValue.h"

#include <optional>
#include <string>
#include <string_view>

// Property lists as bytes: reads the XML and the binary form with our own
// readers, which refuse hostile files cheaply and drop a bad value alone
// instead of the whole list; writes XML through libplist.
class WPlistSerialization {
public:
    // Containers nest at most this deep in either form, the outermost counting as 1.
    static constexpr int kDeepestNesting = 256;

    // Nothing when the bytes are no property list, or a hostile one (nested
    // too deep, or expanding far beyond its size).
    static std::optional<WPlistValue> propertyListFromData(std::string_view bytes);
    static std::string xmlDataFromPropertyList(const WPlistValue& value);
};
