#include "search/WSearchCommands.h"

#include <string>

#include "editor/WTextViewPlatform.h"
#include "platform/WPlatform.h"
#include "search/WSearchDocument.h"
#include "search/WSearchServer.h"

std::u16string WSearchCommands::replacedAllMessage(uint32_t count)
{
    const std::string digits = std::to_string(count);
    return u"Replaced " + std::u16string(digits.begin(), digits.end()) + u" words";
}

void WSearchCommands::setSelectionToSearch()
{
    const WTextViewPlatform& view = mDocument.searchTextView();
    const std::u16string& text = view.string();
    const WRange selection = view.selectedRange();
    if (selection.location > text.size())
        return;
    mServer.setSearchString(std::u16string_view(text).substr(selection.location, selection.length));
}

void WSearchCommands::replace()
{
    WTextViewPlatform& view = mDocument.searchTextView();
    const WRange selection = view.selectedRange();
    if (selection.length == 0)
        return;
    // A copy: the server's string must not change under the view's feet.
    const std::u16string replacement = mServer.replaceString();
    view.insertText(replacement);
    view.setSelectedRange({selection.location, static_cast<uint32_t>(replacement.size())});
}

void WSearchCommands::replaceAndFindAgain()
{
    WTextViewPlatform& view = mDocument.searchTextView();
    if (view.selectedRange().length > 0) {
        const std::u16string replacement = mServer.replaceString();
        view.insertText(replacement);
    }
    doSearch(WSearchForward);
}

bool WSearchCommands::doSearch(WSearchDirection direction)
{
    WTextViewPlatform& view = mDocument.searchTextView();
    const WRange found = mServer.searchStringDirection(view, direction);
    if (found.location == WNotFound) {
        WPlatform::shared().beep();
        mDocument.searchFailed();
        return false;
    }
    view.setSelectedRange(found);
    view.scrollRangeToVisible(found);
    return true;
}

uint32_t WSearchCommands::doReplaceAll()
{
    WTextViewPlatform& view = mDocument.searchTextView();
    bool changed = false;
    const uint32_t count = mServer.replaceAll(view, &changed);
    if (changed)
        mDocument.updateChangeCount();
    mDocument.validateColorSyntax();
    view.setSelectedRange({0, 0});
    mDocument.showReplacedAllDialog(count);
    return count;
}

WSearchScriptResult WSearchCommands::handleSearchCommand(const WTextViewPlatform& textView,
                                                         const WSearchScriptArguments& arguments)
{
    if (!arguments.searchText || arguments.searchText->empty())
        return {0, "MyDocument - handleSearchCommand:"};
    const std::u16string& text = textView.string();
    const int64_t offset = arguments.fromOffset.value_or(0);
    if (offset < 0 || static_cast<uint64_t>(offset) > text.size())
        return {0, "MyDocument - illegal 'fromOffset'"};
    WSearchServer server;
    server.setSearchString(*arguments.searchText);
    server.setIgnoreCase(arguments.ignoreCase.value_or(true));
    // A forward find from a caret at the offset, without moving the view's selection.
    const WRange found = server.searchStringInText(text, {static_cast<uint32_t>(offset), 0}, WSearchForward);
    return {found.location == WNotFound ? -1 : static_cast<int64_t>(found.location), {}};
}

WSearchScriptResult WSearchCommands::handleReplaceAllCommand(WTextViewPlatform& textView,
                                                             const WSearchScriptArguments& arguments)
{
    if (!arguments.searchText || !arguments.replaceText || arguments.searchText->empty())
        return {0, "MyDocument - handleReplaceAllCommand:"};
    WSearchServer server;
    server.setSearchString(*arguments.searchText);
    server.setReplaceString(*arguments.replaceText);
    server.setIgnoreCase(arguments.ignoreCase.value_or(true));
    return {server.replaceAll(textView), {}};
}
