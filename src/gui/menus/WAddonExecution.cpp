#include "menus/WAddonExecution.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QWidget>

#include "app/WPresenter.h"
#include "editor/WTextViewPlatform.h"
#include "platform/WPlatform.h"

namespace {
int progressDelay = 2000;
bool running = false;
bool stopRequested = false;
}  // namespace

void WAddonExecution::setProgressDelay(int milliseconds)
{
    progressDelay = milliseconds;
}

bool WAddonExecution::isRunning()
{
    return running;
}

void WAddonExecution::stopRunning()
{
    if (running)
        stopRequested = true;
}

WAddonResult WAddonExecution::execute(const std::filesystem::path& file, WTextViewPlatform& view,
                                      QWidget* viewWidget, const std::optional<std::filesystem::path>& documentPath)
{
    // One script at a time: the text it was given must be the text it answers for.
    if (running) {
        WPlatform::shared().beep();
        WAddonResult busy;
        busy.message = "Another add-on is still running.";
        return busy;
    }
    running = true;
    stopRequested = false;
    // The event loop below runs every other part of the editor, which may
    // close this window; everything of it is watched, nothing is assumed.
    QPointer<QWidget> watched(viewWidget);
    QPointer<QWidget> window(viewWidget ? viewWidget->window() : nullptr);

    WAddon addon(file);
    std::unique_ptr<WAddonRun> run = addon.start(view.string(), view.selectedRange(), documentPath);
    QElapsedTimer clock;
    clock.start();
    QPointer<QProgressDialog> dialog;  // owned by the window, so it goes with it
    bool dialogShown = false;
    while (!run->poll(20)) {
        if (!watched || stopRequested || (dialog && dialog->wasCanceled())) {
            run->stop();
            break;
        }
        if (!dialogShown && window && clock.elapsed() >= progressDelay) {
            dialog = new QProgressDialog(
                QObject::tr("Running \u201C%1\u201D\u2026").arg(QString::fromStdString(file.filename().string())),
                QObject::tr("Stop"), 0, 0, window);
            dialog->setWindowTitle(QObject::tr("Add-on"));
            dialog->setWindowModality(Qt::WindowModal);
            dialog->setMinimumDuration(0);
            dialog->show();
            dialogShown = true;
        }
        // Until the dialog shows, the window repaints but takes no input, so the
        // text cannot change under the script.
        QApplication::processEvents(dialogShown ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    }
    delete dialog.data();
    running = false;
    stopRequested = false;

    WAddonResult result = run->result();
    run.reset();  // its temporary files go now, whatever comes next
    if (!watched)
        return result;  // the window is gone, and with it whom to tell
    if (!result.message.empty())
        WPresenter::shared().showError(window, QString::fromStdString(result.message));
    const std::u16string* replacement = result.replacement();
    if (!replacement || !watched)
        return result;
    if (result.type == WReplaceSelection)
        view.insertText(*replacement);
    else
        view.setString(*replacement);
    return result;
}
