#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

#include "text/WRange.h"

class WMenu;

// Modifier bits of a key equivalent, numbered as the desktop numbers them.
enum WKeyModifierMask : uint32_t {
    WShiftKeyMask = 1u << 17,
    WControlKeyMask = 1u << 18,
    WAlternateKeyMask = 1u << 19,  // Option
    WCommandKeyMask = 1u << 20,
};

enum WMenuItemState : int32_t {
    WMixedState = -1,
    WOffState = 0,
    WOnState = 1,
};

// Texts of a tag item ("pre", "post", "single", "select") or of a bookmark
// item ("title", "url").
using WMenuDictionary = std::map<std::u16string, std::u16string, std::less<>>;

// What a data-built item carries for the command it triggers: a dictionary of
// texts (tags, bookmarks), a file (add-ons), a range of the text (navigator).
using WAttachedObject = std::variant<WMenuDictionary, std::filesystem::path, WRange>;

// One entry of a menu. An item with a submenu owns it; the menu holding the
// item is not owned. The item owns its attached object; copies of the pointer
// handed out by attachedObj() keep it alive for as long as a caller needs it.
class WMenuItem {
public:
    WMenuItem() = default;
    WMenuItem(std::u16string title, std::string action, std::u16string keyEquivalent = {});
    ~WMenuItem();

    WMenuItem(const WMenuItem&) = delete;
    WMenuItem& operator=(const WMenuItem&) = delete;

    static std::unique_ptr<WMenuItem> separatorItem();

    const std::u16string& title() const { return mTitle; }
    void setTitle(std::u16string title) { mTitle = std::move(title); }

    // The command's name, such as "insertMenuTag:"; empty for no action.
    const std::string& action() const { return mAction; }
    void setAction(std::string action) { mAction = std::move(action); }

    // A single character in lower case, CR for Return, a tab for Tab; empty for none.
    const std::u16string& keyEquivalent() const { return mKeyEquivalent; }
    void setKeyEquivalent(std::u16string key) { mKeyEquivalent = std::move(key); }
    // WKeyModifierMask bits; Command alone unless set otherwise.
    uint32_t keyEquivalentModifierMask() const { return mKeyEquivalentModifierMask; }
    void setKeyEquivalentModifierMask(uint32_t mask) { mKeyEquivalentModifierMask = mask; }

    int32_t tag() const { return mTag; }
    void setTag(int32_t tag) { mTag = tag; }

    WMenuItemState state() const { return mState; }
    void setState(WMenuItemState state) { mState = state; }

    bool isEnabled() const { return mEnabled; }
    void setEnabled(bool enabled) { mEnabled = enabled; }

    bool isSeparatorItem() const { return mSeparator; }

    // The menu this item opens, or null.
    WMenu* submenu() const { return mSubmenu.get(); }
    bool hasSubmenu() const { return mSubmenu != nullptr; }
    // Takes the submenu; its parent menu becomes the menu holding this item.
    WMenu& setSubmenu(std::unique_ptr<WMenu> submenu);

    // The menu holding this item, or null before it is added to one.
    WMenu* menu() const { return mMenu; }

    const std::shared_ptr<WAttachedObject>& attachedObj() const { return mAttachedObj; }
    void setAttachedObj(std::shared_ptr<WAttachedObject> object) { mAttachedObj = std::move(object); }
    void setAttachedObj(WAttachedObject object)
    {
        mAttachedObj = std::make_shared<WAttachedObject>(std::move(object));
    }

    // The attached object in one of its forms, or null when it is absent or of another kind.
    WMenuDictionary* attachedDictionary() const;
    const std::filesystem::path* attachedPath() const;
    const WRange* attachedRange() const;

    // The text under key in the attached dictionary, or nothing.
    const std::u16string* attachedText(std::u16string_view key) const;

private:
    friend class WMenu;

    std::u16string mTitle;
    std::string mAction;
    std::u16string mKeyEquivalent;
    uint32_t mKeyEquivalentModifierMask = WCommandKeyMask;
    int32_t mTag = 0;
    WMenuItemState mState = WOffState;
    bool mEnabled = true;
    bool mSeparator = false;
    std::unique_ptr<WMenu> mSubmenu;
    WMenu* mMenu = nullptr;
    std::shared_ptr<WAttachedObject> mAttachedObj;
};
