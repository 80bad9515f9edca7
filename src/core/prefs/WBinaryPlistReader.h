#pragma once

#include "prefs/WPlistValue.h"

#include <optional>
#include <string_view>

// The binary form ("bplist00"). Shared references are followed into copies, so
// a file is first measured: one whose expansion is out of all proportion to its
// size (a few objects standing for billions), one nested too deep, or one whose
// containers hold themselves is refused whole. A value that cannot be read (a
// string holding a NUL, an unknown kind, a reference past the end) drops only
// itself from its container, or its entry from its dictionary.
class WBinaryPlistReader {
public:
    static std::optional<WPlistValue> read(std::string_view bytes);
};
