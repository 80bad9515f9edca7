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
}  // namespace

void WAddonExecution::setProgressDelay(int milliseconds)
{
    progressDelay = milliseconds;
}

bool WAddonExecution::isRunning()
{
    return running;
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
    QPointer<QWidget> watched(viewWidget);
    QWidget* window = viewWidget ? viewWidget->window() : nullptr;

    WAddon addon(file);
    std::unique_ptr<WAddonRun> run = addon.start(view.string(), view.selectedRange(), documentPath);
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QProgressDialog> dialog;
    while (!run->poll(20)) {
        if (!dialog && clock.elapsed() >= progressDelay) {
            dialog = std::make_unique<QProgressDialog>(
                QObject::tr("Running \u201C%1\u201D\u2026").arg(QString::fromStdString(file.filename().string())),
                QObject::tr("Stop"), 0, 0, window);
            dialog->setWindowTitle(QObject::tr("Add-on"));
            dialog->setWindowModality(Qt::WindowModal);
            dialog->setMinimumDuration(0);
            dialog->show();
        }
        // Until the dialog shows, the window repaints but takes no input, so the
        // text cannot change under the script.
        QApplication::processEvents(dialog ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
        if (dialog && dialog->wasCanceled())
            run->stop();
    }
    dialog.reset();
    running = false;

    WAddonResult result = run->result();
    if (!result.message.empty())
        WPresenter::shared().showError(watched ? window : nullptr, QString::fromStdString(result.message));
    const std::u16string* replacement = result.replacement();
    if (!replacement || !watched)
        return result;
    if (result.type == WReplaceSelection)
        view.insertText(*replacement);
    else
        view.setString(*replacement);
    return result;
}
