#include "search/WSearchPanelController.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QWindow>

#include "app/WDocumentController.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "canvas/WTextCanvas.h"
#include "search/WDocumentSearch.h"
#include "search/WSearchCommands.h"
#include "search/WSearchServer.h"
#include "search/WSearchWindow.h"

namespace {

QString toQString(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string_view toView(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}

}  // namespace

WSearchPanelController::WSearchPanelController(WSearchServer& server, WDocumentController& documents)
    : mServer(server)
    , mDocuments(documents)
    , mySearchWindow(std::make_unique<WSearchWindow>())
    , mySearchField(mySearchWindow->searchField())
    , myReplaceField(mySearchWindow->replaceField())
    , myIgnoreCaseCheckBox(mySearchWindow->ignoreCaseCheckBox())
    , myUseRegexCheckBox(mySearchWindow->useRegexCheckBox())
{
    myIgnoreCaseCheckBox->setChecked(mServer.ignoreCase());
    myUseRegexCheckBox->setChecked(mServer.useRegex());
    myUseRegexCheckBox->setEnabled(false);

    WSearchWindow* panel = mySearchWindow.get();
    connect(panel, &WSearchWindow::searchButtonPressed, this, &WSearchPanelController::searchButtonPressed);
    connect(panel, &WSearchWindow::replaceAllButtonPressed, this, &WSearchPanelController::replaceAllButtonPressed);
    connect(panel, &WSearchWindow::setButtonPressed, this, &WSearchPanelController::setButtonPressed);
    connect(panel, &WSearchWindow::cancelButtonPressed, this, &WSearchPanelController::cancelButtonPressed);
    connect(panel, &WSearchWindow::ignoreCaseButtonPressed, this, &WSearchPanelController::ignoreCaseButtonPressed);
    connect(panel, &WSearchWindow::useRegexButtonPressed, this, &WSearchPanelController::useRegexButtonPressed);
    connect(panel, &WSearchWindow::searchBackwardButtonPressed, this,
            &WSearchPanelController::searchBackwardButtonPressed);
    connect(panel, &WSearchWindow::replaceButtonPressed, this, &WSearchPanelController::replaceButtonPressed);
    connect(panel, &WSearchWindow::replaceAndFindButtonPressed, this,
            &WSearchPanelController::replaceAndFindButtonPressed);

    // With no document left there is nothing to search.
    connect(&mDocuments, &WDocumentController::documentsChanged, this, [this] {
        if (mDocuments.documents().empty())
            mySearchWindow->hide();
    });
}

WSearchPanelController::~WSearchPanelController() = default;

void WSearchPanelController::showSearchWindow(WDocumentSearch* document)
{
    if (document)
        document->becomeSearchCaller();
    mySearchField->setText(toQString(mServer.searchString()));
    myReplaceField->setText(toQString(mServer.replaceString()));
    myIgnoreCaseCheckBox->setChecked(mServer.ignoreCase());
    myUseRegexCheckBox->setChecked(mServer.useRegex());

    if (document) {
        QWidget* window = document->document()->window();
        // Kept above the document it was shown for, as a panel of that window.
        mySearchWindow->winId();
        if (QWindow* handle = window->windowHandle())
            mySearchWindow->windowHandle()->setTransientParent(handle);
        if (!mPlaced)
            placeNear(window);
    }
    mySearchWindow->show();
    mySearchWindow->raise();
    mySearchWindow->activateWindow();
    mySearchField->setFocus();
    mySearchField->selectAll();
}

void WSearchPanelController::placeNear(QWidget* window)
{
    mPlaced = true;
    const QRect frame = window->frameGeometry();
    QPoint place(frame.right() - mySearchWindow->sizeHint().width() - 24, frame.top() + 80);
    if (QScreen* screen = window->screen()) {
        const QRect available = screen->availableGeometry();
        place.setX(std::clamp(place.x(), available.left(), std::max(available.left(), available.right() - mySearchWindow->sizeHint().width())));
        place.setY(std::clamp(place.y(), available.top(), std::max(available.top(), available.bottom() - mySearchWindow->sizeHint().height())));
    }
    mySearchWindow->move(place);
}

WDocumentSearch* WSearchPanelController::searchCaller()
{
    if (auto* caller = dynamic_cast<WDocumentSearch*>(mServer.searchCaller()))
        return caller;
    WDocumentSearch* front = WDocumentSearch::of(mDocuments.currentDocument());
    if (front)
        front->becomeSearchCaller();
    return front;
}

void WSearchPanelController::storeFields()
{
    mServer.setButtonPressed(toView(mySearchField->text()), toView(myReplaceField->text()));
}

void WSearchPanelController::hideSearchWindow(WDocumentSearch* document)
{
    mySearchWindow->hide();
    if (!document)
        return;
    QWidget* window = document->document()->window();
    window->raise();
    window->activateWindow();
    document->document()->textView()->setFocus();
}

void WSearchPanelController::searchButtonPressed()
{
    WDocumentSearch* caller = searchCaller();
    const QString search = mySearchField->text();
    const QString replace = myReplaceField->text();
    hideSearchWindow(caller);
    mServer.searchButtonPressed(toView(search), toView(replace));
}

void WSearchPanelController::replaceAllButtonPressed()
{
    WDocumentSearch* caller = searchCaller();
    const QString search = mySearchField->text();
    const QString replace = myReplaceField->text();
    // The count sheet belongs to the document's window, so the panel goes first.
    hideSearchWindow(caller);
    mServer.replaceAllButtonPressed(toView(search), toView(replace));
}

void WSearchPanelController::setButtonPressed()
{
    storeFields();
    hideSearchWindow(searchCaller());
}

void WSearchPanelController::cancelButtonPressed()
{
    // The stored strings stay; the fields show them again next time.
    hideSearchWindow(dynamic_cast<WDocumentSearch*>(mServer.searchCaller()));
}

void WSearchPanelController::ignoreCaseButtonPressed()
{
    mServer.ignoreCaseButtonPressed();
    myIgnoreCaseCheckBox->setChecked(mServer.ignoreCase());
}

void WSearchPanelController::useRegexButtonPressed()
{
    mServer.useRegexButtonPressed();
    myUseRegexCheckBox->setChecked(mServer.useRegex());
}

void WSearchPanelController::searchBackwardButtonPressed()
{
    storeFields();
    if (WDocumentSearch* caller = searchCaller())
        caller->searchBackward();
}

void WSearchPanelController::replaceButtonPressed()
{
    storeFields();
    if (WDocumentSearch* caller = searchCaller())
        caller->replace();
}

void WSearchPanelController::replaceAndFindButtonPressed()
{
    storeFields();
    if (WDocumentSearch* caller = searchCaller())
        caller->replaceAndFindAgain();
}
