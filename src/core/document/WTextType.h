#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

// What a document's text is, which selects its colouring rules and mode settings.
enum WTextType : int32_t {
    WTextPlain = 1,
    WTextHTML = 2,
    WTextIndex = 3,
    WTextWexelMarkup = 4,
    WTextCSS = 5,
    WTextPerlScript = 6,
    WTextPHP = 7,
    WTextRubyScript = 8,
    WTextShellScript = 9,
};

// The names each text type goes by: in the pop-up, to scripts, and as the
// document type a file is opened with.
class WTextTypeNames {
public:
    static constexpr WTextType kFirst = WTextPlain;
    static constexpr WTextType kLast = WTextShellScript;
    // The types listed in the text-type pop-up, in order (the shell script type has no item).
    static constexpr std::array<WTextType, 8> kPopupTypes = {WTextPlain, WTextHTML, WTextIndex, WTextWexelMarkup,
                                                             WTextCSS, WTextPerlScript, WTextPHP, WTextRubyScript};

    static bool isTextType(int32_t value) { return value >= kFirst && value <= kLast; }

    // "Plain", "X/HTML", ...; empty for a type without a pop-up item.
    static std::string_view popupTitle(WTextType type);
    // "/" for plain, "m" for HTML, empty for the others.
    static std::string_view keyEquivalent(WTextType type);
    // "Plain", ..., "sh-script".
    static std::string_view scriptingName(WTextType type);
    static std::optional<WTextType> fromScriptingName(std::string_view name);
    // "text file", "HTML file", "css file", "perl file", "php file", "ruby file";
    // empty for types no file opens as.
    static std::string_view documentTypeName(WTextType type);
    // Case-sensitive; nothing for a name outside the table.
    static std::optional<WTextType> fromDocumentTypeName(std::string_view name);
    // The document type name a file is opened with, from its extension
    // (.txt .html .htm .xhtml .css .php .pl .pm .cgi .rb, in any letter case);
    // empty for other files, which keep the plain type.
    static std::string_view documentTypeNameForPath(std::string_view path);
};
