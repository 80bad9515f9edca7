#include <gtest/gtest.h>

#include <string>

#include "canvas/WUndoStack.h"

namespace {

using Kind = WUndoStack::Kind;

// Typing one character at a caret.
void type(WUndoStack& stack, uint32_t at, std::u16string text, std::u16string removed = {})
{
    const auto length = uint32_t(removed.size());
    const auto after = at + uint32_t(text.size());
    stack.record({at, std::move(removed), std::move(text)}, {at, length}, {after, 0}, Kind::Typing);
}

void backspace(WUndoStack& stack, uint32_t caret, std::u16string removed)
{
    const uint32_t at = caret - uint32_t(removed.size());
    stack.record({at, std::move(removed), {}}, {caret, 0}, {at, 0}, Kind::Deleting);
}

void forwardDelete(WUndoStack& stack, uint32_t caret, std::u16string removed)
{
    stack.record({caret, std::move(removed), {}}, {caret, 0}, {caret, 0}, Kind::Deleting);
}

int stepCount(WUndoStack stack)
{
    int count = 0;
    while (stack.canUndo()) {
        stack.undo();
        ++count;
    }
    return count;
}

}  // namespace

TEST(UndoStack, TypingARunIsOneStep)
{
    WUndoStack stack;
    EXPECT_FALSE(stack.canUndo());
    type(stack, 5, u"a");
    type(stack, 6, u"b");
    type(stack, 7, u"c");
    EXPECT_EQ(stepCount(stack), 1);
    const WUndoStep& step = stack.undo();
    ASSERT_EQ(step.edits.size(), 1u);
    EXPECT_EQ(step.edits[0].location, 5u);
    EXPECT_EQ(step.edits[0].inserted, u"abc");
    EXPECT_EQ(step.selectionBefore, (WRange{5, 0}));
    EXPECT_EQ(step.selectionAfter, (WRange{8, 0}));
    EXPECT_TRUE(stack.canRedo());
    EXPECT_EQ(stack.redo().edits[0].inserted, u"abc");
}

TEST(UndoStack, WhatEndsATypingStep)
{
    WUndoStack stack;
    type(stack, 0, u"ab");
    type(stack, 5, u"c");  // elsewhere
    EXPECT_EQ(stepCount(stack), 2);
    type(stack, 6, u"d", u"xyz");  // replaces a selection right after: a step of its own
    type(stack, 7, u"e");          // but typing on joins that step
    EXPECT_EQ(stepCount(stack), 3);
    type(stack, 8, u"\r");  // a typed line is one step
    type(stack, 9, u"f");
    EXPECT_EQ(stepCount(stack), 4);
    stack.closeStep();  // the caret moved away and back
    type(stack, 10, u"g");
    EXPECT_EQ(stepCount(stack), 5);
    stack.record({11, {}, u"h"}, {11, 0}, {12, 0}, Kind::Other);  // a paste
    stack.record({12, {}, u"i"}, {12, 0}, {13, 0}, Kind::Other);
    EXPECT_EQ(stepCount(stack), 7);
    EXPECT_EQ(stack.undo().edits[0].inserted, u"i");
    EXPECT_EQ(stack.undo().edits[0].inserted, u"h");
    EXPECT_EQ(stack.undo().edits[0].inserted, u"g");
    EXPECT_EQ(stack.undo().edits[0].inserted, u"f");
    const WUndoEdit& replacement = stack.undo().edits[0];
    EXPECT_EQ(replacement.removed, u"xyz");
    EXPECT_EQ(replacement.inserted, u"de\r");
}

TEST(UndoStack, BackspaceAndDeleteRunsMerge)
{
    WUndoStack stack;
    backspace(stack, 10, u"d");
    backspace(stack, 9, u"c");
    backspace(stack, 8, u"b");
    forwardDelete(stack, 7, u"x");  // Delete at the same place joins too
    forwardDelete(stack, 7, u"y");
    EXPECT_EQ(stepCount(stack), 1);
    const WUndoStep& step = stack.undo();
    ASSERT_EQ(step.edits.size(), 1u);
    EXPECT_EQ(step.edits[0].location, 7u);
    EXPECT_EQ(step.edits[0].removed, u"bcdxy");
    EXPECT_EQ(step.selectionBefore, (WRange{10, 0}));
    EXPECT_EQ(step.selectionAfter, (WRange{7, 0}));

    stack.clear();
    backspace(stack, 10, u"d");
    backspace(stack, 5, u"e");  // not next to the last deletion
    type(stack, 4, u"q");       // typing after deleting is a new step
    backspace(stack, 5, u"q");  // and deleting after typing
    EXPECT_EQ(stepCount(stack), 4);
}

