#pragma once

#include <string_view>

// The order in which menus list names (font families, font names, add-ons):
// the collation of the user's locale ($LC_ALL, $LC_COLLATE or $LANG), where
// accents and letter case count only after the letters themselves, so
// "Ébene" comes before "Zapf" and "apple" beside "Apple". Names equal to the
// collation keep a fixed order by their bytes.
class WNameOrder {
public:
    static bool less(std::string_view a, std::string_view b);
};
