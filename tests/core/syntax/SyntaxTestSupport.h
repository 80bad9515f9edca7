#pragma once

#include <string>
#include <vector>

#include "text/WStringUtils.h"

// The texts of the ranges, so that expectations read like the sample they test.
inline std::vector<std::u16string> texts(std::u16string_view text, const WRangeArray& ranges) {
    std::vector<std::u16string> out;
    for (const WRangeObj& r : ranges) out.emplace_back(text.substr(r.location(), r.length()));
    return out;
}

inline std::vector<std::u16string> texts(std::u16string_view text, const WRangeDictionary& classes,
                                         const char* name) {
    auto found = classes.find(name);
    return found == classes.end() ? std::vector<std::u16string>{} : texts(text, found->second);
}

using Texts = std::vector<std::u16string>;

inline WRange whole(std::u16string_view text) { return {0, static_cast<uint32_t>(text.size())}; }
