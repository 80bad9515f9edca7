#pragma once

#include <filesystem>
#include <string_view>

#include "bookmarks/WBookmarkStore.h"

// The bookmarks of a Chromium-family browser from its profile's "Bookmarks"
// file (JSON): the bookmarks bar, the other bookmarks and the mobile
// bookmarks, in stored order.
namespace WChromiumBookmarks {

WBookmarkStore read(const std::filesystem::path& bookmarksFile);
WBookmarkStore parse(std::string_view json);

}  // namespace WChromiumBookmarks
