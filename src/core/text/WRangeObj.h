#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "text/WRange.h"

// One range held as an object, the element of every range array the scanners return.
class WRangeObj {
public:
    WRangeObj() = default;
    explicit WRangeObj(WRange range) : mLocation(range.location), mLength(range.length) {}
    WRangeObj(uint32_t location, uint32_t length) : mLocation(location), mLength(length) {}
    // Parses the "{location, length}" form: the first two runs of decimal digits.
    explicit WRangeObj(std::string_view text);

    static WRangeObj rangeObjWithString(std::string_view text) { return WRangeObj(text); }

    uint32_t location() const { return mLocation; }
    uint32_t length() const { return mLength; }
    WRange range() const { return {mLocation, mLength}; }
    void setLocation(uint32_t location) { mLocation = location; }
    void setLength(uint32_t length) { mLength = length; }
    void setRange(WRange range) { mLocation = range.location; mLength = range.length; }
    uint32_t maxRange() const { return mLocation + mLength; }

    std::string string() const;  // "{5, 3}"

    bool isEqualToRange(WRange range) const { return range == this->range(); }
    bool isEqualTo(const WRangeObj& other) const { return isEqualToRange(other.range()); }
    bool containsLocation(uint32_t location) const;  // the end position counts as inside
    bool containsRange(WRange range) const;
    bool containsRangeObj(const WRangeObj& other) const { return containsRange(other.range()); }
    bool isContainedWithRangeObjs(const std::vector<WRangeObj>& ranges) const;
    WRangeObj unionRange(WRange range) const;
    WRangeObj unionRangeObj(const WRangeObj& other) const { return unionRange(other.range()); }
    WRangeObj intersectionRange(WRange range) const;  // (0, 0) when they do not overlap
    WRangeObj intersectionRangeObj(const WRangeObj& other) const { return intersectionRange(other.range()); }
    // Moves the start forward by n keeping the end; null and no change when n > length.
    WRangeObj* shiftRangeObj(uint32_t n);
    int locationCompare(const WRangeObj& other) const;

    // Archiving: location, then length, each as a signed 32-bit value.
    void encodeWithCoder(std::vector<uint8_t>& archive) const;
    // Reads from the archive at offset and moves offset past it; false when too short.
    bool initWithCoder(const std::vector<uint8_t>& archive, size_t& offset);

    friend bool operator==(const WRangeObj& a, const WRangeObj& b) { return a.range() == b.range(); }

private:
    uint32_t mLocation = 0;
    uint32_t mLength = 0;
};

using WRangeArray = std::vector<WRangeObj>;
