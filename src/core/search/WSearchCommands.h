#pragma once

#include <cstdint>
#include <string>

#include "search/WSearchMatcher.h"

class WSearchDocument;
class WSearchServer;

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

    // The count sheet's texts.
    static constexpr const char16_t* replacedAllTitle = u"Replacement Information";
    static constexpr const char16_t* replacedAllButton = u"OK";
    static std::u16string replacedAllMessage(uint32_t count);

private:
    WSearchDocument& mDocument;
    WSearchServer& mServer;
};
