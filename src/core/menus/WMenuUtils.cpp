#include "menus/WMenuUtils.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <system_error>
#include <utility>

#include "bookmarks/WBrowserBookmarks.h"
#include "menus/WNameOrder.h"
#include "platform/WFileRead.h"
#include "platform/WLog.h"
#include "platform/WPlatform.h"
#include "prefs/WPlistSerialization.h"
#include "text/WEncoding.h"
#include "text/WStringUtils.h"

namespace {

std::u16string upperCased(std::u16string_view text)
{
    std::u16string result(text);
    for (char16_t& unit : result) {
        if (unit >= u'a' && unit <= u'z')
            unit = static_cast<char16_t>(unit - u'a' + u'A');
    }
    return result;
}

std::u16string lowerCased(std::u16string_view text)
{
    std::u16string result(text);
    for (char16_t& unit : result) {
        if (unit >= u'A' && unit <= u'Z')
            unit = static_cast<char16_t>(unit - u'A' + u'a');
        else if ((unit >= 0xC0 && unit <= 0xDE && unit != 0xD7) || (unit >= 0x391 && unit <= 0x3A9) ||
                 (unit >= 0x410 && unit <= 0x42F))
            unit = static_cast<char16_t>(unit + 0x20);  // Latin-1, Greek and Cyrillic capitals
        else if (unit >= 0xFF21 && unit <= 0xFF3A)
            unit = static_cast<char16_t>(unit + 0x20);  // full-width capitals
    }
    return result;
}

std::u16string utf16(std::string_view text)
{
    return WStringUtils::fromUtf8(text);
}

WMenu& newSubmenuOf(WMenuItem* item, std::u16string title, std::unique_ptr<WMenu>& orphan)
{
    auto menu = std::make_unique<WMenu>(std::move(title));
    if (item)
        return item->setSubmenu(std::move(menu));
    // Nowhere to show it; it is still built so the caller gets its answer.
    orphan = std::move(menu);
    return *orphan;
}

WMenu& addFolderItem(WMenu& menu, std::u16string title, std::u16string submenuTitle = {})
{
    WMenuItem& item = menu.addItemWithTitle(std::move(title), {});
    return item.setSubmenu(std::make_unique<WMenu>(std::move(submenuTitle)));
}

std::optional<std::u16string> decodeUtf16(const std::string& bytes, size_t start, bool bigEndian)
{
    std::u16string text;
    text.reserve((bytes.size() - start) / 2);
    for (size_t i = start; i + 1 < bytes.size(); i += 2) {
        auto high = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
        auto low = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
        text.push_back(static_cast<char16_t>(high << 8 | low));
    }
    return text;
}

// The whole file, or nothing when it is not a readable regular file. A tag
// file is small; a browser's bookmarks may run to tens of megabytes.
std::optional<std::string> readBytes(const std::filesystem::path& file)
{
    constexpr size_t kLargestMenuFile = size_t(512) << 20;
    return WFileRead::regularFile(file, kLargestMenuFile);
}

// ---- Safari bookmarks ----

std::filesystem::path favoritesFile()
{
    return WPlatform::shared().homeDirectory() / "Library" / "Preferences" / "Explorer" / "Favorites.html";
}

std::filesystem::path safariBookmarksFile()
{
    return WPlatform::shared().homeDirectory() / "Library" / "Safari" / "Bookmarks.plist";
}

const std::string* stringOf(const WPlistValue* value)
{
    return value ? value->string() : nullptr;
}

void constructURLMenuWithSafariBookmarksWithArray(WMenu& menu, std::string_view selector, const WPlistArray& nodes)
{
    for (const WPlistValue& each : nodes) {
        const WDictionary* node = each.dictionary();
        const std::string* type = node ? stringOf(node->objectForKey("WebBookmarkType")) : nullptr;
        if (!type)
            continue;
        if (*type == "WebBookmarkTypeList") {
            const std::string* title = stringOf(node->objectForKey("Title"));
            const WPlistValue* children = node->objectForKey("Children");
            if (!title || *title == "Imported IE Favorites" || !children || !children->array())
                continue;
            constructURLMenuWithSafariBookmarksWithArray(addFolderItem(menu, utf16(*title)), selector,
                                                         *children->array());
        } else if (*type == "WebBookmarkTypeLeaf") {
            const WPlistValue* uri = node->objectForKey("URIDictionary");
            const std::string* title =
                uri && uri->dictionary() ? stringOf(uri->dictionary()->objectForKey("title")) : nullptr;
            const std::string* url = stringOf(node->objectForKey("URLString"));
            // A bookmark without its title or its address cannot be inserted.
            if (!title || !url)
                continue;
            WMenuItem& item = menu.addItemWithTitle(utf16(*title), std::string(selector));
            item.setAttachedObj(WMenuDictionary{{u"title", utf16(*title)}, {u"url", utf16(*url)}});
        }
    }
}

// ---- add-ons ----

// What the add-on's name asks for as key: the second piece, split at "-", of
// the name up to its first ".".
std::u16string scriptKeyEquivalent(std::u16string_view displayName)
{
    std::u16string_view stem = displayName.substr(0, std::min(displayName.find(u'.'), displayName.size()));
    auto pieces = WStringUtils::stringComponentsSeparatedByCharacters(stem, u"-");
    return pieces.size() >= 2 ? pieces[1] : std::u16string();
}

void addNoItem(WMenu& menu)
{
    menu.addItemWithTitle(u"no item", {});
}

}  // namespace

