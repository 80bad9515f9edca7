#include "syntax/WColorSyntaxServer.h"

#include <algorithm>
#include <cstdint>

#include "platform/WLog.h"
#include "syntax/WUnitScan.h"
#include "text/WStringUtils.h"

namespace {

constexpr std::u16string_view kKeywordSeparators = u", \t\r\n";

// From this length on, a range is painted in one pass over the storage's runs
// rather than token by token.
constexpr uint32_t kLongRange = 1u << 16;

WColorSyntaxServer::PreferenceColors& preferenceColors() {
    static WColorSyntaxServer::PreferenceColors source;
    return source;
}

struct FileNames {
    const char* settings;
    const char* keywords;
};

std::optional<FileNames> filesOfType(int32_t type) {
    switch (type) {
    case WColorSyntaxServer::kPlain: return FileNames{nullptr, nullptr};
    case WColorSyntaxServer::kHTML: return FileNames{"html_settings", nullptr};
    case WColorSyntaxServer::kIndex: return FileNames{"i-text_settings", "i-text_keywords"};
    case WColorSyntaxServer::kWexelMarkup: return FileNames{"w-index_settings", nullptr};
    case WColorSyntaxServer::kCSS: return FileNames{"css_settings", "css_keywords"};
    case WColorSyntaxServer::kPerlScript: return FileNames{"perl_settings", "perl_keywords"};
    case WColorSyntaxServer::kPHP: return FileNames{"php_settings", "php_keywords"};
    case WColorSyntaxServer::kRubyScript: return FileNames{"ruby_settings", "ruby_keywords"};
    default: return std::nullopt;
    }
}

bool allPresent(std::initializer_list<std::optional<WColor>> colors) {
    return std::all_of(colors.begin(), colors.end(), [](const auto& c) { return c.has_value(); });
}

}  // namespace

#define WEXEL_TOKENS u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_"

const WColorSyntaxServer::ScriptRules* WColorSyntaxServer::scriptRules(int32_t type) {
    static const ScriptRules css{"validateColorSyntaxCSS", u"/*", u"*/", u"//", u"", WEXEL_TOKENS u":-",
                                 true, false, true};
    static const ScriptRules perl{"validateColorSyntaxPerl", u"", u"", u"#", u"@$", WEXEL_TOKENS u"-@$%&:",
                                  false, true, false};
    static const ScriptRules php{"validateColorSyntaxPHP", u"/*", u"*/", u"//", u"$", WEXEL_TOKENS u"$-",
                                 true, true, false};
    static const ScriptRules ruby{"validateColorSyntaxRuby", u"=begin", u"=end", u"#", u"$@",
                                  WEXEL_TOKENS u"-@$%&:'?=", true, true, false};
    switch (type) {
    case kCSS: return &css;
    case kPerlScript: return &perl;
    case kPHP: return &php;
    case kRubyScript: return &ruby;
    default: return nullptr;
    }
}
#undef WEXEL_TOKENS

WRangeDictionary WColorSyntaxServer::scanClasses(std::u16string_view text, WRange range, int32_t type,
                                                 const std::vector<std::u16string>* keywords) {
    if (type == kHTML) return WStringUtils::rangesOfHMLSyntaxWith(text, range, nullptr);
    const ScriptRules* rules = scriptRules(type);
    if (!rules) return {};
    return WStringUtils::rangesOfColorSyntaxWith(text, range, rules->head, rules->tail, rules->single, keywords,
                                                 rules->variableHead, rules->tokenCharacters);
}

std::string WColorSyntaxServer::classesAsJSON(const WRangeDictionary& classes) {
    std::string out = "{";
    bool firstClass = true;
    for (const auto& [name, ranges] : classes) {
        out += firstClass ? "\n  \"" : ",\n  \"";
        firstClass = false;
        out += name;
        out += "\": [";
        bool first = true;
        for (const WRangeObj& r : ranges) {
            out += first ? "[" : ", [";
            first = false;
            out += std::to_string(r.location());
            out += ", ";
            out += std::to_string(r.length());
            out += "]";
        }
        out += "]";
    }
    out += "\n}\n";
    return out;
}

