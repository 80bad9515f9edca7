#pragma once

#include <filesystem>

#include "bookmarks/WBookmarkStore.h"

// Firefox's bookmarks from a profile's places.sqlite: the bookmarks menu, the
// toolbar, the other bookmarks and (when not empty) the mobile bookmarks.
//
// Firefox keeps the database open and locked while it runs, and its newest
// changes may sit in the write-ahead log. The reader copies the database and
// its log into a private folder and reads the copy, so it neither waits for
// nor disturbs a running Firefox and never writes to the profile.
namespace WFirefoxBookmarks {

WBookmarkStore read(const std::filesystem::path& placesFile);

}  // namespace WFirefoxBookmarks