// ---- searches ----

WMenuItem* WMenuUtils::searchMenuItemOfMenu(const WMenu& menu, std::u16string_view key)
{
    for (const auto& item : menu.itemArray()) {
        if (item->title() == key)
            return item.get();
        if (item->hasSubmenu()) {
            if (WMenuItem* found = searchMenuItemOfMenu(*item->submenu(), key))
                return found;
        }
    }
    return nullptr;
}

WMenuItem* WMenuUtils::searchMenuItemWithTag(int32_t tag, const WMenu& targetMenu)
{
    for (const auto& item : targetMenu.itemArray()) {
        if (item->tag() == tag)
            return item.get();
        if (item->hasSubmenu()) {
            if (WMenuItem* found = searchMenuItemWithTag(tag, *item->submenu()))
                return found;
        }
    }
    return nullptr;
}

void WMenuUtils::turnOffAllMenuItemState(WMenu& menu)
{
    for (const auto& item : menu.itemArray()) {
        item->setState(WOffState);
        if (item->hasSubmenu())
            turnOffAllMenuItemState(*item->submenu());
    }
}

WMenuItem* WMenuUtils::getMenuItemWithSubmenu(const WMenu& menu)
{
    if (!menu.supermenu())
        return nullptr;
    for (const auto& item : menu.supermenu()->itemArray()) {
        if (item->submenu() == &menu)
            return item.get();
    }
    return nullptr;
}

// ---- files ----

std::optional<std::u16string> WMenuUtils::readTextFile(const std::filesystem::path& file)
{
    std::optional<std::string> read = readBytes(file);
    if (!read)
        return std::nullopt;
    const std::string& bytes = *read;
    auto startsWith = [&](std::string_view mark) { return std::string_view(bytes).substr(0, mark.size()) == mark; };
    if (startsWith("\xFE\xFF"))
        return decodeUtf16(bytes, 2, true);
    if (startsWith("\xFF\xFE"))
        return decodeUtf16(bytes, 2, false);
    size_t start = startsWith("\xEF\xBB\xBF") ? 3 : 0;
    std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.data()) + start, bytes.size() - start);
    if (data.empty())
        return std::u16string();
    if (auto text = WEncoding::decode(data, WUTF8Encoding))
        return text;
    return WEncoding::decode(data, WShiftJISEncoding);
}

// ---- tag menu ----

std::optional<std::filesystem::path> WMenuUtils::tagFilePath()
{
    const WPlatform& platform = WPlatform::shared();
    std::filesystem::path user = platform.userLibraryFolder() / "UserDefinedTags.txt";
    std::error_code error;
    if (std::filesystem::exists(user, error))
        return user;
    return platform.pathForResource("html_tags", "txt");
}

void WMenuUtils::attachTagMenuToMenuItem(WMenuItem* item, std::string_view selector)
{
    std::unique_ptr<WMenu> orphan;
    attachTagMenuToMenu(newSubmenuOf(item, u"tag_submenu", orphan), selector);
}

void WMenuUtils::attachTagMenuToMenu(WMenu& menu, std::string_view selector)
{
    std::optional<std::filesystem::path> path = tagFilePath();
    if (!path) {
        WLog::write("WMenuUtils : tagFileName == nil");
        return;
    }
    std::optional<std::u16string> contents = readTextFile(*path);
    if (!contents) {
        WLog::write("WMenuUtils : tagFileContents == nil");
        return;
    }
    constructTagMenu(menu, *contents, selector);
}

