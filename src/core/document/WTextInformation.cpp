#include "document/WTextInformation.h"

#include <algorithm>

#include "text/WStringUtils.h"

WTextInformation WTextInformation::of(std::u16string_view text, WRange selection)
{
    const size_t start = std::min<size_t>(selection.location, text.size());
    const std::u16string_view selected = text.substr(start, selection.length);
    WTextInformation information;
    information.wholeCharacterCount = static_cast<uint32_t>(text.size());
    information.wholeLineCount = WStringUtils::countLinesOfString(text);
    information.selectedCharacterCount = static_cast<uint32_t>(selected.size());
    information.selectedLineCount = WStringUtils::countLinesOfString(selected);
    return information;
}

std::string WTextInformation::message() const
{
    return "Whole Text :\n  Character Count : " + std::to_string(wholeCharacterCount) +
           "\n  Line Count : " + std::to_string(wholeLineCount) +
           "\n\nSelected Text :\n  Character Count : " + std::to_string(selectedCharacterCount) +
           "\n  Line Count : " + std::to_string(selectedLineCount);
}
