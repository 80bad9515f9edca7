#pragma once

#include <optional>
#include <string>
#include <string_view>

// Titles and URLs as the bookmark readers take them from a browser's store:
// UTF-8 that holds no NUL (nothing otherwise), the title cut to a menu's
// length and the URL standing in for an empty title.
namespace WBookmarkText {

std::optional<std::u16string> url(std::string_view utf8);
std::optional<std::u16string> title(std::string_view utf8, std::u16string_view url);

}  // namespace WBookmarkText
