#pragma once

// Where a move of the caret goes, in a text view; rows are the lines on screen
// (more than one per line with word wrap), lines end at CR.
enum class WCaretMove {
    Backward, Forward, WordBackward, WordForward, Up, Down, PageUp, PageDown,
    RowStart, RowEnd, LineStart, LineEnd, TextStart, TextEnd,
};
