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
constexpr uint32_t kCmd = WKeyEvent::CommandKeyMask;
const std::u16string kEsc(1, char16_t(0x1B));

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

    // One key press; true when the engine took it.
    bool press(std::u16string characters, uint32_t flags = 0)
    {
        return textView->keyDown({std::move(characters), flags});
    }
    bool ctrl(char16_t letter, uint32_t more = 0) { return press(std::u16string(1, letter), kCtrl | more); }

    std::vector<std::string> takeActions() { return std::exchange(view.actions, {}); }

    int32_t scheme = WWexelOriginal;
    bool autoIndent = false;
    int saves = 0;
    WMemoryTextView view{u"line one\rline two\rline three", {9, 0}};
    std::unique_ptr<WTextView> textView;
    std::vector<std::string> logLines;
    WLog::Sink oldSink;
};

using Expectations = std::vector<std::pair<char16_t, std::vector<std::string>>>;

TEST_F(KeyBindings, WexelOriginalPlainTableSendsEachKeysActions)
{
    const Expectations table = {
        {u'a', {"moveToBeginningOfParagraph:"}}, {u's', {"moveBackward:"}},
        {u'd', {"moveForward:"}},                {u'f', {"moveToEndOfParagraph:"}},
        {u'e', {"moveUp:"}},                     {u'x', {"moveDown:"}},
        {u'r', {"pageUp:"}},                     {u'c', {"pageDown:"}},
        {u'h', {"deleteBackward:"}},             {u'g', {"deleteForward:"}},
        {u'y', {"deleteToEndOfParagraph:", "deleteToBeginningOfParagraph:"}},
        {u'i', {"insertTab:"}},                  {u'm', {"insertNewline:"}},
        {u'u', {"uppercaseWord:"}},              {u'l', {"lowercaseWord:"}},
    };
    for (const auto& [key, actions] : table) {
        EXPECT_TRUE(ctrl(key)) << char(key);
        EXPECT_EQ(takeActions(), actions) << char(key);
    }
    // Upper-case characters map the same way; unlisted Control keys pass on.
    EXPECT_TRUE(press(u"A", kCtrl));
    EXPECT_EQ(takeActions(), std::vector<std::string>{"moveToBeginningOfParagraph:"});
    for (char16_t key : {u'b', u'j', u'k', u'n', u'o', u't', u'v', u'w', u'z'})
        EXPECT_FALSE(ctrl(key)) << char(key);
    EXPECT_TRUE(takeActions().empty());

    // Control-P is the diagnostic command: it logs and changes nothing.
    const auto before = view.string();
    EXPECT_TRUE(ctrl(u'p'));
    EXPECT_EQ(view.string(), before);
    ASSERT_GE(logLines.size(), 2u);
    EXPECT_EQ(logLines.front(), "do sample");
    EXPECT_EQ(logLines.back(), "offset = -1");
}

TEST_F(KeyBindings, WexelOriginalModifiersOtherThanControlAloneAreNotTaken)
{
    EXPECT_FALSE(press(u"s", kCtrl | kAlt));   // Control-Option-S
    EXPECT_FALSE(press(u"s"));                 // plain letter
    EXPECT_FALSE(press(u"s", kAlt));
    EXPECT_TRUE(press(u"s", kCtrl | kCmd));    // Command is never looked at
    EXPECT_EQ(takeActions(), std::vector<std::string>{"moveBackward:"});
    EXPECT_FALSE(ctrl(u'r', kShift));          // Control-Shift-R: no shifted form
    EXPECT_FALSE(ctrl(u'e', kShift));
    EXPECT_TRUE(takeActions().empty());
}

