#pragma once

#include <string_view>

class WMenuItem;

// Something a menu command can be sent to by name: the focused text view, its
// document, the application delegate. Menus built from data carry no target;
// their actions go to the first responder of the chain that handles them.
class WResponder {
public:
    virtual ~WResponder() = default;

    // Performs the action; false when it is not this responder's to perform.
    virtual bool tryToPerform(std::string_view action, WMenuItem* sender) = 0;
    // Whether tryToPerform would take the action. The chain asks this to find
    // the responder that validates an item before its menu is shown.
    virtual bool respondsToAction(std::string_view action) const = 0;
    // Enables the item (true) or not, and may set its state (check mark).
    virtual bool validateMenuItem(WMenuItem& item) { return true; }
};
