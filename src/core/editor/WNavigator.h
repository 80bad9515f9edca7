#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "menus/WMenu.h"
#include "text/WRange.h"

// One definition found in a text: what the navigator menu shows, and the
// range that choosing it selects.
struct WNavigatorItem {
    std::u16string title;
    WRange range;

    friend bool operator==(const WNavigatorItem&, const WNavigatorItem&) = default;
};

// The definitions listed by the navigator beneath the text, per text type: CSS
// selectors, Perl subroutines, Ruby classes and modules, headings of the own
// markup, and the keywords of indexed text. Other types list nothing.
class WNavigator {
public:
    // textType is the document's text type number (3 indexed, 4 own markup,
    // 5 CSS, 6 Perl, 8 Ruby).
    static std::vector<WNavigatorItem> definitionItems(std::u16string_view text, int32_t textType);
    // The navigator menu: one item per definition, sending "setSelectedRangeOfTextView:"
    // with the definition's range attached.
    static std::unique_ptr<WMenu> navigatorMenu(std::u16string_view text, int32_t textType);

    static std::vector<WNavigatorItem> cssItems(std::u16string_view text);
    static std::vector<WNavigatorItem> markupItems(std::u16string_view text);
    static std::vector<WNavigatorItem> perlItems(std::u16string_view text);
    static std::vector<WNavigatorItem> rubyItems(std::u16string_view text);
    // Lines that begin with one of the keywords, keyword by keyword.
    static std::vector<WNavigatorItem> indexItems(std::u16string_view text,
                                                  const std::vector<std::u16string>& keywords);
    // The keywords of indexed text, from the shipped "i-text_keywords.txt"; none when it is missing.
    static std::vector<std::u16string> indexKeywords();
};
