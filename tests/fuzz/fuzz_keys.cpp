// The key engine under each binding scheme, driven with random keys on a small
// text, compared after every key with a model written from the key tables: was
// the key taken, which standard actions reached the widget, the text, the
// selection, the saves and the previous key the engine keeps (its pending prefix).
//
// Input: one byte for the scheme, one of switches (bit 0: automatic indentation),
// two for the selection, the text up to a 0xFF byte, then two bytes per key: the
// character, and the modifiers (bits 0-3: Shift, Control, Option, Command; bit 4:
// an input method is composing; bit 7: the scheme changes to 1 + bits 5-6 first).
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "editor/WTextView.h"

namespace {

constexpr uint32_t kShift = WKeyEvent::ShiftKeyMask;
constexpr uint32_t kControl = WKeyEvent::ControlKeyMask;
constexpr uint32_t kOption = WKeyEvent::AlternateKeyMask;
constexpr uint32_t kCommand = WKeyEvent::CommandKeyMask;
constexpr char16_t kEscape = 0x1B;

// Keys and text are drawn from these: every letter of the tables in both cases,
// Escape, Return, Tab, spaces, digits, punctuation and one accented letter.
constexpr std::u16string_view kKeys = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ\x1B\r\t 09.,;-_\u00E9";
constexpr std::u16string_view kTextUnits = u"ab Z\t\r\r.x_9\u00E9";

bool isWordUnit(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == 0xE9 ||
           c == 0xC9;
}

// The text widget's own handling, the same under the engine and the model: it is
// not what is tested, only what both need to go on. A line is a paragraph; a page
// is three lines.
struct Widget {
    std::u16string text;
    WRange selection;
    std::u16string clipboard;

    uint32_t size() const { return static_cast<uint32_t>(text.size()); }
    uint32_t lineStart(uint32_t p) const
    {
        while (p > 0 && text[p - 1] != u'\r')
            --p;
        return p;
    }
    uint32_t lineEnd(uint32_t p) const
    {
        while (p < size() && text[p] != u'\r')
            ++p;
        return p;
    }
    void caret(uint32_t p) { selection = {p, 0}; }
    void insert(std::u16string_view s)
    {
        text.replace(selection.location, selection.length, s);
        caret(selection.location + static_cast<uint32_t>(s.size()));
    }
    void removeRange(uint32_t from, uint32_t to)
    {
        text.erase(from, to - from);
        caret(from);
    }
    // Deletes the selection, or [caret, other end) when there is none.
    void deleteTo(uint32_t other)
    {
        if (selection.length) {
            insert(u"");
            return;
        }
        uint32_t p = selection.location;
        removeRange(std::min(p, other), std::max(p, other));
    }
    void lineUpDown(bool up)
    {
        const uint32_t p = selection.location;
        const uint32_t start = lineStart(p);
        const uint32_t column = p - start;
        if (up) {
            if (start == 0)
                return caret(0);
            const uint32_t above = lineStart(start - 1);
            caret(std::min(above + column, start - 1));
        } else {
            const uint32_t end = lineEnd(p);
            if (end == size())
                return caret(size());
            caret(std::min(end + 1 + column, lineEnd(end + 1)));
        }
    }
    void changeCase(bool upper)
    {
        uint32_t from = selection.location, to = selection.maxRange();
        if (selection.length == 0) {
            while (from > 0 && isWordUnit(text[from - 1]))
                --from;
            while (to < size() && isWordUnit(text[to]))
                ++to;
        }
        for (uint32_t i = from; i < to; ++i) {
            char16_t& c = text[i];
            if (upper && c >= u'a' && c <= u'z')
                c = char16_t(c - 0x20);
            else if (!upper && c >= u'A' && c <= u'Z')
                c = char16_t(c + 0x20);
        }
        caret(to);
    }

