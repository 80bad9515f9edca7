#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "text/WEncoding.h"
#include "text/WEncodingRepertoire.h"
#include "text/WRange.h"

// A character that saving in an encoding would lose or change.
struct WCharacterProblem {
    WRange range;        // in the text (two units for a surrogate pair)
    char32_t character;
    uint32_t line;       // 1-based, as WTextPosition counts
    uint32_t column;
    WEncodingRepertoire::Fate fate;  // Twin or Lost
    char32_t savedAs;                // what a Twin is written as
};

// Every character of a text that an encoding cannot hold, or holds only as
// another character, in text order.
namespace WCharacterCheck {

std::vector<WCharacterProblem> problems(std::u16string_view text, WStringEncoding encoding,
                                        size_t limit = std::numeric_limits<size_t>::max());

// "U+FF5E" and the character itself where it can be shown.
std::string characterName(char32_t character);
// What happens to it: "cannot be saved" or "is saved as U+FF5E ～".
std::string outcome(const WCharacterProblem& problem);

}  // namespace WCharacterCheck
