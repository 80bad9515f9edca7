#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "WMemoryTextView.h"
#include "editor/WTextView.h"
#include "platform/WLog.h"

namespace {

constexpr uint32_t kCtrl = WKeyEvent::ControlKeyMask;
constexpr uint32_t kShift = WKeyEvent::ShiftKeyMask;
constexpr uint32_t kAlt = WKeyEvent::AlternateKeyMask;
const std::u16string kEsc(1, char16_t(0x1B));
using Actions = std::vector<std::string>;

class KeyBindings : public ::testing::Test {
protected:
    void SetUp() override
    {
        oldSink = WLog::setSink([this](std::string_view line) { logLines.emplace_back(line); });
        WTextView::Hooks hooks;
        hooks.keyBindType = [this] { return scheme; };
        hooks.isAutoIndented = [this] { return autoIndent; };
        hooks.saveDocument = [this] { ++saves; };
        textView = std::make_unique<WTextView>(view, hooks);
    }
    void TearDown() override { WLog::setSink(oldSink); }

    bool press(std::u16string characters, uint32_t flags = 0) { return textView->keyDown({std::move(characters), flags}); }
    bool ctrl(char16_t letter, uint32_t more = 0) { return press(std::u16string(1, letter), kCtrl | more); }
    Actions sent() { return std::exchange(view.actions, {}); }

    // Each key of the table alone (after a harmless key, so no prefix is pending).
    void expectTable(const std::vector<std::pair<char16_t, Actions>>& table, uint32_t more = 0)
    {
        for (const auto& [key, actions] : table) {
            press(u"z");
            EXPECT_TRUE(ctrl(key, more)) << char(key);
            EXPECT_EQ(sent(), actions) << char(key);
        }
    }

