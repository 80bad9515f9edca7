#pragma once

#include <QKeySequence>

#include <memory>

#include "menus/WMenu.h"

class QAction;
class QMenu;
class QWidget;

// Shows a menu model in a QMenu. Choosing an item sends its action through
// WMenuDispatcher with the item as sender; before a menu opens, each item is
// validated by the responder that would get it (enabled, check mark); key
// equivalents become shortcuts (Command is Ctrl, Option is Alt).
class WMenuRenderer {
public:
    // Replaces what the QMenu shows by the model, which the QMenu keeps from now on.
    static void render(std::unique_ptr<WMenu> model, QMenu* target);
    // A new QMenu showing the model (for context menus); the caller owns it.
    static QMenu* createMenu(std::unique_ptr<WMenu> model, QWidget* parent = nullptr);

    // The model a QMenu was rendered from, or null.
    static WMenu* modelOf(const QMenu* menu);
    // Shows the check marks of the model's items (and of an item holding a
    // checked one) without validating anything.
    static void showStates(QMenu* menu);
    // The model item an action shows, or null.
    static WMenuItem* itemOf(const QAction* action);
    // The shortcut for an item's key equivalent; empty when it has none we can type.
    static QKeySequence keySequenceFor(const WMenuItem& item);
    // Validates the items shown by the QMenu and its submenus, as before it opens.
    static void validate(QMenu* menu);
};
