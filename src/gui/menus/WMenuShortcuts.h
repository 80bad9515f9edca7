#pragma once

#include <QKeySequence>
#include <QList>

#include <cstdint>

class QAction;
class QMenu;
class QShortcut;

// Keeps the menus (and the few window shortcuts) from promising a key that the
// active key scheme takes for itself: such a key never reaches the shortcut
// while the text has the focus, so the item shows its other shortcut (F3 for
// Find Next) or none, and is reached through the menu bar instead.
//
// Each action remembers all of its shortcuts; the scheme decides which of them
// it gets. A shortcut set directly on an action later becomes its new list at
// the next application of the scheme.
class WMenuShortcuts {
public:
    // The scheme in the committed preferences; the system's keys without an application.
    static int32_t activeScheme();
    // Whether the scheme takes the sequence's first key.
    static bool schemeTakes(int32_t scheme, const QKeySequence& sequence);

    // Gives the action (or window shortcut) the shortcuts the active scheme leaves free.
    static void setShortcuts(QAction* action, const QList<QKeySequence>& shortcuts);
    static void setShortcuts(QShortcut* shortcut, const QList<QKeySequence>& keys);
    // Every shortcut of the action, the hidden ones too.
    static QList<QKeySequence> allShortcuts(const QAction* action);

    // The menu's items and those of its submenus under the scheme.
    static void applyKeyScheme(QMenu* menu, int32_t scheme);
    // Every menu and registered window shortcut of the application, under the active scheme.
    static void applyKeyScheme();
};
