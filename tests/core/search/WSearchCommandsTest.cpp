#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "editor/WTextViewPlatform.h"
#include "platform/WPlainPlatform.h"
#include "search/WSearchCommands.h"
#include "search/WSearchDocument.h"
#include "search/WSearchServer.h"

namespace {

// A text view that keeps its text and selection in memory, with an undo
// stack: every insertion and every whole-text replacement is one step.
class MemoryTextView : public WTextViewPlatform {
public:
    const std::u16string& string() const override { return text; }
    WRange selectedRange() const override { return selection; }
    void setSelectedRange(WRange range) override { selection = range; }
    void insertText(std::u16string_view inserted) override
    {
        undoStack.emplace_back(text, selection);
        text.replace(selection.location, selection.length, inserted);
        selection = {selection.location + uint32_t(inserted.size()), 0};
    }
    void setString(std::u16string_view whole) override
    {
        undoStack.emplace_back(text, selection);
        text = whole;
        selection = {0, 0};
    }
    void scrollRangeToVisible(WRange range) override { scrolledTo.push_back(range); }
    bool hasMarkedText() const override { return false; }
    void performStandardAction(std::string_view) override {}

    void set(std::u16string_view newText, WRange newSelection)
    {
        text = newText;
        selection = newSelection;
    }

    std::u16string text;
    WRange selection;
    std::vector<std::pair<std::u16string, WRange>> undoStack;
    std::vector<WRange> scrolledTo;
};

class MemoryDocument : public WSearchDocument {
public:
    WTextViewPlatform& searchTextView() override { return view; }
    void validateColorSyntax() override { ++recolourings; }
    void updateChangeCount() override { ++changeCount; }
    void showReplacedAllDialog(uint32_t count) override { dialogs.push_back(count); }

    MemoryTextView view;
    int recolourings = 0;
    int changeCount = 0;
    std::vector<uint32_t> dialogs;
};

class SearchCommands : public ::testing::Test {
protected:
    void SetUp() override { WPlatform::setShared(&platform); }
    void TearDown() override { WPlatform::setShared(nullptr); }

    WSearchCommands commands() { return WSearchCommands(document, server); }

    WPlainPlatform platform;
    MemoryDocument document;
    WSearchServer server;
};

}  // namespace

TEST_F(SearchCommands, ForwardAndBackwardFindNeverWrapAround)
{
    server.setSearchString(u"ab");
    document.view.set(u"ab-ab", {5, 0});
    EXPECT_FALSE(commands().doSearch(WSearchForward));
    EXPECT_EQ(platform.beepCount, 1);
    EXPECT_EQ(document.view.selection, (WRange{5, 0}));
    EXPECT_TRUE(document.view.scrolledTo.empty());

    // Backward with an occurrence selected finds the one before it.
    document.view.set(u"ab-ab", {3, 2});
    EXPECT_TRUE(commands().doSearch(WSearchBackward));
    EXPECT_EQ(document.view.selection, (WRange{0, 2}));
    EXPECT_EQ(document.view.scrolledTo.back(), (WRange{0, 2}));
    EXPECT_FALSE(commands().doSearch(WSearchBackward));
    EXPECT_EQ(platform.beepCount, 2);

    // Forward starts at the selection's end, so overlapping occurrences are skipped.
    server.setSearchString(u"aa");
    document.view.set(u"aaa", {0, 2});
    EXPECT_FALSE(commands().doSearch(WSearchForward));
    document.view.set(u"aaaa", {0, 2});
    EXPECT_TRUE(commands().doSearch(WSearchForward));
    EXPECT_EQ(document.view.selection, (WRange{2, 2}));
}

