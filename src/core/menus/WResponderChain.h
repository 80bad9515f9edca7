#pragma once

#include <string_view>
#include <vector>

#include "menus/WResponder.h"

class WMenu;
class WMenuItem;

// An ordered list of responders, first to last, that a menu command travels
// along. Null entries are skipped, so callers can list optional responders.
class WResponderChain {
public:
    WResponderChain() = default;
    explicit WResponderChain(std::vector<WResponder*> responders) : mResponders(std::move(responders)) {}

    void append(WResponder* responder) { mResponders.push_back(responder); }
    const std::vector<WResponder*>& responders() const { return mResponders; }

    // The first responder that takes the action, or null.
    WResponder* targetForAction(std::string_view action) const;
    // Sends the item's action with the item as sender; false when nobody took it,
    // the item has no action, or its responder does not enable it now.
    bool sendAction(WMenuItem& item) const;
    // Sets the item's enabled flag: an item with a submenu is always enabled, one
    // without an action or without a responder for it never, any other as its
    // responder says.
    bool validateItem(WMenuItem& item) const;
    // Validates every item of the menu (not its submenus, which are validated
    // when they open).
    void validateMenu(WMenu& menu) const;

private:
    std::vector<WResponder*> mResponders;
};
