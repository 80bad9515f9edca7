#include "prefs/WPlistSerialization.h"

#include <plist/plist.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

namespace {

// Deeper nesting than this is no preferences file; refusing it keeps the
// recursion below (and libplist's own) bounded.
constexpr int kDeepestNesting = 256;
// libplist expands every reference of a binary list into a node of its own,
// so a few hundred bytes of shared references can stand for billions of
// nodes; we refuse lists that would grow past this many.
constexpr uint64_t kMostNodes = 100000;

uint64_t bigEndian(std::string_view bytes, uint64_t at, size_t size)
{
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i)
        value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

// Walks the containers of a binary property list without recursing, and
// answers whether libplist may be given it: well formed as far as containers
// go, no cycles, not too deep and not too many nodes once expanded.
bool binaryListIsTame(std::string_view bytes)
{
    constexpr size_t trailerSize = 32;
    constexpr size_t headerSize = 8;
    if (bytes.size() < headerSize + trailerSize)
        return false;
    const uint64_t trailer = bytes.size() - trailerSize;
    const size_t offsetSize = static_cast<uint8_t>(bytes[trailer + 6]);
    const size_t refSize = static_cast<uint8_t>(bytes[trailer + 7]);
    const uint64_t count = bigEndian(bytes, trailer + 8, 8);
    const uint64_t top = bigEndian(bytes, trailer + 16, 8);
    const uint64_t table = bigEndian(bytes, trailer + 24, 8);
    if (offsetSize < 1 || offsetSize > 8 || refSize < 1 || refSize > 8 || count == 0 || count > kMostNodes
        || top >= count || table < headerSize || table > trailer || count > (trailer - table) / offsetSize)
        return false;

    auto childrenOf = [&](uint64_t object, std::vector<uint64_t>& children) {
        children.clear();
        uint64_t at = bigEndian(bytes, table + object * offsetSize, offsetSize);
        if (at < headerSize || at >= table)
            return false;
        const uint8_t marker = static_cast<uint8_t>(bytes[at++]);
        const unsigned type = marker >> 4;
        const bool container = type == 0xA || type == 0xC || type == 0xD;  // array, set, dictionary
        const bool string = type == 0x5 || type == 0x6 || type == 0x7;   // ASCII, UTF-16, UTF-8
        if (!container && !string)
            return true;
        uint64_t entries = marker & 0xF;
        if (entries == 0xF) {  // the count follows as an integer object
            if (at >= table)
                return false;
            const uint8_t countMarker = static_cast<uint8_t>(bytes[at++]);
            const size_t length = size_t{1} << (countMarker & 0xF);
            if ((countMarker >> 4) != 1 || length > 8 || length > table - at)
                return false;
            entries = bigEndian(bytes, at, length);
            at += length;
        }
        if (string) {
            // libplist stops the program on a string with a NUL inside.
            const size_t unit = type == 0x6 ? 2 : 1;
            if (entries > (table - at) / unit)
                return false;
            for (uint64_t i = 0; i < entries; ++i) {
                if (bigEndian(bytes, at + i * unit, unit) == 0)
                    return false;
            }
            return true;
        }
        if (entries > kMostNodes)
            return false;
        const uint64_t refs = type == 0xD ? entries * 2 : entries;
        if (refs > (table - at) / refSize)
            return false;
        for (uint64_t i = 0; i < refs; ++i) {
            const uint64_t child = bigEndian(bytes, at + i * refSize, refSize);
            if (child >= count)
                return false;
            children.push_back(child);
        }
        return true;
    };

    // Depth-first, keeping per object its depth and its expanded size.
    enum State : uint8_t { unseen, open, done };
    std::vector<State> state(count, unseen);
    std::vector<uint32_t> depth(count, 0);
    std::vector<uint64_t> size(count, 0);
    struct Frame {
        uint64_t object;
        std::vector<uint64_t> children;
        size_t next = 0;
    };
    std::vector<Frame> stack;
    stack.push_back({top, {}, 0});
    if (!childrenOf(top, stack.back().children))
        return false;
    state[top] = open;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next < frame.children.size()) {
            const uint64_t child = frame.children[frame.next++];
            if (state[child] == open)
                return false;  // a container inside itself
            if (state[child] == unseen) {
                Frame childFrame{child, {}, 0};
                if (!childrenOf(child, childFrame.children))
                    return false;
                state[child] = open;
                stack.push_back(std::move(childFrame));
            }
            continue;
        }
        uint32_t deepest = 0;
        uint64_t nodes = 1;
        for (uint64_t child : frame.children) {
            deepest = std::max(deepest, depth[child] + 1);
            nodes += size[child];
            if (nodes > kMostNodes)
                return false;
        }
        if (deepest > kDeepestNesting)
            return false;
        depth[frame.object] = deepest;
        size[frame.object] = nodes;
        state[frame.object] = done;
        stack.pop_back();
    }
    return true;
}

// XML lists expand to no more than their text, but libplist's reader
// recurses on nesting; count it first.
bool xmlNestingIsTame(std::string_view bytes)
{
    // No NUL may reach a string either, raw or as a character reference.
    if (bytes.find('\0') != std::string_view::npos)
        return false;
    for (size_t i = bytes.find("&#"); i != std::string_view::npos; i = bytes.find("&#", i + 2)) {
        size_t digit = i + 2;
        const bool hex = digit < bytes.size() && (bytes[digit] == 'x' || bytes[digit] == 'X');
        if (hex)
            ++digit;
        while (digit < bytes.size() && bytes[digit] == '0')
            ++digit;
        if (digit < bytes.size() && bytes[digit] == ';' && digit > i + 2 + (hex ? 1 : 0))
            return false;
    }
    int depth = 0;
    for (size_t i = bytes.find('<'); i != std::string_view::npos; i = bytes.find('<', i + 1)) {
        if (i + 1 >= bytes.size())
            break;
        const char next = bytes[i + 1];
        if (next == '?' || next == '!')
            continue;
        if (next == '/') {
            --depth;
            continue;
        }
        const size_t end = bytes.find('>', i);
        if (end == std::string_view::npos)
            break;
        if (bytes[end - 1] == '/')  // <true/>
            continue;
        if (++depth > kDeepestNesting + 1)  // + 1 for <plist> itself
            return false;
    }
    return true;
}

