#include "canvas/WUndoStack.h"

#include <cstddef>

void WUndoStack::dropRedo()
{
    if (mDone == mSteps.size())
        return;
    mSteps.erase(mSteps.begin() + static_cast<ptrdiff_t>(mDone), mSteps.end());
    if (mSaved != kUnreachable && mSaved > mDone)
        mSaved = kUnreachable;
}

bool WUndoStack::mergesWithLast(const WUndoEdit& edit, Kind kind) const
{
    if (!mOpen || kind != mLastKind || kind == Kind::Other || mDone == 0 || mDone != mSteps.size())
        return false;
    const WUndoEdit& last = mSteps.back().edits.back();
    if (kind == Kind::Typing) {
        // A typed replacement of a selection starts a step; plain typing right
        // after the last typed characters joins it.
        return edit.removed.empty() && edit.location == last.location + last.inserted.size();
    }
    if (!edit.inserted.empty() || !last.inserted.empty())
        return false;
    return edit.location + edit.removed.size() == last.location  // Backspace
           || edit.location == last.location;                     // Delete
}

void WUndoStack::record(WUndoEdit edit, WRange selectionBefore, WRange selectionAfter, Kind kind)
{
    if (edit.removed.empty() && edit.inserted.empty())
        return;
    if (mGroupDepth > 0) {
        if (!mGroupStarted) {
            dropRedo();
            mSteps.push_back({{}, mGroupSelectionBefore, selectionAfter});
            ++mDone;
            mGroupStarted = true;
        } else if (mSaved == mDone) {
            mSaved = kUnreachable;  // the saved text was half-way through this step
        }
        mSteps.back().edits.push_back(std::move(edit));
        mSteps.back().selectionAfter = selectionAfter;
        return;
    }

    const bool endsLine = kind == Kind::Typing && edit.inserted.find(u'\r') != std::u16string::npos;
    if (mergesWithLast(edit, kind)) {
        WUndoEdit& last = mSteps.back().edits.back();
        if (kind == Kind::Typing) {
            last.inserted += edit.inserted;
        } else if (edit.location == last.location) {
            last.removed += edit.removed;
        } else {
            last.removed.insert(0, edit.removed);
            last.location = edit.location;
        }
        mSteps.back().selectionAfter = selectionAfter;
        if (mSaved == mDone)
            mSaved = kUnreachable;
    } else {
        dropRedo();
        WUndoStep step;
        step.edits.push_back(std::move(edit));
        step.selectionBefore = selectionBefore;
        step.selectionAfter = selectionAfter;
        mSteps.push_back(std::move(step));
        ++mDone;
    }
    mLastKind = kind;
    // Each typed line is a step of its own: the CR closes it.
    mOpen = kind != Kind::Other && !endsLine;
}

void WUndoStack::closeStep()
{
    mOpen = false;
}

void WUndoStack::beginGroup(WRange selectionBefore)
{
    if (mGroupDepth++ > 0)
        return;
    mGroupSelectionBefore = selectionBefore;
    mGroupStarted = false;
    mOpen = false;
}

void WUndoStack::endGroup(WRange selectionAfter)
{
    if (mGroupDepth == 0 || --mGroupDepth > 0)
        return;
    if (mGroupStarted)
        mSteps.back().selectionAfter = selectionAfter;
    mGroupStarted = false;
    mOpen = false;
}

bool WUndoStack::canUndo() const
{
    return mDone > 0;
}

bool WUndoStack::canRedo() const
{
    return mDone < mSteps.size();
}

const WUndoStep& WUndoStack::undo()
{
    mOpen = false;
    mGroupStarted = false;  // records still to come in an open group start afresh
    return mSteps[--mDone];
}

const WUndoStep& WUndoStack::redo()
{
    mOpen = false;
    mGroupStarted = false;
    return mSteps[mDone++];
}

void WUndoStack::clear()
{
    mSaved = mSaved == mDone ? 0 : kUnreachable;
    mSteps.clear();
    mDone = 0;
    mOpen = false;
    mGroupStarted = false;
}

void WUndoStack::markSaved()
{
    mSaved = mDone;
    // Typing on after a save is a new step, so that undoing it comes back here.
    mOpen = false;
}

bool WUndoStack::isAtSavedPoint() const
{
    return mSaved == mDone;
}
