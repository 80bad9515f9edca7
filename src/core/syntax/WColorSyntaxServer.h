#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "syntax/WSettingFile.h"
#include "syntax/WTextStorage.h"
#include "text/WRange.h"
#include "text/WStringUtils.h"

// The colouring engine of one document: after each edit it recolours the edited
// lines (or the whole text when the number of closed multi-line comments
// changed) by the rules of the document's text type.
class WColorSyntaxServer {
public:
    // Text types the engine colours (the document's text-type numbers).
    enum : int32_t {
        kPlain = 1, kHTML = 2, kIndex = 3, kWexelMarkup = 4, kCSS = 5, kPerlScript = 6, kPHP = 7, kRubyScript = 8,
    };

    // Where plain text takes its colours ("base_string_color", "background_color"):
    // the application installs its preference store here. Without one, black on white.
    using PreferenceColors = std::function<std::optional<WColor>(std::string_view key)>;
    static void setPreferenceColors(PreferenceColors source);

    static std::unique_ptr<WColorSyntaxServer> colorSyntaxServerWithTextStorage(WTextStorage* storage,
                                                                                int32_t type);
    WColorSyntaxServer(WTextStorage* storage, int32_t type);

    void setTextType(int32_t type);
    int32_t textType() const { return mTextType; }
    void setTextStorage(WTextStorage* storage) { mTextStorage = storage; }
    WTextStorage* textStorage() const { return mTextStorage; }
    const WModeSettings* settings() const { return mSettings.get(); }
    const WKeywords* keywords() const { return mKeywords.get(); }

    void resetSettings();

    // Sets the font over range (when one is given), then recolours around range.
    void adjustColorSyntaxWithRange(WRange range, const WFont* font);

    void validateColorSyntaxPlain(WRange range);
    void validateColorSyntaxHTML(WRange range);
    void validateColorSyntaxIndexed(WRange range);
    void validateColorSyntaxWMarkup(WRange range);
    void validateColorSyntaxCSS(WRange range);
    void validateColorSyntaxPerl(WRange range);
    void validateColorSyntaxPHP(WRange range);
    void validateColorSyntaxRuby(WRange range);

    // Paints range unless it already has the colour throughout.
    void setForegroundColorWith(const WColor& color, WRange range);
    void setLineColorWithRange(WRange range, std::u16string_view prefix, const WColor& color);
    // True (and remembered) when the number of closed comments of the whole text changed.
    bool checkMultiLineCommentCountWithHead(std::u16string_view head, std::u16string_view tail);
    bool checkMultiLineCommentCountWithHead(std::u16string_view head, std::u16string_view tail, bool ignoreQuotes);

    void setQuoteAndCommentColorsWithRange(WRange range, std::u16string_view comment);
    // Paints every closed multi-line comment; no colour means the comment colour.
    void setMultiLineCommentColorWithHead(std::u16string_view head, std::u16string_view tail,
                                          const WColor* color, bool ignoreQuotes);
    void setMultiLineCommentColorWithHead(std::u16string_view head, std::u16string_view tail);

    uint32_t prevCommentCount() const { return mPrevCommentCount; }

    // What distinguishes the script-like types (PHP, Perl, Ruby, CSS).
    struct ScriptRules {
        const char* name;            // the operation named in the log line
        std::u16string_view head;    // multi-line comment; empty: none
        std::u16string_view tail;
        std::u16string_view single;  // single-line comment marker
        std::u16string_view variableHead;
        std::u16string_view tokenCharacters;
        bool paintsMultiComments;
        bool paintsVariables;
        bool checksBracketColor;
    };
    // Null for the types that do not use the script scanner.
    static const ScriptRules* scriptRules(int32_t type);
    // The colour classes the type's scanner gives for range (HTML or a script type;
    // empty for the others), as the engine sees them before painting.
    static WRangeDictionary scanClasses(std::u16string_view text, WRange range, int32_t type,
                                        const std::vector<std::u16string>* keywords);
    // The classes as one JSON object: each name maps to [[location, length], ...].
    static std::string classesAsJSON(const WRangeDictionary& classes);

private:
    // Paints classes in order, later ones over earlier ones, as setForegroundColorWith
    // would, in one pass when the range is long.
    void paintClasses(WRange range, const std::vector<std::pair<const WRangeArray*, WColor>>& classes);
    void colourScript(WRange range, const ScriptRules& rules);
    WRange lineRange(WRange range) const;
    WRange wholeText() const;

    std::unique_ptr<WModeSettings> mSettings;
    std::unique_ptr<WKeywords> mKeywords;
    WTextStorage* mTextStorage = nullptr;
    int32_t mTextType = 0;
    uint32_t mPrevCommentCount = 0;
};