void WMenuUtils::constructTagMenu(WMenu& menu, std::u16string_view contents, std::string_view selector)
{
    WMenu* current = &menu;
    // The item of the latest NAME line: attribute lines after an UNSHIFT still
    // belong to it, while a SHIFT opens a menu that has no item yet.
    WMenuItem* currentItem = nullptr;
    for (const std::u16string& rawLine : WStringUtils::stringComponentsSeparatedByCharacters(contents, u"\r\n")) {
        std::u16string line = WStringUtils::removeSpacesFromHeadOf(rawLine);
        if (line.empty() || WStringUtils::stringStartsWith(line, u"//"))
            continue;
        WResolvedCommand resolved = WStringUtils::resolveCommand(line);
        std::u16string command = upperCased(resolved.command);
        const std::u16string& argument = resolved.string;

        if (command == u"SHIFT") {
            current = &addFolderItem(*current, argument);
            currentItem = nullptr;
        } else if (command == u"UNSHIFT") {
            // An UNSHIFT with nothing open would climb out of the tag menu; ignore it.
            if (current != &menu && current->supermenu())
                current = current->supermenu();
        } else if (command == u"NAME") {
            currentItem = &current->addItemWithTitle(argument, std::string(selector));
            currentItem->setAttachedObj(WMenuDictionary{});
        } else if (!currentItem) {
            continue;  // an attribute with no item to belong to
        } else if (command == u"PRE" || command == u"POST" || command == u"SINGLE") {
            (*currentItem->attachedDictionary())[lowerCased(command)] = argument;
        } else if (command == u"SELECT") {
            (*currentItem->attachedDictionary())[u"select"] = lowerCased(argument);
        } else if (command == u"MOD") {
            std::u16string names = upperCased(argument);
            uint32_t mask = WCommandKeyMask;
            if (names.find(u"OPT") != std::u16string::npos)
                mask |= WAlternateKeyMask;
            if (names.find(u"SHIFT") != std::u16string::npos)
                mask |= WShiftKeyMask;
            if (names.find(u"CTRL") != std::u16string::npos)
                mask |= WControlKeyMask;
            currentItem->setKeyEquivalentModifierMask(mask);
        } else if (command == u"KEY") {
            std::u16string name = upperCased(argument);
            if (name == u"RETURN")
                currentItem->setKeyEquivalent(u"\r");
            else if (name == u"TAB")
                currentItem->setKeyEquivalent(u"\t");
            else
                currentItem->setKeyEquivalent(lowerCased(argument));
        }
    }
}

// ---- bookmark menus ----

void WMenuUtils::attachURLMenuToMenuItem(WMenuItem* item, std::string_view selector)
{
    std::unique_ptr<WMenu> orphan;
    attachURLMenuToMenu(newSubmenuOf(item, u"url_menu", orphan), selector);
}

void WMenuUtils::attachURLMenuToMenu(WMenu& menu, std::string_view selector)
{
    constructURLMenuWithIEBookmarks(addFolderItem(menu, u"MSIE"), selector);
    constructURLMenuWithSafariBookmarks(addFolderItem(menu, u"Safari"), selector);
    for (const WBrowserBookmarks::Browser& browser : WBrowserBookmarks::read(WPlatform::shared().homeDirectory()))
        constructURLMenuWithBookmarks(addFolderItem(menu, browser.title), browser.folders, selector);
}

void WMenuUtils::constructURLMenuWithBookmarks(WMenu& menu, const std::vector<WBookmark>& bookmarks,
                                               std::string_view selector)
{
    for (const WBookmark& bookmark : bookmarks) {
        switch (bookmark.kind) {
        case WBookmark::Kind::Folder:
            constructURLMenuWithBookmarks(addFolderItem(menu, bookmark.title), bookmark.children, selector);
            break;
        case WBookmark::Kind::Separator:
            menu.addSeparatorItem();
            break;
        case WBookmark::Kind::Link:
            menu.addItemWithTitle(bookmark.title, std::string(selector))
                .setAttachedObj(WMenuDictionary{{u"title", bookmark.title}, {u"url", bookmark.url}});
            break;
        }
    }
}

std::vector<std::filesystem::path> WMenuUtils::urlMenuSourceFiles()
{
    std::vector<std::filesystem::path> files = WBrowserBookmarks::sourceFiles(WPlatform::shared().homeDirectory());
    files.push_back(favoritesFile());
    files.push_back(safariBookmarksFile());
    return files;
}

