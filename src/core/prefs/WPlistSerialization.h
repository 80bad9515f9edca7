#pragma once

#include "prefs/WPlistValue.h"

#include <optional>
#include <string>
#include <string_view>

// Property lists as bytes, through libplist: reads the XML and the binary
// form, writes XML.
class WPlistSerialization {
public:
    // Nothing when the bytes are no property list (or one nested absurdly deep).
    static std::optional<WPlistValue> propertyListFromData(std::string_view bytes);
    static std::string xmlDataFromPropertyList(const WPlistValue& value);
};