    void perform(std::string_view action)
    {
        const uint32_t p = selection.location;
        const uint32_t end = selection.maxRange();
        if (action == "moveUp:")
            lineUpDown(true);
        else if (action == "moveDown:")
            lineUpDown(false);
        else if (action == "pageUp:" || action == "pageDown:")
            for (int i = 0; i < 3; ++i)
                lineUpDown(action == "pageUp:");
        else if (action == "moveForward:")
            caret(selection.length ? end : std::min(p + 1, size()));
        else if (action == "moveBackward:")
            caret(selection.length ? p : (p ? p - 1 : 0));
        else if (action == "moveToBeginningOfLine:" || action == "moveToBeginningOfParagraph:")
            caret(lineStart(p));
        else if (action == "moveToEndOfLine:" || action == "moveToEndOfParagraph:")
            caret(lineEnd(end));
        else if (action == "moveToBeginningOfDocument:")
            caret(0);
        else if (action == "moveToEndOfDocument:")
            caret(size());
        else if (action == "deleteBackward:")
            deleteTo(p ? p - 1 : 0);
        else if (action == "deleteForward:")
            deleteTo(std::min(p + 1, size()));
        else if (action == "deleteWordBackward:") {
            uint32_t q = p;
            while (q > 0 && !isWordUnit(text[q - 1]))
                --q;
            while (q > 0 && isWordUnit(text[q - 1]))
                --q;
            deleteTo(q);
        } else if (action == "deleteToBeginningOfLine:" || action == "deleteToBeginningOfParagraph:")
            deleteTo(lineStart(p));
        else if (action == "deleteToEndOfLine:" || action == "deleteToEndOfParagraph:")
            deleteTo(lineEnd(p));
        else if (action == "insertTab:")
            insert(u"\t");
        else if (action == "insertNewline:")
            insert(u"\r");
        else if (action == "uppercaseWord:" || action == "lowercaseWord:")
            changeCase(action == "uppercaseWord:");
        else if (action == "copy:" || action == "cut:") {
            clipboard = text.substr(p, selection.length);
            if (action == "cut:" && selection.length)
                insert(u"");
        } else if (action == "paste:")
            insert(clipboard);
        else {
            std::fprintf(stderr, "unknown standard action %.*s\n", int(action.size()), action.data());
            FUZZ_CHECK(!"the engine sends only the tables' actions");
        }
    }
    // A key nobody took: typed, unless Control, Option or Command is held.
    void type(const WKeyEvent& event)
    {
        if (event.modifierFlags & (kControl | kOption | kCommand))
            return;
        if (event.charactersIgnoringModifiers != std::u16string(1, kEscape))
            insert(event.charactersIgnoringModifiers);
    }
};

// The text view's platform side, over a widget; it records the standard actions.
class FuzzView : public WTextViewPlatform {
public:
    Widget widget;
    bool marked = false;
    std::vector<std::string> sent;

