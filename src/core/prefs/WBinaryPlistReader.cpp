#include "prefs/WBinaryPlistReader.h"

#include "prefs/WPlistSerialization.h"
#include "text/WEncoding.h"
#include "text/WStringUtils.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// However small the file, this much expansion is always allowed; beyond it the
// expanded list may grow to a few times the references the file really holds.
constexpr uint64_t kFreeNodes = 1 << 16;
constexpr uint64_t kNodesPerReference = 4;
constexpr uint64_t kFreeBytes = uint64_t(16) << 20;
constexpr uint64_t kBytesPerFileByte = 4;

class Reader {
public:
    explicit Reader(std::string_view bytes) : mBytes(bytes) {}

    std::optional<WPlistValue> read()
    {
        if (!readTrailer() || !measure())
            return std::nullopt;
        return valueOf(mTop);
    }

private:
    enum Kind : uint8_t { scalar, string, data, container, bad };

    // Where an object's contents lie, and how many entries (units, bytes or
    // references) it has.
    struct Object {
        Kind kind = bad;
        uint8_t marker = 0;
        uint64_t start = 0;
        uint64_t entries = 0;
    };

    uint64_t bigEndian(uint64_t at, size_t size) const
    {
        uint64_t value = 0;
        for (size_t i = 0; i < size; ++i)
            value = (value << 8) | static_cast<uint8_t>(mBytes[at + i]);
        return value;
    }

    bool readTrailer()
    {
        constexpr size_t headerSize = 8;
        constexpr size_t trailerSize = 32;
        if (mBytes.size() < headerSize + trailerSize || mBytes.substr(0, 8) != "bplist00")
            return false;
        const uint64_t trailer = mBytes.size() - trailerSize;
        mOffsetSize = static_cast<uint8_t>(mBytes[trailer + 6]);
        mRefSize = static_cast<uint8_t>(mBytes[trailer + 7]);
        mCount = bigEndian(trailer + 8, 8);
        mTop = bigEndian(trailer + 16, 8);
        mTable = bigEndian(trailer + 24, 8);
        mEnd = mTable;
        return mOffsetSize >= 1 && mOffsetSize <= 8 && mRefSize >= 1 && mRefSize <= 8 && mCount > 0
               && mTop < mCount && mTable >= headerSize && mTable <= trailer
               && mCount <= (trailer - mTable) / mOffsetSize;
    }

    Object objectAt(uint64_t index) const
    {
        Object object;
        uint64_t at = bigEndian(mTable + index * mOffsetSize, mOffsetSize);
        if (at < 8 || at >= mEnd)
            return object;
        object.marker = static_cast<uint8_t>(mBytes[at++]);
        const unsigned type = object.marker >> 4;
        uint64_t entries = object.marker & 0xF;
        switch (type) {
        case 0x0:
            object.kind = (object.marker == 0x08 || object.marker == 0x09) ? scalar : bad;
            return object;
        case 0x1:  // integers of 1, 2, 4, 8 or 16 bytes
        case 0x2:  // reals of 4 or 8 bytes
        case 0x3:  // dates, 8 bytes
            entries = uint64_t(1) << (object.marker & 0xF);
            if ((object.marker & 0xF) > 4 || entries > mEnd - at || (type == 0x2 && entries != 4 && entries != 8)
                || (type == 0x3 && entries != 8))
                return object;
            object.kind = scalar;
            object.start = at;
            object.entries = entries;
            return object;
        case 0x8:  // UIDs of 1 to 16 bytes
            entries = (object.marker & 0xF) + 1;
            if (entries > 8 || entries > mEnd - at)
                return object;
            object.kind = scalar;
            object.start = at;
            object.entries = entries;
            return object;
        case 0x4: case 0x5: case 0x6: case 0x7: case 0xA: case 0xB: case 0xC: case 0xD:
            break;
        default:
            return object;
        }
        if (entries == 0xF) {  // the count follows as an integer object
            if (at >= mEnd)
                return object;
            const uint8_t countMarker = static_cast<uint8_t>(mBytes[at++]);
            const size_t length = size_t{1} << (countMarker & 0xF);
            if ((countMarker >> 4) != 1 || length > 8 || length > mEnd - at)
                return object;
            entries = bigEndian(at, length);
            at += length;
        }
        const uint64_t unit = type == 0x6 ? 2 : type == 0xD ? 2 * mRefSize : type >= 0xA ? mRefSize : 1;
        if (entries > (mEnd - at) / unit)
            return object;
        object.kind = type == 0x4 ? data : type <= 0x7 ? string : container;
        object.start = at;
        object.entries = entries;
        return object;
    }

