#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/WRange.h"

// One replacement: the characters removed at location and those put there.
struct WUndoEdit {
    uint32_t location = 0;
    std::u16string removed;
    std::u16string inserted;
};

// One step of undo: the edits made together, in the order made, and the
// selection before and after them.
struct WUndoStep {
    std::vector<WUndoEdit> edits;
    WRange selectionBefore;
    WRange selectionAfter;
};

// The undo history of a text, kept by the view: every change of the text is
// recorded here, typing merged into one step per run of typed characters.
class WUndoStack {
public:
    enum class Kind {
        Typing,    // typed characters merge with the typing just before them
        Deleting,  // Backspace and Delete merge with the deleting just before them
        Other,     // a step of its own
    };

    void record(WUndoEdit edit, WRange selectionBefore, WRange selectionAfter, Kind kind);
    // The next record starts a step of its own (the caret moved, a command ran).
    void closeStep();
    // Brackets a group of records that undo as one step.
    void beginGroup(WRange selectionBefore);
    void endGroup(WRange selectionAfter);

    bool canUndo() const;
    bool canRedo() const;
    // The step to take back: apply the inverse of its edits in reverse order,
    // then select selectionBefore. Only valid when canUndo().
    const WUndoStep& undo();
    // The step to make again: apply its edits in order, then select selectionAfter.
    const WUndoStep& redo();

    void clear();
    // The text as it is now is the saved one; isAtSavedPoint() until it changes.
    void markSaved();
    bool isAtSavedPoint() const;

private:
    bool mergesWithLast(const WUndoEdit& edit, Kind kind) const;
    // Makes room for a new step: the steps undone so far cannot be redone any more.
    void dropRedo();

    static constexpr size_t kUnreachable = SIZE_MAX;

    std::vector<WUndoStep> mSteps;
    size_t mDone = 0;        // steps [0, mDone) are applied
    size_t mSaved = 0;       // mDone when the text was saved, or kUnreachable
    bool mOpen = false;      // the last step may take more records of mLastKind
    Kind mLastKind = Kind::Other;
    int mGroupDepth = 0;
    bool mGroupStarted = false;  // the group has its step already
    WRange mGroupSelectionBefore;
};
