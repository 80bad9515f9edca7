#include "menus/WResponderChain.h"

#include "menus/WMenu.h"

WResponder* WResponderChain::targetForAction(std::string_view action) const
{
    if (action.empty())
        return nullptr;
    for (WResponder* responder : mResponders) {
        if (responder && responder->respondsToAction(action))
            return responder;
    }
    return nullptr;
}

bool WResponderChain::sendAction(WMenuItem& item) const
{
    if (item.action().empty() || !validateItem(item))
        return false;
    // Every responder gets its chance in order, even when an earlier one
    // claimed the action but declined to perform it this time.
    for (WResponder* responder : mResponders) {
        if (responder && responder->tryToPerform(item.action(), &item))
            return true;
    }
    return false;
}

bool WResponderChain::validateItem(WMenuItem& item) const
{
    bool enabled;
    if (item.isSeparatorItem())
        enabled = false;
    else if (item.hasSubmenu())
        enabled = true;
    else if (WResponder* target = targetForAction(item.action()))
        enabled = target->validateMenuItem(item);
    else
        enabled = false;
    item.setEnabled(enabled);
    return enabled;
}

void WResponderChain::validateMenu(WMenu& menu) const
{
    for (const auto& item : menu.itemArray())
        validateItem(*item);
}