void WColorSyntaxServer::setPreferenceColors(PreferenceColors source) { preferenceColors() = std::move(source); }

std::unique_ptr<WColorSyntaxServer> WColorSyntaxServer::colorSyntaxServerWithTextStorage(WTextStorage* storage,
                                                                                         int32_t type) {
    return std::make_unique<WColorSyntaxServer>(storage, type);
}

WColorSyntaxServer::WColorSyntaxServer(WTextStorage* storage, int32_t type) {
    setTextType(type);
    setTextStorage(storage);
}

void WColorSyntaxServer::setTextType(int32_t type) {
    if (type < kPlain || type > kRubyScript) {
        WLog::write("WColorSyntaxServer::setTextType - non-supported type.");
        return;
    }
    mTextType = type;
    resetSettings();
}

void WColorSyntaxServer::resetSettings() {
    mSettings.reset();
    mKeywords.reset();
    mPrevCommentCount = 0;
    std::optional<FileNames> files = filesOfType(mTextType);
    if (!files) {
        WLog::write("WColorSyntaxServer::resetSettings - non-supported type.");
        return;
    }
    if (files->settings) mSettings = WSettingFile::settingsWithFileOfName(files->settings, "txt");
    if (files->keywords) mKeywords = WKeywords::keywordsWithFileOfName(files->keywords, "txt", kKeywordSeparators);
}

WRange WColorSyntaxServer::wholeText() const { return {0, mTextStorage ? mTextStorage->length() : 0}; }

WRange WColorSyntaxServer::lineRange(WRange range) const {
    return WStringUtils::lineRangeForRange(mTextStorage->string(), range);
}

void WColorSyntaxServer::adjustColorSyntaxWithRange(WRange range, const WFont* font) {
    if (!mTextStorage) return;
    // A range reaching past the text (a stale edit record) is cut to the text.
    uint32_t length = mTextStorage->length();
    range.location = std::min(range.location, length);
    range.length = std::min(range.length, length - range.location);
    mTextStorage->beginEditing();
    if (font) mTextStorage->setFont(*font, range);
    switch (mTextType) {
    case kPlain: validateColorSyntaxPlain(range); break;
    case kHTML: validateColorSyntaxHTML(range); break;
    case kIndex: validateColorSyntaxIndexed(range); break;
    case kWexelMarkup: validateColorSyntaxWMarkup(range); break;
    case kCSS: validateColorSyntaxCSS(range); break;
    case kPerlScript: validateColorSyntaxPerl(range); break;
    case kPHP: validateColorSyntaxPHP(range); break;
    case kRubyScript: validateColorSyntaxRuby(range); break;
    default: break;
    }
    mTextStorage->endEditing();
}

void WColorSyntaxServer::setForegroundColorWith(const WColor& color, WRange range) {
    if (range.length == 0) return;
    WRange effective;
    WTextAttributes attributes = mTextStorage->attributesAtIndex(range.location, &effective, range);
    if (attributes.foregroundColor && *attributes.foregroundColor == color && effective.length >= range.length)
        return;
    mTextStorage->setForegroundColor(color, range);
}

void WColorSyntaxServer::setLineColorWithRange(WRange range, std::u16string_view prefix, const WColor& color) {
    for (const WRangeObj& line : WStringUtils::rangesOfLines(mTextStorage->string(), range, prefix, false))
        mTextStorage->setForegroundColor(color, line.range());
}

bool WColorSyntaxServer::checkMultiLineCommentCountWithHead(std::u16string_view head, std::u16string_view tail) {
    return checkMultiLineCommentCountWithHead(head, tail, false);
}

bool WColorSyntaxServer::checkMultiLineCommentCountWithHead(std::u16string_view head, std::u16string_view tail,
                                                            bool ignoreQuotes) {
    uint32_t count = WStringUtils::countMultiCommentString(mTextStorage->string(), head, tail, wholeText(),
                                                           ignoreQuotes);
    if (count == mPrevCommentCount) return false;
    mPrevCommentCount = count;
    return true;
}

