#pragma once

#include <QString>

class QMenu;
class MyDocument;
class WDocumentController;

// The Window menu: one checkable item per open document, in the order they
// were opened, the one in front checked. Every window opens at the same
// place, so this is how a window hidden under another is reached.
class WWindowMenu {
public:
    // A new menu (the caller owns it) that follows the controller's documents.
    static QMenu* make(WDocumentController& controller);
    // Lists the documents again.
    static void refresh(QMenu* menu, WDocumentController& controller);
    // The item's title: the document's name, with its folder when another open
    // document has the same name.
    static QString titleFor(const MyDocument& document, const WDocumentController& controller);
};
