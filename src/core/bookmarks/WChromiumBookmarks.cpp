#include "bookmarks/WChromiumBookmarks.h"

#include <nlohmann/json.hpp>

#include "bookmarks/WBookmarkText.h"
#include "platform/WFileRead.h"

namespace {

using Json = nlohmann::json;

// The browser writes the file whole; a real one of 100,000 bookmarks is a
// few tens of megabytes.
constexpr size_t kLargestFile = size_t(256) << 20;

const std::string* stringAt(const Json& node, const char* key)
{
    auto found = node.find(key);
    return found != node.end() && found->is_string() ? found->get_ptr<const std::string*>() : nullptr;
}

std::vector<WBookmark> entriesOf(const Json& children, size_t& skipped)
{
    std::vector<WBookmark> entries;
    for (const Json& node : children) {
        if (!node.is_object()) {
            ++skipped;
            continue;
        }
        const std::string* type = stringAt(node, "type");
        const std::string* name = stringAt(node, "name");
        if (type && *type == "url") {
            const std::string* url = stringAt(node, "url");
            std::optional<std::u16string> link = url ? WBookmarkText::url(*url) : std::nullopt;
            std::optional<std::u16string> title = link && name ? WBookmarkText::title(*name, *link) : std::nullopt;
            if (title)
                entries.push_back(WBookmark::link(std::move(*title), std::move(*link)));
            else
                ++skipped;
        } else if (type && *type == "folder") {
            auto inner = node.find("children");
            std::optional<std::u16string> title = name ? WBookmarkText::title(*name, {}) : std::nullopt;
            if (!title || title->empty() || inner == node.end() || !inner->is_array()) {
                ++skipped;
                continue;
            }
            entries.push_back(WBookmark::folder(std::move(*title), entriesOf(*inner, skipped)));
        } else {
            ++skipped;
        }
    }
    return entries;
}

struct Root {
    const char* key;
    const char16_t* title;
    bool keptWhenEmpty;
};

constexpr Root kRoots[] = {
    {"bookmark_bar", u"Bookmarks Bar", true},
    {"other", u"Other Bookmarks", true},
    {"synced", u"Mobile Bookmarks", false},
};

}  // namespace

WBookmarkStore WChromiumBookmarks::read(const std::filesystem::path& bookmarksFile)
{
    std::optional<std::string> bytes = WFileRead::regularFile(bookmarksFile, kLargestFile);
    if (!bytes)
        return WBookmarkStore::failed("no readable bookmarks file");
    return parse(*bytes);
}

WBookmarkStore WChromiumBookmarks::parse(std::string_view json)
{
    // The parser itself does not recurse; values nested deeper than a menu
    // can show are dropped while parsing, so nothing later recurses deeply.
    bool tooDeep = false;
    Json::parser_callback_t limitDepth = [&tooDeep](int depth, Json::parse_event_t, Json&) {
        if (depth > 2 * WBookmarkMaxDepth + 4) {
            tooDeep = true;
            return false;
        }
        return true;
    };
    Json document = Json::parse(json.begin(), json.end(), limitDepth, false);
    if (document.is_discarded())
        return WBookmarkStore::failed("not a JSON file");
    auto roots = document.is_object() ? document.find("roots") : document.end();
    if (!document.is_object() || roots == document.end() || !roots->is_object())
        return WBookmarkStore::failed("no \"roots\" object");

    WBookmarkStore store;
    for (const Root& root : kRoots) {
        std::vector<WBookmark> entries;
        auto node = roots->find(root.key);
        if (node != roots->end() && node->is_object()) {
            auto children = node->find("children");
            if (children != node->end() && children->is_array())
                entries = entriesOf(*children, store.skipped);
        }
        if (!entries.empty() || root.keptWhenEmpty)
            store.folders.push_back(WBookmark::folder(root.title, std::move(entries)));
    }
    if (tooDeep)
        ++store.skipped;
    return store;
}
