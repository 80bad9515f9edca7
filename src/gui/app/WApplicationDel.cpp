#include "app/WApplicationDel.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QFileInfo>
#include <QMenu>
#include <QStandardPaths>

#include <algorithm>

#include "app/WDocumentController.h"
#include "app/WDesktopRecentFiles.h"
#include "app/WGotoLineWindow.h"
#include "app/WRecentDocuments.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "canvas/WTextCanvas.h"
#include "menus/WApplicationMenus.h"
#include "menus/WEditingMenus.h"
#include "menus/WHelpMenu.h"
#include "menus/WMenuDispatcher.h"
#include "menus/WMenuShortcuts.h"
#include "menus/WOpenRecentMenu.h"
#include "menus/WWindowMenu.h"
#include "platform/WLog.h"
#include "prefs/WPreferenceWindow.h"
#include "prefs/WPrefsServer.h"
#include "search/WDocumentSearch.h"
#include "search/WSearchPanelController.h"
#include "search/WSearchServer.h"

namespace {
WApplicationDel* sharedDelegate = nullptr;

QAction* findItem(QMenu* menu, const QString& title)
{
    for (QAction* action : menu->actions()) {
        // Titles are compared without their Alt mnemonics.
        if (action->text() == title || action->iconText() == title)
            return action;
        if (action->menu()) {
            if (QAction* found = findItem(action->menu(), title))
                return found;
        }
    }
    return nullptr;
}

// The text view with the keyboard focus, else the one of the current document.
WTextCanvas* targetTextView(WDocumentController& controller)
{
    if (auto* focused = qobject_cast<WTextCanvas*>(QApplication::focusWidget()))
        return focused;
    MyDocument* document = controller.currentDocument();
    return document ? document->textView() : nullptr;
}

// The editor's recent list lives beside the preferences. Preferences kept in a
// file of their own (a test, a second profile) keep the desktop's recent list
// beside them too, so that they never touch the user's.
std::unique_ptr<WRecentDocuments> makeRecentDocuments(const QString& preferencesPath)
{
    if (preferencesPath.isEmpty()) {
        const QString folder =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Wexel");
        return std::make_unique<WRecentDocuments>(folder + QStringLiteral("/RecentDocuments"),
                                                  WDesktopRecentFiles::defaultListFile());
    }
    const QString folder = QFileInfo(preferencesPath).absolutePath();
    return std::make_unique<WRecentDocuments>(folder + QStringLiteral("/RecentDocuments"),
                                              folder + QStringLiteral("/recently-used.xbel"));
}
}  // namespace

WApplicationDel::WApplicationDel(const QString& preferencesPath)
    : mPrefsServer(preferencesPath.isEmpty()
                       ? std::make_unique<WPrefsServer>()
                       : std::make_unique<WPrefsServer>(std::filesystem::path(preferencesPath.toStdString())))
    , mDocumentController(std::make_unique<WDocumentController>())
    , mRecentDocuments(makeRecentDocuments(preferencesPath))
    , myGotoLineWindow(std::make_unique<WGotoLineWindow>())
{
    sharedDelegate = this;
    connect(mDocumentController.get(), &WDocumentController::documentFileUsed, mRecentDocuments.get(),
            &WRecentDocuments::noteDocument);
    connect(myGotoLineWindow.get(), &WGotoLineWindow::lineChosen, this, [this](const QString& text) {
        if (MyDocument* document = mDocumentController->currentDocument())
            document->setCurrentLineOfTextView(text);
        else
            hideGotoLineWindow();
    });
    connect(myGotoLineWindow.get(), &WGotoLineWindow::cancelled, this, &WApplicationDel::hideGotoLineWindow);
    buildMainMenu();
    // A panel in front leaves the commands with the document last in front.
    WMenuDispatcher::setMainWindowProvider([this]() -> QWidget* {
        MyDocument* document = mDocumentController ? mDocumentController->currentDocument() : nullptr;
        return document ? document->window() : nullptr;
    });
}

