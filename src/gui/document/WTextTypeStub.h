#pragma once
// Temporary until the core's text-type table lands.
#include <optional>
#include <string>
#include <string_view>
enum WTextType : int32_t {
    WTextPlain = 1, WTextHTML = 2, WTextIndex = 3, WTextWexelMarkup = 4, WTextCSS = 5,
    WTextPerlScript = 6, WTextPHP = 7, WTextRubyScript = 8, WTextShellScript = 9,
};
inline std::optional<WTextType> textTypeForDocumentTypeName(std::string_view name)
{
    if (name == "text file") return WTextPlain;
    if (name == "HTML file") return WTextHTML;
    if (name == "css file") return WTextCSS;
    if (name == "php file") return WTextPHP;
    if (name == "perl file") return WTextPerlScript;
    if (name == "ruby file") return WTextRubyScript;
    return std::nullopt;
}
inline std::string documentTypeNameForFileName(std::string_view path)
{
    auto dot = path.rfind('.');
    std::string ext = dot == std::string_view::npos ? "" : std::string(path.substr(dot + 1));
    for (auto& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "txt") return "text file";
    if (ext == "html" || ext == "htm" || ext == "xhtml") return "HTML file";
    if (ext == "css") return "css file";
    if (ext == "php") return "php file";
    if (ext == "pl" || ext == "pm" || ext == "cgi") return "perl file";
    if (ext == "rb") return "ruby file";
    return "";
}
