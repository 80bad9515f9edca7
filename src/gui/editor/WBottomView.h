#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class QMenu;
class WTextCanvas;

// The strip beneath the text. Its menu (on a secondary click, or any click)
// lists the definitions of the current text, or says there are none; choosing
// one selects it.
class WBottomView : public QWidget {
    Q_OBJECT
public:
    using TextTypeProvider = std::function<int32_t()>;

    WBottomView(WTextCanvas* textView, TextTypeProvider textType, QWidget* parent = nullptr);

    // The navigator menu for the text as it is now; the caller owns it.
    QMenu* menuForEvent();

    QSize sizeHint() const override;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void showMenu(const QPoint& globalPosition);

    QPointer<WTextCanvas> myTextView;
    TextTypeProvider mTextType;
};
