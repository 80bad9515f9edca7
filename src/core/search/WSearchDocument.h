#pragma once

#include <cstdint>

class WTextViewPlatform;

// What the find commands need of a document: its text view, and the three
// things a replace-all does besides changing the text.
class WSearchDocument {
public:
    virtual ~WSearchDocument() = default;

    virtual WTextViewPlatform& searchTextView() = 0;
    // Recolours the whole text.
    virtual void validateColorSyntax() = 0;
    // A whole-text replacement bypasses the typing path, so the document is
    // told of the change itself (closing the window must ask before losing it).
    virtual void updateChangeCount() = 0;
    // The sheet with WSearchCommands' title and message for the count, and "OK".
    virtual void showReplacedAllDialog(uint32_t count) = 0;
    // A find found nothing (the beep has sounded); a window may say so as well.
    virtual void searchFailed() {}
};
