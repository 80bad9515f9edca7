#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "bookmarks/WBookmarkStore.h"

// The bookmarks of this desktop's browsers, one submenu's worth each:
// "Firefox" and "Chromium" always, "Google Chrome" and "Brave" where they are
// set up. A store that cannot be read gives an empty list and one log line.
namespace WBrowserBookmarks {

struct Browser {
    std::u16string title;
    std::vector<WBookmark> folders;
};

std::vector<Browser> read(const std::filesystem::path& home);

// Every file read() reads, so that a caller can tell when to read again.
std::vector<std::filesystem::path> sourceFiles(const std::filesystem::path& home);

}  // namespace WBrowserBookmarks