void WColorSyntaxServer::setQuoteAndCommentColorsWithRange(WRange range, std::u16string_view comment) {
    if (!mSettings) return;
    std::optional<WColor> quote = mSettings->doublequoteColor();
    std::optional<WColor> commentColor = mSettings->commentColor();
    WRangeDictionary found = WStringUtils::rangesOfQuotedAndCommentedString(mTextStorage->string(), comment, range);
    if (quote) {
        for (const WRangeObj& r : found["double_quote"]) setForegroundColorWith(*quote, r.range());
        for (const WRangeObj& r : found["single_quote"]) setForegroundColorWith(*quote, r.range());
    }
    if (commentColor) {
        for (const WRangeObj& r : found["comment"]) setForegroundColorWith(*commentColor, r.range());
    }
}

void WColorSyntaxServer::setMultiLineCommentColorWithHead(std::u16string_view head, std::u16string_view tail,
                                                          const WColor* color, bool ignoreQuotes) {
    std::optional<WColor> paint = color ? std::optional<WColor>(*color)
                                        : (mSettings ? mSettings->commentColor() : std::nullopt);
    if (!paint) return;
    for (const WRangeObj& r :
         WStringUtils::rangesOfMultiCommentString(mTextStorage->string(), head, tail, wholeText(), ignoreQuotes))
        setForegroundColorWith(*paint, r.range());
}

void WColorSyntaxServer::setMultiLineCommentColorWithHead(std::u16string_view head, std::u16string_view tail) {
    setMultiLineCommentColorWithHead(head, tail, nullptr, false);
}

// ---------------------------------------------------------------- the colouring rules

void WColorSyntaxServer::validateColorSyntaxPlain(WRange range) {
    const PreferenceColors& source = preferenceColors();
    std::optional<WColor> base = source ? source("base_string_color") : std::nullopt;
    std::optional<WColor> background = source ? source("background_color") : std::nullopt;
    mTextStorage->setForegroundColor(base.value_or(WColor{0, 0, 0, 1}), range);
    mTextStorage->setBackgroundColor(background.value_or(WColor{1, 1, 1, 1}), range);
}

std::optional<std::vector<WColor>> WColorSyntaxServer::markupColors() const {
    const WModeSettings* s = mSettings.get();
    if (!s || !allPresent({s->backgroundColor(), s->baseColor(), s->commentColor(), s->tagColor(),
                           s->doublequoteColor(), s->refColor()}))
        return std::nullopt;
    return std::vector<WColor>{*s->tagColor(), *s->commentColor(), *s->baseColor(), *s->doublequoteColor(),
                               *s->refColor()};
}

void WColorSyntaxServer::validateColorSyntaxHTML(WRange range) {
    const std::optional<std::vector<WColor>> colors = markupColors();
    if (!colors) {
        WLog::write("WColorSyntaxServer::validateColorSyntaxHTML - invalid color.");
        return;
    }
    range = checkMultiLineCommentCountWithHead(u"<!--", u"-->") ? wholeText() : lineRange(range);
    if (range.length >= kLongRange) {
        // A long range (a whole text): the scanner's pieces come in text order without
        // overlapping, so they are painted as they come, with no class lists kept and merged.
        mTextStorage->paintForegroundColors(range, *colors, [&](auto paint) {
            scanMarkupColors(mTextStorage->string(), range, paint);
        });
        return;
    }
    const WModeSettings* s = mSettings.get();
    const WColor quote = *s->doublequoteColor();
    WRangeDictionary classes = WStringUtils::rangesOfHMLSyntaxWith(mTextStorage->string(), range, nullptr);
    paintClasses({{&classes["single_quote"], quote},
                         {&classes["double_quote"], quote},
                         {&classes["tags"], *s->tagColor()},
                         {&classes["comments"], *s->commentColor()},
                         {&classes["others"], *s->baseColor()},
                         {&classes["refs"], *s->refColor()}});
}

