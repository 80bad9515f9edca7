#include "document/WCharacterCheck.h"

#include <cstdio>

#include "text/WStringUtils.h"
#include "text/WTextPosition.h"

std::vector<WCharacterProblem> WCharacterCheck::problems(std::u16string_view text, WStringEncoding encoding,
                                                          size_t limit)
{
    std::vector<WCharacterProblem> found;
    const WEncodingRepertoire& repertoire = WEncodingRepertoire::of(encoding);
    const bool everyCharacterKept = encoding == WUTF16Encoding;
    if (everyCharacterKept || limit == 0)
        return found;
    WTextPosition position(text);
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t u = text[i];
        if (u < 0x80 && u != 0x1B)
            continue;
        bool pair = u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        char32_t c = pair ? 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00) : u;
        WEncodingRepertoire::Fate fate = repertoire.fate(c);
        if (fate != WEncodingRepertoire::Fate::Kept) {
            position.advanceTo(i);
            found.push_back({{static_cast<uint32_t>(i), pair ? 2u : 1u}, c, position.line(), position.column(), fate,
                             fate == WEncodingRepertoire::Fate::Twin ? repertoire.writtenAs(u) : c});
            if (found.size() == limit)
                break;
        }
        if (pair)
            ++i;
    }
    return found;
}

std::string WCharacterCheck::characterName(char32_t character)
{
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(character));
    bool printable = character >= 0x20 && character != 0x7F && !(character >= 0x80 && character < 0xA0) &&
                     !(character >= 0xD800 && character <= 0xDFFF);
    if (!printable)
        return code;
    std::u16string one;
    if (character > 0xFFFF) {
        char32_t c = character - 0x10000;
        one = {static_cast<char16_t>(0xD800 + (c >> 10)), static_cast<char16_t>(0xDC00 + (c & 0x3FF))};
    } else {
        one = {static_cast<char16_t>(character)};
    }
    return std::string(code) + " " + WStringUtils::toUtf8(one);
}

std::string WCharacterCheck::outcome(const WCharacterProblem& problem)
{
    if (problem.fate == WEncodingRepertoire::Fate::Twin)
        return "is saved as " + characterName(problem.savedAs);
    return "cannot be saved";
}