TEST_F(SearchCommands, IgnoreCaseIsOnAtFirstAndTakesEffectAtOnce)
{
    EXPECT_TRUE(server.ignoreCase());
    document.view.set(u"xABC", {0, 0});
    server.setSearchString(u"abc");
    EXPECT_TRUE(commands().doSearch(WSearchForward));
    document.view.set(u"xABC", {0, 0});
    server.ignoreCaseButtonPressed();
    EXPECT_FALSE(commands().doSearch(WSearchForward));
    // A new search string replaces the one prepared for the last search.
    server.setSearchString(u"BC");
    EXPECT_TRUE(commands().doSearch(WSearchForward));
    EXPECT_EQ(document.view.selection, (WRange{2, 2}));
}

TEST_F(SearchCommands, ReplaceAllIsOneUndoableEdit)
{
    server.setSearchString(u"a");
    server.setReplaceString(u"aa");
    document.view.set(u"aaa", {1, 1});
    EXPECT_EQ(commands().doReplaceAll(), 3u);
    EXPECT_EQ(document.view.text, u"aaaaaa");
    EXPECT_EQ(document.view.selection, (WRange{0, 0}));
    EXPECT_EQ(document.recolourings, 1);
    EXPECT_EQ(document.changeCount, 1);
    EXPECT_EQ(document.dialogs, std::vector<uint32_t>{3});
    EXPECT_EQ(WSearchCommands::replacedAllMessage(3), u"Replaced 3 words");

    ASSERT_EQ(document.view.undoStack.size(), 1u);
    EXPECT_EQ(document.view.undoStack[0].first, u"aaa");
}

TEST_F(SearchCommands, ReplaceAllWithoutAChangeLeavesTheDocumentClean)
{
    // Empty search string, no occurrence, and a replacement equal to what it
    // replaces: count as it is, caret at the start, sheet shown, no edit.
    document.view.set(u"abc", {2, 1});
    EXPECT_EQ(commands().doReplaceAll(), 0u);
    server.setSearchString(u"x");
    EXPECT_EQ(commands().doReplaceAll(), 0u);
    server.setSearchString(u"b");
    server.setReplaceString(u"b");
    server.setIgnoreCase(false);
    EXPECT_EQ(commands().doReplaceAll(), 1u);

    EXPECT_EQ(document.view.text, u"abc");
    EXPECT_EQ(document.view.selection, (WRange{0, 0}));
    EXPECT_EQ(document.view.undoStack.size(), 0u);
    EXPECT_EQ(document.changeCount, 0);
    EXPECT_EQ(document.recolourings, 3);
    EXPECT_EQ(document.dialogs, (std::vector<uint32_t>{0, 0, 1}));
    EXPECT_EQ(WSearchCommands::replacedAllMessage(0), u"Replaced 0 words");
}

TEST_F(SearchCommands, ReplaceAndReplaceAndFindAgain)
{
    server.setSearchString(u"cat");
    server.setReplaceString(u"dog");
    // Nothing selected: replace does nothing, replace-and-find only finds.
    document.view.set(u"cat cat", {0, 0});
    commands().replace();
    EXPECT_EQ(document.view.undoStack.size(), 0u);
    commands().replaceAndFindAgain();
    EXPECT_EQ(document.view.text, u"cat cat");
    EXPECT_EQ(document.view.selection, (WRange{0, 3}));

    // Whatever is selected is replaced, matching or not, and the new text selected.
    document.view.set(u"cat cat", {1, 1});
    commands().replace();
    EXPECT_EQ(document.view.text, u"cdogt cat");
    EXPECT_EQ(document.view.selection, (WRange{1, 3}));

    document.view.set(u"cat cat", {0, 3});
    commands().replaceAndFindAgain();
    EXPECT_EQ(document.view.text, u"dog cat");
    EXPECT_EQ(document.view.selection, (WRange{4, 3}));
    commands().replaceAndFindAgain();
    EXPECT_EQ(document.view.text, u"dog dog");
    EXPECT_EQ(document.view.selection, (WRange{7, 0}));
    EXPECT_EQ(platform.beepCount, 1);
}

