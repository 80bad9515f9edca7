#include <sys/stat.h>

#include "MenuTestSupport.h"
#include "menus/WMenuUtils.h"

using Titles = std::vector<std::string>;

namespace {

std::unique_ptr<WMenu> tagMenu(std::string_view file)
{
    auto menu = std::make_unique<WMenu>();
    WMenuUtils::constructTagMenu(*menu, WStringUtils::fromUtf8(file), "insertMenuTag:");
    return menu;
}

std::string text(const WMenuItem& item, std::u16string_view key)
{
    const std::u16string* value = item.attachedText(key);
    return value ? WStringUtils::toUtf8(*value) : std::string("<absent>");
}

}  // namespace

TEST(TagMenu, AnItemCollectsItsTextsKeyAndModifiers)
{
    auto menu = tagMenu("NAME \"b\"\nPRE \"<b>\"\nPOST \"</b>\"\nKEY \"b\"\nMOD \"opt\"\n");
    ASSERT_EQ(menu->numberOfItems(), 1u);
    const WMenuItem& item = menu->itemAtIndex(0);
    EXPECT_EQ(WStringUtils::toUtf8(item.title()), "b");
    EXPECT_EQ(item.action(), "insertMenuTag:");
    EXPECT_EQ(text(item, u"pre"), "<b>");
    EXPECT_EQ(text(item, u"post"), "</b>");
    EXPECT_EQ(text(item, u"single"), "<absent>");
    EXPECT_EQ(text(item, u"select"), "<absent>");
    EXPECT_EQ(item.keyEquivalent(), u"b");
    EXPECT_EQ(item.keyEquivalentModifierMask(), uint32_t(WCommandKeyMask | WAlternateKeyMask));
}

TEST(TagMenu, CommandWordsInAnyCaseAndLaterLinesReplaceEarlierOnes)
{
    auto menu = tagMenu("name \"p\"\r  pre \"<p>\"\r\tPrE \"<P>\"\rSeLeCt \"ALL\"\rsingle \"<p></p>\"\r"
                        "BOGUS \"x\"\r");
    ASSERT_EQ(menu->numberOfItems(), 1u);
    const WMenuItem& item = menu->itemAtIndex(0);
    EXPECT_EQ(text(item, u"pre"), "<P>");
    EXPECT_EQ(text(item, u"select"), "all");
    EXPECT_EQ(text(item, u"single"), "<p></p>");
    EXPECT_EQ(item.keyEquivalent(), u"");
    EXPECT_EQ(item.keyEquivalentModifierMask(), uint32_t(WCommandKeyMask));
}

TEST(TagMenu, CommentsBlankLinesAndLineEndsOfEveryKind)
{
    auto menu = tagMenu("// NAME \"no\"\r\n  // NAME \"no either\"\n\n   \t \r\nNAME \"one\"\r\n\r\nNAME \"two\"");
    EXPECT_EQ(titlesOf(*menu), (Titles{"one", "two"}));
}

TEST(TagMenu, ArgumentsKeepInnerQuotesAndResolveEscapes)
{
    auto menu = tagMenu(R"(NAME "a href"
PRE "<a href=\"\">" trailing words ignored
POST "</a>\r\tdone"
NAME no quotes here
NAME "one quote)");
    ASSERT_EQ(menu->numberOfItems(), 3u);
    EXPECT_EQ(text(menu->itemAtIndex(0), u"pre"), "<a href=\"\">");
    EXPECT_EQ(text(menu->itemAtIndex(0), u"post"), "</a>\r\tdone");
    EXPECT_EQ(menu->itemAtIndex(1).title(), u"");
    EXPECT_EQ(menu->itemAtIndex(2).title(), u"");
}

TEST(TagMenu, ShiftAndUnshiftNestSubmenus)
{
    auto menu = tagMenu("SHIFT \"Lists\"\nNAME \"ul\"\nSHIFT \"Deeper\"\nNAME \"li\"\nUNSHIFT\nNAME \"ol\"\n"
                        "UNSHIFT\nNAME \"p\"\n");
    EXPECT_EQ(titlesOf(*menu), (Titles{"Lists", "p"}));
    const WMenuItem& lists = menu->itemAtIndex(0);
    EXPECT_EQ(lists.action(), "");
    ASSERT_TRUE(lists.hasSubmenu());
    EXPECT_EQ(titlesOf(*lists.submenu()), (Titles{"ul", "Deeper", "ol"}));
    EXPECT_EQ(lists.submenu()->supermenu(), menu.get());
    EXPECT_EQ(titlesOf(*lists.submenu()->itemAtIndex(1).submenu()), (Titles{"li"}));
}

