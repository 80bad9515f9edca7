#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "bookmarks/WBookmark.h"

// What a browser's bookmarks store gave: its top folders, how many entries
// were left out as unusable, and why nothing could be read, if so.
struct WBookmarkStore {
    std::vector<WBookmark> folders;
    size_t skipped = 0;
    std::string error;

    bool ok() const { return error.empty(); }
    static WBookmarkStore failed(std::string why)
    {
        WBookmarkStore store;
        store.error = std::move(why);
        return store;
    }
};
