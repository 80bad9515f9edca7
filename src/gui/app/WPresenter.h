#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QWidget;

// Every question and alert the application puts to the user goes through here,
// so that tests can answer them without a dialog blocking the event loop.
class WPresenter {
public:
    virtual ~WPresenter() = default;

    // A failure the user should know about; returns when it has been seen.
    virtual void showError(QWidget* window, const QString& message, const QString& details = {});
    // A question answered at once: the index of the chosen button, or -1.
    virtual int ask(QWidget* window, const QString& title, const QString& message, const QStringList& buttons);
    // A question attached to the window; `ended` runs later with the index of
    // the chosen button (0 is the default button).
    virtual void askLater(QWidget* window, const QString& title, const QString& message,
                          const QStringList& buttons, std::function<void(int)> ended);
    // A message attached to the window with one OK button; nothing follows its closing.
    virtual void inform(QWidget* window, const QString& title, const QString& message);
    // File choices; empty when the user cancels. The Open dialog starts in
    // folder (its own choice when empty).
    virtual QStringList chooseFilesToOpen(QWidget* window, const QString& folder);
    virtual QString chooseFileToSave(QWidget* window, const QString& suggestedPath);

    static WPresenter& shared();
    // Installs a presenter (owned); null goes back to the dialogs.
    static void setShared(std::unique_ptr<WPresenter> presenter);
};
