// The document's commands that reach past its window: the browser, the tag
// file's editor and the information sheet.
#include <QFileInfo>
#include <QPointer>
#include <QUrl>

#include "app/WApplicationDel.h"
#include "app/WDocumentController.h"
#include "app/WPresenter.h"
#include "document/MyDocument.h"
#include "document/WBrowserChoice.h"
#include "document/WBrowserLauncher.h"
#include "document/WDocumentWindow.h"
#include "document/WTextInformation.h"
#include "canvas/WTextCanvas.h"
#include "platform/WLog.h"
#include "platform/WPlatform.h"
#include "prefs/WPrefsServer.h"

void MyDocument::openWithBrowser()
{
    if (mFileName.isEmpty()) {
        WPlatform::shared().beep();
        return;
    }
    WApplicationDel* application = WApplicationDel::shared();
    if (!application)
        return;
    if (isDocumentEdited()) {
        // Saving may ask first and the window may close meanwhile. A save that
        // fails has said why; the browser then shows the file as it is on disk.
        QPointer<MyDocument> alive(this);
        application->documentController().saveDocument(this);
        if (!alive)
            return;
    }
    const WPrefsServer& preferences = application->prefsServer();
    const WBrowserChoice choice = WBrowserChoice::choose(
        preferences.intForKey("preferred_browser"), preferences.stringForKey("browser_command"),
        preferences.boolForKey("always_makes_a_new_window"), QUrl::fromLocalFile(mFileName).toEncoded().toStdString());
    // A browser that cannot be started is not reported to the user.
    if (!WBrowserLauncher::open(choice))
        WLog::write("MyDocument : openWithBrowser: - the browser could not be started.");
}

QString MyDocument::userDefinedTagFile()
{
    return QString::fromStdString((WPlatform::shared().userLibraryFolder() / "UserDefinedTags.txt").string());
}

void MyDocument::openUserDefinedTagFile()
{
    const QString file = userDefinedTagFile();
    // The desktop's opener starts even for a missing file; ask first.
    if (!QFileInfo(file).isFile() || !WPlatform::shared().openFile(file.toStdString()))
        WLog::write("MyDocument : openUserDefinedTagFile: - no such file.");
}

void MyDocument::showInformationDialog()
{
    if (!myTextView)
        return;
    const WTextInformation information = WTextInformation::of(myTextView->string(), myTextView->selectedRange());
    WPresenter::shared().inform(myWindow, tr("Text Information"),
                                QString::fromStdString(information.message()));
}
