#include "menus/WMenu.h"

#include <algorithm>

WMenu::WMenu(std::u16string title) : mTitle(std::move(title)) {}

WMenu::~WMenu() = default;

long WMenu::indexOfItem(const WMenuItem& item) const
{
    auto found = std::find_if(mItems.begin(), mItems.end(), [&](const auto& each) { return each.get() == &item; });
    return found == mItems.end() ? -1 : static_cast<long>(found - mItems.begin());
}

WMenuItem& WMenu::addItem(std::unique_ptr<WMenuItem> item)
{
    return insertItem(std::move(item), mItems.size());
}

WMenuItem& WMenu::addItemWithTitle(std::u16string title, std::string action, std::u16string keyEquivalent)
{
    return addItem(std::make_unique<WMenuItem>(std::move(title), std::move(action), std::move(keyEquivalent)));
}

WMenuItem& WMenu::insertItem(std::unique_ptr<WMenuItem> item, size_t index)
{
    if (!item)
        item = std::make_unique<WMenuItem>();
    item->mMenu = this;
    if (item->mSubmenu)
        item->mSubmenu->mSupermenu = this;
    index = std::min(index, mItems.size());
    return **mItems.insert(mItems.begin() + static_cast<long>(index), std::move(item));
}

void WMenu::addSeparatorItem()
{
    addItem(WMenuItem::separatorItem());
}

std::unique_ptr<WMenuItem> WMenu::removeItemAtIndex(size_t index)
{
    if (index >= mItems.size())
        return nullptr;
    std::unique_ptr<WMenuItem> item = std::move(mItems[index]);
    mItems.erase(mItems.begin() + static_cast<long>(index));
    item->mMenu = nullptr;
    if (item->mSubmenu)
        item->mSubmenu->mSupermenu = nullptr;
    return item;
}

void WMenu::removeAllItems()
{
    mItems.clear();
}
