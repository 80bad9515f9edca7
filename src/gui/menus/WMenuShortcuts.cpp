#include "menus/WMenuShortcuts.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QShortcut>
#include <QVariant>

#include "app/WApplicationDel.h"
#include "editor/WKeyAssignServer.h"
#include "editor/WTextViewController.h"
#include "canvas/WTextCanvas.h"
#include "prefs/WPrefsServer.h"

namespace {

// Every shortcut of the object, and those the scheme left it when last applied.
const char* const kAllProperty = "wexelAllShortcuts";
const char* const kShownProperty = "wexelShownShortcuts";

QList<QKeySequence> sequencesOf(const QVariant& value)
{
    return value.value<QList<QKeySequence>>();
}

QList<QKeySequence> freeUnder(int32_t scheme, const QList<QKeySequence>& shortcuts)
{
    QList<QKeySequence> free;
    for (const QKeySequence& sequence : shortcuts) {
        if (!sequence.isEmpty() && !WMenuShortcuts::schemeTakes(scheme, sequence))
            free.append(sequence);
    }
    return free;
}

// What the object should have under every scheme: what it was given through
// us, unless someone has set other shortcuts on it since.
template <typename Object, typename Current>
QList<QKeySequence> remembered(Object* object, Current current)
{
    const QVariant all = object->property(kAllProperty);
    if (all.isValid() && sequencesOf(object->property(kShownProperty)) == current)
        return sequencesOf(all);
    return current;
}

template <typename Object, typename Apply>
void give(Object* object, const QList<QKeySequence>& all, int32_t scheme, Apply apply)
{
    const QList<QKeySequence> shown = freeUnder(scheme, all);
    object->setProperty(kAllProperty, QVariant::fromValue(all));
    object->setProperty(kShownProperty, QVariant::fromValue(shown));
    apply(shown);
}

void applyToAction(QAction* action, int32_t scheme)
{
    if (action->isSeparator())
        return;
    const QList<QKeySequence> all = remembered(action, action->shortcuts());
    if (all.isEmpty() && !action->property(kAllProperty).isValid())
        return;
    give(action, all, scheme, [action](const QList<QKeySequence>& shown) { action->setShortcuts(shown); });
}

void applyToShortcut(QShortcut* shortcut, int32_t scheme)
{
    if (!shortcut->property(kAllProperty).isValid())
        return;  // not one of ours
    give(shortcut, remembered(shortcut, shortcut->keys()), scheme,
         [shortcut](const QList<QKeySequence>& shown) { shortcut->setKeys(shown); });
}

}  // namespace

int32_t WMenuShortcuts::activeScheme()
{
    WApplicationDel* application = WApplicationDel::shared();
    return application ? application->prefsServer().intForKey("key_bind_type") : int32_t(WSystemDefault);
}

bool WMenuShortcuts::schemeTakes(int32_t scheme, const QKeySequence& sequence)
{
    if (sequence.isEmpty())
        return false;
    const QKeyCombination first = sequence[0];
    // The key as the text view would receive it, so the answer is the one the view gives.
    const QKeyEvent event(QEvent::KeyPress, first.key(), first.keyboardModifiers());
    const auto key = WTextViewController::keyEventFor(event);
    return key && WKeyAssignServer::takesKey(scheme, *key);
}

void WMenuShortcuts::setShortcuts(QAction* action, const QList<QKeySequence>& shortcuts)
{
    if (action)
        give(action, shortcuts, activeScheme(), [action](const QList<QKeySequence>& shown) { action->setShortcuts(shown); });
}

void WMenuShortcuts::setShortcuts(QShortcut* shortcut, const QList<QKeySequence>& keys)
{
    if (shortcut)
        give(shortcut, keys, activeScheme(), [shortcut](const QList<QKeySequence>& shown) { shortcut->setKeys(shown); });
}

QList<QKeySequence> WMenuShortcuts::allShortcuts(const QAction* action)
{
    return action ? remembered(action, action->shortcuts()) : QList<QKeySequence>{};
}

void WMenuShortcuts::applyKeyScheme(QMenu* menu, int32_t scheme)
{
    if (!menu)
        return;
    for (QAction* action : menu->actions()) {
        if (action->menu())
            applyKeyScheme(action->menu(), scheme);
        else
            applyToAction(action, scheme);
    }
}

void WMenuShortcuts::applyKeyScheme()
{
    const int32_t scheme = activeScheme();
    if (WApplicationDel* application = WApplicationDel::shared()) {
        for (QMenu* menu : application->mainMenus())
            applyKeyScheme(menu, scheme);
    }
    // Context menus are made afresh each time; the documents' windows keep shortcuts of their own.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        for (QShortcut* shortcut : widget->findChildren<QShortcut*>())
            applyToShortcut(shortcut, scheme);
    }
}