TEST_F(KeyBindings, WexelOriginalShiftedKeysExtendTheSelection)
{
    view.setSelectedRange({12, 2});  // "ne" of "line two"
    EXPECT_TRUE(ctrl(u'd', kShift));
    EXPECT_EQ(view.selectedRange(), (WRange{12, 3}));
    EXPECT_TRUE(ctrl(u's', kShift));
    EXPECT_EQ(view.selectedRange(), (WRange{11, 4}));
    EXPECT_TRUE(ctrl(u'a', kShift));
    EXPECT_EQ(view.selectedRange(), (WRange{9, 6}));
    EXPECT_TRUE(ctrl(u'f', kShift));
    EXPECT_EQ(view.selectedRange(), (WRange{9, 9}));  // through the line's CR
    EXPECT_TRUE(takeActions().empty());               // own commands, not the widget's
}

TEST_F(KeyBindings, ControlQPrefixLastsExactlyOneKey)
{
    EXPECT_TRUE(ctrl(u'q'));
    EXPECT_TRUE(ctrl(u'r'));
    EXPECT_EQ(takeActions(), std::vector<std::string>{"moveToBeginningOfDocument:"});

    EXPECT_TRUE(ctrl(u'q'));
    EXPECT_TRUE(ctrl(u'c'));
    EXPECT_EQ(takeActions(), std::vector<std::string>{"moveToEndOfDocument:"});

    // Any other Control key after the prefix is swallowed, and the prefix is spent.
    EXPECT_TRUE(ctrl(u'q'));
    EXPECT_TRUE(ctrl(u'z'));
    EXPECT_TRUE(takeActions().empty());
    EXPECT_TRUE(ctrl(u'r'));
    EXPECT_EQ(takeActions(), std::vector<std::string>{"pageUp:"});

    // A plain r after the prefix is typed and ends the prefix.
    EXPECT_TRUE(ctrl(u'q'));
    EXPECT_FALSE(press(u"r"));
    EXPECT_TRUE(ctrl(u'r'));
    EXPECT_EQ(takeActions(), std::vector<std::string>{"pageUp:"});

    // A second prefix key keeps it pending.
    EXPECT_TRUE(ctrl(u'q'));
    EXPECT_TRUE(ctrl(u'q'));
    EXPECT_TRUE(ctrl(u'r'));
    EXPECT_EQ(takeActions(), std::vector<std::string>{"moveToBeginningOfDocument:"});

    // With Shift the prefix plays no part: Control-Shift-A extends to the line start.
    view.setSelectedRange({12, 0});
    EXPECT_TRUE(ctrl(u'q'));
    EXPECT_TRUE(ctrl(u'a', kShift));
    EXPECT_EQ(view.selectedRange(), (WRange{9, 3}));

    // Control-Shift-Q passes on but still leaves the prefix pending.
    EXPECT_FALSE(ctrl(u'q', kShift));
    EXPECT_TRUE(ctrl(u'c'));
    EXPECT_EQ(takeActions(), std::vector<std::string>{"moveToEndOfDocument:"});

    // Control-Option-Q does not open it.
    EXPECT_FALSE(ctrl(u'q', kAlt));
    EXPECT_TRUE(ctrl(u'r'));
    EXPECT_EQ(takeActions(), std::vector<std::string>{"pageUp:"});
}

TEST_F(KeyBindings, EmacsControlTableAndControlXPrefix)
{
    scheme = WEmacsLike;
    const Expectations table = {
        {u'p', {"moveUp:"}},          {u'n', {"moveDown:"}},
        {u'b', {"moveBackward:"}},    {u'f', {"moveForward:"}},
        {u'a', {"moveToBeginningOfLine:"}}, {u'e', {"moveToEndOfLine:"}},
        {u'r', {"moveToBeginningOfDocument:"}}, {u'c', {"moveToEndOfDocument:"}},
        {u'v', {"pageDown:"}},        {u'h', {"deleteBackward:"}},
        {u'd', {"deleteForward:"}},   {u'k', {"deleteToBeginningOfLine:"}},
        {u'i', {"insertTab:"}},       {u'm', {"insertNewline:"}},
        {u'w', {"cut:"}},             {u'y', {"paste:"}},
    };
    for (const auto& [key, actions] : table) {
        EXPECT_TRUE(ctrl(key)) << char(key);
        EXPECT_EQ(takeActions(), actions) << char(key);
    }
    EXPECT_FALSE(ctrl(u'g'));
    EXPECT_FALSE(ctrl(u'f', kShift));  // Control-Shift-F passes on
    EXPECT_FALSE(ctrl(u'f', kAlt));
    EXPECT_TRUE(takeActions().empty());

    EXPECT_TRUE(ctrl(u'x'));
    EXPECT_TRUE(ctrl(u's'));
    EXPECT_EQ(saves, 1);
    EXPECT_TRUE(ctrl(u'x'));
    EXPECT_TRUE(ctrl(u'f'));  // swallowed
    EXPECT_TRUE(takeActions().empty());
    EXPECT_FALSE(ctrl(u's'));  // prefix spent: Control-S alone is not bound
    EXPECT_EQ(saves, 1);

    // Control-Shift-X passes on and leaves the prefix pending.
    EXPECT_FALSE(ctrl(u'x', kShift));
    EXPECT_TRUE(ctrl(u's'));
    EXPECT_EQ(saves, 2);
}

