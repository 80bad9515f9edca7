#include "prefs/WPlistSerialization.h"

#include <plist/plist.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// Deeper nesting than this is no preferences file; refusing it keeps the
// recursion below bounded.
constexpr int kDeepestNesting = 256;

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
