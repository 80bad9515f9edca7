#pragma once

#include <QColor>
#include <QToolButton>

// A swatch showing one colour; clicking it asks for another in the colour panel.
// It keeps the colour only: the preference window reads it when OK is pressed.
class WColorWell : public QToolButton {
    Q_OBJECT
public:
    explicit WColorWell(const QString& title, QWidget* parent = nullptr);

    QColor color() const { return mColor; }
    void setColor(const QColor& color);

signals:
    void colorChanged(const QColor& color);

private:
    void chooseColor();

    QString mTitle;
    QColor mColor;
};
