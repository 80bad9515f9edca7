#pragma once

#include <cstddef>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>

// Reading a whole file that may be anything on disk: only a readable regular
// file of at most maxBytes gives bytes. A folder, a FIFO or a device gives
// nothing, and opening never waits for a writer.
namespace WFileRead {

std::optional<std::string> regularFile(const std::filesystem::path& file,
                                       size_t maxBytes = std::numeric_limits<size_t>::max());

}  // namespace WFileRead
