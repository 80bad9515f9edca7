#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "search/WSearchMatcher.h"
#include "text/WRange.h"

class WTextViewPlatform;
class WSearchDocument;

// The state of the shared find panel (search string, replacement, the two
// flags, the document that last showed the panel) and the two text
// operations: find relative to a view's selection, and replace-all over a
// view's whole text. The panel's window is the gui's; this object answers
// for what the panel's buttons store and start.
class WSearchServer {
public:
    WSearchServer();
    ~WSearchServer();

    const std::u16string& searchString() const { return mSearchString; }
    void setSearchString(std::u16string_view string);
    const std::u16string& replaceString() const { return mReplaceString; }
    void setReplaceString(std::u16string_view string) { mReplaceString = string; }
    bool ignoreCase() const { return mIgnoreCase; }
    void setIgnoreCase(bool flag);
    // Kept for the panel's check box; searches never consult it.
    bool useRegex() const { return mUseRegex; }
    void setUseRegex(bool flag) { mUseRegex = flag; }

    // Forward from the selection's end to the end of the text, or backward
    // for the last occurrence lying wholly before the selection. No wrap-around.
    // {WNotFound, 0} when there is none.
    WRange searchStringDirection(const WTextViewPlatform& textView, WSearchDirection direction);
    // The same on a bare text with a selection in it.
    WRange searchStringInText(std::u16string_view text, WRange selection, WSearchDirection direction);

    // Replaces every occurrence in the view's text and answers the count. The
    // new text goes to the view in one whole-text replacement, so the view
    // takes it back in one undo step; a text that would come out the same is
    // left alone.
    uint32_t replaceAll(WTextViewPlatform& textView, bool* textChanged = nullptr);
    WSearchMatcher::Replacement replaceAllInText(std::u16string_view text);

    // The panel's side. showSearchWindow remembers the document the buttons
    // act on; the buttons hand over what the panel's fields hold.
    WSearchDocument* searchCaller() const { return mSearchCaller; }
    void showSearchWindow(WSearchDocument* document) { mSearchCaller = document; }
    // A closing document calls this so that the panel never acts on it later.
    void forgetSearchCaller(const WSearchDocument* document);
    void setButtonPressed(std::u16string_view searchField, std::u16string_view replaceField);
    void searchButtonPressed(std::u16string_view searchField, std::u16string_view replaceField);
    void replaceAllButtonPressed(std::u16string_view searchField, std::u16string_view replaceField);
    void ignoreCaseButtonPressed() { setIgnoreCase(!mIgnoreCase); }
    void useRegexButtonPressed() { mUseRegex = !mUseRegex; }

private:
    const WSearchMatcher& matcher();

    std::u16string mSearchString;
    std::u16string mReplaceString;
    bool mIgnoreCase = true;
    bool mUseRegex = false;
    WSearchDocument* mSearchCaller = nullptr;  // not owned
    std::unique_ptr<WSearchMatcher> mMatcher;  // for mSearchString and mIgnoreCase; made on demand
};
