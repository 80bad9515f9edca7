#include "app/WPresenter.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {
std::unique_ptr<WPresenter>& installed()
{
    static std::unique_ptr<WPresenter> presenter;
    return presenter;
}

QMessageBox* makeBox(QWidget* window, const QString& title, const QString& message, const QStringList& buttons,
                     std::vector<QAbstractButton*>& made)
{
    auto* box = new QMessageBox(window);
    box->setWindowTitle(title);
    box->setText(message);
    box->setIcon(QMessageBox::Warning);
    for (int index = 0; index < buttons.size(); ++index) {
        QMessageBox::ButtonRole role = index == 0 ? QMessageBox::AcceptRole
                                     : buttons[index] == QCoreApplication::translate("WPresenter", "Cancel") ? QMessageBox::RejectRole
                                                                                 : QMessageBox::DestructiveRole;
        QPushButton* button = box->addButton(buttons[index], role);
        if (index == 0)
            box->setDefaultButton(button);
        made.push_back(button);
    }
    return box;
}

int indexOf(const std::vector<QAbstractButton*>& buttons, QAbstractButton* clicked)
{
    for (size_t index = 0; index < buttons.size(); ++index) {
        if (buttons[index] == clicked)
            return static_cast<int>(index);
    }
    return -1;
}
}  // namespace

WPresenter& WPresenter::shared()
{
    auto& presenter = installed();
    if (!presenter)
        presenter = std::make_unique<WPresenter>();
    return *presenter;
}

void WPresenter::setShared(std::unique_ptr<WPresenter> presenter)
{
    installed() = std::move(presenter);
}

void WPresenter::showError(QWidget* window, const QString& message, const QString& details)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Wexel"), message, QMessageBox::Ok, window);
    if (!details.isEmpty())
        box.setInformativeText(details);
    box.exec();
}

int WPresenter::ask(QWidget* window, const QString& title, const QString& message, const QStringList& buttons)
{
    std::vector<QAbstractButton*> made;
    std::unique_ptr<QMessageBox> box(makeBox(window, title, message, buttons, made));
    box->exec();
    return indexOf(made, box->clickedButton());
}

void WPresenter::askLater(QWidget* window, const QString& title, const QString& message,
                          const QStringList& buttons, std::function<void(int)> ended)
{
    std::vector<QAbstractButton*> made;
    QMessageBox* box = makeBox(window, title, message, buttons, made);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box, [box, made, ended = std::move(ended)](int) {
        ended(indexOf(made, box->clickedButton()));
    });
    box->open();
}

void WPresenter::inform(QWidget* window, const QString& title, const QString& message)
{
    auto* box = new QMessageBox(QMessageBox::Information, title, message, QMessageBox::Ok, window);
    // Shown as written: the counts are laid out with blanks and line breaks.
    box->setTextFormat(Qt::PlainText);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

QStringList WPresenter::chooseFilesToOpen(QWidget* window, const QString& folder)
{
    return QFileDialog::getOpenFileNames(window, QCoreApplication::translate("WPresenter", "Open"), folder);
}

QString WPresenter::chooseFileToSave(QWidget* window, const QString& suggestedPath)
{
    return QFileDialog::getSaveFileName(window, QCoreApplication::translate("WPresenter", "Save As"), suggestedPath);
}
