#include "prefs/WPlistSerialization.h"

#include "prefs/WBinaryPlistReader.h"
#include "prefs/WXmlPlistReader.h"

#include <plist/plist.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

namespace {

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
    if (bytes.substr(0, 8) == "bplist00")
        return WBinaryPlistReader::read(bytes);
    return WXmlPlistReader::read(bytes);
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
