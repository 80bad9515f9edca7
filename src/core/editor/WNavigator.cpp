#include "editor/WNavigator.h"


#include "editor/WTextView.h"
#include "syntax/WSettingFile.h"
#include "platform/WPlatform.h"
#include "text/WStringUtils.h"

namespace {

constexpr int32_t kTextIndex = 3;
constexpr int32_t kTextWexelMarkup = 4;
constexpr int32_t kTextCSS = 5;
constexpr int32_t kTextPerlScript = 6;
constexpr int32_t kTextRubyScript = 8;

bool isCssTokenCharacter(char16_t unit)
{
    return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z') || unit == u'.' || unit == u':';
}

// Whole lines (line end included) that begin with the prefix, in text order.
std::vector<WRange> linesStartingWith(std::u16string_view text, std::u16string_view prefix)
{
    std::vector<WRange> found;
    if (text.empty() || prefix.empty())
        return found;
    for (const WRange line : WTextView::rangesOfLines(text)) {
        if (text.substr(line.location, line.length).starts_with(prefix))
            found.push_back(line);
    }
    return found;
}

std::u16string_view lineText(std::u16string_view text, WRange line)
{
    return text.substr(line.location, line.length);
}

}  // namespace

std::vector<WNavigatorItem> WNavigator::definitionItems(std::u16string_view text, int32_t textType)
{
    switch (textType) {
    case kTextCSS:
        return cssItems(text);
    case kTextWexelMarkup:
        return markupItems(text);
    case kTextPerlScript:
        return perlItems(text);
    case kTextRubyScript:
        return rubyItems(text);
    case kTextIndex:
        return indexItems(text, indexKeywords());
    default:
        return {};
    }
}

std::unique_ptr<WMenu> WNavigator::navigatorMenu(std::u16string_view text, int32_t textType)
{
    auto menu = std::make_unique<WMenu>();
    for (auto& item : definitionItems(text, textType)) {
        WMenuItem& menuItem = menu->addItemWithTitle(std::move(item.title), "setSelectedRangeOfTextView:");
        menuItem.setAttachedObj(WAttachedObject(item.range));
    }
    return menu;
}

std::vector<WNavigatorItem> WNavigator::cssItems(std::u16string_view text)
{
    std::vector<WNavigatorItem> items;
    bool outsideRule = true;
    bool inComment = false;
    for (size_t i = 0; i + 1 < text.size();) {
        if (text[i] == u'/' && text[i + 1] == u'*') {
            inComment = true;
            i += 2;
            continue;
        }
        if (text[i] == u'*' && text[i + 1] == u'/') {
            inComment = false;
            i += 2;
            continue;
        }
        if (!inComment) {
            if (text[i] == u'{') {
                outsideRule = false;
            } else if (text[i] == u'}') {
                outsideRule = true;
            } else if (outsideRule && isCssTokenCharacter(text[i])) {
                const size_t brace = text.find(u'{', i);
                if (brace == std::u16string_view::npos)
                    break;  // a rule that never opens ends the list
                items.push_back({std::u16string(text.substr(i, brace - i)),
                                 {static_cast<uint32_t>(i), static_cast<uint32_t>(brace - i)}});
                outsideRule = false;
            }
        }
        ++i;
    }
    return items;
}

std::vector<WNavigatorItem> WNavigator::markupItems(std::u16string_view text)
{
    std::vector<WNavigatorItem> items;
    for (const WRange line : linesStartingWith(text, u"@"))
        items.push_back({WStringUtils::trimSpaces(lineText(text, line)), line});
    return items;
}

std::vector<WNavigatorItem> WNavigator::perlItems(std::u16string_view text)
{
    std::vector<WNavigatorItem> items;
    for (const WRange line : linesStartingWith(text, u"sub")) {
        std::u16string title = WStringUtils::trimSpaces(lineText(text, line));
        // "sub name {" is listed by its name; anything less plain by its whole line.
        const auto names = WStringUtils::stringBindedWith(title, u"sub", u"{");
        if (names.size() == 1)
            title = WStringUtils::trimSpaces(names.front());
        items.push_back({std::move(title), line});
    }
    return items;
}

std::vector<WNavigatorItem> WNavigator::rubyItems(std::u16string_view text)
{
    std::vector<WNavigatorItem> items;
    for (const char16_t* keyword : {u"class", u"module"}) {
        for (const WRange line : linesStartingWith(text, keyword))
            items.push_back({std::u16string(lineText(text, line)), line});
    }
    return items;
}

std::vector<WNavigatorItem> WNavigator::indexItems(std::u16string_view text,
                                                   const std::vector<std::u16string>& keywords)
{
    std::vector<WNavigatorItem> items;
    for (const auto& keyword : keywords) {
        for (const WRange line : linesStartingWith(text, keyword))
            items.push_back({WStringUtils::trimSpaces(lineText(text, line)), line});
    }
    return items;
}

std::vector<std::u16string> WNavigator::indexKeywords()
{
    // Always the shipped list: the user's settings folder does not apply here.
    const auto file = WPlatform::shared().pathForResource("i-text_keywords", "txt");
    if (!file)
        return {};
    const auto text = WSettingFile::readTextFile(*file);
    return text ? WKeywords::keywordsFromString(*text) : std::vector<std::u16string>{};
}
