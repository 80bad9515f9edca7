#pragma once

#include <plist/plist.h>

#include <string>

#include "prefs/WPlistSerialization.h"

// Safari bookmark files as the browser writes them: folders of bookmarks, each
// bookmark with its own identifier and, optionally, the sync record beside it.
namespace safari {

inline WDictionary leaf(const std::string& title, const std::string& url)
{
    WDictionary uri;
    uri.setObject(WPlistValue(title), "title");
    WDictionary node;
    node.setObject(WPlistValue("WebBookmarkTypeLeaf"), "WebBookmarkType");
    node.setObject(WPlistValue(std::move(uri)), "URIDictionary");
    node.setObject(WPlistValue(url), "URLString");
    return node;
}

inline WDictionary folder(const std::string& title, WPlistArray children)
{
    WDictionary node;
    node.setObject(WPlistValue("WebBookmarkTypeList"), "WebBookmarkType");
    node.setObject(WPlistValue(title), "Title");
    node.setObject(WPlistValue(std::move(children)), "Children");
    return node;
}

inline WDictionary bookmarks(int folders, int perFolder, bool syncRecords)
{
    WPlistArray top;
    int n = 0;
    for (int f = 0; f < folders; ++f) {
        WPlistArray children;
        for (int b = 0; b < perFolder; ++b, ++n) {
            WDictionary node = leaf("Page " + std::to_string(n), "https://example.com/" + std::to_string(n));
            node.setObject(WPlistValue("6F0D2A4C-" + std::to_string(100000 + n)), "WebBookmarkUUID");
            if (syncRecords) {
                WDictionary sync;
                sync.setObject(WPlistValue("ServerID-" + std::to_string(n)), "ServerID");
                sync.setObject(WPlistValue(WPlistData(48, uint8_t(n))), "Data");
                node.setObject(WPlistValue(std::move(sync)), "Sync");
            }
            children.push_back(WPlistValue(std::move(node)));
        }
        top.push_back(WPlistValue(folder("Folder " + std::to_string(f), std::move(children))));
    }
    WDictionary root;
    root.setObject(WPlistValue("WebBookmarkTypeList"), "WebBookmarkType");
    root.setObject(WPlistValue(std::move(top)), "Children");
    return root;
}

inline std::string xml(const WDictionary& root)
{
    return WPlistSerialization::xmlDataFromPropertyList(WPlistValue(root));
}

// The same list in the binary form, as libplist writes it.
inline std::string binary(const WDictionary& root)
{
    const std::string text = xml(root);
    plist_t node = nullptr;
    plist_from_xml(text.data(), static_cast<uint32_t>(text.size()), &node);
    char* bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(node, &bytes, &length);
    std::string result(bytes, length);
    plist_to_bin_free(bytes);
    plist_free(node);
    return result;
}

}  // namespace safari
