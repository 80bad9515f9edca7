#pragma once

#include <cstdint>
#include <vector>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "syntax/WMarkupScan.h"
#include "syntax/WScriptScan.h"
#include "syntax/WSettingFile.h"
#include "syntax/WTextStorage.h"
#include "text/WRange.h"
#include "text/WStringUtils.h"

// The colouring engine of one document: after each edit it recolours the edited
// lines by the rules of the document's text type. For HTML and the script types
// it goes on past them as far as the edit reaches: through a quote, comment or
// tag it opened or closed, until the scan is back in step with the colours the
// text had, so that the colours always equal those of colouring the text afresh.
class WColorSyntaxServer : private WTextStorageListener {
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
    ~WColorSyntaxServer() override;
    WColorSyntaxServer(const WColorSyntaxServer&) = delete;
    WColorSyntaxServer& operator=(const WColorSyntaxServer&) = delete;

    void setTextType(int32_t type);
    int32_t textType() const { return mTextType; }
    void setTextStorage(WTextStorage* storage);
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

    void setQuoteAndCommentColorsWithRange(WRange range, std::u16string_view comment);
    // Paints every closed multi-line comment; no colour means the comment colour.
    void setMultiLineCommentColorWithHead(std::u16string_view head, std::u16string_view tail,
                                          const WColor* color, bool ignoreQuotes);
    void setMultiLineCommentColorWithHead(std::u16string_view head, std::u16string_view tail);

    // The colours the whole text takes when coloured afresh, handed over run by run
    // in text order without being stored: fn(const WColor* color, WRange run), color
    // null where the text stays uncoloured, neighbouring runs differing in colour.
    // They are the runs adjustColorSyntaxWithRange paints over the whole of an
    // uncoloured storage. Answers false, calling nothing, for the types coloured only
    // through the storage (plain text, indexed text, the wexel markup) and when a
    // colour setting is missing.
    template <typename Fn>
    bool forEachFreshRun(Fn&& fn) const;
    // Whether forEachFreshRun answers.
    bool hasFreshRuns() const;

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
    // HTML's colours by the index scanMarkupColors hands out; none when one is missing.
    std::optional<std::vector<WColor>> markupColors() const;
    // The markup scan over range as paint(location, length, colour index) calls in
    // text order, the pieces never overlapping; settle is the scanner's hook.
    template <typename Paint, typename Settle = wscan::NeverSettle>
    static void scanMarkupColors(std::u16string_view text, WRange range, Paint&& paint, Settle&& settle = {}) {
        using wscan::MarkupClass;
        static constexpr uint32_t kColorOf[] = {0, 1, 2, 3, 3, 4};  // by MarkupClass
        wscan::scanMarkup(
            text, range,
            [&](MarkupClass kind, uint32_t location, uint32_t length) {
                paint(location, length, kColorOf[static_cast<size_t>(kind)]);
            },
            settle);
    }
    // A script type's colours: colors, and each class's index into them (kUnpainted:
    // the class keeps whatever colour it had).
    static constexpr uint32_t kUnpainted = UINT32_MAX;
    struct ScriptPalette {
        std::vector<WColor> colors;
        uint32_t colorOf[7];  // by wscan::ScriptClass
    };
    // None when a colour the rules need is missing.
    std::optional<ScriptPalette> scriptPalette(const ScriptRules& rules) const;
    // What the script scanner looks for; keywords is filled with the type's keyword list.
    wscan::ScriptScanRules scanRules(const ScriptRules& rules, wscan::KeywordSet& keywords) const;
    // The script scan over range as paint(location, length, colour index) calls in
    // text order, the pieces never overlapping; unpainted classes are left out.
    template <typename Paint, typename Settle = wscan::NeverSettle>
    static void scanScriptColors(std::u16string_view text, WRange range, const wscan::ScriptScanRules& rules,
                                 const ScriptPalette& palette, Paint&& paint, Settle&& settle = {}) {
        wscan::scanScript(
            text, range, rules,
            [&](wscan::ScriptClass kind, uint32_t location, uint32_t length) {
                uint32_t color = palette.colorOf[static_cast<size_t>(kind)];
                if (color != kUnpainted) paint(location, length, color);
            },
            settle);
    }
    // Whether one closed multi-line comment covers the whole text (it is then coloured
    // as that comment alone).
    bool wholeTextIsOneComment(const ScriptRules& rules) const;
    void colourScript(WRange range, const ScriptRules& rules);
    // Recolours from the start of the line holding range (and every edit since the
    // last recolouring) on, until the scan, past them, meets a line start where the
    // old colours were in step with it; the whole text when nothing is known of
    // the old colours. scan(range, paint, settle) runs the type's scanner over
    // range with paint(location, length, colour index) and the scanner's settle hook.
    // others is the colour index of the text between classified pieces when a step
    // cut short by the end of the text leaves it uncoloured (kNoColor: never).
    template <typename Scan>
    void recolour(WRange range, const std::vector<WColor>& colors, uint32_t others, Scan&& scan);

