#include "editor/WKeyAssignServer.h"

#include <initializer_list>

#include "editor/WTextView.h"
#include "platform/WLog.h"

namespace {

constexpr char16_t kEscape = 0x1B;

struct Binding {
    char16_t key;
    std::initializer_list<const char*> actions;
};

// The program's own scheme, Control without Shift.
const Binding kWexelPlain[] = {
    {u'A', {"moveToBeginningOfParagraph:"}},
    {u'S', {"moveBackward:"}},
    {u'D', {"moveForward:"}},
    {u'F', {"moveToEndOfParagraph:"}},
    {u'E', {"moveUp:"}},
    {u'X', {"moveDown:"}},
    {u'R', {"pageUp:"}},
    {u'C', {"pageDown:"}},
    {u'H', {"deleteBackward:"}},
    {u'G', {"deleteForward:"}},
    // Deleting both halves removes the paragraph's text and keeps its line end.
    {u'Y', {"deleteToEndOfParagraph:", "deleteToBeginningOfParagraph:"}},
    {u'I', {"insertTab:"}},
    {u'M', {"insertNewline:"}},
    {u'U', {"uppercaseWord:"}},
    {u'L', {"lowercaseWord:"}},
    {u'P', {"doSample:"}},
};

// The program's own scheme, Control-Shift: the selecting forms of the cursor keys.
const Binding kWexelShifted[] = {
    {u'A', {"moveToBeginningOfParagraphAndModifySelection:"}},
    {u'S', {"moveBackwardAndModifySelection_wexel:"}},
    {u'D', {"moveForwardAndModifySelection_wexel:"}},
    {u'F', {"moveToEndOfParagraphAndModifySelection:"}},
};

const Binding kEmacsControl[] = {
    {u'P', {"moveUp:"}},
    {u'N', {"moveDown:"}},
    {u'B', {"moveBackward:"}},
    {u'F', {"moveForward:"}},
    {u'A', {"moveToBeginningOfLine:"}},
    {u'E', {"moveToEndOfLine:"}},
    {u'R', {"moveToBeginningOfDocument:"}},
    {u'C', {"moveToEndOfDocument:"}},
    {u'V', {"pageDown:"}},
    {u'H', {"deleteBackward:"}},
    {u'D', {"deleteForward:"}},
    {u'K', {"deleteToBeginningOfLine:"}},
    {u'I', {"insertTab:"}},
    {u'M', {"insertNewline:"}},
    {u'W', {"cut:"}},
    {u'Y', {"paste:"}},
};

// Keys after Escape, whatever their modifiers.
const Binding kEmacsMeta[] = {
    {u'D', {"deleteWordBackward:"}},
    {u'W', {"copy:"}},
    {u'V', {"pageUp:"}},
    {u'U', {"uppercaseWord:"}},
    {u'L', {"lowercaseWord:"}},
};

const Binding kViControl[] = {
    {u'K', {"moveUp:"}},
    {u'J', {"moveDown:"}},
    {u'H', {"moveBackward:"}},
    {u'L', {"moveForward:"}},
    {u'X', {"deleteBackward:"}},
};

bool isControlOnly(uint32_t flags)
{
    return (flags & WKeyEvent::ControlKeyMask) && !(flags & WKeyEvent::AlternateKeyMask);
}

bool isKey(std::u16string_view key, char16_t unit)
{
    return key.size() == 1 && key[0] == unit;
}

// Sends the key's actions when the table lists it; without a sender it only answers.
template <size_t N>
bool sendFromTable(const Binding (&table)[N], std::u16string_view key, WTextView* sender)
{
    if (key.size() != 1)
        return false;
    for (const auto& binding : table) {
        if (binding.key == key[0]) {
            if (sender) {
                for (const char* action : binding.actions)
                    sender->performAction(action);
            }
            return true;
        }
    }
    return false;
}

void send(WTextView* sender, const char* action)
{
    if (sender)
        sender->performAction(action);
}

}  // namespace

std::u16string WKeyAssignServer::keyCharacter(std::u16string_view charactersIgnoringModifiers)
{
    std::u16string upper(charactersIgnoringModifiers);
    for (auto& unit : upper) {
        if (unit >= u'a' && unit <= u'z')
            unit = static_cast<char16_t>(unit - 0x20);
        else if (unit >= 0xE0 && unit <= 0xFE && unit != 0xF7)
            unit = static_cast<char16_t>(unit - 0x20);
    }
    return upper;
}