void WColorSyntaxServer::paintClasses(const std::vector<std::pair<const WRangeArray*, WColor>>& classes) {
    for (const auto& [ranges, color] : classes) {
        for (const WRangeObj& r : *ranges) setForegroundColorWith(color, r.range());
    }
}

void WColorSyntaxServer::validateColorSyntaxIndexed(WRange range) {
    const WModeSettings* s = mSettings.get();
    if (!s || !allPresent({s->backgroundColor(), s->baseColor(), s->indexColor()})) {
        WLog::write("WColorSyntaxServer::validateColorSyntaxIndexed - invalid color.");
        return;
    }
    range = lineRange(range);
    mTextStorage->setForegroundColor(*s->baseColor(), range);
    mTextStorage->setBackgroundColor(*s->backgroundColor(), range);
    if (!mKeywords || !mKeywords->keywords()) return;
    const WColor index = *s->indexColor();
    for (const std::u16string& keyword : *mKeywords->keywords()) setLineColorWithRange(range, keyword, index);
}

void WColorSyntaxServer::validateColorSyntaxWMarkup(WRange range) {
    const WModeSettings* s = mSettings.get();
    if (!s || !allPresent({s->backgroundColor(), s->baseColor(), s->groupColor(), s->itemColor()})) {
        WLog::write("WColorSyntaxServer::validateColorSyntaxWMarkup - invalid color.");
        return;
    }
    range = lineRange(range);
    mTextStorage->setForegroundColor(*s->baseColor(), range);
    mTextStorage->setBackgroundColor(*s->backgroundColor(), range);
    setLineColorWithRange(range, u"*", *s->itemColor());
    setLineColorWithRange(range, u"@", *s->groupColor());
}

void WColorSyntaxServer::validateColorSyntaxCSS(WRange range) { colourScript(range, *scriptRules(kCSS)); }

void WColorSyntaxServer::validateColorSyntaxPerl(WRange range) { colourScript(range, *scriptRules(kPerlScript)); }

void WColorSyntaxServer::validateColorSyntaxPHP(WRange range) { colourScript(range, *scriptRules(kPHP)); }

void WColorSyntaxServer::validateColorSyntaxRuby(WRange range) { colourScript(range, *scriptRules(kRubyScript)); }

std::optional<WColorSyntaxServer::ScriptPalette> WColorSyntaxServer::scriptPalette(const ScriptRules& rules) const {
    const WModeSettings* s = mSettings.get();
    std::optional<WColor> sixth = rules.checksBracketColor ? (s ? s->bracketColor() : std::nullopt)
                                                           : (s ? s->variableColor() : std::nullopt);
    if (!s || !allPresent({s->backgroundColor(), s->baseColor(), s->commentColor(), s->keywordColor(),
                           s->doublequoteColor(), sixth}))
        return std::nullopt;
    using wscan::ScriptClass;
    enum : uint32_t { kQuote, kComment, kBase, kKeyword, kVariable };
    ScriptPalette palette;
    palette.colors = {*s->doublequoteColor(), *s->commentColor(), *s->baseColor(), *s->keywordColor(),
                      rules.paintsVariables ? *s->variableColor() : WColor{}};
    auto set = [&](ScriptClass kind, uint32_t color) { palette.colorOf[static_cast<size_t>(kind)] = color; };
    set(ScriptClass::DoubleQuote, kQuote);
    set(ScriptClass::SingleQuote, kQuote);
    set(ScriptClass::SingleComment, kComment);
    set(ScriptClass::MultiComment, rules.paintsMultiComments ? kComment : kUnpainted);
    set(ScriptClass::Keywords, kKeyword);
    set(ScriptClass::Variables, rules.paintsVariables ? kVariable : kUnpainted);
    set(ScriptClass::Others, kBase);
    return palette;
}

