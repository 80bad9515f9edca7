#include "app/WGotoLineWindow.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

WGotoLineWindow::WGotoLineWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool)
{
    setWindowTitle(tr("Go to Line"));
    auto* row = new QHBoxLayout(this);
    row->addWidget(new QLabel(tr("Line:"), this));
    myGotoLineTextField = new QLineEdit(this);
    myGotoLineTextField->setMinimumWidth(120);
    row->addWidget(myGotoLineTextField);
    connect(myGotoLineTextField, &QLineEdit::returnPressed, this,
            [this] { emit lineChosen(myGotoLineTextField->text()); });
}

void WGotoLineWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        emit cancelled();
        return;
    }
    QWidget::keyPressEvent(event);
}