    void textStorageDidReplaceCharacters(WTextStorage& storage, WRange oldRange, uint32_t newLength) override;
    void textStorageWillDisappear(WTextStorage& storage) override;
    WRange lineRange(WRange range) const;
    // The lines an edit that inserted range changed: those holding it and the unit after it.
    WRange editedLines(WRange range) const;
    WRange wholeText() const;

    std::unique_ptr<WModeSettings> mSettings;
    std::unique_ptr<WKeywords> mKeywords;
    WTextStorage* mTextStorage = nullptr;
    int32_t mTextType = 0;
    // The pieces a recolouring of part of the text paints, in text order.
    std::vector<WTextStorage::ColorSpan> mPieces;

    // What the last recolourings left known of the scan over the whole text: the
    // steps that carry it over a line end (a quote, comment or tag running over
    // lines), sorted; a line start strictly inside one is not a place where a scan
    // can start afresh. Valid while mSynced; edits since are gathered in mDirty.
    struct Carry {
        uint32_t from;
        uint32_t to;
    };
    std::vector<Carry> mCarried;
    bool mSynced = false;
    std::optional<WRange> mDirty;
};

template <typename Fn>
bool WColorSyntaxServer::forEachFreshRun(Fn&& fn) const {
    if (!hasFreshRuns()) return false;
    const uint32_t length = mTextStorage->length();
    // The run being gathered, [from, to) in one colour: the storage joins neighbours
    // of equal colour, and so does this walk.
    const WColor* current = nullptr;
    uint32_t from = 0, to = 0;
    auto extend = [&](const WColor* color, uint32_t end) {
        if (end <= to) return;
        if (current != color && !(current && color && *current == *color)) {
            if (to > from) fn(current, WRange{from, to - from});
            current = color;
            from = to;
        }
        to = end;
    };
    const std::u16string& text = mTextStorage->string();
    // The run being gathered points into these colours: they outlive the walk.
    std::vector<WColor> colors;
    auto piece = [&](const std::vector<WColor>& colors) {
        return [&extend, table = colors.data()](uint32_t location, uint32_t size, uint32_t color) {
            extend(nullptr, location);  // a stretch no piece covers stays uncoloured
            extend(&table[color], location + size);
        };
    };
    if (mTextType == kHTML) {
        colors = *markupColors();
        scanMarkupColors(text, {0, length}, piece(colors));
    } else {
        const ScriptRules& rules = *scriptRules(mTextType);
        const ScriptPalette palette = *scriptPalette(rules);
        colors = palette.colors;
        if (wholeTextIsOneComment(rules)) {
            colors = {*mSettings->commentColor()};
            extend(&colors[0], length);
        } else {
            wscan::KeywordSet keywords;
            scanScriptColors(text, {0, length}, scanRules(rules, keywords), palette, piece(colors));
        }
    }
    extend(nullptr, length);
    if (to > from) fn(current, WRange{from, to - from});
    return true;
}