TEST(TagMenu, UnshiftWithNothingOpenStaysInTheTagMenu)
{
    WMenu bar;
    WMenuItem& holder = bar.addItemWithTitle(u"HTML Tags", {});
    WMenu& tags = holder.setSubmenu(std::make_unique<WMenu>(u"tag_submenu"));
    WMenuUtils::constructTagMenu(tags, u"UNSHIFT\nUNSHIFT\nNAME \"b\"\n", "insertMenuTag:");
    EXPECT_EQ(titlesOf(tags), (Titles{"b"}));
    EXPECT_EQ(bar.numberOfItems(), 1u);
}

TEST(TagMenu, AttributesBelongToTheLatestNamedItem)
{
    // Before any NAME, and after a SHIFT before the next NAME, there is no item
    // to change; after an UNSHIFT the item of the latest NAME is still the one.
    auto menu = tagMenu("PRE \"<x>\"\nKEY \"x\"\nNAME \"a\"\nSHIFT \"S\"\nPRE \"<y>\"\nNAME \"b\"\nUNSHIFT\n"
                        "POST \"</z>\"\nKEY \"z\"\nMOD \"opt\"\nSELECT \"ALL\"\n");
    const WMenuItem& a = menu->itemAtIndex(0);
    EXPECT_EQ(text(a, u"pre"), "<absent>");
    EXPECT_EQ(text(a, u"post"), "<absent>");
    EXPECT_EQ(a.keyEquivalent(), u"");
    const WMenuItem& b = menu->itemAtIndex(1).submenu()->itemAtIndex(0);
    EXPECT_EQ(text(b, u"pre"), "<absent>");
    EXPECT_EQ(text(b, u"post"), "</z>");
    EXPECT_EQ(text(b, u"select"), "all");
    EXPECT_EQ(b.keyEquivalent(), u"z");
    EXPECT_EQ(b.keyEquivalentModifierMask(), uint32_t(WCommandKeyMask | WAlternateKeyMask));
    EXPECT_EQ(menu->numberOfItems(), 2u);
}

TEST(TagMenu, KeysAndModifierNames)
{
    auto menu = tagMenu("NAME \"1\"\nKEY \"Return\"\nMOD \"Shift+Ctrl\"\n"
                        "NAME \"2\"\nKEY \"tab\"\nMOD \"OPTION\"\n"
                        "NAME \"3\"\nKEY \"Q\"\nMOD \"\"\n"
                        "NAME \"4\"\nKEY \"ESC\"\nMOD \"opt shift ctrl\"\n");
    ASSERT_EQ(menu->numberOfItems(), 4u);
    EXPECT_EQ(menu->itemAtIndex(0).keyEquivalent(), u"\r");
    EXPECT_EQ(menu->itemAtIndex(0).keyEquivalentModifierMask(),
              uint32_t(WCommandKeyMask | WShiftKeyMask | WControlKeyMask));
    EXPECT_EQ(menu->itemAtIndex(1).keyEquivalent(), u"\t");
    EXPECT_EQ(menu->itemAtIndex(1).keyEquivalentModifierMask(), uint32_t(WCommandKeyMask | WAlternateKeyMask));
    EXPECT_EQ(menu->itemAtIndex(2).keyEquivalent(), u"q");
    EXPECT_EQ(menu->itemAtIndex(2).keyEquivalentModifierMask(), uint32_t(WCommandKeyMask));
    EXPECT_EQ(menu->itemAtIndex(3).keyEquivalent(), u"esc");
    EXPECT_EQ(menu->itemAtIndex(3).keyEquivalentModifierMask(),
              uint32_t(WCommandKeyMask | WAlternateKeyMask | WShiftKeyMask | WControlKeyMask));
}

using TagFile = MenuFolderTest;

TEST_F(TagFile, TheUsersFileWinsOverTheShippedOne)
{
    writeFile(library() / "UserDefinedTags.txt", "NAME \"mine\"\n");
    WMenuItem holder(u"HTML Tags", {});
    WMenuUtils::attachTagMenuToMenuItem(&holder, "insertMenuTag:");
    ASSERT_TRUE(holder.hasSubmenu());
    EXPECT_EQ(holder.submenu()->title(), u"tag_submenu");
    EXPECT_EQ(titlesOf(*holder.submenu()), (Titles{"mine"}));

    // Items already in the menu stay; the file is read afresh at every call.
    writeFile(library() / "UserDefinedTags.txt", "NAME \"changed\"\n");
    WMenuUtils::attachTagMenuToMenu(*holder.submenu(), "insertMenuTag:");
    EXPECT_EQ(titlesOf(*holder.submenu()), (Titles{"mine", "changed"}));
}

