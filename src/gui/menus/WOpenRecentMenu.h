#pragma once

class QMenu;
class WDocumentController;
class WRecentDocuments;

// File › Open Recent: the recent files, newest first, each as its name and
// folder; choosing one opens it (a file that is gone leaves the list), and
// "Clear Menu" empties it.
class WOpenRecentMenu {
public:
    // A submenu of parent (which owns it) that follows the list.
    static QMenu* make(QMenu* parent, WRecentDocuments& recent, WDocumentController& controller);
    static void refresh(QMenu* menu, WRecentDocuments& recent, WDocumentController& controller);
};
