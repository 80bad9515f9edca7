#include "editor/WBottomView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <memory>

#include "editor/WNavigator.h"
#include "canvas/WTextCanvas.h"

WBottomView::WBottomView(WTextCanvas* textView, TextTypeProvider textType, QWidget* parent)
    : QWidget(parent), myTextView(textView), mTextType(std::move(textType))
{
    setToolTip(tr("Definitions in the text"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QSize WBottomView::sizeHint() const
{
    return {100, fontMetrics().height() + 6};
}

QMenu* WBottomView::menuForEvent()
{
    auto* menu = new QMenu(this);
    static const std::u16string noText;
    const std::u16string& text = myTextView ? myTextView->string() : noText;
    const auto items = WNavigator::definitionItems(text, mTextType ? mTextType() : 0);
    if (items.empty()) {
        // Said rather than showing nothing, so the click is not taken for broken.
        menu->addAction(tr("no definitions"))->setEnabled(false);
        return menu;
    }
    for (const auto& item : items) {
        // Titles are the text's own: an "&" in them is shown, not taken as a mnemonic.
        QString title = QString::fromStdU16String(item.title);
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = menu->addAction(title);
        const WRange range = item.range;
        QPointer<WTextCanvas> view = myTextView;
        connect(action, &QAction::triggered, this, [view, range] {
            if (!view)
                return;
            view->setSelectedRange(range);
            view->scrollRangeToVisible(range);
            view->setFocus();
        });
    }
    return menu;
}

void WBottomView::showMenu(const QPoint& globalPosition)
{
    std::unique_ptr<QMenu> menu(menuForEvent());
    menu->exec(globalPosition);
}

void WBottomView::contextMenuEvent(QContextMenuEvent* event)
{
    showMenu(event->globalPos());
}

void WBottomView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        showMenu(event->globalPosition().toPoint());
}

void WBottomView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(rect().topLeft(), rect().topRight());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect().adjusted(6, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft, tr("\u25BE Definitions"));
}
