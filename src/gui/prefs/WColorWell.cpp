#include "prefs/WColorWell.h"

#include <QColorDialog>
#include <QPixmap>
#include <QPointer>

WColorWell::WColorWell(const QString& title, QWidget* parent) : QToolButton(parent), mTitle(title)
{
    setIconSize(QSize(44, 18));
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setAccessibleName(title);
    setToolTip(title);
    connect(this, &QToolButton::clicked, this, &WColorWell::chooseColor);
    setColor(Qt::black);
}

void WColorWell::setColor(const QColor& color)
{
    mColor = color;
    QPixmap swatch(iconSize());
    swatch.fill(color);
    setIcon(QIcon(swatch));
    setText(color.name());
    emit colorChanged(color);
}

void WColorWell::chooseColor()
{
    // Qt's own panel, the same on every desktop, with a field for #rrggbb.
    QPointer<WColorWell> self(this);
    const QColor chosen = QColorDialog::getColor(mColor, this, mTitle, QColorDialog::DontUseNativeDialog);
    if (self && chosen.isValid())
        setColor(chosen);
}
