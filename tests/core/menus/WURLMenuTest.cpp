#include "MenuTestSupport.h"
#include "PlacesDatabase.h"
#include "menus/WMenuItem.h"
#include "menus/WMenuUtils.h"

namespace {

class URLMenu : public MenuFolderTest {};

const WMenu& submenuTitled(const WMenu& menu, std::string_view title)
{
    for (const auto& item : menu.itemArray()) {
        if (s(item->title()) == title && item->submenu())
            return *item->submenu();
    }
    throw std::runtime_error("no submenu " + std::string(title));
}

}  // namespace

TEST_F(URLMenu, BrowserSubmenusFollowTheBookmarkFilesWithItemsCarryingTitleAndUrl)
{
    WMenu menu(u"url_menu");
    WMenuUtils::attachURLMenuToMenu(menu, "insertMenuURL:");
    EXPECT_EQ(titlesOf(menu), (std::vector<std::string>{"MSIE", "Safari", "Firefox", "Chromium"}));

    {
        PlacesDatabase db(firefoxDefaultPlaces(home));
        int64_t folder = db.folder(PlacesDatabase::Toolbar, "Docs & Refs");
        db.bookmark(folder, "MDN", "https://developer.mozilla.org/");
        db.separator(folder);
        db.bookmark(folder, "", "https://no-title.example/");
    }
    writeFile(home / ".config" / "google-chrome" / "Default" / "Bookmarks",
              R"({"roots": {"other": {"children": [{"type": "url", "name": "検索", "url": "https://g.example/"}]}}})");
    std::vector<std::filesystem::path> sources = WMenuUtils::urlMenuSourceFiles();
    EXPECT_NE(std::find(sources.begin(), sources.end(), home / ".mozilla/firefox/abcd.default-release/places.sqlite"),
              sources.end());

    WMenu again(u"url_menu");
    WMenuUtils::attachURLMenuToMenu(again, "insertMenuURL:");
    EXPECT_EQ(titlesOf(again), (std::vector<std::string>{"MSIE", "Safari", "Firefox", "Chromium", "Google Chrome"}));
    const WMenu& firefox = submenuTitled(again, "Firefox");
    EXPECT_EQ(titlesOf(firefox), (std::vector<std::string>{"Bookmarks Menu", "Bookmarks Toolbar", "Other Bookmarks"}));
    const WMenu& docs = submenuTitled(submenuTitled(firefox, "Bookmarks Toolbar"), "Docs & Refs");
    ASSERT_EQ(docs.itemArray().size(), 3u);
    const WMenuItem& mdn = *docs.itemArray()[0];
    EXPECT_EQ(mdn.action(), "insertMenuURL:");
    const WMenuDictionary* payload = mdn.attachedDictionary();
    ASSERT_NE(payload, nullptr);
    EXPECT_EQ(payload->at(u"url"), u"https://developer.mozilla.org/");
    EXPECT_EQ(payload->at(u"title"), u"MDN");
    EXPECT_TRUE(docs.itemArray()[1]->isSeparatorItem());
    EXPECT_EQ(s(docs.itemArray()[2]->title()), "https://no-title.example/");
    EXPECT_EQ(titlesOf(submenuTitled(submenuTitled(again, "Google Chrome"), "Other Bookmarks")),
              std::vector<std::string>{"検索"});
}
