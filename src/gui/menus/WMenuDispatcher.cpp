#include "menus/WMenuDispatcher.h"

#include "canvas/WTextCanvas.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <QWidget>

#include <algorithm>
#include <unordered_map>

namespace {

std::unordered_map<const QObject*, WResponder*>& registry()
{
    static std::unordered_map<const QObject*, WResponder*> responders;
    return responders;
}

WResponder* applicationResponder = nullptr;

std::function<QWidget*()>& mainWindowProvider()
{
    static std::function<QWidget*()> provider;
    return provider;
}

// The responders from the object outwards, each once.
void appendFrom(WResponderChain& chain, QObject* start)
{
    for (QObject* object = start; object; object = object->parent()) {
        WResponder* responder = WMenuDispatcher::responderOf(object);
        if (responder && std::find(chain.responders().begin(), chain.responders().end(), responder)
                             == chain.responders().end())
            chain.append(responder);
    }
}

// Where a window's commands start: its text view.
QObject* textStartOf(QWidget* window)
{
    WTextCanvas* view = window ? window->findChild<WTextCanvas*>() : nullptr;
    return view ? static_cast<QObject*>(view) : window;
}

// Where the commands of a window that has not the keyboard start: the widget
// that last had the focus there.
QObject* firstResponderOf(QWidget* window)
{
    QWidget* focus = window ? window->focusWidget() : nullptr;
    if (qobject_cast<QMenuBar*>(focus) || qobject_cast<QMenu*>(focus))
        return textStartOf(window);
    return focus ? static_cast<QObject*>(focus) : window;
}

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

void WMenuDispatcher::setMainWindowProvider(std::function<QWidget*()> provider)
{
    mainWindowProvider() = std::move(provider);
}

WResponderChain WMenuDispatcher::currentChain()
{
    WResponderChain chain;
    // While a menu or the menu bar holds the keyboard, the commands still
    // belong to the active window's text, so start from its text view.
    QObject* start = QApplication::focusWidget();
    if (qobject_cast<QMenuBar*>(start) || qobject_cast<QMenu*>(start))
        start = textStartOf(QApplication::activeWindow());
    else if (!start)
        start = QApplication::activeWindow();
    appendFrom(chain, start);
    if (const auto& provider = mainWindowProvider())
        appendFrom(chain, firstResponderOf(provider()));
    chain.append(applicationResponder);
    return chain;
}

bool WMenuDispatcher::sendAction(WMenuItem& item)
{
    return currentChain().sendAction(item);
}
