#include "search/WDocumentSearch.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>

#include <functional>

#include "app/WApplicationDel.h"
#include "app/WDocumentController.h"
#include "app/WPresenter.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "canvas/WTextCanvas.h"
#include "search/WSearchPanelController.h"
#include "search/WSearchCommands.h"
#include "search/WSearchServer.h"

namespace {

QString toQString(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// The document of the window the user works in: the one holding the focus,
// else (the find panel has it, say) the one last in front.
MyDocument* targetDocument(WDocumentController& controller)
{
    QWidget* window = QApplication::activeWindow();
    if (QWidget* focused = QApplication::focusWidget())
        window = focused->window();
    if (window) {
        for (const auto& document : controller.documents()) {
            if (document->window() == window)
                return document.get();
        }
    }
    return controller.currentDocument();
}

}  // namespace

WDocumentSearch* WDocumentSearch::of(MyDocument* document)
{
    if (!document || !document->window() || !document->textView())
        return nullptr;
    if (auto* existing = document->findChild<WDocumentSearch*>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new WDocumentSearch(document);
}

WDocumentSearch::WDocumentSearch(MyDocument* document) : QObject(document), mDocument(document)
{
    // The window goes before the document does; from then on nothing may reach its view.
    connect(document->window(), &QObject::destroyed, this, &WDocumentSearch::forgetWindow);
}

WDocumentSearch::~WDocumentSearch()
{
    forgetWindow();
}

void WDocumentSearch::forgetWindow()
{
    if (mShownOn)
        mShownOn->forgetSearchCaller(this);
    mShownOn = nullptr;
}

WSearchServer& WDocumentSearch::server()
{
    if (WApplicationDel* application = WApplicationDel::shared())
        return application->searchServer();
    // A document window made outside the application (a tool, a benchmark) still finds.
    static WSearchServer standalone;
    return standalone;
}

void WDocumentSearch::addFindMenu(QMenu* editMenu, WDocumentController& controller)
{
    QMenu* find = editMenu->addMenu(QCoreApplication::translate("WDocumentSearch", "Find"));
    WDocumentController* documents = &controller;
    auto add = [find, documents](const QString& title, const QList<QKeySequence>& shortcuts, auto command) {
        QAction* action = find->addAction(title);
        action->setShortcuts(shortcuts);
        QObject::connect(action, &QAction::triggered, find, [documents, command] {
            if (WDocumentSearch* search = of(targetDocument(*documents)))
                std::invoke(command, search);
        });
    };
    add(QCoreApplication::translate("WDocumentSearch", "Find…"), {QKeySequence::Find}, &WDocumentSearch::searchShowWindow);
    // F3 too, since the key schemes may take Ctrl-G for themselves.
    add(QCoreApplication::translate("WDocumentSearch", "Find Next"), {QKeySequence(Qt::CTRL | Qt::Key_G), QKeySequence(Qt::Key_F3)},
        &WDocumentSearch::searchForward);
    add(QCoreApplication::translate("WDocumentSearch", "Find Previous"),
        {QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_G), QKeySequence(Qt::SHIFT | Qt::Key_F3)},
        &WDocumentSearch::searchBackward);
    add(QCoreApplication::translate("WDocumentSearch", "Use Selection for Find"), {QKeySequence(Qt::CTRL | Qt::Key_E)},
        &WDocumentSearch::setSelectionToSearch);
    find->addSeparator();
    add(QCoreApplication::translate("WDocumentSearch", "Replace"), {}, &WDocumentSearch::replace);
    add(QCoreApplication::translate("WDocumentSearch", "Replace and Find"), {}, &WDocumentSearch::replaceAndFindAgain);
    add(QCoreApplication::translate("WDocumentSearch", "Replace All"), {}, [](WDocumentSearch* search) { search->doReplaceAll(); });
}

// ---- the commands ----------------------------------------------------------------------------

void WDocumentSearch::becomeSearchCaller()
{
    WSearchServer& shared = server();
    if (mShownOn && mShownOn != &shared)
        mShownOn->forgetSearchCaller(this);
    shared.showSearchWindow(this);
    mShownOn = &shared;
}

void WDocumentSearch::searchShowWindow()
{
    if (WApplicationDel* application = WApplicationDel::shared())
        application->searchPanel().showSearchWindow(this);
    else
        becomeSearchCaller();
}

void WDocumentSearch::searchForward()
{
    doSearch(WSearchForward);
}

void WDocumentSearch::searchBackward()
{
    doSearch(WSearchBackward);
}

void WDocumentSearch::setSelectionToSearch()
{
    WSearchCommands(*this, server()).setSelectionToSearch();
}

void WDocumentSearch::replace()
{
    WSearchCommands(*this, server()).replace();
}

void WDocumentSearch::replaceAndFindAgain()
{
    WSearchCommands(*this, server()).replaceAndFindAgain();
}

bool WDocumentSearch::doSearch(WSearchDirection direction)
{
    return WSearchCommands(*this, server()).doSearch(direction);
}

uint32_t WDocumentSearch::doReplaceAll()
{
    return WSearchCommands(*this, server()).doReplaceAll();
}

// ---- what the core commands ask of the document ----------------------------------------------

WTextViewPlatform& WDocumentSearch::searchTextView()
{
    return *mDocument->textView();
}

void WDocumentSearch::validateColorSyntax()
{
    mDocument->validateColorSyntax();
}

void WDocumentSearch::updateChangeCount()
{
    // The whole-text replacement is an edit and normally marks the text already;
    // make sure closing the window asks all the same.
    WTextCanvas* view = mDocument->textView();
    if (!view->isEdited())
        view->setEdited(true);
}

void WDocumentSearch::searchFailed()
{
    mDocument->window()->showStatusMessage(QObject::tr("Not found"));
}

void WDocumentSearch::showReplacedAllDialog(uint32_t count)
{
    WPresenter::shared().askLater(mDocument->window(), toQString(WSearchCommands::replacedAllTitle),
                                  toQString(WSearchCommands::replacedAllMessage(count)),
                                  {toQString(WSearchCommands::replacedAllButton)}, [](int) {});
}
