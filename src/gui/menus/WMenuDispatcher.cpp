#include "menus/WMenuDispatcher.h"

#include "editor/WTextViewWidget.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <QWidget>

#include <unordered_map>

namespace {

std::unordered_map<const QObject*, WResponder*>& registry()
{
    static std::unordered_map<const QObject*, WResponder*> responders;
    return responders;
}

WResponder* applicationResponder = nullptr;

}  // namespace

void WMenuDispatcher::setResponder(QObject* object, WResponder* responder)
{
    if (!object)
        return;
    if (!responder) {
        registry().erase(object);
        return;
    }
    bool known = registry().count(object) > 0;
    registry()[object] = responder;
    if (!known)
        QObject::connect(object, &QObject::destroyed, [object] { registry().erase(object); });
}

WResponder* WMenuDispatcher::responderOf(const QObject* object)
{
    auto found = registry().find(object);
    return found == registry().end() ? nullptr : found->second;
}

void WMenuDispatcher::forget(WResponder* responder)
{
    std::erase_if(registry(), [responder](const auto& entry) { return entry.second == responder; });
    if (applicationResponder == responder)
        applicationResponder = nullptr;
}

void WMenuDispatcher::setApplicationResponder(WResponder* responder)
{
    applicationResponder = responder;
}

WResponderChain WMenuDispatcher::currentChain()
{
    WResponderChain chain;
    // While a menu or the menu bar holds the keyboard, the commands still
    // belong to the active window's text, so start from its text view.
    QObject* start = QApplication::focusWidget();
    if (qobject_cast<QMenuBar*>(start) || qobject_cast<QMenu*>(start)) {
        QWidget* window = QApplication::activeWindow();
        WTextViewWidget* view = window ? window->findChild<WTextViewWidget*>() : nullptr;
        start = view ? static_cast<QObject*>(view) : window;
    } else if (!start) {
        start = QApplication::activeWindow();
    }
    for (QObject* object = start; object; object = object->parent()) {
        if (WResponder* responder = responderOf(object))
            chain.append(responder);
    }
    chain.append(applicationResponder);
    return chain;
}

bool WMenuDispatcher::sendAction(WMenuItem& item)
{
    return currentChain().sendAction(item);
}
