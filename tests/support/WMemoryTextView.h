#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "editor/WTextViewPlatform.h"

// A text view without a screen: it keeps the text and the selection for real,
// counts insertions (each is one undo step in the real widget) and records the
// standard actions sent to it, carrying out only the clipboard ones.
class WMemoryTextView : public WTextViewPlatform {
public:
    explicit WMemoryTextView(std::u16string text = {}, WRange selection = {}) : mText(std::move(text))
    {
        setSelectedRange(selection);
    }

    const std::u16string& string() const override { return mText; }
    WRange selectedRange() const override { return mSelection; }
    void setSelectedRange(WRange range) override
    {
        const auto n = static_cast<uint32_t>(mText.size());
        const uint32_t location = std::min(range.location, n);
        mSelection = {location, std::min(range.length, n - location)};
    }
    void insertText(std::u16string_view text) override
    {
        mText.replace(mSelection.location, mSelection.length, text);
        mSelection = {mSelection.location + static_cast<uint32_t>(text.size()), 0};
        ++insertCount;
    }
    void setString(std::u16string_view text) override
    {
        mText = text;
        mSelection = {0, 0};
    }
    void scrollRangeToVisible(WRange range) override { scrolledTo.push_back(range); }
    bool hasMarkedText() const override { return markedText; }
    void performStandardAction(std::string_view action) override
    {
        actions.emplace_back(action);
        if (action == "copy:" || action == "cut:")
            clipboard = mText.substr(mSelection.location, mSelection.length);
        if (action == "cut:" && mSelection.length)
            insertText(u"");
        else if (action == "paste:")
            insertText(clipboard);
        else if (action == "selectAll:")
            mSelection = {0, static_cast<uint32_t>(mText.size())};
    }

    bool markedText = false;
    int insertCount = 0;
    std::vector<std::string> actions;
    std::vector<WRange> scrolledTo;
    std::u16string clipboard;

private:
    std::u16string mText;
    WRange mSelection;
};
