#include "app/WDocumentController.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

#include <algorithm>

#include "app/WPresenter.h"
#include "menus/WAddonExecution.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"

WDocumentController::WDocumentController(QObject* parent)
    : QObject(parent)
{
}

WDocumentController::~WDocumentController() = default;

MyDocument* WDocumentController::adopt(std::unique_ptr<MyDocument> document)
{
    MyDocument* raw = document.get();
    connect(raw, &MyDocument::becameMain, this, &WDocumentController::setCurrent);
    connect(raw, &MyDocument::reloadRequested, this, &WDocumentController::revertDocument);
    connect(raw, &MyDocument::closeRequested, this, [this](MyDocument* closing, bool* accepted) {
        *accepted = mClosing || shouldCloseDocument(closing);
        if (*accepted && !mClosing) {
            // The window is still inside its close event; let it finish first.
            QTimer::singleShot(0, this, [this, closing] { discard(closing); });
        }
    });
    mDocuments.push_back(std::move(document));
    raw->windowControllerDidLoadNib();
    mCurrent = raw;
    emit documentsChanged();
    emit currentDocumentChanged();
    return raw;
}

void WDocumentController::discard(MyDocument* document)
{
    auto found = std::find_if(mDocuments.begin(), mDocuments.end(),
                              [document](const auto& owned) { return owned.get() == document; });
    if (found == mDocuments.end())
        return;
    std::unique_ptr<MyDocument> gone = std::move(*found);
    mDocuments.erase(found);
    const bool wasCurrent = mCurrent == document;
    if (wasCurrent)
        mCurrent = mDocuments.empty() ? nullptr : mDocuments.back().get();
    gone.reset();
    emit documentsChanged();
    if (wasCurrent)
        emit currentDocumentChanged();
}

MyDocument* WDocumentController::newDocument()
{
    auto document = std::make_unique<MyDocument>();
    ++mUntitledCount;
    document->setProperty("untitledName", mUntitledCount == 1 ? tr("Untitled")
                                                              : tr("Untitled %1").arg(mUntitledCount));
    return adopt(std::move(document));
}

MyDocument* WDocumentController::documentForFile(const QString& path) const
{
    const QString wanted = QFileInfo(path).canonicalFilePath();
    if (wanted.isEmpty())
        return nullptr;
    for (const auto& document : mDocuments) {
        if (!document->fileName().isEmpty() && QFileInfo(document->fileName()).canonicalFilePath() == wanted)
            return document.get();
    }
    return nullptr;
}

MyDocument* WDocumentController::openDocument(const QString& path)
{
    if (MyDocument* open = documentForFile(path)) {
        bringToFront(open);
        emit documentFileUsed(open->fileName());
        return open;
    }
    auto document = std::make_unique<MyDocument>();
    QString error;
    if (!document->readFromFile(path, &error)) {
        WPresenter::shared().showError(
            currentDocument() ? currentDocument()->window() : nullptr,
            tr("The document “%1” could not be opened.").arg(QFileInfo(path).fileName()), error);
        return nullptr;
    }
    MyDocument* opened = adopt(std::move(document));
    emit documentFileUsed(opened->fileName());
    return opened;
}

bool WDocumentController::saveDocument(MyDocument* document)
{
    if (!document)
        return false;
    if (document->fileName().isEmpty())
        return saveDocumentAs(document);
    return saveDocumentTo(document, document->fileName());
}

bool WDocumentController::saveDocumentAs(MyDocument* document)
{
    if (!document)
        return false;
    // The questions and the file dialog run event loops, in which the window may close.
    QPointer<MyDocument> alive(document);
    if (document->undecodableBytes()) {
        // Its bad bytes cannot be written as they are; say what becomes of them first.
        const int answer = WPresenter::shared().ask(document->window(), tr("Save As"),
                                                    document->undecodableSaveQuestion(),
                                                    {tr("Save As…"), tr("Cancel")});
        if (!alive || answer != 0)
            return false;
    }
    const QString suggested = document->fileName().isEmpty() ? document->displayName() : document->fileName();
    const QString path = WPresenter::shared().chooseFileToSave(document->window(), suggested);
    if (!alive || path.isEmpty())
        return false;
    return saveDocumentTo(document, path);
}

