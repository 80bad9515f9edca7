#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;

// The find panel itself: the search and replacement fields, "Ignore Case",
// the regular-expression box (always disabled: searches are plain text) and
// the buttons. It only lays them out and reports what the user did; the
// controller decides what the fields mean. Its close button and Escape ask
// for Cancel, and the panel is hidden, never closed.
class WSearchWindow : public QWidget {
    Q_OBJECT
public:
    explicit WSearchWindow(QWidget* parent = nullptr);

    QLineEdit* searchField() const { return mySearchField; }
    QLineEdit* replaceField() const { return myReplaceField; }
    QCheckBox* ignoreCaseCheckBox() const { return myIgnoreCaseCheckBox; }
    QCheckBox* useRegexCheckBox() const { return myUseRegexCheckBox; }
    // By the text shown: "Find", "Previous", "Replace", "Replace & Find",
    // "Replace All", "Set", "Cancel".
    QPushButton* button(const QString& title) const;
    // A title as a button or label shows it, without its Alt-letter mark.
    static QString shownText(const QString& title);

signals:
    void searchButtonPressed();
    void searchBackwardButtonPressed();
    void replaceButtonPressed();
    void replaceAndFindButtonPressed();
    void replaceAllButtonPressed();
    void setButtonPressed();
    void cancelButtonPressed();
    void ignoreCaseButtonPressed();
    void useRegexButtonPressed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* mySearchField;
    QLineEdit* myReplaceField;
    QCheckBox* myIgnoreCaseCheckBox;
    QCheckBox* myUseRegexCheckBox;
};