    int32_t scheme = WWexelOriginal;
    bool autoIndent = false;
    int saves = 0;
    WMemoryTextView view{u"line one\rline two\rline three", {12, 2}};
    std::unique_ptr<WTextView> textView;
    std::vector<std::string> logLines;
    WLog::Sink oldSink;
};

TEST_F(KeyBindings, WexelOriginalTables)
{
    expectTable({{u'a', {"moveToBeginningOfParagraph:"}}, {u's', {"moveBackward:"}}, {u'd', {"moveForward:"}},
                 {u'f', {"moveToEndOfParagraph:"}}, {u'e', {"moveUp:"}}, {u'x', {"moveDown:"}}, {u'r', {"pageUp:"}},
                 {u'c', {"pageDown:"}}, {u'h', {"deleteBackward:"}}, {u'g', {"deleteForward:"}},
                 {u'y', {"deleteToEndOfParagraph:", "deleteToBeginningOfParagraph:"}}, {u'i', {"insertTab:"}},
                 {u'm', {"insertNewline:"}}, {u'u', {"uppercaseWord:"}}, {u'l', {"lowercaseWord:"}}});
    for (char16_t key : {u'b', u'j', u'k', u'n', u'o', u't', u'v', u'w'})
        EXPECT_FALSE(ctrl(key)) << char(key);
    EXPECT_FALSE(press(u"s", kCtrl | kAlt));  // Control-Option is not Control-only
    EXPECT_FALSE(press(u"s"));
    EXPECT_FALSE(ctrl(u'r', kShift));         // no shifted form
    EXPECT_TRUE(sent().empty());

    // Control-Shift extends the selection with the view's own commands.
    EXPECT_TRUE(ctrl(u'd', kShift));
    EXPECT_TRUE(ctrl(u's', kShift));
    EXPECT_EQ(view.selectedRange(), (WRange{11, 4}));
    EXPECT_TRUE(ctrl(u'a', kShift));
    EXPECT_TRUE(ctrl(u'f', kShift));
    EXPECT_EQ(view.selectedRange(), (WRange{9, 9}));
    EXPECT_TRUE(sent().empty());

    // Control-P logs and changes nothing.
    EXPECT_TRUE(ctrl(u'p'));
    EXPECT_EQ(logLines.front(), "do sample");
    EXPECT_EQ(view.insertCount, 0);
}

TEST_F(KeyBindings, ControlQPrefixLastsExactlyOneKey)
{
    EXPECT_TRUE(ctrl(u'q') && ctrl(u'r'));
    EXPECT_TRUE(ctrl(u'q') && ctrl(u'c'));
    EXPECT_EQ(sent(), (Actions{"moveToBeginningOfDocument:", "moveToEndOfDocument:"}));

    EXPECT_TRUE(ctrl(u'q') && ctrl(u'z'));  // swallowed
    EXPECT_TRUE(ctrl(u'r'));                // prefix spent: plain Control-R
    EXPECT_TRUE(ctrl(u'q'));
    EXPECT_FALSE(press(u"r"));              // typed, and ends the prefix
    EXPECT_TRUE(ctrl(u'r'));
    EXPECT_EQ(sent(), (Actions{"pageUp:", "pageUp:"}));

    EXPECT_TRUE(ctrl(u'q') && ctrl(u'q') && ctrl(u'r'));  // a second prefix key keeps it
    EXPECT_FALSE(ctrl(u'q', kShift));                     // passed on, yet opens the prefix
    EXPECT_TRUE(ctrl(u'c'));
    EXPECT_FALSE(ctrl(u'q', kAlt));                       // not Control-only: no prefix
    EXPECT_TRUE(ctrl(u'r'));
    EXPECT_EQ(sent(), (Actions{"moveToBeginningOfDocument:", "moveToEndOfDocument:", "pageUp:"}));

    view.setSelectedRange({12, 0});
    EXPECT_TRUE(ctrl(u'q') && ctrl(u'a', kShift));  // Shift ignores the prefix
    EXPECT_EQ(view.selectedRange(), (WRange{9, 3}));
}

TEST_F(KeyBindings, EmacsControlTableAndControlXPrefix)
{
    scheme = WEmacsLike;
    expectTable({{u'p', {"moveUp:"}}, {u'n', {"moveDown:"}}, {u'b', {"moveBackward:"}}, {u'f', {"moveForward:"}},
                 {u'a', {"moveToBeginningOfLine:"}}, {u'e', {"moveToEndOfLine:"}},
                 {u'r', {"moveToBeginningOfDocument:"}}, {u'c', {"moveToEndOfDocument:"}}, {u'v', {"pageDown:"}},
                 {u'h', {"deleteBackward:"}}, {u'd', {"deleteForward:"}}, {u'k', {"deleteToBeginningOfLine:"}},
                 {u'i', {"insertTab:"}}, {u'm', {"insertNewline:"}}, {u'w', {"cut:"}}, {u'y', {"paste:"}}});
    EXPECT_FALSE(ctrl(u'g'));
    EXPECT_FALSE(ctrl(u'f', kShift));
    EXPECT_FALSE(ctrl(u'f', kAlt));

    EXPECT_TRUE(ctrl(u'x') && ctrl(u's'));
    EXPECT_EQ(saves, 1);
    EXPECT_TRUE(ctrl(u'x') && ctrl(u'f'));  // swallowed
    EXPECT_FALSE(ctrl(u's'));               // prefix spent; Control-S alone is unbound
    EXPECT_FALSE(ctrl(u'x', kShift));       // passed on, yet opens the prefix
    EXPECT_TRUE(ctrl(u's'));
    EXPECT_EQ(saves, 2);
    EXPECT_TRUE(sent().empty());
}

TEST_F(KeyBindings, EmacsEscapePrefix)
{
    scheme = WEmacsLike;
    const std::vector<std::pair<std::u16string, std::string>> table = {
        {u"d", "deleteWordBackward:"}, {u"w", "copy:"}, {u"v", "pageUp:"}, {u"u", "uppercaseWord:"},
        {u"l", "lowercaseWord:"}};
    for (const auto& [key, action] : table) {
        EXPECT_TRUE(press(kEsc) && press(key));
        EXPECT_EQ(sent(), Actions{action});
    }
    // Any modifiers on the second key; Escape again keeps the prefix.
    EXPECT_TRUE(press(kEsc) && press(u"V", kShift | kAlt | kCtrl));
    EXPECT_TRUE(press(kEsc) && press(kEsc, kCtrl) && press(u"v"));
    EXPECT_TRUE(press(kEsc) && ctrl(u'k'));
    EXPECT_TRUE(ctrl(u'k'));
    EXPECT_EQ(sent(), (Actions{"pageUp:", "pageUp:", "deleteToEndOfLine:", "deleteToBeginningOfLine:"}));

    // Unlisted keys after Escape pass on; the main table is not consulted.
    EXPECT_TRUE(press(kEsc));
    EXPECT_FALSE(press(u"z"));
    EXPECT_TRUE(press(kEsc));
    EXPECT_FALSE(ctrl(u'p'));
    EXPECT_TRUE(press(kEsc));
    EXPECT_FALSE(ctrl(u'k', kAlt));
    EXPECT_TRUE(sent().empty());
}

TEST_F(KeyBindings, ViControlKeysIgnoreShift)
{
    scheme = WViLike;
    const std::vector<std::pair<char16_t, Actions>> table = {{u'k', {"moveUp:"}}, {u'j', {"moveDown:"}},
                                                             {u'h', {"moveBackward:"}}, {u'l', {"moveForward:"}},
                                                             {u'x', {"deleteBackward:"}}};
    expectTable(table);
    expectTable(table, kShift);
    EXPECT_FALSE(ctrl(u'q'));
    EXPECT_FALSE(ctrl(u'j', kAlt));
    EXPECT_FALSE(press(kEsc));
    EXPECT_TRUE(sent().empty());
}

TEST_F(KeyBindings, BypassesAndReturn)
{
    // The system scheme and marked text keep keys from the engine; a pending prefix survives.
    scheme = WSystemDefault;
    autoIndent = true;
    EXPECT_FALSE(ctrl(u'd') || press(u"\r"));
    EXPECT_TRUE(textView->keyAssignServer().prevCharacter().empty());
    scheme = WEmacsLike;
    EXPECT_TRUE(ctrl(u'x'));
    view.markedText = true;
    EXPECT_FALSE(ctrl(u'd') || press(u"\r"));
    view.markedText = false;
    EXPECT_TRUE(ctrl(u's'));
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(view.insertCount, 0);

    // Return auto-indents under every scheme that reaches the engine, whatever the modifiers.
    for (int32_t each : std::initializer_list<int32_t>{WWexelOriginal, WEmacsLike, WViLike, 0, 7}) {
        scheme = each;
        view.setString(u"\t  word");
        view.setSelectedRange({7, 0});
        EXPECT_TRUE(press(u"\r", kShift | kCtrl)) << each;
        EXPECT_EQ(view.string(), u"\t  word\r\t  ") << each;
    }
    autoIndent = false;
    scheme = WWexelOriginal;
    EXPECT_FALSE(press(u"\r"));
}

TEST_F(KeyBindings, OutOfRangeSchemeLogsBindsNothingAndStillRecords)
{
    scheme = 0;
    EXPECT_FALSE(ctrl(u'q'));
    EXPECT_EQ(logLines, std::vector<std::string>{"WKeyAssignServer - doneAssignedFunction: / an error has occured."});
    EXPECT_EQ(textView->keyAssignServer().prevCharacter(), u"Q");
    EXPECT_EQ(textView->keyAssignServer().prevModifierFlags(), kCtrl);
    scheme = WWexelOriginal;  // the recorded key still counts as the prefix
    EXPECT_TRUE(ctrl(u'r'));
    EXPECT_EQ(sent(), Actions{"moveToBeginningOfDocument:"});
}

}  // namespace