    const std::u16string& string() const override { return widget.text; }
    WRange selectedRange() const override { return widget.selection; }
    void setSelectedRange(WRange range) override
    {
        const uint32_t location = std::min(range.location, widget.size());
        widget.selection = {location, std::min(range.length, widget.size() - location)};
    }
    void insertText(std::u16string_view text) override { widget.insert(text); }
    void setString(std::u16string_view text) override
    {
        widget.text = text;
        widget.caret(0);
    }
    void scrollRangeToVisible(WRange) override {}
    bool hasMarkedText() const override { return marked; }
    void performStandardAction(std::string_view action) override
    {
        sent.emplace_back(action);
        widget.perform(action);
    }
};

// The model: the key tables of the three schemes, their prefixes and the
// program's own commands, kept apart from the engine.
struct Row {
    char16_t key;
    std::vector<const char*> actions;
};

const std::vector<Row> kOwnPlain = {
    {u'A', {"moveToBeginningOfParagraph:"}}, {u'S', {"moveBackward:"}}, {u'D', {"moveForward:"}},
    {u'F', {"moveToEndOfParagraph:"}},       {u'E', {"moveUp:"}},       {u'X', {"moveDown:"}},
    {u'R', {"pageUp:"}},                     {u'C', {"pageDown:"}},     {u'H', {"deleteBackward:"}},
    {u'G', {"deleteForward:"}},              {u'Y', {"deleteToEndOfParagraph:", "deleteToBeginningOfParagraph:"}},
    {u'I', {"insertTab:"}},                  {u'M', {"insertNewline:"}}, {u'U', {"uppercaseWord:"}},
    {u'L', {"lowercaseWord:"}},              {u'P', {"doSample:"}},
};
const std::vector<Row> kOwnShifted = {
    {u'A', {"moveToBeginningOfParagraphAndModifySelection:"}},
    {u'S', {"moveBackwardAndModifySelection_wexel:"}},
    {u'D', {"moveForwardAndModifySelection_wexel:"}},
    {u'F', {"moveToEndOfParagraphAndModifySelection:"}},
};
const std::vector<Row> kEmacs = {
    {u'P', {"moveUp:"}},           {u'N', {"moveDown:"}},         {u'B', {"moveBackward:"}},
    {u'F', {"moveForward:"}},      {u'A', {"moveToBeginningOfLine:"}}, {u'E', {"moveToEndOfLine:"}},
    {u'R', {"moveToBeginningOfDocument:"}}, {u'C', {"moveToEndOfDocument:"}}, {u'V', {"pageDown:"}},
    {u'H', {"deleteBackward:"}},   {u'D', {"deleteForward:"}},    {u'K', {"deleteToBeginningOfLine:"}},
    {u'I', {"insertTab:"}},        {u'M', {"insertNewline:"}},    {u'W', {"cut:"}},
    {u'Y', {"paste:"}},
};
const std::vector<Row> kEmacsAfterEscape = {
    {u'D', {"deleteWordBackward:"}}, {u'W', {"copy:"}}, {u'V', {"pageUp:"}},
    {u'U', {"uppercaseWord:"}},      {u'L', {"lowercaseWord:"}},
};
const std::vector<Row> kVi = {
    {u'K', {"moveUp:"}}, {u'J', {"moveDown:"}}, {u'H', {"moveBackward:"}}, {u'L', {"moveForward:"}},
    {u'X', {"deleteBackward:"}},
};

const Row* lookUp(const std::vector<Row>& table, const std::u16string& key)
{
    if (key.size() != 1)
        return nullptr;
    for (const Row& row : table)
        if (row.key == key[0])
            return &row;
    return nullptr;
}

std::u16string upperCased(std::u16string_view characters)
{
    std::u16string out(characters);
    for (char16_t& c : out) {
        if (c >= u'a' && c <= u'z')
            c = char16_t(c - 0x20);
        else if (c == 0xE9)
            c = 0xC9;
    }
    return out;
}

bool controlOnly(uint32_t flags) { return (flags & kControl) && !(flags & kOption); }

enum class Prefix { None, ControlQ, ControlX, Escape };

// The prefix a scheme sees pending after the recorded key.
Prefix pending(int32_t scheme, const std::u16string& previous, uint32_t flags)
{
    if (scheme == 1 && previous == u"Q" && controlOnly(flags))
        return Prefix::ControlQ;
    if (scheme == 2 && previous == std::u16string(1, kEscape))
        return Prefix::Escape;
    if (scheme == 2 && previous == u"X" && controlOnly(flags))
        return Prefix::ControlX;
    return Prefix::None;
}

struct Model {
    Widget widget;
    std::u16string previous;
    uint32_t previousFlags = 0;
    int saves = 0;
    std::vector<std::string> sent;