bool WDocumentController::saveDocumentTo(MyDocument* document, const QString& path)
{
    // Another program's newer version of the file is not replaced without asking
    // (a read-only text is refused over its file anyway, and a file that was
    // deleted meanwhile is simply saved).
    if (!document->undecodableBytes() && document->fileChangedOnDisk()
        && QFileInfo(path).absoluteFilePath() == document->fileName()) {
        QPointer<MyDocument> alive(document);
        const int answer = WPresenter::shared().ask(
            document->window(), tr("Save"),
            tr("“%1” was changed by another program since you opened it. Replace it with your text?")
                .arg(document->displayName()),
            {tr("Replace"), tr("Cancel")});
        // The window may have closed while the question was up.
        if (!alive || answer != 0)
            return false;
    }
    QString error;
    if (document->saveToFile(path, &error)) {
        emit documentFileUsed(document->fileName());
        return true;
    }
    WPresenter::shared().showError(
        document->window(),
        tr("The document “%1” could not be saved.").arg(QFileInfo(path).fileName()), error);
    return false;
}

bool WDocumentController::revertDocument(MyDocument* document)
{
    if (!document || document->fileName().isEmpty())
        return false;
    if (document->isDocumentEdited()) {
        QPointer<MyDocument> alive(document);
        const int answer = WPresenter::shared().ask(
            document->window(), tr("Revert"),
            tr("Revert “%1” to the saved file? Your changes will be lost.").arg(document->displayName()),
            {tr("Revert"), tr("Cancel")});
        if (!alive || answer != 0)
            return false;
    }
    QString error;
    if (document->revertToSavedFromFile(document->fileName(), MyDocument::documentTypeNameForFile(document->fileName()),
                                        &error))
        return true;
    WPresenter::shared().showError(
        document->window(), tr("The document “%1” could not be reverted.").arg(document->displayName()),
        error + tr(" The document was left as it was."));
    return false;
}

bool WDocumentController::shouldCloseDocument(MyDocument* document)
{
    if (!document->isDocumentEdited())
        return true;
    const int answer = WPresenter::shared().ask(
        document->window(), tr("Close"),
        tr("Do you want to save the changes you made to “%1”?").arg(document->displayName()),
        {tr("Save"), tr("Don't Save"), tr("Cancel")});
    if (answer == 0)
        return saveDocument(document);
    return answer == 1;
}

bool WDocumentController::closeDocument(MyDocument* document)
{
    if (!document || !shouldCloseDocument(document))
        return false;
    mClosing = true;
    document->window()->close();
    mClosing = false;
    discard(document);
    return true;
}

bool WDocumentController::closeAllDocuments()
{
    // Newest first, as windows stack; stop at the first Cancel.
    while (!mDocuments.empty()) {
        if (!closeDocument(mDocuments.back().get()))
            return false;
    }
    return true;
}

MyDocument* WDocumentController::currentDocument() const
{
    return mCurrent;
}

void WDocumentController::setCurrent(MyDocument* document)
{
    if (mCurrent == document)
        return;
    mCurrent = document;
    emit currentDocumentChanged();
}

void WDocumentController::bringToFront(MyDocument* document)
{
    if (!document || !document->window())
        return;
    document->window()->show();
    document->window()->raise();
    document->window()->activateWindow();
    setCurrent(document);
}

void WDocumentController::newDocumentCommand()
{
    newDocument();
}

void WDocumentController::openDocumentCommand()
{
    // The dialog starts where the document in front is, as people mostly open its neighbours.
    MyDocument* front = currentDocument();
    const QString folder =
        front && !front->fileName().isEmpty() ? QFileInfo(front->fileName()).absolutePath() : QString();
    const QStringList paths = WPresenter::shared().chooseFilesToOpen(front ? front->window() : nullptr, folder);
    for (const QString& path : paths)
        openDocument(path);
}

void WDocumentController::closeCommand()
{
    closeDocument(currentDocument());
}

void WDocumentController::saveCommand()
{
    saveDocument(currentDocument());
}

void WDocumentController::saveAsCommand()
{
    saveDocumentAs(currentDocument());
}

void WDocumentController::revertCommand()
{
    revertDocument(currentDocument());
}

void WDocumentController::quitCommand()
{
    if (WAddonExecution::isRunning()) {
        const int answer = WPresenter::shared().ask(
            currentDocument() ? currentDocument()->window() : nullptr, tr("Quit"),
            tr("An add-on is still running. Stop it and quit?"),
            {tr("Stop and Quit"), tr("Cancel")});
        if (answer != 0)
            return;
        WAddonExecution::stopRunning();
    }
    if (closeAllDocuments())
        QApplication::quit();
}
