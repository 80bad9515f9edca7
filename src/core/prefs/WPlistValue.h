#pragma once

#include "text/WColor.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

class WPlistValue;
class WDictionary;

using WPlistArray = std::vector<WPlistValue>;
using WPlistData = std::vector<uint8_t>;

// A date as property lists hold it: seconds since 2001-01-01 00:00:00 UTC.
struct WPlistDate {
    double seconds = 0.0;
    friend bool operator==(const WPlistDate&, const WPlistDate&) = default;
};

// A keyed-archive reference; kept only so that files holding one survive a
// read and a write unchanged.
struct WPlistUid {
    uint64_t value = 0;
    friend bool operator==(const WPlistUid&, const WPlistUid&) = default;
};

// Owns a nested container and copies it deeply, so that copying a value (or a
// dictionary) never shares anything with the original.
template <class T>
class WDeepBox {
public:
    explicit WDeepBox(T value) : mValue(std::make_unique<T>(std::move(value))) {}
    WDeepBox(const WDeepBox& other) : mValue(std::make_unique<T>(*other.mValue)) {}
    WDeepBox(WDeepBox&&) noexcept = default;
    WDeepBox& operator=(const WDeepBox& other)
    {
        if (this != &other)
            mValue = std::make_unique<T>(*other.mValue);
        return *this;
    }
    WDeepBox& operator=(WDeepBox&&) noexcept = default;
    ~WDeepBox() = default;

    T& operator*() { return *mValue; }
    const T& operator*() const { return *mValue; }
    friend bool operator==(const WDeepBox& a, const WDeepBox& b) { return *a.mValue == *b.mValue; }

private:
    std::unique_ptr<T> mValue;
};

// One property-list value: boolean, integer, real, string (UTF-8), data, date,
// array or dictionary. Values copy deeply.
class WPlistValue {
public:
    enum class Kind { boolean, integer, real, string, data, date, uid, array, dictionary };

    WPlistValue();  // integer 0
    WPlistValue(bool value);
    WPlistValue(int value);
    WPlistValue(int64_t value);
    WPlistValue(double value);
    WPlistValue(std::string value);
    WPlistValue(std::string_view value);
    WPlistValue(const char* value);
    WPlistValue(WPlistData value);
    WPlistValue(WPlistDate value);
    WPlistValue(WPlistUid value);
    WPlistValue(WPlistArray value);
    WPlistValue(WDictionary value);

    WPlistValue(const WPlistValue&);
    WPlistValue(WPlistValue&&) noexcept;
    WPlistValue& operator=(const WPlistValue&);
    WPlistValue& operator=(WPlistValue&&) noexcept;
    ~WPlistValue();

    Kind kind() const;

    // Each answers nothing unless the value is of that kind.
    const bool* boolean() const { return std::get_if<bool>(&mValue); }
    const int64_t* integer() const { return std::get_if<int64_t>(&mValue); }
    const double* real() const { return std::get_if<double>(&mValue); }
    const std::string* string() const { return std::get_if<std::string>(&mValue); }
    const WPlistData* data() const { return std::get_if<WPlistData>(&mValue); }
    const WPlistDate* date() const { return std::get_if<WPlistDate>(&mValue); }
    const WPlistUid* uid() const { return std::get_if<WPlistUid>(&mValue); }
    const WPlistArray* array() const;
    const WDictionary* dictionary() const;
    WPlistArray* array();
    WDictionary* dictionary();

    // The value read as another kind, the way a number or a string answers
    // for itself: a number through C conversion (saturating at the ends of the
    // range), a string by its leading text ("YES", "12", " 3.5"). Other kinds
    // read as NO, 0 and 0.0.
    bool boolValue() const;
    int32_t intValue() const;
    float floatValue() const;

    friend bool operator==(const WPlistValue& a, const WPlistValue& b);

private:
    std::variant<int64_t, bool, double, std::string, WPlistData, WPlistDate, WPlistUid, WDeepBox<WPlistArray>,
                 WDeepBox<WDictionary>>
        mValue;
};

// A dictionary from string keys to property-list values, kept sorted by key.
// Its plain get and set are objectForKey/setObject; the typed operations the
// preferences use are declared here and live in WDictionaryPreferences.cpp.
class WDictionary {
public:
    using Map = std::map<std::string, WPlistValue, std::less<>>;

    // nil (a null pointer) when the key holds nothing.
    const WPlistValue* objectForKey(std::string_view key) const;
    WPlistValue* objectForKey(std::string_view key);
    void setObject(WPlistValue value, std::string_view key);
    void removeObjectForKey(std::string_view key);

    size_t count() const { return mEntries.size(); }
    bool empty() const { return mEntries.empty(); }
    Map::const_iterator begin() const { return mEntries.begin(); }
    Map::const_iterator end() const { return mEntries.end(); }

    // Each entry of `other` replaces the entry of the same key here; keys
    // only this dictionary has stay.
    void addEntriesFromDictionary(const WDictionary& other);

    friend bool operator==(const WDictionary&, const WDictionary&) = default;

    // Typed access for the preferences. Every set replaces whatever the key
    // held; every read of an absent key answers NO, 0, 0.0.
    void setBool(bool value, std::string_view key);
    bool boolForKey(std::string_view key) const;
    void setInt(int32_t value, std::string_view key);
    int32_t intForKey(std::string_view key) const;
    void setFloat(float value, std::string_view key);
    float floatForKey(std::string_view key) const;
    // A colour is kept as the 16-byte memory image of the record.
    void setColor(const rgb_color& value, std::string_view key);
    // The record in the first 16 bytes of the data under the key; nothing when
    // the key holds no data of at least 16 bytes.
    std::optional<rgb_color> colorForKey(std::string_view key) const;

private:
    Map mEntries;
};
