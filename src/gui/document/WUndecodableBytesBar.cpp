#include "document/WUndecodableBytesBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

WUndecodableBytesBar::WUndecodableBytesBar(const QString& message, std::function<void()> showFirstBadByte,
                                           QWidget* parent)
    : QFrame(parent),
      mMessage(new QLabel(message, this)),
      mShowButton(new QPushButton(QStringLiteral("Show First Bad Byte"), this))
{
    setObjectName(QStringLiteral("undecodableBytesBar"));
    setFrameShape(QFrame::StyledPanel);
    // The warm colour of a message bar, whatever the style draws panels with.
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(0xFF, 0xF4, 0xCE));
    colours.setColor(QPalette::WindowText, QColor(0x3B, 0x2F, 0x00));
    setPalette(colours);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 5, 8, 5);
    row->setSpacing(8);
    auto* icon = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(size, size));
    icon->setAlignment(Qt::AlignTop);
    mMessage->setWordWrap(true);
    mMessage->setTextInteractionFlags(Qt::TextSelectableByMouse);
    mShowButton->setFocusPolicy(Qt::NoFocus);
    row->addWidget(icon);
    row->addWidget(mMessage, 1);
    row->addWidget(mShowButton, 0, Qt::AlignTop);
    connect(mShowButton, &QPushButton::clicked, this, [show = std::move(showFirstBadByte)] {
        if (show)
            show();
    });
}

QString WUndecodableBytesBar::message() const
{
    return mMessage->text();
}

void WUndecodableBytesBar::setMessage(const QString& message)
{
    mMessage->setText(message);
}
