#include <unistd.h>

#include <cstdlib>

#include "MenuTestSupport.h"
#include "menus/WMenuUtils.h"

using Titles = std::vector<std::string>;

using FontMenu = MenuFolderTest;

TEST_F(FontMenu, FamiliesSortedWithoutCaseAndPrivateOnesLeftOut)
{
    platform.fontCatalog.familyNames = {"Zapf", ".Hidden", "ipaGothic", "\u00C9bene", "DejaVu Sans"};
    platform.fontCatalog.membersByFamily = {
        {"Zapf", {{"Zapf-Regular", "Regular"}}},
        {".Hidden", {{".Hidden-Regular", "Regular"}}},
        {"ipaGothic", {{"IPAGothic", "Regular"}}},
        {"\u00C9bene", {{"\u00C9bene Light", "Light"}}},
        {"DejaVu Sans", {{"DejaVuSans", "Book"}, {"DejaVuSans-Bold", "Bold"}}},
    };
    const char* savedLocale = std::getenv("LC_ALL");
    const std::string previousLocale = savedLocale ? savedLocale : "";
    ::setenv("LC_ALL", "en_US.UTF-8", 1);
    WMenuItem holder(u"Font Family & Style", {});
    std::vector<std::string> names = WMenuUtils::attachFontMenuToMenuItem(&holder, "setFontFamily:");
    EXPECT_EQ(holder.submenu()->title(), u"font_submenu");
    WMenu& menu = *holder.submenu();
    // Accents count after the letters: Ébene among the E's, not after Zapf.
    EXPECT_EQ(titlesOf(menu), (Titles{"DejaVu Sans", "\u00C9bene", "ipaGothic", "Zapf"}));
    EXPECT_EQ(names, (std::vector<std::string>{"DejaVuSans", "DejaVuSans-Bold", "\u00C9bene Light", "IPAGothic",
                                               "Zapf-Regular"}));
    EXPECT_EQ(menu.itemAtIndex(0).submenu()->title(), u"member_submenu");
    EXPECT_EQ(titlesOf(*menu.itemAtIndex(0).submenu()), (Titles{"Book", "Bold"}));
    // Tags count across families and index the answer; the hidden family takes none.
    for (int32_t tag = 0; tag < 5; ++tag) {
        const WMenuItem* item = WMenuUtils::searchMenuItemWithTag(tag, menu);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->action(), "setFontFamily:");
        EXPECT_EQ(item->menu()->supermenu(), &menu);
    }
    EXPECT_EQ(s(WMenuUtils::searchMenuItemWithTag(4, menu)->menu()->supermenu()->itemAtIndex(3).title()), "Zapf");

    WMenu flat;
    std::vector<std::string> flatNames = WMenuUtils::attachFlattedFontMenuToMenu(flat, "setFont:");
    EXPECT_EQ(flatNames, (std::vector<std::string>{"DejaVuSans", "DejaVuSans-Bold", "\u00C9bene Light", "IPAGothic",
                                                   "Zapf-Regular"}));
    // Each face is titled by its family.
    EXPECT_EQ(titlesOf(flat), (Titles{"DejaVu Sans", "DejaVu Sans", "\u00C9bene", "ipaGothic", "Zapf"}));
    EXPECT_EQ(flat.itemAtIndex(4).tag(), 4);

    // Given no item, the menu is built all the same and the names answered.
    EXPECT_EQ(WMenuUtils::attachFontMenuToMenuItem(nullptr, "setFontFamily:").size(), 5u);

    // The locale decides: in Swedish, Ä comes after Z.
    platform.fontCatalog.familyNames = {"\u00C4pple", "Zapf", "Apple"};
    platform.fontCatalog.membersByFamily.clear();
    WMenu english;
    WMenuUtils::attachFontMenuToMenu(english, "setFontFamily:");
    EXPECT_EQ(titlesOf(english), (Titles{"Apple", "\u00C4pple", "Zapf"}));
    ::setenv("LC_ALL", "sv_SE.UTF-8", 1);
    WMenu swedish;
    WMenuUtils::attachFontMenuToMenu(swedish, "setFontFamily:");
    EXPECT_EQ(titlesOf(swedish), (Titles{"Apple", "Zapf", "\u00C4pple"}));
    if (savedLocale)
        ::setenv("LC_ALL", previousLocale.c_str(), 1);
    else
        ::unsetenv("LC_ALL");
}