TEST_F(KeyBindings, EmacsEscapePrefix)
{
    scheme = WEmacsLike;
    const Expectations table = {
        {u'd', {"deleteWordBackward:"}}, {u'w', {"copy:"}}, {u'v', {"pageUp:"}},
        {u'u', {"uppercaseWord:"}},      {u'l', {"lowercaseWord:"}},
    };
    for (const auto& [key, actions] : table) {
        EXPECT_TRUE(press(kEsc));
        EXPECT_TRUE(press(std::u16string(1, key))) << char(key);
        EXPECT_EQ(takeActions(), actions) << char(key);
    }
    // Any modifiers on the second key, and a repeated Escape keeps the prefix.
    EXPECT_TRUE(press(kEsc));
    EXPECT_TRUE(press(u"V", kShift | kAlt));
    EXPECT_TRUE(press(kEsc, kCtrl));
    EXPECT_TRUE(press(kEsc));
    EXPECT_TRUE(press(u"v"));
    EXPECT_EQ(takeActions(), (std::vector<std::string>{"pageUp:", "pageUp:"}));

    // Escape then Control-K deletes to the line end; Control-K alone to its start.
    EXPECT_TRUE(press(kEsc));
    EXPECT_TRUE(ctrl(u'k'));
    EXPECT_TRUE(ctrl(u'k'));
    EXPECT_EQ(takeActions(), (std::vector<std::string>{"deleteToEndOfLine:", "deleteToBeginningOfLine:"}));

    // Unlisted keys after Escape pass on, Control ones too: the main table is not consulted.
    EXPECT_TRUE(press(kEsc));
    EXPECT_FALSE(press(u"z"));
    EXPECT_TRUE(press(kEsc));
    EXPECT_FALSE(ctrl(u'p'));
    EXPECT_TRUE(press(kEsc));
    EXPECT_FALSE(ctrl(u'k', kAlt));
    EXPECT_TRUE(takeActions().empty());
    EXPECT_TRUE(ctrl(u'p'));  // prefix gone
    EXPECT_EQ(takeActions(), std::vector<std::string>{"moveUp:"});
}

TEST_F(KeyBindings, ViControlKeysIgnoreShift)
{
    scheme = WViLike;
    const Expectations table = {
        {u'k', {"moveUp:"}}, {u'j', {"moveDown:"}}, {u'h', {"moveBackward:"}},
        {u'l', {"moveForward:"}}, {u'x', {"deleteBackward:"}},
    };
    for (const auto& [key, actions] : table) {
        EXPECT_TRUE(ctrl(key)) << char(key);
        EXPECT_EQ(takeActions(), actions);
        EXPECT_TRUE(ctrl(key, kShift)) << char(key);
        EXPECT_EQ(takeActions(), actions);
    }
    EXPECT_FALSE(ctrl(u'q'));
    EXPECT_FALSE(ctrl(u'j', kAlt));
    EXPECT_FALSE(press(kEsc));
    EXPECT_FALSE(press(u"j"));
    EXPECT_TRUE(takeActions().empty());
}

