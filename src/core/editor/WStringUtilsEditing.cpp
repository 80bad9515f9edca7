// WStringUtils operations used only by the editing commands: hard wrapping and
// relative paths.
#include "text/WStringUtils.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

namespace {

bool isWrapLineEnd(char16_t unit)
{
    return unit == 0x0A || unit == 0x0D || unit == 0x2028 || unit == 0x2029;
}

// Marks that belong to the character before them: a line break between the two
// would leave a mark with nothing to sit on.
bool extendsPreviousCharacter(UChar32 c)
{
    return u_hasBinaryProperty(c, UCHAR_GRAPHEME_EXTEND) || (U_GET_GC_MASK(c) & U_GC_M_MASK) != 0;
}

// The end of the character that starts at i: a surrogate pair or a single unit,
// with the combining marks that follow it (a line end is never part of one).
size_t endOfCharacter(std::u16string_view text, size_t i)
{
    const size_t n = text.size();
    auto next = [&](size_t at) {
        return at + 1 < n && U16_IS_LEAD(text[at]) && U16_IS_TRAIL(text[at + 1]) ? at + 2 : at + 1;
    };
    size_t end = next(i);
    while (end < n) {
        UChar32 c = text[end];
        if (U16_IS_LEAD(text[end]) && end + 1 < n && U16_IS_TRAIL(text[end + 1]))
            c = U16_GET_SUPPLEMENTARY(text[end], text[end + 1]);
        if (!extendsPreviousCharacter(c))
            break;
        end = next(end);
    }
    return end;
}

}  // namespace

std::u16string WStringUtils::wrapString(std::u16string_view text, uint32_t width)
{
    // Columns are counted per code unit (two for each above U+00FF), but a line
    // is broken only between characters, never inside a surrogate pair or
    // between a character and its combining marks.
    std::u16string wrapped;
    wrapped.reserve(text.size() + text.size() / (width ? width : 1) + 1);
    uint32_t count = 0;
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        if (isWrapLineEnd(text[i])) {
            count = 0;
            wrapped.push_back(u'\r');
            ++i;
            continue;
        }
        const size_t end = endOfCharacter(text, i);
        uint32_t columns = 0;
        for (size_t k = i; k < end; ++k)
            columns += text[k] > 0xFF ? 2 : 1;
        const bool lineStart = count == 0;
        count += columns;
        if (count > width && !lineStart) {
            // A character that would overflow starts the next line.
            wrapped.push_back(u'\r');
            count = columns;
        }
        wrapped.append(text.substr(i, end - i));
        i = end;
        if (count >= width && i < n && !isWrapLineEnd(text[i])) {
            wrapped.push_back(u'\r');
            count = 0;
        }
    }
    return wrapped;
}

std::u16string WStringUtils::relativePathFrom(std::u16string_view source, std::u16string_view destination)
{
    if (source.empty() || source.front() != u'/')
        return u"source is not a file name.";
    if (destination.empty() || destination.front() != u'/')
        return u"destination is not a file name";

    std::u16string_view folder = source;
    std::u16string relative;
    for (;;) {
        // Climb to the parent folder; the parent of anything directly under the root is "/".
        const size_t slash = folder.rfind(u'/');
        folder = slash == 0 ? std::u16string_view(u"/") : folder.substr(0, slash);

        if (folder == u"/") {
            if (relative.empty())
                relative = u"./";
            relative.append(destination.substr(1));
            return relative;
        }
        if (destination.size() > folder.size() && destination.substr(0, folder.size()) == folder
            && destination[folder.size()] == u'/') {
            if (relative.empty())
                relative = u"./";
            relative.append(destination.substr(folder.size() + 1));
            return relative;
        }
        relative.append(u"../");
    }
}