WApplicationDel::~WApplicationDel()
{
    WLog::write("WApplicationDel : dealloc");
    WMenuDispatcher::setMainWindowProvider(nullptr);
    // Documents first: their windows show the shared menus.
    mDocumentController.reset();
    myPreferenceWindow.reset();
    qDeleteAll(mMainMenus);
    mMainMenus.clear();
    mSearchPanel.reset();
    mSearchServer.reset();
    mPrefsServer.reset();
    if (sharedDelegate == this)
        sharedDelegate = nullptr;
}

WApplicationDel* WApplicationDel::shared()
{
    return sharedDelegate;
}

WSearchServer& WApplicationDel::searchServer()
{
    if (!mSearchServer)
        mSearchServer = std::make_unique<WSearchServer>();
    return *mSearchServer;
}

WSearchPanelController& WApplicationDel::searchPanel()
{
    if (!mSearchPanel)
        mSearchPanel = std::make_unique<WSearchPanelController>(searchServer(), *mDocumentController);
    return *mSearchPanel;
}

std::optional<QVariantList> WApplicationDel::menuDict(const QString& name) const
{
    if (auto found = mMenuDict.find(name); found != mMenuDict.end())
        return found->second;
    return std::nullopt;
}

void WApplicationDel::setMenuDict(const QString& name, const QVariantList& array)
{
    if (name != QStringLiteral("font_family_array") && name != QStringLiteral("font_size_array")) {
        WLog::write("WApplicationDel::setMenuDict - unknown name " + name.toStdString());
        return;
    }
    mMenuDict[name] = array;
}

void WApplicationDel::showPreferenceWindow()
{
    if (!myPreferenceWindow)
        myPreferenceWindow = std::make_unique<WPreferenceWindow>(*mPrefsServer);
    myPreferenceWindow->showPreferenceWindow();
}

void WApplicationDel::showGotoLineWindow()
{
    // Over the top of the document it goes to, where the eye already is.
    if (MyDocument* document = mDocumentController->currentDocument(); document && document->window()) {
        const QRect frame = document->window()->frameGeometry();
        myGotoLineWindow->adjustSize();
        myGotoLineWindow->move(frame.center().x() - myGotoLineWindow->width() / 2,
                               frame.top() + std::min(80, frame.height() / 4));
    }
    myGotoLineWindow->show();
    myGotoLineWindow->raise();
    myGotoLineWindow->activateWindow();
    myGotoLineWindow->textField()->setFocus();
}

void WApplicationDel::hideGotoLineWindow()
{
    myGotoLineWindow->hide();
    myGotoLineWindow->textField()->clear();
}

QAction* WApplicationDel::mainMenuItem(const QString& title) const
{
    for (QMenu* menu : mMainMenus) {
        if (menu->title() == title || menu->menuAction()->iconText() == title)
            return menu->menuAction();
        if (QAction* found = findItem(menu, title))
            return found;
    }
    return nullptr;
}

