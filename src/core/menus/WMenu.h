#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "menus/WMenuItem.h"

// A menu as data: a title and its items in order. The menu owns its items
// (and through them their submenus); its parent menu is not owned. Menus are
// made on the heap and never copied, since items point back at them.
class WMenu {
public:
    explicit WMenu(std::u16string title = {});
    ~WMenu();

    WMenu(const WMenu&) = delete;
    WMenu& operator=(const WMenu&) = delete;

    const std::u16string& title() const { return mTitle; }
    void setTitle(std::u16string title) { mTitle = std::move(title); }

    // The menu whose item opens this one, or null for a top-level menu.
    WMenu* supermenu() const { return mSupermenu; }

    size_t numberOfItems() const { return mItems.size(); }
    bool isEmpty() const { return mItems.empty(); }
    WMenuItem& itemAtIndex(size_t index) const { return *mItems.at(index); }
    const std::vector<std::unique_ptr<WMenuItem>>& itemArray() const { return mItems; }
    // Position of the item in this menu, or -1.
    long indexOfItem(const WMenuItem& item) const;

    WMenuItem& addItem(std::unique_ptr<WMenuItem> item);
    WMenuItem& addItemWithTitle(std::u16string title, std::string action, std::u16string keyEquivalent = {});
    WMenuItem& insertItem(std::unique_ptr<WMenuItem> item, size_t index);
    void addSeparatorItem();
    // Takes the item out and hands it to the caller.
    std::unique_ptr<WMenuItem> removeItemAtIndex(size_t index);
    void removeAllItems();

private:
    friend class WMenuItem;

    std::u16string mTitle;
    WMenu* mSupermenu = nullptr;
    std::vector<std::unique_ptr<WMenuItem>> mItems;
};
