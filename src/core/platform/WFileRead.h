#pragma once

#include <cstddef>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>

// Reading a whole file that may be anything on disk: only a readable regular
// file of at most maxBytes gives bytes. A folder, a FIFO or a device gives
// nothing, and opening never waits for a writer. No exception leaves it.
namespace WFileRead {

enum class Links { Follow, Refuse };

// On failure *error holds the errno: EISDIR for a folder, ENODEV for anything
// else that is no regular file, EFBIG for a file larger than maxBytes, ELOOP
// for a symbolic link when links are refused.
std::optional<std::string> regularFile(const std::filesystem::path& file,
                                       size_t maxBytes = std::numeric_limits<size_t>::max(), int* error = nullptr,
                                       Links links = Links::Follow);

// Such a failure in a few words ("not found", "a folder, not a file", ...).
std::string describe(int error);

}  // namespace WFileRead