    uint64_t referenceAt(const Object& object, uint64_t i) const
    {
        return bigEndian(object.start + i * mRefSize, mRefSize);
    }

    uint64_t referencesOf(const Object& object) const
    {
        return (object.marker >> 4) == 0xD ? object.entries * 2 : object.entries;
    }

    // Walks every container once, without recursing, keeping per object its
    // depth and its size once expanded; refuses cycles, deep nesting and
    // expansions out of proportion to the file.
    bool measure()
    {
        enum State : uint8_t { unseen, open, done };
        std::vector<State> state(mCount, unseen);
        mDepth.assign(mCount, 0);
        mNodes.assign(mCount, 0);
        mPayload.assign(mCount, 0);
        uint64_t references = 0;
        struct Frame {
            uint64_t index;
            Object object;
            uint64_t next = 0;
        };
        std::vector<Frame> stack;
        auto enter = [&](uint64_t index) {
            Frame frame{index, objectAt(index), 0};
            state[index] = open;
            if (frame.object.kind == container)
                references += referencesOf(frame.object);
            stack.push_back(frame);
        };
        enter(mTop);
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.object.kind == container && frame.next < referencesOf(frame.object)) {
                const uint64_t child = referenceAt(frame.object, frame.next++);
                if (child >= mCount)
                    continue;  // read as a bad entry later
                if (state[child] == open)
                    return false;  // a container inside itself
                if (state[child] == unseen) {
                    if (stack.size() > WPlistSerialization::kDeepestNesting)
                        return false;
                    enter(child);
                }
                continue;
            }
            uint32_t depth = 1;
            uint64_t nodes = 1;
            uint64_t payload = frame.object.kind == string || frame.object.kind == data ? frame.object.entries : 0;
            if (frame.object.kind == container) {
                for (uint64_t i = 0; i < referencesOf(frame.object); ++i) {
                    const uint64_t child = referenceAt(frame.object, i);
                    if (child >= mCount)
                        continue;
                    depth = std::max(depth, mDepth[child] + 1);
                    nodes += mNodes[child];
                    payload += mPayload[child];
                    if (nodes > kMostNodes || payload > kMostBytes)
                        return false;
                }
            }
            // Depth counts the containers on the way down, the innermost included.
            if (frame.object.kind == container && depth > WPlistSerialization::kDeepestNesting)
                return false;
            mDepth[frame.index] = frame.object.kind == container ? depth : 0;
            mNodes[frame.index] = nodes;
            mPayload[frame.index] = payload;
            state[frame.index] = done;
            stack.pop_back();
        }
        return mNodes[mTop] <= kFreeNodes + kNodesPerReference * references
               && mPayload[mTop] <= kFreeBytes + kBytesPerFileByte * mBytes.size();
    }

    std::optional<std::string> stringOf(const Object& object) const
    {
        const unsigned type = object.marker >> 4;
        if (type == 0x6) {
            std::u16string units;
            units.reserve(object.entries);
            for (uint64_t i = 0; i < object.entries; ++i) {
                const auto unit = static_cast<char16_t>(bigEndian(object.start + 2 * i, 2));
                if (unit == 0)
                    return std::nullopt;
                units.push_back(unit);
            }
            return WStringUtils::toUtf8(units);
        }
        std::string_view text = mBytes.substr(object.start, object.entries);
        if (text.find('\0') != std::string_view::npos)
            return std::nullopt;
        if (type == 0x5) {
            // ASCII by the format; a byte above it is read as Latin-1.
            std::string utf8;
            utf8.reserve(text.size());
            for (unsigned char c : text) {
                if (c < 0x80) {
                    utf8.push_back(static_cast<char>(c));
                } else {
                    utf8.push_back(static_cast<char>(0xC0 | (c >> 6)));
                    utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
                }
            }
            return utf8;
        }
        if (!WEncoding::isValidUtf8({reinterpret_cast<const uint8_t*>(text.data()), text.size()}))
            return std::nullopt;
        return std::string(text);
    }

    std::optional<WPlistValue> scalarOf(const Object& object) const
    {
        const unsigned type = object.marker >> 4;
        if (type == 0x0)
            return WPlistValue(object.marker == 0x09);
        // A 16-byte integer keeps its low 8 bytes, as far as 64 bits reach.
        const uint64_t size = std::min<uint64_t>(object.entries, 8);
        const uint64_t raw = bigEndian(object.start + object.entries - size, size);
        if (type == 0x1)
            return WPlistValue(static_cast<int64_t>(raw));
        if (type == 0x8)
            return WPlistValue(WPlistUid{raw});
        double real = 0.0;
        if (object.entries == 4) {
            float single = 0.0f;
            const auto bits = static_cast<uint32_t>(raw);
            std::memcpy(&single, &bits, sizeof single);
            real = single;
        } else {
            std::memcpy(&real, &raw, sizeof real);
        }
        if (type == 0x3)
            return WPlistValue(WPlistDate{real});
        return WPlistValue(real);
    }

    std::optional<WPlistValue> valueOf(uint64_t index) const
    {
        if (index >= mCount)
            return std::nullopt;
        const Object object = objectAt(index);
        switch (object.kind) {
        case bad: return std::nullopt;
        case scalar: return scalarOf(object);
        case string:
            if (auto text = stringOf(object))
                return WPlistValue(std::move(*text));
            return std::nullopt;
        case data: {
            const auto* first = reinterpret_cast<const uint8_t*>(mBytes.data() + object.start);
            return WPlistValue(WPlistData(first, first + object.entries));
        }
        case container: break;
        }
        if ((object.marker >> 4) != 0xD) {  // arrays, and sets read as arrays
            WPlistArray array;
            array.reserve(object.entries);
            for (uint64_t i = 0; i < object.entries; ++i) {
                if (auto item = valueOf(referenceAt(object, i)))
                    array.push_back(std::move(*item));
            }
            return WPlistValue(std::move(array));
        }
        WDictionary dictionary;
        for (uint64_t i = 0; i < object.entries; ++i) {
            const uint64_t keyIndex = referenceAt(object, i);
            if (keyIndex >= mCount)
                continue;
            const Object key = objectAt(keyIndex);
            std::optional<std::string> name = key.kind == string ? stringOf(key) : std::nullopt;
            if (!name)
                continue;
            if (auto value = valueOf(referenceAt(object, object.entries + i)))
                dictionary.setObject(std::move(*value), *name);
        }
        return WPlistValue(std::move(dictionary));
    }

    // Absolute ceilings, whatever the file's size: far above any honest list.
    static constexpr uint64_t kMostNodes = uint64_t(1) << 32;
    static constexpr uint64_t kMostBytes = uint64_t(1) << 40;

    std::string_view mBytes;
    size_t mOffsetSize = 0;
    size_t mRefSize = 0;
    uint64_t mCount = 0;
    uint64_t mTop = 0;
    uint64_t mTable = 0;
    uint64_t mEnd = 0;  // objects lie before the offset table
    std::vector<uint32_t> mDepth;
    std::vector<uint64_t> mNodes;
    std::vector<uint64_t> mPayload;
};

}  // namespace

std::optional<WPlistValue> WBinaryPlistReader::read(std::string_view bytes)
{
    return Reader(bytes).read();
}
