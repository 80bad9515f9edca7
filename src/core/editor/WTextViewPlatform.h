#pragma once

#include <string>
#include <string_view>

#include "text/WRange.h"

// What the editing commands ask of the text view on screen. The gui's text
// widget realizes it; core tests use an in-memory one that really keeps text
// and selection.
class WTextViewPlatform {
public:
    virtual ~WTextViewPlatform() = default;

    // The whole text, CR line ends.
    virtual const std::u16string& string() const = 0;
    virtual WRange selectedRange() const = 0;
    virtual void setSelectedRange(WRange range) = 0;
    // Replaces the selection like typing: undoable, reaches the document's
    // change notifications; the caret ends after the inserted text.
    virtual void insertText(std::u16string_view text) = 0;
    // Replaces the whole text at once, outside the typing path.
    virtual void setString(std::u16string_view text) = 0;
    virtual void scrollRangeToVisible(WRange range) = 0;
    // An input method is composing.
    virtual bool hasMarkedText() const = 0;
    // A standard editing action by its name: "moveUp:", "copy:", "deleteBackward:", ...
    virtual void performStandardAction(std::string_view action) = 0;
};
