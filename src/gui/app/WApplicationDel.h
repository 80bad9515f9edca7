#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QVariantList>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class WDocumentController;
class WGotoLineWindow;
class WPreferenceWindow;
class WPrefsServer;
class WRecentDocuments;
class WSearchPanelController;
class WSearchServer;

// What exists once per application: the preference store, the shared main
// menu, the document controller, the go-to-line window, the find panel
// controller (made when first asked for) and the arrays behind the font menus.
// Everything else reaches these through WApplicationDel::shared().
class WApplicationDel : public QObject {
    Q_OBJECT
public:
    // The preference store is made at once, from the given file or, when the path
    // is empty, from its usual place.
    explicit WApplicationDel(const QString& preferencesPath = {});
    ~WApplicationDel() override;

    static WApplicationDel* shared();

    WPrefsServer& prefsServer() { return *mPrefsServer; }
    WDocumentController& documentController() { return *mDocumentController; }
    // The files of File › Open Recent.
    WRecentDocuments& recentDocuments() { return *mRecentDocuments; }

    // The find panel controller, made on the first call and kept.
    WSearchServer& searchServer();
    // The find panel, one for every document, made on first use.
    WSearchPanelController& searchPanel();

    // The arrays behind the font menus: "font_family_array" and "font_size_array";
    // nothing for other names.
    std::optional<QVariantList> menuDict(const QString& name) const;
    void setMenuDict(const QString& name, const QVariantList& array);

    // The preference window, made when first shown and kept.
    void showPreferenceWindow();
    WPreferenceWindow* preferenceWindow() const { return myPreferenceWindow.get(); }

    // The go-to-line window.
    void showGotoLineWindow();
    void hideGotoLineWindow();
    WGotoLineWindow* gotoLineWindow() const { return myGotoLineWindow.get(); }

    // The menus of the main menu, in order; each document window shows them.
    const QList<QMenu*>& mainMenus() const { return mMainMenus; }
    // The item of the main menu with this title, searched through every submenu.
    QAction* mainMenuItem(const QString& title) const;
    // The Format menu's font submenus, as titled in the user's language.
    static QString fontFamilyMenuTitle();
    static QString fontSizeMenuTitle();

    // Fills the menus built from data, once, at start.
    void constructMenus();

private:
    void buildMainMenu();
    void addFontFamilyMenu();
    void addFontSizeMenu();
    void addTagMenu();
    void addURLMenu();
    void addScriptsMenu();

    std::unique_ptr<WPrefsServer> mPrefsServer;
    std::unique_ptr<WDocumentController> mDocumentController;
    std::unique_ptr<WRecentDocuments> mRecentDocuments;
    std::unique_ptr<WGotoLineWindow> myGotoLineWindow;
    std::unique_ptr<WPreferenceWindow> myPreferenceWindow;
    std::unique_ptr<WSearchServer> mSearchServer;
    std::unique_ptr<WSearchPanelController> mSearchPanel;
    std::map<QString, QVariantList> mMenuDict;
    QList<QMenu*> mMainMenus;
};