TEST(UndoStack, GroupsUndoAsOneStepAndNest)
{
    WUndoStack stack;
    type(stack, 0, u"a");
    stack.beginGroup({1, 0});
    type(stack, 1, u"b");  // typing inside a group does not join the typing before it
    stack.beginGroup({2, 0});
    stack.record({0, u"a", u"A"}, {0, 1}, {0, 1}, Kind::Other);
    stack.endGroup({0, 1});
    stack.record({2, {}, u"c"}, {2, 0}, {3, 0}, Kind::Other);
    stack.endGroup({3, 0});
    type(stack, 3, u"d");  // nor does typing after it
    EXPECT_EQ(stepCount(stack), 3);
    stack.undo();
    const WUndoStep& group = stack.undo();
    ASSERT_EQ(group.edits.size(), 3u);
    EXPECT_EQ(group.edits[1].inserted, u"A");
    EXPECT_EQ(group.selectionBefore, (WRange{1, 0}));
    EXPECT_EQ(group.selectionAfter, (WRange{3, 0}));

    stack.clear();
    stack.beginGroup({0, 0});
    stack.endGroup({0, 0});  // nothing recorded: no step
    EXPECT_FALSE(stack.canUndo());
}

TEST(UndoStack, ANewRecordDropsTheRedoHistory)
{
    WUndoStack stack;
    type(stack, 0, u"a");
    stack.closeStep();
    type(stack, 1, u"b");
    stack.undo();
    stack.undo();
    EXPECT_TRUE(stack.canRedo());
    type(stack, 0, u"z");
    EXPECT_FALSE(stack.canRedo());
    EXPECT_EQ(stepCount(stack), 1);
    // An empty edit changes nothing and records nothing.
    stack.record({0, {}, {}}, {}, {}, Kind::Other);
    EXPECT_EQ(stepCount(stack), 1);
}

TEST(UndoStack, SavedPointAcrossUndoRedoAndNewRecords)
{
    WUndoStack stack;
    EXPECT_TRUE(stack.isAtSavedPoint());  // a fresh text is the one on disk
    type(stack, 0, u"a");
    EXPECT_FALSE(stack.isAtSavedPoint());
    stack.undo();
    EXPECT_TRUE(stack.isAtSavedPoint());
    stack.redo();
    stack.markSaved();
    EXPECT_TRUE(stack.isAtSavedPoint());
    type(stack, 1, u"b");  // after saving, typing on is a step of its own
    EXPECT_FALSE(stack.isAtSavedPoint());
    EXPECT_EQ(stack.undo().edits[0].inserted, u"b");
    EXPECT_TRUE(stack.isAtSavedPoint());
    stack.undo();
    EXPECT_FALSE(stack.isAtSavedPoint());
    // A new record where the saved step could be redone: never saved again.
    type(stack, 0, u"x");
    EXPECT_FALSE(stack.isAtSavedPoint());
    stack.undo();
    EXPECT_FALSE(stack.isAtSavedPoint());
    EXPECT_FALSE(stack.canRedo() && (stack.redo(), stack.isAtSavedPoint()));

    // Saved half-way through a group: neither end of the group is that text.
    stack.clear();
    stack.beginGroup({});
    type(stack, 0, u"a");
    stack.markSaved();
    type(stack, 1, u"b");
    stack.endGroup({});
    EXPECT_FALSE(stack.isAtSavedPoint());
    stack.undo();
    EXPECT_FALSE(stack.isAtSavedPoint());

    // Clearing keeps the saved point only when standing on it.
    stack.clear();
    stack.markSaved();
    type(stack, 0, u"a");
    stack.clear();
    EXPECT_FALSE(stack.isAtSavedPoint());
    stack.markSaved();
    stack.clear();
    EXPECT_TRUE(stack.isAtSavedPoint());
}