void WApplicationDel::buildMainMenu()
{
    WDocumentController* controller = mDocumentController.get();
    auto add = [](QMenu* menu, const QString& title, QKeySequence shortcut, auto slot) {
        QAction* action = menu->addAction(title);
        action->setShortcut(shortcut);
        QObject::connect(action, &QAction::triggered, menu, slot);
        return action;
    };

    auto* file = new QMenu(tr("&File"));
    add(file, tr("New"), QKeySequence::New, [controller] { controller->newDocumentCommand(); });
    add(file, tr("Open…"), QKeySequence::Open, [controller] { controller->openDocumentCommand(); });
    WOpenRecentMenu::make(file, *mRecentDocuments, *controller);
    file->addSeparator();
    add(file, tr("Close"), QKeySequence::Close, [controller] { controller->closeCommand(); });
    add(file, tr("Save"), QKeySequence::Save, [controller] { controller->saveCommand(); });
    add(file, tr("Save As…"), QKeySequence::SaveAs, [controller] { controller->saveAsCommand(); });
    QAction* revert = add(file, tr("Revert"), QKeySequence(), [controller] { controller->revertCommand(); });
    file->addSeparator();
    add(file, tr("Open with Browser"), QKeySequence(), [controller] {
        if (MyDocument* document = controller->currentDocument())
            document->openWithBrowser();
    });
    file->addSeparator();
    // There is a saved file to go back to only for a document that has one.
    connect(file, &QMenu::aboutToShow, revert, [controller, revert] {
        MyDocument* document = controller->currentDocument();
        revert->setEnabled(document && !document->fileName().isEmpty());
    });
    add(file, tr("Quit"), QKeySequence::Quit, [controller] { controller->quitCommand(); });

    auto* edit = new QMenu(tr("&Edit"));
    auto onView = [controller](void (WTextCanvas::*method)()) {
        return [controller, method] {
            if (WTextCanvas* view = targetTextView(*controller))
                (view->*method)();
        };
    };
    add(edit, tr("Undo"), QKeySequence::Undo, onView(&WTextCanvas::undo));
    add(edit, tr("Redo"), QKeySequence::Redo, onView(&WTextCanvas::redo));
    edit->addSeparator();
    add(edit, tr("Cut"), QKeySequence::Cut, onView(&WTextCanvas::cut));
    add(edit, tr("Copy"), QKeySequence::Copy, onView(&WTextCanvas::copy));
    add(edit, tr("Paste"), QKeySequence::Paste, onView(&WTextCanvas::paste));
    add(edit, tr("Select All"), QKeySequence::SelectAll, onView(&WTextCanvas::selectAll));
    edit->addSeparator();
    add(edit, tr("Go to Line…"), QKeySequence(Qt::CTRL | Qt::Key_L), [this] { showGotoLineWindow(); });
    WDocumentSearch::addFindMenu(edit, *controller);
    edit->addSeparator();
    add(edit, tr("Preferences…"), QKeySequence(Qt::CTRL | Qt::Key_Comma), [this] { showPreferenceWindow(); });

    // Filled from data by the menu builders (constructMenus).
    // Every menu of the bar has its own Alt mnemonic: the key schemes may take an
    // item's shortcut, and the menu bar then is the way to it.
    auto* format = new QMenu(tr("Fo&rmat"));
    format->addMenu(fontFamilyMenuTitle());
    format->addMenu(fontSizeMenuTitle());
    format->addSeparator();
    add(format, tr("Incompatible Characters"), QKeySequence(), [controller] {
        if (MyDocument* document = controller->currentDocument())
            document->showIncompatibleCharacters();
    });
    mMainMenus = {file, edit, format, new QMenu(tr("HTML &Tags")), new QMenu(tr("&URLs")),
                  new QMenu(tr("T&ools"))};
    WEditingMenus::addTo(mMainMenus, *controller);
    mMainMenus.append(WWindowMenu::make(*controller));
    mMainMenus.append(WHelpMenu::make());
    for (QMenu* menu : mMainMenus)
        WMenuShortcuts::applyKeyScheme(menu, WMenuShortcuts::activeScheme());
}

void WApplicationDel::constructMenus()
{
    addFontFamilyMenu();
    addFontSizeMenu();
    addTagMenu();
    addURLMenu();
    addScriptsMenu();
}

// The builders of the data-driven menus attach their items under these titles,
// found as the bar shows them (in the user's language, with their mnemonics).
QString WApplicationDel::fontFamilyMenuTitle()
{
    return tr("Font Family && Style");
}

QString WApplicationDel::fontSizeMenuTitle()
{
    return tr("Font Size");
}

void WApplicationDel::addFontFamilyMenu()
{
    setMenuDict(QStringLiteral("font_family_array"),
                WApplicationMenus::addFontFamilyMenu(mainMenuItem(fontFamilyMenuTitle())));
}

void WApplicationDel::addFontSizeMenu()
{
    setMenuDict(QStringLiteral("font_size_array"),
                WApplicationMenus::addFontSizeMenu(mainMenuItem(fontSizeMenuTitle())));
}

void WApplicationDel::addTagMenu()
{
    WApplicationMenus::addTagMenu(mainMenuItem(tr("HTML &Tags")));
}

void WApplicationDel::addURLMenu()
{
    WApplicationMenus::addURLMenu(mainMenuItem(tr("&URLs")));
}

void WApplicationDel::addScriptsMenu()
{
    WApplicationMenus::addScriptsMenu(mainMenuItem(tr("T&ools")));
}