    // The line block of the selection: whole lines, the last one's line end included.
    WRange block() const
    {
        const WRange s = widget.selection;
        const uint32_t start = widget.lineStart(s.location);
        uint32_t stop;
        if (s.length && widget.text[s.maxRange() - 1] == u'\r')
            stop = s.maxRange();
        else {
            stop = widget.lineEnd(s.maxRange());
            if (stop < widget.size())
                ++stop;
        }
        return {start, stop - start};
    }

    void perform(std::string_view action)
    {
        WRange& s = widget.selection;
        const uint32_t n = widget.size();
        if (action == "moveForwardAndModifySelection_wexel:") {
            if (s.maxRange() < n)
                s.length += 1;
        } else if (action == "moveBackwardAndModifySelection_wexel:") {
            if (s.location > 0)
                s = {s.location - 1, s.length + 1};
        } else if (action == "moveToBeginningOfParagraphAndModifySelection:") {
            const WRange b = block();
            s = {b.location, s.length + s.location - b.location};
        } else if (action == "moveToEndOfParagraphAndModifySelection:") {
            const WRange b = block();
            s = {s.location, b.maxRange() - s.location};
        } else if (action == "autoIndent:") {
            const WRange b = block();
            if (widget.text.empty() || s.location == b.location) {
                widget.insert(u"\r");
                return;
            }
            std::u16string inserted = u"\r";
            for (uint32_t i = b.location; i < b.maxRange(); ++i) {
                if (widget.text[i] != u'\t' && widget.text[i] != u' ')
                    break;
                inserted += widget.text[i];
            }
            widget.insert(inserted);
        } else if (action == "saveDocument:") {
            ++saves;
        } else if (action == "doSample:") {
        } else {
            sent.emplace_back(action);
            widget.perform(action);
        }
    }

    // The scheme's answer to the key; the actions go into *actions.
    bool scheme(int32_t which, const std::u16string& key, uint32_t flags, std::vector<const char*>& actions) const
    {
        const Prefix prefix = pending(which, previous, previousFlags);
        auto from = [&](const std::vector<Row>& table) {
            const Row* row = lookUp(table, key);
            if (row)
                actions = row->actions;
            return row != nullptr;
        };
        switch (which) {
        case 1:
            if (!controlOnly(flags))
                return false;
            if (flags & kShift)
                return from(kOwnShifted);
            if (prefix == Prefix::ControlQ) {
                if (key == u"R")
                    actions = {"moveToBeginningOfDocument:"};
                else if (key == u"C")
                    actions = {"moveToEndOfDocument:"};
                return true;
            }
            return key == u"Q" || from(kOwnPlain);
        case 2:
            if (key == std::u16string(1, kEscape))
                return true;
            if (prefix == Prefix::Escape) {
                if (from(kEmacsAfterEscape))
                    return true;
                if (controlOnly(flags) && key == u"K") {
                    actions = {"deleteToEndOfLine:"};
                    return true;
                }
                return false;
            }
            if (!controlOnly(flags) || (flags & kShift))
                return false;
            if (prefix == Prefix::ControlX) {
                if (key == u"S")
                    actions = {"saveDocument:"};
                return true;
            }
            return key == u"X" || from(kEmacs);
        case 3:
            return controlOnly(flags) && from(kVi);
        default:
            return false;
        }
    }

