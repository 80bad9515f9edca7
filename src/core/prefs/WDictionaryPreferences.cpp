// The typed get and set operations of WDictionary that the preferences use.

#include "prefs/WColorUtils.h"
#include "prefs/WPlistValue.h"

void WDictionary::setBool(bool value, std::string_view key)
{
    setObject(WPlistValue(value), key);
}

bool WDictionary::boolForKey(std::string_view key) const
{
    const WPlistValue* value = objectForKey(key);
    return value ? value->boolValue() : false;
}

void WDictionary::setInt(int32_t value, std::string_view key)
{
    setObject(WPlistValue(int64_t{value}), key);
}

int32_t WDictionary::intForKey(std::string_view key) const
{
    const WPlistValue* value = objectForKey(key);
    return value ? value->intValue() : 0;
}

void WDictionary::setFloat(float value, std::string_view key)
{
    // Widened exactly; reading narrows back to the same float.
    setObject(WPlistValue(static_cast<double>(value)), key);
}

float WDictionary::floatForKey(std::string_view key) const
{
    const WPlistValue* value = objectForKey(key);
    return value ? value->floatValue() : 0.0f;
}

void WDictionary::setColor(const rgb_color& value, std::string_view key)
{
    setObject(WPlistValue(WColorUtils::dataFromColor(value)), key);
}

std::optional<rgb_color> WDictionary::colorForKey(std::string_view key) const
{
    const WPlistValue* value = objectForKey(key);
    const WPlistData* data = value ? value->data() : nullptr;
    if (!data)
        return std::nullopt;
    return WColorUtils::colorFromData(*data);
}