TEST(KeySchemeQuery, TakesKeyAnswersWhatTheTablesDoWithoutActing)
{
    auto takes = [](int32_t scheme, std::u16string key, uint32_t flags) {
        return WKeyAssignServer::takesKey(scheme, WKeyEvent{std::move(key), flags});
    };
    // The program's own scheme: Ctrl+G deletes, Ctrl+Q is a prefix, Ctrl+Shift only for A S D F.
    EXPECT_TRUE(takes(WWexelOriginal, u"g", kCtrl));
    EXPECT_TRUE(takes(WWexelOriginal, u"q", kCtrl));
    EXPECT_TRUE(takes(WWexelOriginal, u"s", kCtrl | kShift));
    EXPECT_FALSE(takes(WWexelOriginal, u"g", kCtrl | kShift));
    EXPECT_FALSE(takes(WWexelOriginal, u"s", kCtrl | kAlt));
    EXPECT_FALSE(takes(WWexelOriginal, u"z", kCtrl));
    // Emacs-like: no Shift forms; Escape whatever the modifiers; Ctrl+X is a prefix.
    EXPECT_TRUE(takes(WEmacsLike, u"x", kCtrl));
    EXPECT_FALSE(takes(WEmacsLike, u"g", kCtrl));
    EXPECT_FALSE(takes(WEmacsLike, u"k", kCtrl | kShift));
    EXPECT_TRUE(takes(WEmacsLike, kEsc, kShift));
    // vi-like ignores Shift.
    EXPECT_TRUE(takes(WViLike, u"k", kCtrl | kShift));
    EXPECT_FALSE(takes(WViLike, u"s", kCtrl));
    // Return may indent under every built-in scheme, never under the system's keys.
    for (int32_t scheme : {WWexelOriginal, WEmacsLike, WViLike})
        EXPECT_TRUE(takes(scheme, u"\r", kCtrl | kShift)) << scheme;
    for (int32_t scheme : {int32_t(WSystemDefault), 0, 5}) {
        EXPECT_FALSE(takes(scheme, u"\r", 0)) << scheme;
        EXPECT_FALSE(takes(scheme, u"g", kCtrl)) << scheme;
    }
}