TEST(SizeMenu, TenSizesTaggedByPosition)
{
    WMenuItem holder(u"Font Size", {});
    std::vector<float> sizes = WMenuUtils::attachSizeMenuToMenuItem(&holder, "setFontSize:");
    EXPECT_EQ(sizes, (std::vector<float>{6, 8, 9, 10, 12, 14, 18, 24, 36, 48}));
    EXPECT_EQ(holder.submenu()->title(), u"size_submenu");
    EXPECT_EQ(titlesOf(*holder.submenu()), (Titles{"6", "8", "9", "10", "12", "14", "18", "24", "36", "48"}));
    for (int32_t i = 0; i < 10; ++i)
        EXPECT_EQ(holder.submenu()->itemAtIndex(i).tag(), i);
    EXPECT_EQ(WMenuUtils::attachSizeMenuToMenuItem(nullptr, "setFontSize:").size(), 10u);
}

using ScriptsMenu = MenuFolderTest;

TEST_F(ScriptsMenu, MissingOrEmptyFoldersSayNoItem)
{
    WMenu missing;
    WMenuUtils::attachScriptsMenuToMenu(missing, "executeScript:");
    EXPECT_EQ(titlesOf(missing), (Titles{"no item"}));
    EXPECT_EQ(missing.itemAtIndex(0).action(), "");

    std::filesystem::create_directories(library() / "add-ons");
    WMenuItem holder(u"Tools", {});
    WMenuUtils::attachScriptsMenuToMenuItem(&holder, "executeScript:");
    EXPECT_EQ(holder.submenu()->title(), u"no_title");
    EXPECT_EQ(titlesOf(*holder.submenu()), (Titles{"no item"}));
}

TEST_F(ScriptsMenu, EntriesSortedWithKeysFromTheirNames)
{
    std::filesystem::path addons = library() / "add-ons";
    writeFile(addons / "zeta.sh", "");
    writeFile(addons / "Upper-u.rb", "");
    writeFile(addons / "Upper.rb", "");
    writeFile(addons / "a-b-c.sh", "");
    writeFile(addons / ".hidden.sh", "");
    writeFile(addons / "Folder" / ".DS_Store", "");
    writeFile(addons / "More" / "inner.pl", "");
    std::filesystem::create_symlink(addons / "gone.sh", addons / "dangling.sh");

    WMenu menu;
    WMenuUtils::attachScriptsMenuToMenu(menu, "executeScript:");
    EXPECT_EQ(titlesOf(menu), (Titles{"a-b-c.sh", "Folder", "More", "Upper-u.rb", "Upper.rb", "zeta.sh"}));

    const WMenuItem& abc = menu.itemAtIndex(0);
    EXPECT_EQ(abc.keyEquivalent(), u"b");
    EXPECT_EQ(abc.keyEquivalentModifierMask(), uint32_t(WCommandKeyMask | WAlternateKeyMask));
    ASSERT_NE(abc.attachedPath(), nullptr);
    EXPECT_EQ(*abc.attachedPath(), addons / "a-b-c.sh");
    EXPECT_EQ(abc.action(), "executeScript:");

    EXPECT_EQ(titlesOf(*menu.itemAtIndex(1).submenu()), (Titles{"no item"}));
    EXPECT_EQ(titlesOf(*menu.itemAtIndex(2).submenu()), (Titles{"inner.pl"}));
    EXPECT_EQ(menu.itemAtIndex(2).attachedPath(), nullptr);
    EXPECT_EQ(menu.itemAtIndex(3).keyEquivalent(), u"u");
    EXPECT_EQ(menu.itemAtIndex(4).keyEquivalent(), u"");
    EXPECT_EQ(menu.itemAtIndex(5).keyEquivalent(), u"");
}

