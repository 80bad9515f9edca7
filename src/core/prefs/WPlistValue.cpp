#include "prefs/WPlistValue.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

template <class Integer>
Integer saturate(double value)
{
    if (std::isnan(value))
        return 0;
    if (value <= static_cast<double>(std::numeric_limits<Integer>::min()))
        return std::numeric_limits<Integer>::min();
    if (value >= static_cast<double>(std::numeric_limits<Integer>::max()))
        return std::numeric_limits<Integer>::max();
    return static_cast<Integer>(value);  // toward zero
}

int32_t saturate(int64_t value)
{
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// "  +007yes" -> YES: past blanks, a sign and leading zeros, the text is true
// when it starts with Y, T or a digit 1 to 9.
bool boolFromString(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    while (i < text.size() && text[i] == '0')
        ++i;
    if (i == text.size())
        return false;
    const char c = text[i];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

int32_t intFromString(const std::string& text)
{
    // strtoll stops at the first character that is not part of the number and
    // saturates on overflow; we narrow the same way.
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    return saturate(static_cast<int64_t>(value));
}

float floatFromString(const std::string& text)
{
    // Only decimal forms: a preferences file should not reach hexadecimal
    // floats or "nan" by accident.
    size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    size_t j = i;
    if (j < text.size() && (text[j] == '+' || text[j] == '-'))
        ++j;
    if (j >= text.size() || !((text[j] >= '0' && text[j] <= '9') || text[j] == '.'))
        return 0.0f;
    if (text.compare(j, 2, "0x") == 0 || text.compare(j, 2, "0X") == 0)
        return 0.0f;
    return std::strtof(text.c_str() + i, nullptr);
}

}  // namespace

WPlistValue::WPlistValue() : mValue(int64_t{0}) {}
WPlistValue::WPlistValue(bool value) : mValue(value) {}
WPlistValue::WPlistValue(int value) : mValue(int64_t{value}) {}
WPlistValue::WPlistValue(int64_t value) : mValue(value) {}
WPlistValue::WPlistValue(double value) : mValue(value) {}
WPlistValue::WPlistValue(std::string value) : mValue(std::move(value)) {}
WPlistValue::WPlistValue(std::string_view value) : mValue(std::string(value)) {}
WPlistValue::WPlistValue(const char* value) : mValue(std::string(value)) {}
WPlistValue::WPlistValue(WPlistData value) : mValue(std::move(value)) {}
WPlistValue::WPlistValue(WPlistDate value) : mValue(value) {}
WPlistValue::WPlistValue(WPlistUid value) : mValue(value) {}
WPlistValue::WPlistValue(WPlistArray value) : mValue(WDeepBox<WPlistArray>(std::move(value))) {}
WPlistValue::WPlistValue(WDictionary value) : mValue(WDeepBox<WDictionary>(std::move(value))) {}

WPlistValue::WPlistValue(const WPlistValue&) = default;
WPlistValue::WPlistValue(WPlistValue&&) noexcept = default;
WPlistValue& WPlistValue::operator=(const WPlistValue&) = default;
WPlistValue& WPlistValue::operator=(WPlistValue&&) noexcept = default;
WPlistValue::~WPlistValue() = default;

WPlistValue::Kind WPlistValue::kind() const
{
    switch (mValue.index()) {
    case 0: return Kind::integer;
    case 1: return Kind::boolean;
    case 2: return Kind::real;
    case 3: return Kind::string;
    case 4: return Kind::data;
    case 5: return Kind::date;
    case 6: return Kind::uid;
    case 7: return Kind::array;
    default: return Kind::dictionary;
    }
}

const WPlistArray* WPlistValue::array() const
{
    auto* box = std::get_if<WDeepBox<WPlistArray>>(&mValue);
    return box ? &**box : nullptr;
}

const WDictionary* WPlistValue::dictionary() const
{
    auto* box = std::get_if<WDeepBox<WDictionary>>(&mValue);
    return box ? &**box : nullptr;
}

WPlistArray* WPlistValue::array()
{
    auto* box = std::get_if<WDeepBox<WPlistArray>>(&mValue);
    return box ? &**box : nullptr;
}

WDictionary* WPlistValue::dictionary()
{
    auto* box = std::get_if<WDeepBox<WDictionary>>(&mValue);
    return box ? &**box : nullptr;
}

bool WPlistValue::boolValue() const
{
    if (auto* value = boolean())
        return *value;
    if (auto* value = integer())
        return *value != 0;
    if (auto* value = real())
        return *value != 0.0 && !std::isnan(*value);
    if (auto* value = string())
        return boolFromString(*value);
    return false;
}

int32_t WPlistValue::intValue() const
{
    if (auto* value = boolean())
        return *value ? 1 : 0;
    if (auto* value = integer())
        return saturate(*value);
    if (auto* value = real())
        return saturate<int32_t>(*value);
    if (auto* value = string())
        return intFromString(*value);
    return 0;
}

float WPlistValue::floatValue() const
{
    if (auto* value = boolean())
        return *value ? 1.0f : 0.0f;
    if (auto* value = integer())
        return static_cast<float>(*value);
    if (auto* value = real()) {
        // Beyond the float range the conversion is undefined; say infinity.
        if (std::abs(*value) > std::numeric_limits<float>::max() && std::isfinite(*value))
            return *value > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
        return static_cast<float>(*value);
    }
    if (auto* value = string())
        return floatFromString(*value);
    return 0.0f;
}

bool operator==(const WPlistValue& a, const WPlistValue& b)
{
    return a.mValue == b.mValue;
}

const WPlistValue* WDictionary::objectForKey(std::string_view key) const
{
    auto found = mEntries.find(key);
    return found == mEntries.end() ? nullptr : &found->second;
}

WPlistValue* WDictionary::objectForKey(std::string_view key)
{
    auto found = mEntries.find(key);
    return found == mEntries.end() ? nullptr : &found->second;
}

void WDictionary::setObject(WPlistValue value, std::string_view key)
{
    auto found = mEntries.find(key);
    if (found != mEntries.end())
        found->second = std::move(value);
    else
        mEntries.emplace(std::string(key), std::move(value));
}

void WDictionary::removeObjectForKey(std::string_view key)
{
    auto found = mEntries.find(key);
    if (found != mEntries.end())
        mEntries.erase(found);
}

void WDictionary::addEntriesFromDictionary(const WDictionary& other)
{
    for (const auto& [key, value] : other)
        setObject(value, key);
}
