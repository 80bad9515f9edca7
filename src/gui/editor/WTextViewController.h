#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "editor/WTextView.h"

class QKeyEvent;
class QMenu;
class QMimeData;
class QWidget;
class MyDocument;
class WMenu;
class WMenuItem;
class WTextCanvas;

// Joins a text widget to the editing commands: keys go through the active
// key scheme before Qt's handling and before any menu shortcut, drags and
// drops follow the view's drop rules, and the context menu is the view's.
// The editing commands answer menu commands while the widget has the focus.
// It lives as a child of the widget.
class WTextViewController : public QObject {
    Q_OBJECT
public:
    WTextViewController(WTextCanvas* widget, WTextView::Hooks hooks);
    ~WTextViewController() override;

    // Wires a document's window: the controller on its text view (scheme and
    // XHTML choice from the preferences, auto-indent and file name from the
    // document, saving through the document controller) and the navigator
    // view beneath the text.
    static WTextViewController* installInDocument(MyDocument& document);

    // The controller of a text widget, or null when it has none.
    static WTextViewController* controllerOf(const WTextCanvas* widget);

    WTextView& textView() { return mTextView; }
    WTextCanvas* widget() const { return mWidget; }

    // The key as the schemes see it; nothing for keys that only change modifiers.
    static std::optional<WKeyEvent> keyEventFor(const QKeyEvent& event);
    static WDragInfo dragInfoFor(const QMimeData& mime, Qt::DropActions possible);

    // Shows the view's context menu at a point of the widget.
    void showContextMenu(const QPoint& position);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool routeKey(QKeyEvent* event);

    // The parent; null from the moment it starts to go, when its base-class
    // destructors still send events through the filter.
    WTextCanvas* mWidget;
    WTextView mTextView;

    // The answer given while Qt asked whether a key overrides shortcuts; the
    // key press that follows is answered the same without running it twice.
    struct Pending {
        int key = 0;
        Qt::KeyboardModifiers modifiers;
        quint64 timestamp = 0;
        bool taken = false;
        bool valid = false;
    } mPending;
};
