#include "syntax/WColorSyntaxServer.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "platform/WLog.h"
#include "syntax/WUnitScan.h"
#include "text/WStringUtils.h"

namespace {

constexpr std::u16string_view kKeywordSeparators = u", \t\r\n";

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

// The first line end in [from, to); to when there is none.
uint32_t findReturn(std::u16string_view text, uint32_t from, uint32_t to) {
    if (from >= to) return to;
    uint32_t found = wscan::findAny(text, from, to, u'\r', u'\n', u'\u2028');
    return wscan::findAny(text, from, found, u'\u2029', u'\u2029', u'\u2029');
}

WRange unite(WRange a, WRange b) {
    uint32_t from = std::min(a.location, b.location);
    return {from, std::max(a.maxRange(), b.maxRange()) - from};
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

WColorSyntaxServer::~WColorSyntaxServer() {
    if (mTextStorage) mTextStorage->removeListener(this);
}

void WColorSyntaxServer::setTextStorage(WTextStorage* storage) {
    if (mTextStorage) mTextStorage->removeListener(this);
    mTextStorage = storage;
    if (mTextStorage) mTextStorage->addListener(this);
    mSynced = false;
}

void WColorSyntaxServer::textStorageWillDisappear(WTextStorage& storage) {
    if (&storage == mTextStorage) mTextStorage = nullptr;
    mSynced = false;
}

void WColorSyntaxServer::textStorageDidReplaceCharacters(WTextStorage& storage, WRange oldRange,
                                                         uint32_t newLength) {
    if (!mSynced) return;
    const uint32_t oldLength = storage.length() - newLength + oldRange.length;
    const uint32_t location = oldRange.location;
    const uint32_t oldEnd = oldRange.maxRange();
    const uint32_t newEnd = location + newLength;
    auto moved = [&](uint32_t x) { return x >= oldEnd ? x - oldRange.length + newLength : std::min(x, newEnd); };
    WRange dirty{location, newLength};
    if (mDirty) {
        const uint32_t from = std::min(mDirty->location, location);
        dirty = unite(dirty, {from, moved(mDirty->maxRange()) - from});
    }
    // Steps touched by the edit are forgotten, and what they covered is recoloured.
    auto first = std::upper_bound(mCarried.begin(), mCarried.end(), location,
                                  [](uint32_t x, const Carry& c) { return x < c.to; });
    // The last step, up to the end of the text, goes on into what is added there.
    if (first != mCarried.begin() && location == oldLength && std::prev(first)->to == oldLength) --first;
    auto last = first;
    for (; last != mCarried.end() && last->from < oldEnd; ++last) {
        const uint32_t from = std::min(last->from, location);
        dirty = unite(dirty, {from, moved(last->to) - from});
    }
    for (auto c = last; c != mCarried.end(); ++c) {
        c->from = c->from - oldRange.length + newLength;
        c->to = c->to - oldRange.length + newLength;
    }
    mCarried.erase(first, last);
    mDirty = dirty;
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
    mSynced = false;
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

WRange WColorSyntaxServer::editedLines(WRange range) const {
    // Text that ends in a line end leaves what followed it on a line of its own.
    if (range.maxRange() < mTextStorage->length()) ++range.length;
    return lineRange(range);
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
    const std::u16string& text = mTextStorage->string();
    recolour(range, *colors, WTextStorage::kNoColor, [&](WRange part, auto&& paint, auto&& settle) {
        scanMarkupColors(text, part, paint, settle);
    });
}

void WColorSyntaxServer::validateColorSyntaxIndexed(WRange range) {
    const WModeSettings* s = mSettings.get();
    if (!s || !allPresent({s->backgroundColor(), s->baseColor(), s->indexColor()})) {
        WLog::write("WColorSyntaxServer::validateColorSyntaxIndexed - invalid color.");
        return;
    }
    range = editedLines(range);
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
    range = editedLines(range);
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
    // Only the first comment can start at the start; the walk ends with it.
    const std::u16string& text = mTextStorage->string();
    if (!wscan::matchesAt(text, 0, mTextStorage->length(), rules.head)) return false;
    bool whole = false;
    const uint32_t length = mTextStorage->length();
    wscan::walkMultiComments(text, rules.head, rules.tail, wholeText(), false, [&](WRange comment) {
        whole = comment.location == 0 && comment.maxRange() >= length;
        return false;
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
    if (!rules.head.empty() && wholeTextIsOneComment(rules)) {
        // Coloured as that comment alone; the scan's steps are then unknown.
        setForegroundColorWith(*mSettings->commentColor(), wholeText());
        mSynced = false;
        return;
    }
    wscan::KeywordSet keywords;
    const wscan::ScriptScanRules scan = scanRules(rules, keywords);
    const std::u16string& text = mTextStorage->string();
    recolour(range, palette->colors, palette->colorOf[static_cast<size_t>(wscan::ScriptClass::Others)],
             [&](WRange part, auto&& paint, auto&& settle) {
        scanScriptColors(text, part, scan, *palette, paint, settle);
    });
}

template <typename Scan>
void WColorSyntaxServer::recolour(WRange range, const std::vector<WColor>& colors, uint32_t others, Scan&& scan) {
    const std::u16string& text = mTextStorage->string();
    const auto length = static_cast<uint32_t>(text.size());
    WRange dirty = mSynced ? (mDirty ? unite(range, *mDirty) : range) : wholeText();
    dirty.length = std::min(dirty.maxRange(), length) - dirty.location;
    mDirty.reset();

    // Start at a line start where the scan carries nothing over from before. The
    // end of the text shapes the steps that begin in its last two units (a name
    // sign there gets no class), so an edit that moves the end starts before them.
    uint32_t start = wscan::lineStartBefore(
        text, dirty.maxRange() < length ? dirty.location : std::min(dirty.location, length - std::min(length, 2u)));
    auto held = std::upper_bound(mCarried.begin(), mCarried.end(), start,
                                 [](uint32_t x, const Carry& c) { return x < c.to; });
    if (held != mCarried.end() && held->from < start) start = held->from;
    const uint32_t reach = dirty.maxRange();
    const bool whole = start == 0 && reach >= length;

    // The scan may stop at the first line start past the edits (its line end
    // unchanged text) where neither it nor the old scan carries anything over:
    // from there on both see the same text from the same state.
    std::vector<Carry> found;
    uint32_t settled = start;  // where the last step that carries nothing ended
    uint32_t stop = length;
    // Where the last piece the scanner handed over ends.
    uint32_t lastTo = start;
    auto note = [&](uint32_t location, uint32_t size, uint32_t) { lastTo = location + size; };
    auto settle = [&](uint32_t from, uint32_t to) -> uint32_t {
        if (from > settled + 1 && findReturn(text, settled, from - 1) < from - 1) found.push_back({settled, from});
        settled = to;
        if (whole) return wscan::kScanOn;
        for (uint32_t x = std::max(from, reach + 1); x <= to;) {
            const uint32_t lineEnd = findReturn(text, x - 1, to);
            if (lineEnd >= to) break;
            x = lineEnd + 1;
            auto old = std::upper_bound(mCarried.begin(), mCarried.end(), x,
                                        [](uint32_t p, const Carry& c) { return p < c.to; });
            if (old == mCarried.end() || old->from >= x) {
                stop = x;
                return x;
            }
            x = old->to;
        }
        return wscan::kScanOn;
    };

    if (whole) {
        // Painted as the scanner goes, with no list of pieces kept.
        mTextStorage->paintForegroundColors(wholeText(), colors, [&](auto paint) {
            uint32_t painted = 0;
            scan(wholeText(), [&](uint32_t location, uint32_t size, uint32_t color) {
                if (location > painted) paint(painted, location - painted, WTextStorage::kNoColor);
                paint(location, size, color);
                painted = location + size;
                note(location, size, color);
            }, settle);
            if (painted < length) paint(painted, length - painted, WTextStorage::kNoColor);
        });
    } else {
        // Kept from one edit to the next, so that typing does not grow a fresh list each time.
        std::vector<WTextStorage::ColorSpan>& pieces = mPieces;
        pieces.clear();
        uint32_t painted = start;
        for (;;) {
            scan(WRange{start, length - start}, [&](uint32_t location, uint32_t size, uint32_t color) {
                if (location > painted) pieces.push_back({painted, location - painted, WTextStorage::kNoColor});
                pieces.push_back({location, size, color});
                painted = location + size;
                note(location, size, color);
            }, settle);
            // A step cut short by the end leaves uncoloured all the scanner had not
            // handed over, which, when it handed nothing over, may begin before the
            // start: then the scan is made again from the start of the text.
            if (others == WTextStorage::kNoColor || stop < length || painted > start || start == 0 ||
                start == length)
                break;
            start = 0;
            pieces.clear();
            found.clear();
            settled = painted = lastTo = 0;
        }
        if (painted < stop) pieces.push_back({painted, stop - painted, WTextStorage::kNoColor});
        mTextStorage->setForegroundColors({start, stop - start}, pieces, colors);
    }
    // The last step, up to the end of the text, may be cut short by the end (an
    // open quote, a name too near it): it is kept so that adding to the text
    // recolours it. So is, where a step that the end cuts short leaves the text
    // before it uncoloured, all that the scanner had not handed over yet.
    if (stop == length) {
        uint32_t from = settled;
        if (others != WTextStorage::kNoColor && lastTo < length) from = std::min(from, lastTo);
        // It takes in the steps found after it begins, which keeps the list sorted.
        while (!found.empty() && found.back().to > from) {
            from = std::min(from, found.back().from);
            found.pop_back();
        }
        if (from < length) found.push_back({from, length});
    }

    auto from = std::lower_bound(mCarried.begin(), mCarried.end(), start,
                                 [](const Carry& c, uint32_t x) { return c.from < x; });
    auto to = std::lower_bound(from, mCarried.end(), stop, [](const Carry& c, uint32_t x) { return c.from < x; });
    if (stop == length) to = mCarried.end();
    from = mCarried.erase(from, to);
    mCarried.insert(from, found.begin(), found.end());
    mSynced = true;
}
