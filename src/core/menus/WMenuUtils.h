#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bookmarks/WBookmark.h"
#include "menus/WMenu.h"

// Point sizes of the size menu, ended by 0; an item's tag is its position here.
inline constexpr std::array<float, 11> WFontSizeMenuItemArray = {6, 8, 9, 10, 12, 14, 18, 24, 36, 48, 0};

// Builds menus from data (the tag file, the browsers' bookmarks, the installed
// fonts, the point sizes, the add-ons folder) and finds items in menu trees.
// Builders append to the menu they are given; the forms taking an item first
// hang a new submenu on it (given no item, they build the menu all the same
// and drop it). Files are read afresh at every call.
class WMenuUtils {
public:
    // Searches, depth first in item order; an item holding a submenu is searched
    // into after its own title or tag fails to match.
    static WMenuItem* searchMenuItemOfMenu(const WMenu& menu, std::u16string_view key);
    static WMenuItem* searchMenuItemWithTag(int32_t tag, const WMenu& targetMenu);
    static void turnOffAllMenuItemState(WMenu& menu);
    // The item of the parent menu that opens this menu, or null.
    static WMenuItem* getMenuItemWithSubmenu(const WMenu& menu);

    // The tag menu from ~/Library/Wexel/UserDefinedTags.txt, else the shipped html_tags.txt.
    static void attachTagMenuToMenuItem(WMenuItem* item, std::string_view selector);
    static void attachTagMenuToMenu(WMenu& menu, std::string_view selector);
    // The tag file's commands applied to the menu (what attachTagMenuToMenu does
    // once it has the file's text).
    static void constructTagMenu(WMenu& menu, std::u16string_view contents, std::string_view selector);
    // The tag file in use, or nothing.
    static std::optional<std::filesystem::path> tagFilePath();

    // The bookmark menus: "MSIE" from the favorites HTML file, "Safari" from
    // the Safari property list, each always present, then one submenu for each
    // of this desktop's browsers ("Firefox", "Chromium", ...).
    static void attachURLMenuToMenuItem(WMenuItem* item, std::string_view selector);
    static void attachURLMenuToMenu(WMenu& menu, std::string_view selector);
    static void constructURLMenuWithIEBookmarks(WMenu& menu, std::string_view selector);
    static void constructURLMenuWithSafariBookmarks(WMenu& menu, std::string_view selector);
    // Browser bookmarks as items carrying "title" and "url", folders as submenus.
    static void constructURLMenuWithBookmarks(WMenu& menu, const std::vector<WBookmark>& bookmarks,
                                              std::string_view selector);
    // Every file the bookmark menus are built from, to tell when to build again.
    static std::vector<std::filesystem::path> urlMenuSourceFiles();
    // The favorites file's text applied to the menu.
    static void constructURLMenuWithFavorites(WMenu& menu, std::u16string_view contents, std::string_view selector);
    // A Safari bookmarks file (XML or binary property list) applied to the menu;
    // false when it cannot be read or has no root "Children".
    static bool constructURLMenuWithSafariFile(WMenu& menu, const std::filesystem::path& file,
                                               std::string_view selector);

    // Font menus; element n of the answer is the font name of the item tagged n.
    static std::vector<std::string> attachFontMenuToMenuItem(WMenuItem* item, std::string_view selector);
    static std::vector<std::string> attachFontMenuToMenu(WMenu& menu, std::string_view selector);
    static std::vector<std::string> attachFlattedFontMenuToMenu(WMenu& menu, std::string_view selector);

    // Size menu; element n of the answer is the size of the item tagged n.
    static std::vector<float> attachSizeMenuToMenuItem(WMenuItem* item, std::string_view selector);
    static std::vector<float> attachSizeMenuToMenu(WMenu& menu, std::string_view selector);

    // The scripts menu of ~/Library/Wexel/add-ons, sorted by name; every add-on
    // item carries the add-on's path.
    static void attachScriptsMenuToMenuItem(WMenuItem* item, std::string_view selector);
    static void attachScriptsMenuToMenu(WMenu& menu, std::string_view selector);
    static void constructScriptMenu(WMenu& menu, const std::filesystem::path& dir, std::string_view selector);

    // Reads a text file as the desktop's default reading does: UTF-16 with a
    // byte-order mark, UTF-8 (with or without one), else Shift JIS. Nothing when
    // it cannot be read or decoded.
    static std::optional<std::u16string> readTextFile(const std::filesystem::path& file);
};