void WMenuUtils::constructURLMenuWithIEBookmarks(WMenu& menu, std::string_view selector)
{
    if (std::optional<std::u16string> contents = readTextFile(favoritesFile()))
        constructURLMenuWithFavorites(menu, *contents, selector);
}

void WMenuUtils::constructURLMenuWithFavorites(WMenu& menu, std::u16string_view contents, std::string_view selector)
{
    WMenu* current = &menu;
    size_t start = 0;
    while (start <= contents.size()) {
        // Lines end at CR, LF or CR LF alike.
        size_t end = contents.find_first_of(u"\r\n", start);
        if (end == std::u16string_view::npos)
            end = contents.size();
        std::u16string_view line = contents.substr(start, end - start);
        start = end + 1;
        if (end < contents.size() && contents[end] == u'\r' && start < contents.size() && contents[start] == u'\n')
            ++start;

        if (WStringUtils::stringContains(line, u"</H3>")) {
            auto titles = WStringUtils::stringBindedWith(line, u"\">", u"</H3>");
            if (!titles.empty())
                current = &addFolderItem(*current, titles.front());
        } else if (WStringUtils::stringContains(line, u"</DL>")) {
            if (current == &menu)
                return;
            current = current->supermenu();
        } else {
            auto urls = WStringUtils::stringBindedWith(line, u"A HREF=\"", u"\"");
            auto titles = WStringUtils::stringBindedWith(line, u"\">", u"</A>");
            if (urls.empty() || titles.empty())
                continue;
            WMenuItem& item = current->addItemWithTitle(titles.front(), std::string(selector));
            item.setAttachedObj(WMenuDictionary{{u"title", titles.front()}, {u"url", urls.front()}});
        }
        if (end == contents.size())
            break;
    }
}

void WMenuUtils::constructURLMenuWithSafariBookmarks(WMenu& menu, std::string_view selector)
{
    constructURLMenuWithSafariFile(menu, safariBookmarksFile(), selector);
}

bool WMenuUtils::constructURLMenuWithSafariFile(WMenu& menu, const std::filesystem::path& file,
                                                std::string_view selector)
{
    std::optional<std::string> bytes = readBytes(file);
    if (!bytes)
        return false;
    // Read with the guards against absurd nesting and shared references.
    std::optional<WPlistValue> root = WPlistSerialization::propertyListFromData(*bytes);
    const WDictionary* dictionary = root ? root->dictionary() : nullptr;
    const WPlistValue* children = dictionary ? dictionary->objectForKey("Children") : nullptr;
    if (!children || !children->array())
        return false;
    constructURLMenuWithSafariBookmarksWithArray(menu, selector, *children->array());
    return true;
}

// ---- font and size menus ----

std::vector<std::string> WMenuUtils::attachFontMenuToMenuItem(WMenuItem* item, std::string_view selector)
{
    std::unique_ptr<WMenu> orphan;
    return attachFontMenuToMenu(newSubmenuOf(item, u"font_submenu", orphan), selector);
}

std::vector<std::string> WMenuUtils::attachFontMenuToMenu(WMenu& menu, std::string_view selector)
{
    const WFontCatalog& fonts = WPlatform::shared().fonts();
    std::vector<std::string> families = fonts.families();
    std::stable_sort(families.begin(), families.end(), WNameOrder::less);
    std::vector<std::string> fontNames;
    for (const std::string& family : families) {
        // Names beginning with "." are the system's private fonts.
        if (family.empty() || family.front() == '.')
            continue;
        WMenu& members = addFolderItem(menu, utf16(family), u"member_submenu");
        // Tags belong to the faces; the family's own item must not answer a
        // search for the first face's tag 0.
        WMenuUtils::getMenuItemWithSubmenu(members)->setTag(-1);
        for (const WFontCatalog::Member& member : fonts.membersOfFamily(family)) {
            WMenuItem& item = members.addItemWithTitle(utf16(member.styleName), std::string(selector));
            item.setTag(static_cast<int32_t>(fontNames.size()));
            fontNames.push_back(member.fontName);
        }
    }
    return fontNames;
}

