#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

// Which version of a file a document holds: taken when the file is read and
// after each save, and compared later to notice another program writing,
// replacing or deleting it. A rename over the file gives a new inode; a write
// in place a new size or modification time.
struct WFileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    uint64_t size = 0;
    int64_t modificationTime = 0;  // nanoseconds since the epoch

    // The file a path names now, through symbolic links; nothing when there is
    // none (or it cannot be looked at, which for a document comes to the same).
    static std::optional<WFileIdentity> of(const std::filesystem::path& path);

    friend bool operator==(const WFileIdentity&, const WFileIdentity&) = default;
};
