#include "text/WRangeObj.h"

#include <algorithm>
#include <cstring>

namespace {
// Reads the next run of decimal digits from pos on; 0 when there is none.
uint32_t nextNumber(std::string_view text, size_t& pos)
{
    while (pos < text.size() && (text[pos] < '0' || text[pos] > '9'))
        ++pos;
    uint64_t value = 0;
    bool any = false;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(text[pos] - '0'), UINT32_MAX);
        any = true;
        ++pos;
    }
    return any ? static_cast<uint32_t>(value) : 0;
}

void appendInt32(std::vector<uint8_t>& archive, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        archive.push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t readInt32(const std::vector<uint8_t>& archive, size_t offset)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(archive[offset + i]) << (8 * i);
    return value;
}
}  // namespace

WRangeObj::WRangeObj(std::string_view text)
{
    size_t pos = 0;
    mLocation = nextNumber(text, pos);
    mLength = nextNumber(text, pos);
}

std::string WRangeObj::string() const
{
    return "{" + std::to_string(mLocation) + ", " + std::to_string(mLength) + "}";
}

bool WRangeObj::containsLocation(uint32_t location) const
{
    return mLocation <= location && uint64_t(location) <= uint64_t(mLocation) + mLength;
}

bool WRangeObj::containsRange(WRange range) const
{
    return mLocation <= range.location
        && uint64_t(mLocation) + mLength >= uint64_t(range.location) + range.length;
}

bool WRangeObj::isContainedWithRangeObjs(const std::vector<WRangeObj>& ranges) const
{
    return std::any_of(ranges.begin(), ranges.end(), [this](const WRangeObj& r) { return r.containsRangeObj(*this); });
}

WRangeObj WRangeObj::unionRange(WRange range) const
{
    uint64_t start = std::min(mLocation, range.location);
    uint64_t end = std::max(uint64_t(mLocation) + mLength, uint64_t(range.location) + range.length);
    return WRangeObj(static_cast<uint32_t>(start), static_cast<uint32_t>(end - start));
}

WRangeObj WRangeObj::intersectionRange(WRange range) const
{
    uint64_t start = std::max(mLocation, range.location);
    uint64_t end = std::min(uint64_t(mLocation) + mLength, uint64_t(range.location) + range.length);
    if (start >= end)
        return WRangeObj();
    return WRangeObj(static_cast<uint32_t>(start), static_cast<uint32_t>(end - start));
}

WRangeObj* WRangeObj::shiftRangeObj(uint32_t n)
{
    if (n > mLength)
        return nullptr;
    mLocation += n;
    mLength -= n;
    return this;
}

int WRangeObj::locationCompare(const WRangeObj& other) const
{
    if (mLocation == other.mLocation)
        return 0;
    return mLocation < other.mLocation ? -1 : 1;
}

void WRangeObj::encodeWithCoder(std::vector<uint8_t>& archive) const
{
    // Two signed 32-bit values, little-endian, location first.
    appendInt32(archive, mLocation);
    appendInt32(archive, mLength);
}

bool WRangeObj::initWithCoder(const std::vector<uint8_t>& archive, size_t& offset)
{
    if (offset > archive.size() || archive.size() - offset < 8)
        return false;
    mLocation = readInt32(archive, offset);
    mLength = readInt32(archive, offset + 4);
    offset += 8;
    return true;
}
