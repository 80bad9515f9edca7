// WStringUtils operations used only by the editing commands: hard wrapping and
// relative paths.
#include "text/WStringUtils.h"

namespace {

bool isWrapLineEnd(char16_t unit)
{
    return unit == 0x0A || unit == 0x0D || unit == 0x2028 || unit == 0x2029;
}

}  // namespace

std::u16string WStringUtils::wrapString(std::u16string_view text, uint32_t width)
{
    std::u16string wrapped;
    wrapped.reserve(text.size() + text.size() / (width ? width : 1) + 1);
    uint32_t count = 0;
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        const char16_t unit = text[i];
        if (isWrapLineEnd(unit)) {
            count = 0;
            wrapped.push_back(u'\r');
            continue;
        }
        count += unit > 0xFF ? 2 : 1;
        if (count > width) {
            // A wide character that would overflow starts the next line.
            wrapped.push_back(u'\r');
            count = 2;
        }
        wrapped.push_back(unit);
        if (count == width && i + 1 < n && !isWrapLineEnd(text[i + 1])) {
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
