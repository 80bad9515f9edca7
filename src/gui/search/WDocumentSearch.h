#pragma once

#include <QObject>
#include <QPointer>

#include <cstdint>

#include "search/WSearchDocument.h"
#include "search/WSearchMatcher.h"

class QMenu;
class MyDocument;
class WDocumentController;
class WFindDialog;
class WSearchServer;

// A document's find commands: find next and previous, use the selection for
// find, replace, replace and find, replace all, and the find dialog. They run
// the core commands on the document's text view against the application's
// one find controller. Made on first use, as a child of the document.
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
    // The find dialog, once it has been shown.
    WFindDialog* findDialog() const;

    // WSearchDocument
    WTextViewPlatform& searchTextView() override;
    void validateColorSyntax() override;
    void updateChangeCount() override;
    void showReplacedAllDialog(uint32_t count) override;

private:
    explicit WDocumentSearch(MyDocument* document);
    static WSearchServer& server();
    // The panel must never act on a document whose window is gone.
    void forgetWindow();

    MyDocument* mDocument;                 // our parent
    WSearchServer* mShownOn = nullptr;     // the controller this document showed the dialog for
    QPointer<WFindDialog> myFindDialog;    // a child of the document window
};
