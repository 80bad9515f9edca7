#pragma once

#include <QString>

class QMenu;

// Help › About Wexel.
class WHelpMenu {
public:
    static QMenu* make();
    // The about box's text, with the version.
    static QString aboutText();
};
