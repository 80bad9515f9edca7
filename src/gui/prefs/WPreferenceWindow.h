#pragma once

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QTabWidget;
class WColorWell;
class WPrefsServer;

// The preference window. Every check box and pop-up writes into the store's
// working copy as soon as it changes, the colour wells are read when OK is
// pressed; OK commits, Cancel, Escape and the close button throw the edits
// away. The window is made once and then only hidden and shown again, always
// showing the committed preferences when it opens.
class WPreferenceWindow : public QDialog {
    Q_OBJECT
public:
    explicit WPreferenceWindow(WPrefsServer& prefsServer, QWidget* parent = nullptr);

    void showPreferenceWindow();
    // Sets every control from the committed preferences.
    void resetUI();
    void okButtonPressed();
    void cancelButtonPressed();

    // What the key-binding pop-up says of the scheme: the Ctrl keys it takes.
    static QString keySchemeDescription(int scheme);
    // Browsers on PATH that the "another browser" choice offers.
    static QStringList installedBrowsers();

    QTabWidget* tabView() const { return myTabView; }
    QCheckBox* autoIndentCheckBox() const { return myAutoIndentCheckBox; }
    QCheckBox* wordWrapCheckBox() const { return myWordWrapCheckBox; }
    QCheckBox* charCodeDetectionCheckBox() const { return myCharCodeDetectionCheckBox; }
    QCheckBox* fileTypeDetectionCheckBox() const { return myFileTypeDetectionCheckBox; }
    QCheckBox* storeWindowStatusCheckBox() const { return myStoreWindowStatusCheckBox; }
    QCheckBox* useXHTMLSyntaxCheckBox() const { return myUseXHTMLSyntaxCheckBox; }
    QCheckBox* alwaysMakesANewWindowCheckBox() const { return myAlwaysMakesANewWindowCheckBox; }
    QCheckBox* assignOnlyMultiStrokeKeyBindCheckBox() const { return myAssignOnlyMultiStrokeKeyBindCheckBox; }
    QComboBox* browserMenu() const { return myBrowserMenu; }
    QComboBox* browserCommandMenu() const { return myBrowserCommandMenu; }
    QComboBox* keyAssignMenu() const { return myKeyAssignMenu; }
    QLabel* keyAssignDescription() const { return myKeyAssignDescription; }
    QComboBox* fontFamilyMenu() const { return myFontFamilyMenu; }
    QComboBox* fontSizeMenu() const { return myFontSizeMenu; }
    WColorWell* baseColorWell() const { return myBaseColorWell; }
    WColorWell* backgroudColorWell() const { return myBackgroudColorWell; }
    WColorWell* tagFontColorWell() const { return myTagFontColorWell; }
    WColorWell* commentFontColorWell() const { return myCommentFontColorWell; }

    // OK and Cancel go through the store; Escape and the close button cancel.
    void accept() override;
    void reject() override;

private:
    void awakeFromNib();
    QCheckBox* addCheckBox(QWidget* pane, const QString& title, const char* key, const QString& explanation = {});
    void popupSelected(QComboBox* popup, const char* key);
    void fontFamilyMenuSelected(int index);
    void fontSizeMenuSelected(int index);
    void showKeySchemeDescription();
    std::vector<float> sizeArray() const;

    WPrefsServer& mPrefsServer;

    QTabWidget* myTabView;
    QCheckBox* myAutoIndentCheckBox = nullptr;
    QCheckBox* myWordWrapCheckBox = nullptr;
    QCheckBox* myCharCodeDetectionCheckBox = nullptr;
    QCheckBox* myFileTypeDetectionCheckBox = nullptr;
    QCheckBox* myStoreWindowStatusCheckBox = nullptr;
    QCheckBox* myUseXHTMLSyntaxCheckBox = nullptr;
    QCheckBox* myAlwaysMakesANewWindowCheckBox = nullptr;
    QCheckBox* myAssignOnlyMultiStrokeKeyBindCheckBox = nullptr;
    QComboBox* myBrowserMenu = nullptr;
    QComboBox* myBrowserCommandMenu = nullptr;
    QComboBox* myKeyAssignMenu = nullptr;
    QLabel* myKeyAssignDescription = nullptr;
    QComboBox* myFontFamilyMenu = nullptr;
    QComboBox* myFontSizeMenu = nullptr;
    WColorWell* myBaseColorWell = nullptr;
    WColorWell* myBackgroudColorWell = nullptr;
    WColorWell* myTagFontColorWell = nullptr;
    WColorWell* myCommentFontColorWell = nullptr;

    // The check boxes and the preference each stands for, in the order resetUI sets them.
    std::vector<std::pair<QCheckBox*, const char*>> mCheckBoxes;
};
