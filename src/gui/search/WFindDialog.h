#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class WDocumentSearch;
class WSearchServer;

// A plain find and replace dialog on one document window: the search and
// replacement fields and "Ignore Case" stand for the application's find
// controller; the buttons store the fields and run the commands on this
// dialog's own document (another window may have shown its dialog since).
// Closing it (Escape) drops the edits of the fields.
class WFindDialog : public QDialog {
    Q_OBJECT
public:
    WFindDialog(WDocumentSearch& search, QWidget* window);

    // Shows the controller's strings and flag and puts the focus in the search field.
    void showSearchWindow(WSearchServer& server);

    QLineEdit* searchField() const { return mySearchField; }
    QLineEdit* replaceField() const { return myReplaceField; }
    QCheckBox* ignoreCaseCheckBox() const { return myIgnoreCaseCheckBox; }
    // "Replace All", "Replace", "Replace & Find", "Previous", "Next".
    QPushButton* button(const QString& title) const;

private:
    // Stores the fields in the controller, as every button does first.
    void storeFields();

    WDocumentSearch& mSearch;
    WSearchServer* mServer = nullptr;
    QLineEdit* mySearchField;
    QLineEdit* myReplaceField;
    QCheckBox* myIgnoreCaseCheckBox;
};
