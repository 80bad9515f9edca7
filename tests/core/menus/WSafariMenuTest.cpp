#include "MenuTestSupport.h"
#include "SafariBookmarks.h"
#include "menus/WMenuUtils.h"

namespace {

using Titles = std::vector<std::string>;
using SafariMenu = MenuFolderTest;

size_t bookmarksIn(const WMenu& menu)
{
    size_t count = 0;
    for (const auto& item : menu.itemArray())
        count += item->hasSubmenu() ? bookmarksIn(*item->submenu()) : item->attachedDictionary() != nullptr;
    return count;
}

TEST_F(SafariMenu, LargeFilesAreReadInFullInBothForms)
{
    // Beyond what a guard that counted objects let through: 12,000 bookmarks
    // with their sync records.
    const WDictionary tree = safari::bookmarks(12, 1000, true);
    for (const std::string& bytes : {safari::xml(tree), safari::binary(tree)}) {
        writeFile(home / "Bookmarks.plist", bytes);
        WMenu menu;
        EXPECT_TRUE(WMenuUtils::constructURLMenuWithSafariFile(menu, home / "Bookmarks.plist", "insertMenuURL:"));
        ASSERT_EQ(menu.numberOfItems(), 12u);
        EXPECT_EQ(bookmarksIn(menu), 12000u);
        const WMenuItem& last = menu.itemAtIndex(11).submenu()->itemAtIndex(999);
        EXPECT_EQ(last.attachedDictionary()->at(u"url"), u"https://example.com/11999");
    }
}

TEST_F(SafariMenu, ABadEntryDropsOnlyThatEntry)
{
    WPlistArray children;
    for (const char* title : {"first", "NULTITLE", "second", "BADKIND", "third"})
        children.push_back(WPlistValue(safari::leaf(title, std::string("https://example.com/") + title)));
    // A value of the wrong type: the address as a number.
    WDictionary numbered = safari::leaf("numbered", "");
    numbered.setObject(WPlistValue(int64_t{42}), "URLString");
    children.push_back(WPlistValue(numbered));
    WDictionary root;
    root.setObject(WPlistValue(children), "Children");

    std::string binary = safari::binary(root);
    // A NUL inside one title, and a kind no property list has for another.
    const size_t nul = binary.find("NULTITLE");
    const size_t kind = binary.find("BADKIND");
    ASSERT_NE(nul, std::string::npos);
    ASSERT_NE(kind, std::string::npos);
    binary[nul + 3] = '\0';
    binary[kind - 1] = '\x0F';

    std::string xml = safari::xml(root);
    const size_t xmlNul = xml.find("NULTITLE");
    xml.replace(xmlNul + 3, 1, "&#0;");
    const size_t xmlKind = xml.rfind("<string>", xml.find("BADKIND"));
    xml.replace(xmlKind, xml.find("</string>", xmlKind) + 9 - xmlKind, "<null>BADKIND</null>");

    for (const std::string& bytes : {binary, xml}) {
        writeFile(home / "Bookmarks.plist", bytes);
        WMenu menu;
        EXPECT_TRUE(WMenuUtils::constructURLMenuWithSafariFile(menu, home / "Bookmarks.plist", "insertMenuURL:"));
        EXPECT_EQ(titlesOf(menu), (Titles{"first", "second", "third"}));
    }
}

}  // namespace