std::vector<std::string> WMenuUtils::attachFlattedFontMenuToMenu(WMenu& menu, std::string_view selector)
{
    const WFontCatalog& fonts = WPlatform::shared().fonts();
    std::vector<std::string> allNames;
    std::map<std::string, std::string> familyOf;  // the first family that lists the name
    for (const std::string& family : fonts.families()) {
        for (const WFontCatalog::Member& member : fonts.membersOfFamily(family)) {
            allNames.push_back(member.fontName);
            familyOf.emplace(member.fontName, family);
        }
    }
    std::stable_sort(allNames.begin(), allNames.end(), WNameOrder::less);
    allNames.erase(std::unique(allNames.begin(), allNames.end()), allNames.end());
    std::vector<std::string> fontNames;
    for (const std::string& name : allNames) {
        if (name.empty() || name.front() == '.')
            continue;
        // Titled by its family; the tag tells the faces of one family apart.
        WMenuItem& item = menu.addItemWithTitle(utf16(familyOf[name]), std::string(selector));
        item.setTag(static_cast<int32_t>(fontNames.size()));
        fontNames.push_back(name);
    }
    return fontNames;
}

std::vector<float> WMenuUtils::attachSizeMenuToMenuItem(WMenuItem* item, std::string_view selector)
{
    std::unique_ptr<WMenu> orphan;
    return attachSizeMenuToMenu(newSubmenuOf(item, u"size_submenu", orphan), selector);
}

std::vector<float> WMenuUtils::attachSizeMenuToMenu(WMenu& menu, std::string_view selector)
{
    std::vector<float> sizes;
    for (size_t i = 0; WFontSizeMenuItemArray[i] != 0.0f; ++i) {
        sizes.push_back(WFontSizeMenuItemArray[i]);
        char title[16];
        std::snprintf(title, sizeof title, "%d", static_cast<int>(WFontSizeMenuItemArray[i]));
        menu.addItemWithTitle(utf16(title), std::string(selector)).setTag(static_cast<int32_t>(i));
    }
    return sizes;
}

// ---- scripts menu ----

void WMenuUtils::attachScriptsMenuToMenuItem(WMenuItem* item, std::string_view selector)
{
    std::unique_ptr<WMenu> orphan;
    attachScriptsMenuToMenu(newSubmenuOf(item, u"no_title", orphan), selector);
}

void WMenuUtils::attachScriptsMenuToMenu(WMenu& menu, std::string_view selector)
{
    std::filesystem::path folder = WPlatform::shared().userLibraryFolder() / "add-ons";
    std::error_code error;
    if (!std::filesystem::exists(folder, error)) {
        addNoItem(menu);
        return;
    }
    constructScriptMenu(menu, folder, selector);
}

namespace {

using FolderIdentity = std::pair<dev_t, ino_t>;

void fillScriptMenu(WMenu& menu, const std::filesystem::path& dir, std::string_view selector,
                    std::set<FolderIdentity>& entered)
{
    // Each real folder is entered once, however many links lead to it: a link
    // back to a folder above would otherwise nest menus without end.
    struct stat info {};
    if (::stat(dir.c_str(), &info) == 0)
        entered.insert({info.st_dev, info.st_ino});

    std::error_code error;
    std::vector<std::filesystem::path> entries;
    for (std::filesystem::directory_iterator it(dir, error), end; !error && it != end; it.increment(error))
        entries.push_back(it->path());
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return WNameOrder::less(a.filename().string(), b.filename().string());
    });

    for (const std::filesystem::path& entry : entries) {
        std::string name = entry.filename().string();
        // Hidden files, and links whose file has gone, are not add-ons.
        if (name.empty() || name.front() == '.' || ::stat(entry.c_str(), &info) != 0)
            continue;
        const bool folder = S_ISDIR(info.st_mode);
        if (folder && entered.count({info.st_dev, info.st_ino}))
            continue;
        std::u16string displayName = utf16(name);
        WMenuItem& item = menu.addItemWithTitle(displayName, std::string(selector));
        if (folder) {
            fillScriptMenu(item.setSubmenu(std::make_unique<WMenu>()), entry, selector, entered);
            continue;
        }
        item.setAttachedObj(entry);
        if (std::u16string key = scriptKeyEquivalent(displayName); !key.empty()) {
            item.setKeyEquivalent(key);
            item.setKeyEquivalentModifierMask(WCommandKeyMask | WAlternateKeyMask);
        }
    }
    if (menu.isEmpty())
        addNoItem(menu);
}

}  // namespace

void WMenuUtils::constructScriptMenu(WMenu& menu, const std::filesystem::path& dir, std::string_view selector)
{
    std::set<FolderIdentity> entered;
    fillScriptMenu(menu, dir, selector, entered);
}