// Property-list dates count from 2001-01-01; libplist splits them into
// seconds and microseconds.
std::optional<WPlistValue> fromNode(plist_t node, int depth)
{
    if (!node || depth > kDeepestNesting)
        return std::nullopt;
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return WPlistValue(value != 0);
    }
    case PLIST_UINT: {
        // libplist keeps every integer in 64 bits; negative ones come back
        // in two's complement.
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return WPlistValue(static_cast<int64_t>(value));
    }
    case PLIST_REAL: {
        double value = 0.0;
        plist_get_real_val(node, &value);
        return WPlistValue(value);
    }
    case PLIST_STRING:
    case PLIST_KEY: {
        char* value = nullptr;
        plist_get_string_val(node, &value);
        std::string text = value ? value : "";
        std::free(value);
        return WPlistValue(std::move(text));
    }
    case PLIST_DATA: {
        char* bytes = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &bytes, &length);
        WPlistData data(reinterpret_cast<uint8_t*>(bytes), reinterpret_cast<uint8_t*>(bytes) + (bytes ? length : 0));
        std::free(bytes);
        return WPlistValue(std::move(data));
    }
    case PLIST_DATE: {
        int32_t seconds = 0;
        int32_t microseconds = 0;
        plist_get_date_val(node, &seconds, &microseconds);
        return WPlistValue(WPlistDate{seconds + microseconds / 1e6});
    }
    case PLIST_UID: {
        uint64_t value = 0;
        plist_get_uid_val(node, &value);
        return WPlistValue(WPlistUid{value});
    }
    case PLIST_ARRAY: {
        WPlistArray array;
        const uint32_t size = plist_array_get_size(node);
        array.reserve(size);
        for (uint32_t i = 0; i < size; ++i) {
            auto item = fromNode(plist_array_get_item(node, i), depth + 1);
            if (!item)
                return std::nullopt;
            array.push_back(std::move(*item));
        }
        return WPlistValue(std::move(array));
    }
    case PLIST_DICT: {
        WDictionary dictionary;
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(node, &iterator);
        if (!iterator)
            return WPlistValue(std::move(dictionary));
        for (;;) {
            char* key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, iterator, &key, &item);
            if (!item) {
                std::free(key);
                break;
            }
            auto value = fromNode(item, depth + 1);
            if (!value || !key) {
                std::free(key);
                std::free(iterator);
                return std::nullopt;
            }
            dictionary.setObject(std::move(*value), key);
            std::free(key);
        }
        std::free(iterator);
        return WPlistValue(std::move(dictionary));
    }
    default:
        return std::nullopt;
    }
}

plist_t toNode(const WPlistValue& value)
{
    if (auto* boolean = value.boolean())
        return plist_new_bool(*boolean ? 1 : 0);
    if (auto* integer = value.integer())
        return plist_new_uint(static_cast<uint64_t>(*integer));
    if (auto* real = value.real())
        return plist_new_real(*real);
    if (auto* string = value.string())
        return plist_new_string(string->c_str());
    if (auto* data = value.data())
        return plist_new_data(reinterpret_cast<const char*>(data->data()), data->size());
    if (auto* date = value.date()) {
        double whole = std::floor(date->seconds);
        whole = std::clamp(whole, double(std::numeric_limits<int32_t>::min()), double(std::numeric_limits<int32_t>::max()));
        const auto microseconds = static_cast<int32_t>(std::lround((date->seconds - whole) * 1e6));
        return plist_new_date(static_cast<int32_t>(whole), std::clamp(microseconds, 0, 999999));
    }
    if (auto* uid = value.uid())
        return plist_new_uid(uid->value);
    if (auto* array = value.array()) {
        plist_t node = plist_new_array();
        for (const auto& item : *array)
            plist_array_append_item(node, toNode(item));
        return node;
    }
    plist_t node = plist_new_dict();
    if (auto* dictionary = value.dictionary()) {
        for (const auto& [key, item] : *dictionary)
            plist_dict_set_item(node, key.c_str(), toNode(item));
    }
    return node;
}

}  // namespace

std::optional<WPlistValue> WPlistSerialization::propertyListFromData(std::string_view bytes)
{
    if (bytes.empty() || bytes.size() > std::numeric_limits<uint32_t>::max())
        return std::nullopt;
    const bool binary = bytes.size() >= 8 && bytes.substr(0, 8) == "bplist00";
    if (binary ? !binaryListIsTame(bytes) : !xmlNestingIsTame(bytes))
        return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    if (!root)
        return std::nullopt;
    auto value = fromNode(root, 0);
    plist_free(root);
    return value;
}

std::string WPlistSerialization::xmlDataFromPropertyList(const WPlistValue& value)
{
    plist_t root = toNode(value);
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root, &xml, &length);
    std::string text = xml ? std::string(xml, length) : std::string();
    if (xml)
        plist_to_xml_free(xml);
    plist_free(root);
    return text;
}
