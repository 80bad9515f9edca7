#include "search/WSearchServer.h"

#include <algorithm>

#include "editor/WTextViewPlatform.h"
#include "search/WSearchCommands.h"
#include "search/WSearchDocument.h"

WSearchServer::WSearchServer() = default;
WSearchServer::~WSearchServer() = default;

void WSearchServer::setSearchString(std::u16string_view string)
{
    if (string != mSearchString) {
        mSearchString = string;
        mMatcher.reset();
    }
}

void WSearchServer::setIgnoreCase(bool flag)
{
    if (flag != mIgnoreCase) {
        mIgnoreCase = flag;
        mMatcher.reset();
    }
}

const WSearchMatcher& WSearchServer::matcher()
{
    if (!mMatcher)
        mMatcher = std::make_unique<WSearchMatcher>(mSearchString, mIgnoreCase);
    return *mMatcher;
}

WRange WSearchServer::searchStringInText(std::u16string_view text, WRange selection, WSearchDirection direction)
{
    const uint32_t length = static_cast<uint32_t>(text.size());
    // A selection reaching past the text (a stale one) is cut at the end.
    const uint32_t location = std::min(selection.location, length);
    const uint32_t selectionEnd = location + std::min(selection.length, length - location);
    const WRange range = direction == WSearchBackward ? WRange{0, location}
                                                      : WRange{selectionEnd, length - selectionEnd};
    return matcher().find(text, range, direction);
}

WRange WSearchServer::searchStringDirection(const WTextViewPlatform& textView, WSearchDirection direction)
{
    return searchStringInText(textView.string(), textView.selectedRange(), direction);
}

WSearchMatcher::Replacement WSearchServer::replaceAllInText(std::u16string_view text)
{
    return matcher().replaceAll(text, mReplaceString);
}

uint32_t WSearchServer::replaceAll(WTextViewPlatform& textView, bool* textChanged)
{
    const std::u16string& text = textView.string();
    WSearchMatcher::Replacement result = replaceAllInText(text);
    // Setting an unchanged text would only leave an empty undo step and mark
    // the document edited for nothing.
    const bool changed = result.count > 0 && result.text != text;
    if (changed)
        textView.setString(result.text);
    if (textChanged)
        *textChanged = changed;
    return result.count;
}

void WSearchServer::forgetSearchCaller(const WSearchDocument* document)
{
    if (mSearchCaller == document)
        mSearchCaller = nullptr;
}

void WSearchServer::setButtonPressed(std::u16string_view searchField, std::u16string_view replaceField)
{
    setSearchString(searchField);
    setReplaceString(replaceField);
}

void WSearchServer::searchButtonPressed(std::u16string_view searchField, std::u16string_view replaceField)
{
    setButtonPressed(searchField, replaceField);
    if (mSearchCaller)
        WSearchCommands(*mSearchCaller, *this).doSearch(WSearchForward);
}

void WSearchServer::replaceAllButtonPressed(std::u16string_view searchField, std::u16string_view replaceField)
{
    setButtonPressed(searchField, replaceField);
    if (mSearchCaller)
        WSearchCommands(*mSearchCaller, *this).doReplaceAll();
}