bool WKeyAssignServer::doneAssignedFunction(const WKeyEvent& event, WTextView& sender)
{
    std::u16string key = keyCharacter(event.charactersIgnoringModifiers);
    uint32_t modifiers = event.modifierFlags;

    bool taken = false;
    switch (sender.keyBindType()) {
    case WWexelOriginal:
        taken = doneWexelOriginalFunction(key, modifiers, sender);
        break;
    case WEmacsLike:
        taken = doneEmacsLikeFunction(key, modifiers, sender);
        break;
    case WViLike:
        taken = doneViLikeFunction(key, modifiers, sender);
        break;
    default:
        WLog::write("WKeyAssignServer - doneAssignedFunction: / an error has occured.");
        break;
    }

    // Every key seen here becomes the previous key, taken or not: that is what
    // makes a prefix last exactly one key.
    mPrevCharacter = key;
    mModifierFlags = modifiers;

    if (isKey(key, u'\r') && sender.isAutoIndented()) {
        sender.performAction("autoIndent:");
        taken = true;
    }
    return taken;
}

bool WKeyAssignServer::doneWexelOriginalFunction(std::u16string_view key, uint32_t modifiers,
                                                 WTextView& sender) const
{
    return wexelOriginal(key, modifiers, &sender);
}

bool WKeyAssignServer::doneEmacsLikeFunction(std::u16string_view key, uint32_t modifiers,
                                             WTextView& sender) const
{
    return emacsLike(key, modifiers, &sender);
}

bool WKeyAssignServer::doneViLikeFunction(std::u16string_view key, uint32_t modifiers, WTextView& sender) const
{
    return viLike(key, modifiers, &sender);
}

bool WKeyAssignServer::takesKey(int32_t scheme, const WKeyEvent& event)
{
    const WKeyAssignServer fresh;  // no prefix pending
    const std::u16string key = keyCharacter(event.charactersIgnoringModifiers);
    const uint32_t modifiers = event.modifierFlags;
    switch (scheme) {
    case WWexelOriginal:
    case WEmacsLike:
    case WViLike:
        // Return, with whatever modifiers, may be taken for the automatic indentation.
        if (isKey(key, u'\r'))
            return true;
        if (scheme == WWexelOriginal)
            return fresh.wexelOriginal(key, modifiers, nullptr);
        if (scheme == WEmacsLike)
            return fresh.emacsLike(key, modifiers, nullptr);
        return fresh.viLike(key, modifiers, nullptr);
    default:
        return false;
    }
}

bool WKeyAssignServer::wexelOriginal(std::u16string_view key, uint32_t modifiers, WTextView* sender) const
{
    if (!isControlOnly(modifiers))
        return false;

    if (modifiers & WKeyEvent::ShiftKeyMask)
        return sendFromTable(kWexelShifted, key, sender);

    if (isKey(mPrevCharacter, u'Q') && isControlOnly(mModifierFlags)) {
        if (isKey(key, u'R'))
            send(sender, "moveToBeginningOfDocument:");
        else if (isKey(key, u'C'))
            send(sender, "moveToEndOfDocument:");
        return true;  // any other key after the prefix is swallowed
    }
    if (isKey(key, u'Q'))
        return true;  // opens the prefix
    return sendFromTable(kWexelPlain, key, sender);
}

bool WKeyAssignServer::emacsLike(std::u16string_view key, uint32_t modifiers, WTextView* sender) const
{
    if (isKey(key, kEscape))
        return true;  // opens the Escape prefix

    if (isKey(mPrevCharacter, kEscape)) {
        if (sendFromTable(kEmacsMeta, key, sender))
            return true;
        if (isControlOnly(modifiers) && isKey(key, u'K')) {
            send(sender, "deleteToEndOfLine:");
            return true;
        }
        return false;
    }

    if (!isControlOnly(modifiers) || (modifiers & WKeyEvent::ShiftKeyMask))
        return false;

    if (isKey(mPrevCharacter, u'X') && isControlOnly(mModifierFlags)) {
        if (isKey(key, u'S'))
            send(sender, "saveDocument:");
        return true;  // any other key after the prefix is swallowed
    }
    if (isKey(key, u'X'))
        return true;  // opens the prefix
    return sendFromTable(kEmacsControl, key, sender);
}

bool WKeyAssignServer::viLike(std::u16string_view key, uint32_t modifiers, WTextView* sender) const
{
    // Shift is not looked at: Control-Shift-J moves down like Control-J.
    if (!isControlOnly(modifiers))
        return false;
    return sendFromTable(kViControl, key, sender);
}