TEST_F(SearchCommands, SelectionBecomesTheSearchString)
{
    document.view.set(u"find ば here", {5, 1});
    commands().setSelectionToSearch();
    EXPECT_EQ(server.searchString(), u"ば");
    document.view.set(u"は\u3099", {2, 0});
    EXPECT_TRUE(commands().doSearch(WSearchBackward));
    EXPECT_EQ(document.view.selection, (WRange{0, 2}));
}

TEST_F(SearchCommands, PanelButtonsStoreTheFieldsAndActOnTheCaller)
{
    document.view.set(u"one two one", {0, 0});
    server.searchButtonPressed(u"one", u"1");
    EXPECT_EQ(document.view.selection, (WRange{0, 0}));  // no document has shown the panel

    server.showSearchWindow(&document);
    server.searchButtonPressed(u"two", u"2");
    EXPECT_EQ(document.view.selection, (WRange{4, 3}));
    server.replaceAllButtonPressed(u"one", u"1");
    EXPECT_EQ(document.view.text, u"1 two 1");
    EXPECT_EQ(document.dialogs, std::vector<uint32_t>{2});

    // A closed document is forgotten; the fields are still stored.
    server.forgetSearchCaller(&document);
    server.replaceAllButtonPressed(u"two", u"2");
    EXPECT_EQ(document.view.text, u"1 two 1");
    EXPECT_EQ(server.searchString(), u"two");
    EXPECT_EQ(server.replaceString(), u"2");
}

TEST_F(SearchCommands, StaleSelectionPastTheEndIsCut)
{
    server.setSearchString(u"a");
    EXPECT_EQ(server.searchStringInText(u"aba", {7, 3}, WSearchForward), (WRange{WNotFound, 0}));
    EXPECT_EQ(server.searchStringInText(u"aba", {7, 3}, WSearchBackward), (WRange{2, 1}));
    EXPECT_EQ(server.searchStringInText(u"aba", {1, 9}, WSearchBackward), (WRange{0, 1}));
}

TEST_F(SearchCommands, ScriptingCommandsCheckTheirArgumentsAndLeaveThePanelAlone)
{
    server.setSearchString(u"panel");
    document.view.set(u"abcABC", {1, 2});
    auto search = [&](WSearchScriptArguments a) { return WSearchCommands::handleSearchCommand(document.view, a); };
    EXPECT_EQ(search({u"abc", {}, {}, {}}).value, 0);
    EXPECT_EQ(search({u"abc", {}, {}, 1}).value, 3);
    EXPECT_EQ(search({u"abc", {}, false, 1}).value, -1);
    EXPECT_EQ(search({u"abc", {}, {}, 6}).value, -1);
    EXPECT_EQ(search({u"abc", {}, {}, 7}).error, "MyDocument - illegal 'fromOffset'");
    EXPECT_EQ(search({u"abc", {}, {}, -1}).error, "MyDocument - illegal 'fromOffset'");
    EXPECT_EQ(search({u"", {}, {}, {}}).error, "MyDocument - handleSearchCommand:");
    EXPECT_EQ(search({{}, {}, {}, {}}).error, "MyDocument - handleSearchCommand:");
    EXPECT_EQ(document.view.selection, (WRange{1, 2}));

    auto replaceAll = [&](WSearchScriptArguments a) { return WSearchCommands::handleReplaceAllCommand(document.view, a); };
    EXPECT_EQ(replaceAll({u"abc", {}, {}, {}}).error, "MyDocument - handleReplaceAllCommand:");
    EXPECT_EQ(replaceAll({u"", u"x", {}, {}}).error, "MyDocument - handleReplaceAllCommand:");
    EXPECT_EQ(document.view.undoStack.size(), 0u);
    EXPECT_EQ(replaceAll({u"abc", u"x", false, {}}).value, 1);
    EXPECT_EQ(document.view.text, u"xABC");
    EXPECT_EQ(replaceAll({u"abc", u"x", {}, {}}).value, 1);
    EXPECT_EQ(document.view.text, u"xx");
    EXPECT_EQ(server.searchString(), u"panel");
    EXPECT_EQ(document.recolourings + document.changeCount + platform.beepCount, 0);
}