TEST_F(TagFile, UserFilesInUtf16AndShiftJis)
{
    writeFile(library() / "UserDefinedTags.txt", std::string("\xFF\xFE" "N\0A\0M\0E\0 \0\"\0\x42\x30\"\0", 18));
    WMenu menu;
    WMenuUtils::attachTagMenuToMenu(menu, "insertMenuTag:");
    EXPECT_EQ(titlesOf(menu), (Titles{"\xE3\x81\x82"}));  // HIRAGANA A

    writeFile(library() / "UserDefinedTags.txt", "NAME \"\x82\xA0\"\n");  // the same in Shift JIS
    WMenu again;
    WMenuUtils::attachTagMenuToMenu(again, "insertMenuTag:");
    EXPECT_EQ(titlesOf(again), (Titles{"\xE3\x81\x82"}));
}

TEST_F(TagFile, NoFileAtAllOrAnUnreadableOneLeavesTheMenuAlone)
{
    platform.resourceFolders = {home / "no-resources"};
    WMenu menu;
    menu.addItemWithTitle(u"kept", {});
    WMenuUtils::attachTagMenuToMenu(menu, "insertMenuTag:");
    EXPECT_EQ(titlesOf(menu), (Titles{"kept"}));
    EXPECT_EQ(logLines, (std::vector<std::string>{"WMenuUtils : tagFileName == nil"}));

    // A user file that cannot be read does not fall back to the shipped one.
    platform.resourceFolders = {std::filesystem::path(WEXEL_TEST_DATA) / ".." / ".." / "resources"};
    std::filesystem::create_directories(library() / "UserDefinedTags.txt");
    WMenuUtils::attachTagMenuToMenu(menu, "insertMenuTag:");
    EXPECT_EQ(titlesOf(menu), (Titles{"kept"}));
    EXPECT_EQ(logLines.back(), "WMenuUtils : tagFileContents == nil");

    // Nor does a pipe, and reading it does not wait for a writer.
    std::filesystem::remove(library() / "UserDefinedTags.txt");
    ASSERT_EQ(::mkfifo((library() / "UserDefinedTags.txt").c_str(), 0600), 0);
    WMenuUtils::attachTagMenuToMenu(menu, "insertMenuTag:");
    EXPECT_EQ(titlesOf(menu), (Titles{"kept"}));
    EXPECT_EQ(logLines.back(), "WMenuUtils : tagFileContents == nil");
}

TEST_F(TagFile, TheShippedFileGroupsCommonElements)
{
    WMenu menu;
    WMenuUtils::attachTagMenuToMenu(menu, "insertMenuTag:");
    EXPECT_EQ(titlesOf(menu),
              (Titles{"Structure", "Text", "Lists", "Links and Media", "Tables", "Forms"}));
    EXPECT_TRUE(logLines.empty());

    int keyed = 0;
    for (const auto& group : menu.itemArray()) {
        ASSERT_TRUE(group->hasSubmenu());
        for (const auto& item : group->submenu()->itemArray()) {
            SCOPED_TRACE(s(item->title()));
            EXPECT_EQ(item->action(), "insertMenuTag:");
            EXPECT_TRUE(item->attachedText(u"pre") || item->attachedText(u"single"));
            if (const std::u16string* pre = item->attachedText(u"pre")) {
                EXPECT_EQ(pre->find(u'\n'), std::u16string::npos);  // the text holds CR line ends only
            }
            if (!item->keyEquivalent().empty())
                ++keyed;
        }
    }
    EXPECT_GE(keyed, 3);

    const WMenuItem* strong = WMenuUtils::searchMenuItemOfMenu(menu, u"strong");
    ASSERT_NE(strong, nullptr);
    EXPECT_EQ(text(*strong, u"pre"), "<strong>");
    EXPECT_EQ(text(*strong, u"select"), "inside");
    EXPECT_EQ(strong->keyEquivalent(), u"b");
    EXPECT_EQ(strong->keyEquivalentModifierMask(), uint32_t(WCommandKeyMask | WAlternateKeyMask));
    const WMenuItem* image = WMenuUtils::searchMenuItemOfMenu(menu, u"img");
    ASSERT_NE(image, nullptr);
    EXPECT_NE(image->attachedText(u"single"), nullptr);
}
