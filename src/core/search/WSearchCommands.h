#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "search/WSearchMatcher.h"

class WSearchDocument;
class WSearchServer;
class WTextViewPlatform;

// The named arguments of the scripting commands "search" and "replace all".
struct WSearchScriptArguments {
    std::optional<std::u16string> searchText;
    std::optional<std::u16string> replaceText;
    std::optional<bool> ignoreCase;  // on when not given
    std::optional<int64_t> fromOffset;
};

// What a scripting command answers: a number, or the message of the error the
// scripting interface raises.
struct WSearchScriptResult {
    int64_t value = 0;
    std::string error;  // empty on success
};

// The document's find commands, run against the shared (or any) controller.
class WSearchCommands {
public:
    WSearchCommands(WSearchDocument& document, WSearchServer& server) : mDocument(document), mServer(server) {}

    void searchForward() { doSearch(WSearchForward); }
    void searchBackward() { doSearch(WSearchBackward); }
    // The selected text becomes the search string.
    void setSelectionToSearch();
    // Puts the replacement string in place of a non-empty selection and selects it.
    void replace();
    // Puts the replacement string in place of a non-empty selection, then finds forward.
    void replaceAndFindAgain();
    // Selects and shows the occurrence; beeps and leaves the selection when there is none.
    bool doSearch(WSearchDirection direction);
    // Replaces every occurrence, recolours, puts the caret at the start and shows the count.
    uint32_t doReplaceAll();

    // The scripting commands, each with a private controller so that the
    // panel's strings are left alone. Search answers the location of the
    // first occurrence at or after "fromOffset" (-1 when there is none) and
    // leaves the selection as it was; replace-all answers the count and does
    // no recolouring, caret moving or sheet.
    static WSearchScriptResult handleSearchCommand(const WTextViewPlatform& textView,
                                                   const WSearchScriptArguments& arguments);
    static WSearchScriptResult handleReplaceAllCommand(WTextViewPlatform& textView,
                                                       const WSearchScriptArguments& arguments);

    // The count sheet's texts.
    static constexpr const char16_t* replacedAllTitle = u"Replacement Information";
    static constexpr const char16_t* replacedAllButton = u"OK";
    static std::u16string replacedAllMessage(uint32_t count);

private:
    WSearchDocument& mDocument;
    WSearchServer& mServer;
};
