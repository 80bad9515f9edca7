#include "app/WGotoLineWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

WGotoLineWindow::WGotoLineWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool)
{
    setWindowTitle(QStringLiteral("Go to Line"));
    auto* row = new QHBoxLayout(this);
    row->addWidget(new QLabel(QStringLiteral("Line:"), this));
    myGotoLineTextField = new QLineEdit(this);
    myGotoLineTextField->setMinimumWidth(120);
    row->addWidget(myGotoLineTextField);
    connect(myGotoLineTextField, &QLineEdit::returnPressed, this,
            [this] { emit lineChosen(myGotoLineTextField->text()); });
}
