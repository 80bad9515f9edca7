#pragma once

// The text widget's standard editing actions by name ("moveUp:", "deleteWordBackward:",
// "uppercaseWord:", ...), as the key schemes and menus send them. Line means a
// line as laid out on screen, Paragraph the text between two line ends.
class WStandardActions {
public:
    // Adds every action to WTextViewWidget's table; safe to call more than once.
    static void registerAll();
};
