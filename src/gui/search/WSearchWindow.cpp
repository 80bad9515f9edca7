#include "search/WSearchWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

WSearchWindow::WSearchWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool)
    , mySearchField(new QLineEdit(this))
    , myReplaceField(new QLineEdit(this))
    , myIgnoreCaseCheckBox(new QCheckBox(tr("Ignore &case"), this))
    , myUseRegexCheckBox(new QCheckBox(tr("Regular e&xpression"), this))
{
    setObjectName(QStringLiteral("SearchWindow"));
    setWindowTitle(tr("Find and Replace"));
    // A hidden panel must not keep the editor running once the last document is closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    mySearchField->setObjectName(QStringLiteral("searchField"));
    myReplaceField->setObjectName(QStringLiteral("replaceField"));
    mySearchField->setMinimumWidth(mySearchField->fontMetrics().averageCharWidth() * 36);
    myUseRegexCheckBox->setEnabled(false);
    myUseRegexCheckBox->setToolTip(tr("Searches match the text as typed"));

    auto* fields = new QFormLayout;
    fields->addRow(tr("F&ind:"), mySearchField);
    fields->addRow(tr("Replace &with:"), myReplaceField);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(myIgnoreCaseCheckBox);
    boxes->addWidget(myUseRegexCheckBox);
    boxes->addStretch(1);
    fields->addRow(QString(), boxes);

    // Two rows: what acts on the document, then what only closes the panel.
    auto* buttons = new QGridLayout;
    auto addButton = [this, buttons](const QString& title, int row, int column, void (WSearchWindow::*pressed)()) {
        auto* button = new QPushButton(title, this);
        button->setAutoDefault(false);
        buttons->addWidget(button, row, column);
        connect(button, &QPushButton::clicked, this, pressed);
        return button;
    };
    addButton(tr("Replace &All"), 0, 0, &WSearchWindow::replaceAllButtonPressed);
    addButton(tr("&Replace"), 0, 1, &WSearchWindow::replaceButtonPressed);
    addButton(tr("Replace && Fi&nd"), 0, 2, &WSearchWindow::replaceAndFindButtonPressed);
    addButton(tr("&Previous"), 0, 3, &WSearchWindow::searchBackwardButtonPressed);
    addButton(tr("&Set"), 1, 1, &WSearchWindow::setButtonPressed)
        ->setToolTip(tr("Keep these strings for Find Next and Find Previous and close the panel"));
    addButton(tr("Cancel"), 1, 2, &WSearchWindow::cancelButtonPressed);
    QPushButton* find = addButton(tr("&Find"), 1, 3, &WSearchWindow::searchButtonPressed);
    // Return in either field finds.
    find->setDefault(true);
    connect(mySearchField, &QLineEdit::returnPressed, this, &WSearchWindow::searchButtonPressed);
    connect(myReplaceField, &QLineEdit::returnPressed, this, &WSearchWindow::searchButtonPressed);

    connect(myIgnoreCaseCheckBox, &QCheckBox::clicked, this, &WSearchWindow::ignoreCaseButtonPressed);
    connect(myUseRegexCheckBox, &QCheckBox::clicked, this, &WSearchWindow::useRegexButtonPressed);

    auto* column = new QVBoxLayout(this);
    column->addLayout(fields);
    column->addLayout(buttons);
    setFixedHeight(sizeHint().height());
}

QString WSearchWindow::shownText(const QString& title)
{
    // "&&" shows one "&"; a single "&" marks the Alt letter and is not shown.
    QString shown;
    for (qsizetype i = 0; i < title.size(); ++i) {
        if (title[i] == QLatin1Char('&') && i + 1 < title.size())
            ++i;
        shown += title[i];
    }
    return shown;
}

QPushButton* WSearchWindow::button(const QString& title) const
{
    for (auto* candidate : findChildren<QPushButton*>()) {
        if (shownText(candidate->text()) == title)
            return candidate;
    }
    return nullptr;
}

void WSearchWindow::closeEvent(QCloseEvent* event)
{
    // The close button is Cancel; the panel stays for the next time.
    event->ignore();
    emit cancelButtonPressed();
}

void WSearchWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        emit cancelButtonPressed();
        return;
    }
    QWidget::keyPressEvent(event);
}
