#include "document/WDocumentWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "canvas/WTextCanvas.h"

namespace {
QComboBox* makePopup(QWidget* parent, const QString& toolTip, const QStringList& titles)
{
    auto* popup = new QComboBox(parent);
    popup->setToolTip(toolTip);
    popup->setFocusPolicy(Qt::NoFocus);
    popup->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (int index = 0; index < titles.size(); ++index)
        popup->addItem(titles[index], index);  // tag = position
    return popup;
}
}  // namespace

WDocumentWindow::WDocumentWindow(QWidget* parent)
    : QMainWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* central = new QWidget(this);
    auto* column = mColumn = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* bar = new QWidget(central);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(6, 3, 6, 3);
    row->setSpacing(6);
    mCharacterCodePopup = makePopup(bar, tr("Character code"),
                                    {QStringLiteral("Shift JIS"), QStringLiteral("JIS"), QStringLiteral("EUC"),
                                     QStringLiteral("UTF-8"), QStringLiteral("UTF-16")});
    mReturnCodePopup = makePopup(bar, tr("Line ends"),
                                 {QStringLiteral("LF"), QStringLiteral("CR"), QStringLiteral("CR LF")});
    mTextTypePopup = makePopup(bar, tr("Text type"), {});
    mLineNumberView = new QLineEdit(QStringLiteral("1"), bar);
    mLineNumberView->setReadOnly(true);
    mLineNumberView->setFocusPolicy(Qt::NoFocus);
    mLineNumberView->setAlignment(Qt::AlignRight);
    mLineNumberView->setMaximumWidth(mLineNumberView->fontMetrics().horizontalAdvance(u'0') * 9);
    mLineNumberView->setToolTip(tr("Line of the selection"));
    row->addWidget(mCharacterCodePopup);
    row->addWidget(mReturnCodePopup);
    row->addWidget(mTextTypePopup);
    mIncompatibleButton = new QToolButton(bar);
    mIncompatibleButton->setObjectName(QStringLiteral("incompatibleCharactersButton"));
    mIncompatibleButton->setFocusPolicy(Qt::NoFocus);
    mIncompatibleButton->setAutoRaise(true);
    mIncompatibleButton->hide();
    row->addWidget(mIncompatibleButton);
    row->addStretch(1);
    row->addWidget(new QLabel(tr("Line"), bar));
    row->addWidget(mLineNumberView);

    mTextView = new WTextCanvas(central);
    column->addWidget(bar);
    column->addWidget(mTextView, 1);
    setCentralWidget(central);

    mCaretPosition = new QLabel(this);
    mCaretPosition->setObjectName(QStringLiteral("caretPosition"));
    statusBar()->addPermanentWidget(mCaretPosition);
    setCaretPosition(1, 1);
    connect(mTextView, &WTextCanvas::cursorPositionChanged, statusBar(), &QStatusBar::clearMessage);
}

void WDocumentWindow::showStatusMessage(const QString& message)
{
    statusBar()->showMessage(message, 5000);
}

QString WDocumentWindow::statusMessage() const
{
    return statusBar()->currentMessage();
}

void WDocumentWindow::setCaretPosition(uint32_t line, uint32_t column)
{
    mCaretPosition->setText(tr("Line %1, Column %2").arg(line).arg(column));
}

void WDocumentWindow::addBarAboveText(QWidget* strip)
{
    mColumn->insertWidget(mColumn->indexOf(mTextView), strip);
}

void WDocumentWindow::closeEvent(QCloseEvent* event)
{
    if (shouldClose && !shouldClose()) {
        event->ignore();
        return;
    }
    event->accept();
}

void WDocumentWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        emit becameMain();
    QMainWindow::changeEvent(event);
}
