#pragma once

#include <string>
#include <vector>

// One entry of a browser's bookmarks, as the URL menu shows it: a folder with
// its entries in stored order, a link, or a separator line.
struct WBookmark {
    enum class Kind { Folder, Link, Separator };

    Kind kind = Kind::Link;
    std::u16string title;
    std::u16string url;
    std::vector<WBookmark> children;

    static WBookmark folder(std::u16string title, std::vector<WBookmark> children = {})
    {
        return {Kind::Folder, std::move(title), {}, std::move(children)};
    }
    static WBookmark link(std::u16string title, std::u16string url)
    {
        return {Kind::Link, std::move(title), std::move(url), {}};
    }
    static WBookmark separator() { return {Kind::Separator, {}, {}, {}}; }
};

// Limits that keep a hostile bookmarks file from costing the editor more than
// an honest one: folders deeper than this are left out, and titles are cut.
inline constexpr int WBookmarkMaxDepth = 64;
inline constexpr size_t WBookmarkMaxTitleLength = 256;
