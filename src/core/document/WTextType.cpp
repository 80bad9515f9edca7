#include "document/WTextType.h"

#include <cctype>
#include <string>

namespace {
struct Names {
    WTextType type;
    std::string_view popupTitle;
    std::string_view keyEquivalent;
    std::string_view scriptingName;
    std::string_view documentTypeName;
};

// The order of the document type names is the order they are compared in.
constexpr std::array<Names, 9> kNames = {{
    {WTextPlain, "Plain", "/", "Plain", "text file"},
    {WTextHTML, "X/HTML", "m", "X/HTML", "HTML file"},
    {WTextIndex, "Indexed", "", "Indexed", ""},
    {WTextWexelMarkup, "w-markup", "", "w-markup", ""},
    {WTextCSS, "CSS", "", "CSS", "css file"},
    {WTextPerlScript, "perl", "", "perl", "perl file"},
    {WTextPHP, "PHP", "", "PHP", "php file"},
    {WTextRubyScript, "ruby", "", "ruby", "ruby file"},
    {WTextShellScript, "", "", "sh-script", ""},
}};

const Names* find(WTextType type)
{
    for (const auto& names : kNames) {
        if (names.type == type)
            return &names;
    }
    return nullptr;
}
}  // namespace

std::string_view WTextTypeNames::popupTitle(WTextType type)
{
    const Names* names = find(type);
    return names ? names->popupTitle : std::string_view();
}

std::string_view WTextTypeNames::keyEquivalent(WTextType type)
{
    const Names* names = find(type);
    return names ? names->keyEquivalent : std::string_view();
}

std::string_view WTextTypeNames::scriptingName(WTextType type)
{
    const Names* names = find(type);
    return names ? names->scriptingName : std::string_view();
}

std::optional<WTextType> WTextTypeNames::fromScriptingName(std::string_view name)
{
    for (const auto& names : kNames) {
        if (names.scriptingName == name)
            return names.type;
    }
    return std::nullopt;
}

std::string_view WTextTypeNames::documentTypeName(WTextType type)
{
    const Names* names = find(type);
    return names ? names->documentTypeName : std::string_view();
}

std::optional<WTextType> WTextTypeNames::fromDocumentTypeName(std::string_view name)
{
    static constexpr std::array<WTextType, 6> order = {WTextPlain, WTextHTML, WTextCSS,
                                                       WTextPHP, WTextPerlScript, WTextRubyScript};
    if (name.empty())
        return std::nullopt;
    for (WTextType type : order) {
        if (documentTypeName(type) == name)
            return type;
    }
    return std::nullopt;
}

std::string_view WTextTypeNames::documentTypeNameForPath(std::string_view path)
{
    size_t slash = path.find_last_of('/');
    std::string_view file = slash == std::string_view::npos ? path : path.substr(slash + 1);
    size_t dot = file.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return {};  // no extension, or a hidden file's name
    std::string extension(file.substr(dot + 1));
    for (auto& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == "txt")
        return documentTypeName(WTextPlain);
    if (extension == "html" || extension == "htm" || extension == "xhtml")
        return documentTypeName(WTextHTML);
    if (extension == "css")
        return documentTypeName(WTextCSS);
    if (extension == "php")
        return documentTypeName(WTextPHP);
    if (extension == "pl" || extension == "pm" || extension == "cgi")
        return documentTypeName(WTextPerlScript);
    if (extension == "rb")
        return documentTypeName(WTextRubyScript);
    return {};
}
