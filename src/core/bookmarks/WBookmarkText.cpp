#include "bookmarks/WBookmarkText.h"

#include "bookmarks/WBookmark.h"
#include "text/WStringUtils.h"

namespace {

std::optional<std::u16string> decoded(std::string_view utf8)
{
    if (utf8.find('\0') != std::string_view::npos)
        return std::nullopt;
    return WStringUtils::fromUtf8(utf8);
}

}  // namespace

std::optional<std::u16string> WBookmarkText::url(std::string_view utf8)
{
    std::optional<std::u16string> text = decoded(utf8);
    if (!text || text->empty())
        return std::nullopt;
    return text;
}

std::optional<std::u16string> WBookmarkText::title(std::string_view utf8, std::u16string_view url)
{
    std::optional<std::u16string> text = decoded(utf8);
    if (!text)
        return std::nullopt;
    if (text->empty())
        text = std::u16string(url);
    if (text->size() > WBookmarkMaxTitleLength) {
        size_t cut = WBookmarkMaxTitleLength;
        if (cut > 0 && (*text)[cut - 1] >= 0xD800 && (*text)[cut - 1] <= 0xDBFF)
            --cut;  // never half a surrogate pair
        text->resize(cut);
        text->push_back(u'…');
    }
    return text;
}
