#pragma once

#include <QObject>

#include <cstdint>

#include "search/WSearchDocument.h"
#include "search/WSearchMatcher.h"

class QMenu;
class MyDocument;
class WDocumentController;
class WSearchServer;

// A document's find commands: find next and previous, use the selection for
// find, replace, replace and find, replace all, and showing the find panel.
// They run the core commands on the document's text view against the
// application's one find controller. Made on first use, as a child of the
// document.
class WDocumentSearch : public QObject, public WSearchDocument {
    Q_OBJECT
public:
    // The document's find commands; null for a document without a window.
    static WDocumentSearch* of(MyDocument* document);

    // Adds "Find" with its commands to the Edit menu; they act on the document
    // of the window in front.
    static void addFindMenu(QMenu* editMenu, WDocumentController& controller);

    ~WDocumentSearch() override;

    void searchShowWindow();
    void searchForward();
    void searchBackward();
    void setSelectionToSearch();
    void replace();
    void replaceAndFindAgain();
    bool doSearch(WSearchDirection direction);
    uint32_t doReplaceAll();

    MyDocument* document() const { return mDocument; }
    // Makes this document the one the find panel's buttons act on.
    void becomeSearchCaller();

    // WSearchDocument
    WTextViewPlatform& searchTextView() override;
    void validateColorSyntax() override;
    void updateChangeCount() override;
    void showReplacedAllDialog(uint32_t count) override;
    // Many desktops make no sound: the window says it too.
    void searchFailed() override;

private:
    explicit WDocumentSearch(MyDocument* document);
    static WSearchServer& server();
    // The panel must never act on a document whose window is gone.
    void forgetWindow();

    MyDocument* mDocument;                 // our parent
    WSearchServer* mShownOn = nullptr;     // the controller this document showed the panel for
};
