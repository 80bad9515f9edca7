#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "editor/WNavigator.h"
#include "menus/WMenu.h"
#include "platform/WPlainPlatform.h"

namespace fs = std::filesystem;

namespace {

enum TextType : int32_t { Plain = 1, HTML = 2, Index = 3, Markup = 4, CSS = 5, Perl = 6, PHP = 7, Ruby = 8, Shell = 9 };

std::vector<std::u16string> titles(const std::vector<WNavigatorItem>& items)
{
    std::vector<std::u16string> result;
    for (const auto& item : items)
        result.push_back(item.title);
    return result;
}

TEST(Navigator, CssListsOneItemPerRuleOutsideComments)
{
    const std::u16string css = u"body { color: red }\rh1, h2 { margin: 0 }\r";
    const auto items = WNavigator::definitionItems(css, CSS);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0], (WNavigatorItem{u"body ", {0, 5}}));
    EXPECT_EQ(items[1], (WNavigatorItem{u"h1, h2 ", {20, 7}}));

    EXPECT_EQ(titles(WNavigator::cssItems(u"/* p { } */ a:hover { }")), std::vector<std::u16string>{u"a:hover "});
    EXPECT_EQ(titles(WNavigator::cssItems(u"#main { }")), std::vector<std::u16string>{u"main "});
    EXPECT_EQ(WNavigator::cssItems(u"#main { }")[0].range, (WRange{1, 5}));
    // A rule that never opens ends the list.
    EXPECT_EQ(titles(WNavigator::cssItems(u"a { } b\r.c { }")), (std::vector<std::u16string>{u"a ", u"b\r.c "}));
    EXPECT_EQ(titles(WNavigator::cssItems(u"a { } b c")), std::vector<std::u16string>{u"a "});
    // Selectors spanning lines keep their line ends; nested text is skipped.
    EXPECT_EQ(titles(WNavigator::cssItems(u"p,\rq { x: y } r{}")), (std::vector<std::u16string>{u"p,\rq ", u"r"}));
    EXPECT_TRUE(WNavigator::cssItems(u"").empty());
    EXPECT_TRUE(WNavigator::cssItems(u"a").empty());
}

TEST(Navigator, MarkupPerlAndRubyListWholeLines)
{
    const std::u16string markup = u"@ Title  one\rtext\r @not\r@two";
    const auto marks = WNavigator::definitionItems(markup, Markup);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0], (WNavigatorItem{u"@ Title one", {0, 13}}));
    EXPECT_EQ(marks[1], (WNavigatorItem{u"@two", {24, 4}}));

    const std::u16string perl = u"sub alpha {\r  sub hidden {\rsub beta\rsubway sub x { sub y {\r";
    const auto subs = WNavigator::definitionItems(perl, Perl);
    EXPECT_EQ(titles(subs), (std::vector<std::u16string>{u"alpha", u"beta", u"subway sub x { sub y {"}));
    EXPECT_EQ(subs[0].range, (WRange{0, 12}));
    EXPECT_EQ(subs[1].range, (WRange{27, 9}));

    const std::u16string ruby = u"module M\rclass A\r  class B\rclass C < A\r";
    const auto defs = WNavigator::definitionItems(ruby, Ruby);
    EXPECT_EQ(titles(defs), (std::vector<std::u16string>{u"class A\r", u"class C < A\r", u"module M\r"}));
    EXPECT_EQ(defs[2].range, (WRange{0, 9}));
}

TEST(Navigator, IndexedTextListsKeywordsInFileOrder)
{
    const std::u16string text = u"Chapter 1\rSection  a\rChapterSection\r";
    const auto items = WNavigator::indexItems(text, {u"Section", u"Chapter"});
    EXPECT_EQ(titles(items), (std::vector<std::u16string>{u"Section a", u"Chapter 1", u"ChapterSection"}));
    EXPECT_EQ(items[1].range, (WRange{0, 10}));

    // The keywords come from the shipped file only; without it nothing is listed.
    WPlainPlatform platform;
    const fs::path folder = fs::temp_directory_path() / ("wexel-nav-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    platform.resourceFolders = {folder};
    WPlatform::setShared(&platform);
    EXPECT_TRUE(WNavigator::definitionItems(text, Index).empty());
    std::ofstream(folder / "i-text_keywords.txt") << "Chapter, \r\nSection\n";
    EXPECT_EQ(titles(WNavigator::definitionItems(text, Index)),
              (std::vector<std::u16string>{u"Chapter 1", u"ChapterSection", u"Section a"}));
    // The list holds words only, read as the colouring reads it: the words of
    // a line starting "//" are line heads too, and "//" heads the comment line.
    std::ofstream(folder / "i-text_keywords.txt") << "// Section\nChapter\n";
    EXPECT_EQ(titles(WNavigator::definitionItems(text + u"// note\r", Index)),
              (std::vector<std::u16string>{u"// note", u"Section a", u"Chapter 1", u"ChapterSection"}));
    WPlatform::setShared(nullptr);
    fs::remove_all(folder);
}

TEST(Navigator, OtherTypesListNothing)
{
    const std::u16string text = u"sub a {\rclass B\r@c\rd { }";
    for (int32_t type : std::initializer_list<int32_t>{Plain, HTML, PHP, Shell, 0, 42})
        EXPECT_TRUE(WNavigator::definitionItems(text, type).empty()) << type;
}

TEST(Navigator, MenuItemsCarryTheirRanges)
{
    const auto menu = WNavigator::navigatorMenu(u"a { }\rb { }", CSS);
    ASSERT_EQ(menu->numberOfItems(), 2u);
    const WMenuItem& second = menu->itemAtIndex(1);
    EXPECT_EQ(second.title(), u"b ");
    EXPECT_EQ(second.action(), "setSelectedRangeOfTextView:");
    EXPECT_TRUE(second.keyEquivalent().empty());
    ASSERT_NE(second.attachedRange(), nullptr);
    EXPECT_EQ(*second.attachedRange(), (WRange{6, 2}));
    EXPECT_TRUE(WNavigator::navigatorMenu(u"a { }", Plain)->isEmpty());
}

}  // namespace
