#include "document/WMessageBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

WMessageBar::WMessageBar(const QString& message, QWidget* parent)
    : QFrame(parent),
      mMessage(new QLabel(message, this)),
      mRow(new QHBoxLayout(this))
{
    setFrameShape(QFrame::StyledPanel);
    // The warm colour of a message bar, whatever the style draws panels with.
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(0xFF, 0xF4, 0xCE));
    colours.setColor(QPalette::WindowText, QColor(0x3B, 0x2F, 0x00));
    setPalette(colours);

    mRow->setContentsMargins(8, 5, 8, 5);
    mRow->setSpacing(8);
    auto* icon = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(size, size));
    icon->setAlignment(Qt::AlignTop);
    mMessage->setWordWrap(true);
    mMessage->setTextInteractionFlags(Qt::TextSelectableByMouse);
    mRow->addWidget(icon);
    mRow->addWidget(mMessage, 1);
}

QString WMessageBar::message() const
{
    return mMessage->text();
}

void WMessageBar::setMessage(const QString& message)
{
    mMessage->setText(message);
}

QPushButton* WMessageBar::addButton(const QString& title, std::function<void()> action)
{
    auto* button = new QPushButton(title, this);
    // The caret stays in the text.
    button->setFocusPolicy(Qt::NoFocus);
    mRow->addWidget(button, 0, Qt::AlignTop);
    mButtons.append(button);
    connect(button, &QPushButton::clicked, this, [action = std::move(action)] {
        if (action)
            action();
    });
    return button;
}

QPushButton* WMessageBar::button(const QString& title) const
{
    for (QPushButton* button : mButtons) {
        if (button->text() == title)
            return button;
    }
    return nullptr;
}
