#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "editor/WTextViewPlatform.h"

// A text view without a screen: it keeps the text and the selection for real,
// counts insertions (each is one undo step in the real widget), and carries
// out the standard actions on paragraphs, which stand in for laid-out lines.
class WMemoryTextView : public WTextViewPlatform {
public:
    explicit WMemoryTextView(std::u16string text = {}, WRange selection = {})
        : mText(std::move(text)), mSelection(selection) {}

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
        inserted.emplace_back(text);
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
        const auto n = static_cast<uint32_t>(mText.size());
        const uint32_t caret = mSelection.location;
        const uint32_t end = mSelection.location + mSelection.length;
        if (action == "moveForward:")
            moveTo(mSelection.length ? end : std::min(caret + 1, n));
        else if (action == "moveBackward:")
            moveTo(mSelection.length ? caret : (caret ? caret - 1 : 0));
        else if (action == "moveToBeginningOfDocument:" || action == "pageUp:")
            moveTo(0);
        else if (action == "moveToEndOfDocument:" || action == "pageDown:")
            moveTo(n);
        else if (action == "moveToBeginningOfParagraph:" || action == "moveToBeginningOfLine:")
            moveTo(lineStart(caret));
        else if (action == "moveToEndOfParagraph:" || action == "moveToEndOfLine:")
            moveTo(lineEnd(end));
        else if (action == "moveUp:" || action == "moveDown:")
            moveVertically(action == "moveUp:");
        else if (action == "deleteBackward:")
            deleteOr(caret ? caret - 1 : 0, caret);
        else if (action == "deleteForward:")
            deleteOr(caret, std::min(caret + 1, n));
        else if (action == "deleteToBeginningOfParagraph:" || action == "deleteToBeginningOfLine:")
            deleteOr(lineStart(caret), caret);
        else if (action == "deleteToEndOfParagraph:" || action == "deleteToEndOfLine:")
            deleteOr(caret, lineEnd(caret));
        else if (action == "deleteWordBackward:")
            deleteOr(wordStart(caret), caret);
        else if (action == "insertTab:")
            insertText(u"\t");
        else if (action == "insertNewline:")
            insertText(u"\r");
        else if (action == "selectAll:")
            mSelection = {0, n};
        else if (action == "copy:")
            clipboard = mText.substr(caret, mSelection.length);
        else if (action == "cut:") {
            clipboard = mText.substr(caret, mSelection.length);
            if (mSelection.length)
                insertText(u"");
        } else if (action == "paste:")
            insertText(clipboard);
        else if (action == "uppercaseWord:" || action == "lowercaseWord:")
            changeWordCase(action == "uppercaseWord:");
    }

    std::u16string selectedText() const { return mText.substr(mSelection.location, mSelection.length); }

    bool markedText = false;
    int insertCount = 0;
    std::vector<std::u16string> inserted;
    std::vector<std::string> actions;
    std::vector<WRange> scrolledTo;
    std::u16string clipboard;

private:
    static bool isLineEnd(char16_t unit) { return unit == u'\r' || unit == u'\n'; }
    static bool isWordUnit(char16_t unit)
    {
        return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z') || (unit >= u'0' && unit <= u'9')
            || unit > 0x7F;
    }

    void moveTo(uint32_t position) { mSelection = {position, 0}; }

    uint32_t lineStart(uint32_t p) const
    {
        while (p > 0 && !isLineEnd(mText[p - 1]))
            --p;
        return p;
    }
    uint32_t lineEnd(uint32_t p) const
    {
        while (p < mText.size() && !isLineEnd(mText[p]))
            ++p;
        return p;
    }
    uint32_t wordStart(uint32_t p) const
    {
        while (p > 0 && !isWordUnit(mText[p - 1]))
            --p;
        while (p > 0 && isWordUnit(mText[p - 1]))
            --p;
        return p;
    }

    void deleteOr(uint32_t from, uint32_t to)
    {
        if (mSelection.length == 0)
            mSelection = {from, to - from};
        if (mSelection.length)
            insertText(u"");
    }

    void moveVertically(bool up)
    {
        const uint32_t start = lineStart(mSelection.location);
        const uint32_t column = mSelection.location - start;
        if (up) {
            if (start == 0)
                return moveTo(0);
            const uint32_t previous = lineStart(start - 1);
            moveTo(std::min(previous + column, start - 1));
        } else {
            const uint32_t end = lineEnd(mSelection.location);
            if (end >= mText.size())
                return moveTo(static_cast<uint32_t>(mText.size()));
            moveTo(std::min(end + 1 + column, lineEnd(end + 1)));
        }
    }

    void changeWordCase(bool upper)
    {
        uint32_t from = mSelection.location;
        uint32_t to = mSelection.location + mSelection.length;
        if (mSelection.length == 0) {
            while (from > 0 && isWordUnit(mText[from - 1]))
                --from;
            while (to < mText.size() && isWordUnit(mText[to]))
                ++to;
        }
        std::u16string changed = mText.substr(from, to - from);
        for (auto& unit : changed) {
            if (upper && unit >= u'a' && unit <= u'z')
                unit = static_cast<char16_t>(unit - 0x20);
            else if (!upper && unit >= u'A' && unit <= u'Z')
                unit = static_cast<char16_t>(unit + 0x20);
        }
        mSelection = {from, to - from};
        insertText(changed);
        mSelection = {from, to - from};
    }

    std::u16string mText;
    WRange mSelection;
};