TEST_F(KeyBindings, SystemDefaultAndMarkedTextBypassTheEngine)
{
    scheme = WSystemDefault;
    autoIndent = true;
    EXPECT_FALSE(ctrl(u'd'));
    EXPECT_FALSE(press(u"\r"));
    EXPECT_EQ(view.insertCount, 0);
    EXPECT_TRUE(textView->keyAssignServer().prevCharacter().empty());

    // Marked text: the key is the input method's, and a pending prefix survives it.
    for (int32_t each : {WWexelOriginal, WEmacsLike, WViLike}) {
        scheme = each;
        EXPECT_TRUE(each == WEmacsLike ? ctrl(u'x') : (each == WWexelOriginal ? ctrl(u'q') : true));
        view.markedText = true;
        EXPECT_FALSE(ctrl(u'd'));
        EXPECT_FALSE(press(u"\r"));
        view.markedText = false;
        takeActions();
        if (each == WWexelOriginal) {
            EXPECT_TRUE(ctrl(u'r'));
            EXPECT_EQ(takeActions(), std::vector<std::string>{"moveToBeginningOfDocument:"});
        } else if (each == WEmacsLike) {
            EXPECT_TRUE(ctrl(u's'));
            EXPECT_EQ(saves, 1);
        }
    }
    EXPECT_EQ(view.insertCount, 0);
}

TEST_F(KeyBindings, ReturnAutoIndentsUnderEveryMappingScheme)
{
    autoIndent = true;
    for (int32_t each : std::initializer_list<int32_t>{WWexelOriginal, WEmacsLike, WViLike, 0, 7}) {
        scheme = each;
        WMemoryTextView local(u"\t  word", {7, 0});
        WTextView::Hooks hooks;
        hooks.keyBindType = [this] { return scheme; };
        hooks.isAutoIndented = [] { return true; };
        WTextView localView(local, hooks);
        EXPECT_TRUE(localView.keyDown({u"\r", kShift | kCtrl})) << each;
        EXPECT_EQ(local.string(), u"\t  word\r\t  ") << each;
    }
    // Without auto-indent Return goes to the widget.
    autoIndent = false;
    scheme = WWexelOriginal;
    EXPECT_FALSE(press(u"\r"));
    // Control-M is a mapped newline, not Return: it inserts a plain line end.
    autoIndent = true;
    EXPECT_TRUE(ctrl(u'm'));
    EXPECT_EQ(takeActions(), std::vector<std::string>{"insertNewline:"});
}

TEST_F(KeyBindings, OutOfRangeSchemeLogsBindsNothingAndStillRecords)
{
    scheme = 0;
    EXPECT_FALSE(ctrl(u'd'));
    EXPECT_EQ(logLines, std::vector<std::string>{"WKeyAssignServer - doneAssignedFunction: / an error has occured."});
    EXPECT_EQ(textView->keyAssignServer().prevCharacter(), u"D");
    EXPECT_EQ(textView->keyAssignServer().prevModifierFlags(), kCtrl);
    // The recorded key still opens a prefix once the scheme is valid again.
    scheme = 5;
    EXPECT_FALSE(ctrl(u'q'));
    scheme = WWexelOriginal;
    EXPECT_TRUE(ctrl(u'r'));
    EXPECT_EQ(takeActions(), std::vector<std::string>{"moveToBeginningOfDocument:"});
    EXPECT_EQ(logLines.size(), 2u);
}

TEST(KeyCharacter, UpperCasesLettersOnly)
{
    EXPECT_EQ(WKeyAssignServer::keyCharacter(u"a"), u"A");
    EXPECT_EQ(WKeyAssignServer::keyCharacter(u"z"), u"Z");
    EXPECT_EQ(WKeyAssignServer::keyCharacter(u"\u00e9"), u"\u00c9");
    EXPECT_EQ(WKeyAssignServer::keyCharacter(u"\u00f7"), u"\u00f7");
    EXPECT_EQ(WKeyAssignServer::keyCharacter(u"1["), u"1[");
}

}  // namespace
