#include "menus/WMenuItem.h"

#include "menus/WMenu.h"

WMenuItem::WMenuItem(std::u16string title, std::string action, std::u16string keyEquivalent)
    : mTitle(std::move(title)), mAction(std::move(action)), mKeyEquivalent(std::move(keyEquivalent))
{
}

WMenuItem::~WMenuItem() = default;

std::unique_ptr<WMenuItem> WMenuItem::separatorItem()
{
    auto item = std::make_unique<WMenuItem>();
    item->mSeparator = true;
    item->mEnabled = false;
    return item;
}

WMenu& WMenuItem::setSubmenu(std::unique_ptr<WMenu> submenu)
{
    if (!submenu)
        submenu = std::make_unique<WMenu>();
    mSubmenu = std::move(submenu);
    mSubmenu->mSupermenu = mMenu;
    return *mSubmenu;
}

WMenuDictionary* WMenuItem::attachedDictionary() const
{
    return mAttachedObj ? std::get_if<WMenuDictionary>(mAttachedObj.get()) : nullptr;
}

const std::filesystem::path* WMenuItem::attachedPath() const
{
    return mAttachedObj ? std::get_if<std::filesystem::path>(mAttachedObj.get()) : nullptr;
}

const WRange* WMenuItem::attachedRange() const
{
    return mAttachedObj ? std::get_if<WRange>(mAttachedObj.get()) : nullptr;
}

const std::u16string* WMenuItem::attachedText(std::u16string_view key) const
{
    const WMenuDictionary* dictionary = attachedDictionary();
    if (!dictionary)
        return nullptr;
    auto found = dictionary->find(key);
    return found == dictionary->end() ? nullptr : &found->second;
}