TEST_F(ScriptsMenu, EachRealFolderIsEnteredOnce)
{
    // Two links back up would make 2^n menus at depth n without the check.
    std::filesystem::path addons = library() / "add-ons";
    writeFile(addons / "Sub" / "tool.sh", "");
    writeFile(home / "shared" / "common.sh", "");
    std::filesystem::create_directory_symlink(addons, addons / "Sub" / "up");
    std::filesystem::create_directory_symlink(addons, addons / "Sub" / "again");
    std::filesystem::create_directory_symlink(addons / "Sub", addons / "Sub" / "self");
    std::filesystem::create_directory_symlink(home / "shared", addons / "Shared");
    std::filesystem::create_directory_symlink(home / "shared", addons / "Sub" / "Shared too");

    WMenu menu;
    WMenuUtils::attachScriptsMenuToMenu(menu, "executeScript:");
    EXPECT_EQ(titlesOf(menu), (Titles{"Shared", "Sub"}));
    EXPECT_EQ(titlesOf(*menu.itemAtIndex(0).submenu()), (Titles{"common.sh"}));
    // The links lead to folders already in the menu; the file stays.
    EXPECT_EQ(titlesOf(*menu.itemAtIndex(1).submenu()), (Titles{"tool.sh"}));
}

TEST(MenuSearch, DepthFirstInItemOrder)
{
    WMenu top;
    top.addItemWithTitle(u"plain", {}).setTag(1);
    WMenuItem& holder = top.addItemWithTitle(u"holder", {});
    holder.setTag(2);
    WMenu& sub = holder.setSubmenu(std::make_unique<WMenu>());
    WMenuItem& inner = sub.addItemWithTitle(u"inner", {});
    inner.setTag(7);
    inner.setState(WOnState);
    WMenuItem& deep = sub.addItemWithTitle(u"deeper", {});
    deep.setSubmenu(std::make_unique<WMenu>()).addItemWithTitle(u"deepest", {}).setTag(9);
    WMenuItem& later = top.addItemWithTitle(u"later", {});
    later.setTag(7);
    later.setState(WMixedState);

    EXPECT_EQ(WMenuUtils::searchMenuItemWithTag(7, top), &inner);  // the submenu comes before the later item
    EXPECT_EQ(s(WMenuUtils::searchMenuItemWithTag(9, top)->title()), "deepest");
    EXPECT_EQ(WMenuUtils::searchMenuItemWithTag(2, top), &holder);
    EXPECT_EQ(WMenuUtils::searchMenuItemWithTag(42, top), nullptr);
    EXPECT_EQ(WMenuUtils::searchMenuItemOfMenu(top, u"deepest")->tag(), 9);
    EXPECT_EQ(WMenuUtils::searchMenuItemOfMenu(top, u"holder"), &holder);
    EXPECT_EQ(WMenuUtils::searchMenuItemOfMenu(top, u"none"), nullptr);

    EXPECT_EQ(WMenuUtils::getMenuItemWithSubmenu(top), nullptr);
    EXPECT_EQ(WMenuUtils::getMenuItemWithSubmenu(sub), &holder);
    EXPECT_EQ(WMenuUtils::getMenuItemWithSubmenu(*deep.submenu()), &deep);

    WMenuUtils::turnOffAllMenuItemState(top);
    EXPECT_EQ(inner.state(), WOffState);
    EXPECT_EQ(later.state(), WOffState);
}

TEST(MenuModel, MovingItemsKeepsParentsRight)
{
    WMenu first, second;
    WMenuItem& holder = first.addItemWithTitle(u"holder", {});
    WMenu& sub = holder.setSubmenu(std::make_unique<WMenu>());
    EXPECT_EQ(sub.supermenu(), &first);
    std::unique_ptr<WMenuItem> taken = first.removeItemAtIndex(0);
    EXPECT_EQ(taken->menu(), nullptr);
    EXPECT_EQ(sub.supermenu(), nullptr);
    WMenuItem& moved = second.insertItem(std::move(taken), 99);
    EXPECT_EQ(moved.menu(), &second);
    EXPECT_EQ(sub.supermenu(), &second);
    EXPECT_EQ(second.indexOfItem(moved), 0);
    EXPECT_EQ(first.removeItemAtIndex(0), nullptr);

    // The payload outlives the item for whoever still holds it.
    auto item = std::make_unique<WMenuItem>(u"t", "insertMenuTag:");
    item->setAttachedObj(WMenuDictionary{{u"pre", u"<b>"}});
    std::shared_ptr<WAttachedObject> payload = item->attachedObj();
    item.reset();
    EXPECT_EQ(std::get<WMenuDictionary>(*payload).at(u"pre"), u"<b>");
}
