#pragma once

#include <QObject>

#include <memory>

class QCheckBox;
class QLineEdit;
class WDocumentController;
class WDocumentSearch;
class WSearchServer;
class WSearchWindow;

// The find panel's side of the application's one find controller: shows the
// panel for a document, and turns its buttons into the controller's
// operations. Find, Replace All and Set store the fields and hide the panel
// (Find and Replace All then act on the document that last showed it);
// Cancel and the close button hide it and drop the fields' edits. Previous,
// Replace and Replace & Find store the fields and act, and the panel stays.
// The check boxes change the flags at once. The panel is not modal: the
// documents take keys and clicks while it is up.
class WSearchPanelController : public QObject {
    Q_OBJECT
public:
    WSearchPanelController(WSearchServer& server, WDocumentController& documents);
    ~WSearchPanelController() override;

    // The fields show the stored strings and the boxes the flags; the panel
    // comes to the front over the document's window with the search field focused.
    void showSearchWindow(WDocumentSearch* document);

    void searchButtonPressed();
    void replaceAllButtonPressed();
    void setButtonPressed();
    void cancelButtonPressed();
    void ignoreCaseButtonPressed();
    void useRegexButtonPressed();
    void searchBackwardButtonPressed();
    void replaceButtonPressed();
    void replaceAndFindButtonPressed();

    WSearchWindow* searchWindow() const { return mySearchWindow.get(); }
    QLineEdit* searchField() const { return mySearchField; }
    QLineEdit* replaceField() const { return myReplaceField; }
    QCheckBox* ignoreCaseCheckBox() const { return myIgnoreCaseCheckBox; }
    QCheckBox* useRegexCheckBox() const { return myUseRegexCheckBox; }

private:
    // The document the panel acts on: the one that last showed it, else (when
    // that one was closed since) the one in front, which then takes its place.
    WDocumentSearch* searchCaller();
    void storeFields();
    // Hides the panel and gives the keyboard back to the document.
    void hideSearchWindow(WDocumentSearch* document);
    void placeNear(QWidget* window);

    WSearchServer& mServer;
    WDocumentController& mDocuments;
    std::unique_ptr<WSearchWindow> mySearchWindow;
    QLineEdit* mySearchField;
    QLineEdit* myReplaceField;
    QCheckBox* myIgnoreCaseCheckBox;
    QCheckBox* myUseRegexCheckBox;
    bool mPlaced = false;  // put beside a document once; after that where the user left it
};