wscan::ScriptScanRules WColorSyntaxServer::scanRules(const ScriptRules& rules, wscan::KeywordSet& keywords) const {
    const bool haveKeywords = mKeywords && mKeywords->keywords();
    if (haveKeywords) keywords.insert(mKeywords->keywords()->begin(), mKeywords->keywords()->end());
    return {rules.head, rules.tail, rules.single, haveKeywords ? &keywords : nullptr, rules.variableHead,
            rules.tokenCharacters};
}

bool WColorSyntaxServer::wholeTextIsOneComment(const ScriptRules& rules) const {
    bool whole = false;
    const uint32_t length = mTextStorage->length();
    wscan::walkMultiComments(mTextStorage->string(), rules.head, rules.tail, wholeText(), false,
                             [&](WRange comment) {
                                 if (comment.location == 0 && comment.maxRange() >= length) whole = true;
                             });
    return whole;
}

bool WColorSyntaxServer::hasFreshRuns() const {
    if (!mTextStorage) return false;
    if (mTextType == kHTML) return markupColors().has_value();
    const ScriptRules* rules = scriptRules(mTextType);
    return rules && scriptPalette(*rules).has_value();
}

void WColorSyntaxServer::colourScript(WRange range, const ScriptRules& rules) {
    const std::optional<ScriptPalette> palette = scriptPalette(rules);
    if (!palette) {
        WLog::write(std::string("WColorSyntaxServer::") + rules.name + " - invalid color.");
        if (mSettings && rules.checksBracketColor) mSettings->printToStream();
        return;
    }
    const WModeSettings* s = mSettings.get();
    const std::u16string& text = mTextStorage->string();
    const WColor commentColor = *s->commentColor();

    if (!rules.head.empty()) {
        // One walk over the whole text serves both the containment shortcut and the
        // comment count: they look at the same closed comments.
        std::optional<WRange> container;
        uint32_t count = 0;
        // Typing strictly between a comment's head and tail changes nothing
        // outside it; an edit that makes, moves or ends a comment can recolour
        // what follows it.
        const uint32_t head = static_cast<uint32_t>(rules.head.size());
        const uint32_t tail = static_cast<uint32_t>(rules.tail.size());
        wscan::walkMultiComments(text, rules.head, rules.tail, wholeText(), false, [&](WRange comment) {
            ++count;
            if (!container && comment.length >= head + tail && comment.location + head <= range.location &&
                comment.maxRange() - tail >= range.maxRange())
                container = comment;
        });
        if (container && count == mPrevCommentCount) {
            setForegroundColorWith(commentColor, *container);
            return;
        }
        if (count != mPrevCommentCount) {
            mPrevCommentCount = count;
            range = wholeText();
        } else {
            range = lineRange(range);
        }
    } else {
        range = lineRange(range);
    }

    if (range.length >= kLongRange) {
        // A long range (a whole text): the scanner's pieces come in text order without
        // overlapping, so they are painted as they come, with no class lists kept and merged.
        wscan::KeywordSet keywordSet;
        const wscan::ScriptScanRules scan = scanRules(rules, keywordSet);
        mTextStorage->paintForegroundColors(range, palette->colors, [&](auto paint) {
            scanScriptColors(text, range, scan, *palette, paint);
        });
        return;
    }
    const std::vector<std::u16string>* keywords =
        mKeywords && mKeywords->keywords() ? &*mKeywords->keywords() : nullptr;
    WRangeDictionary classes = WStringUtils::rangesOfColorSyntaxWith(
        text, range, rules.head, rules.tail, rules.single, keywords, rules.variableHead, rules.tokenCharacters);

    const WColor quote = *s->doublequoteColor();
    std::vector<std::pair<const WRangeArray*, WColor>> order = {
        {&classes["single_quote"], quote}, {&classes["double_quote"], quote}, {&classes["single_comment"], commentColor}};
    if (rules.paintsMultiComments) order.push_back({&classes["multi_comment"], commentColor});
    order.push_back({&classes["others"], *s->baseColor()});
    if (rules.paintsVariables) order.push_back({&classes["variables"], *s->variableColor()});
    order.push_back({&classes["keywords"], *s->keywordColor()});
    paintClasses(order);
}