    bool press(int32_t which, bool marked, bool autoIndent, const WKeyEvent& event)
    {
        if (marked || which == 4)
            return false;
        const std::u16string key = upperCased(event.charactersIgnoringModifiers);
        std::vector<const char*> actions;
        bool taken = scheme(which, key, event.modifierFlags, actions);
        previous = key;
        previousFlags = event.modifierFlags;
        if (key == u"\r" && autoIndent) {
            actions.push_back("autoIndent:");
            taken = true;
        }
        for (const char* action : actions)
            perform(action);
        return taken;
    }
};

std::string utf8ish(std::u16string_view s)
{
    std::string out;
    for (char16_t c : s)
        out += c == u'\r' ? std::string("\\r") : c < 0x20 || c > 0x7E ? "\\u" + std::to_string(c) : std::string(1, char(c));
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::platform();
    if (size < 4)
        return 0;
    static constexpr int32_t kSchemes[] = {1, 2, 3, 1, 2, 3, 4, 0, 5};
    int32_t scheme = kSchemes[data[0] % std::size(kSchemes)];
    const bool autoIndent = data[1] & 1;
    size_t at = 4;
    std::u16string text;
    for (; at < size && data[at] != 0xFF && text.size() < 64; ++at)
        text += kTextUnits[data[at] % kTextUnits.size()];
    if (at < size && data[at] == 0xFF)
        ++at;
    const uint32_t n = static_cast<uint32_t>(text.size());
    const uint32_t location = data[2] % (n + 1);
    const WRange selection{location, data[3] % (n - location + 1)};

    FuzzView view;
    view.widget = {text, selection, {}};
    int saves = 0;
    WTextView::Hooks hooks;
    hooks.keyBindType = [&] { return scheme; };
    hooks.isAutoIndented = [&] { return autoIndent; };
    hooks.saveDocument = [&] { ++saves; };
    WTextView textView(view, hooks);
    Model model;
    model.widget = view.widget;

    for (size_t step = 0; at + 1 < size; at += 2, ++step) {
        const uint8_t bits = data[at + 1];
        if (bits & 0x80)
            scheme = 1 + ((bits >> 5) & 3);
        uint32_t flags = 0;
        if (bits & 1)
            flags |= kShift;
        if (bits & 2)
            flags |= kControl;
        if (bits & 4)
            flags |= kOption;
        if (bits & 8)
            flags |= kCommand;
        view.marked = bits & 0x10;
        const WKeyEvent event{std::u16string(1, kKeys[data[at] % kKeys.size()]), flags};

        // What the scheme takes with no prefix pending, as the menus ask it.
        if (scheme >= 1 && scheme <= 3) {
            Model fresh;
            std::vector<const char*> ignored;
            const std::u16string key = upperCased(event.charactersIgnoringModifiers);
            const bool expected = key == u"\r" || fresh.scheme(scheme, key, flags, ignored);
            FUZZ_CHECK(WKeyAssignServer::takesKey(scheme, event) == expected);
        }

        const bool taken = textView.keyDown(event);
        if (!taken)
            view.widget.type(event);
        const bool expected = model.press(scheme, view.marked, autoIndent, event);
        if (!expected)
            model.widget.type(event);

        const Prefix engineMode = pending(scheme, textView.keyAssignServer().prevCharacter(),
                                          textView.keyAssignServer().prevModifierFlags());
        const Prefix modelMode = pending(scheme, model.previous, model.previousFlags);
        if (taken != expected || view.sent != model.sent || view.widget.text != model.widget.text ||
            view.widget.selection != model.widget.selection || saves != model.saves || engineMode != modelMode ||
            textView.keyAssignServer().prevModifierFlags() != model.previousFlags) {
            std::fprintf(stderr,
                         "step %zu, scheme %d, key %s flags %x marked %d: taken %d (model %d), text \"%s\" "
                         "(model \"%s\"), selection %u+%u (model %u+%u), saves %d (model %d), prefix %d (model %d)\n",
                         step, scheme, utf8ish(event.charactersIgnoringModifiers).c_str(), flags, view.marked, taken,
                         expected, utf8ish(view.widget.text).c_str(), utf8ish(model.widget.text).c_str(),
                         view.widget.selection.location, view.widget.selection.length,
                         model.widget.selection.location, model.widget.selection.length, saves, model.saves,
                         int(engineMode), int(modelMode));
            for (const auto* list : {&view.sent, &model.sent}) {
                for (const std::string& action : *list)
                    std::fprintf(stderr, " %s", action.c_str());
                std::fprintf(stderr, "\n");
            }
            FUZZ_CHECK(!"the key engine acts as its tables say");
        }
    }
    return 0;
}
