#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "SyntaxFixture.h"
#include "syntax/WSettingFile.h"
#include "text/WStringUtils.h"

using Settings = std::map<std::u16string, std::u16string>;

TEST(SettingsString, KeysValuesCommentsAndMalformedLines) {
    Settings s = WStringUtils::settingsFromString(
        u"font_size = 12\r  // background_color = #000000\rcomment_color = #FF0000 // red\r"
        u"a = b = c\r= x\rkey =\rtag  color = #00 00 FF\rno equals here\rfont_size=14\r");
    EXPECT_EQ(s[u"font_size"], u"14");  // the later line wins
    EXPECT_FALSE(s.count(u"background_color"));
    EXPECT_EQ(s[u"comment_color"], u"#FF0000 // red");
    EXPECT_FALSE(s.count(u"a"));
    EXPECT_EQ(s[u""], u"x");
    EXPECT_EQ(s[u"key"], u"");
    EXPECT_EQ(s[u"tag color"], u"#00 00 FF");
    EXPECT_EQ(s.size(), 5u);
}

TEST(SettingsString, LineEndsDoNotMatter) {
    Settings cr = WStringUtils::settingsFromString(u"a = 1\rb = 2\r\rc = 3");
    EXPECT_EQ(WStringUtils::settingsFromString(u"a = 1\nb = 2\n\nc = 3"), cr);
    EXPECT_EQ(WStringUtils::settingsFromString(u"a = 1\r\nb = 2\r\n\r\nc = 3\r\n"), cr);
    EXPECT_EQ(cr.size(), 3u);
}

class SettingFileTest : public SyntaxFixture {};

TEST_F(SettingFileTest, UserFileMergesKeyByKey) {
    shipped("html_settings", "tag_color = #0000FF\r\nref_color = #112233\r\nfont_size = 12\r\n");
    user("html_settings", "tag_color = #FF0000\nis_word_wrapped = No\n");
    auto settings = WSettingFile::settingsWithFileOfName("html_settings", "txt");
    EXPECT_EQ(settings->fileName(), "html_settings");
    EXPECT_EQ(settings->tagColor(), (WColor{1, 0, 0, 1}));  // the user's value wins
    EXPECT_EQ(settings->refColor(), (WColor{0x11 / 255.0f, 0x22 / 255.0f, 0x33 / 255.0f, 1}));
    EXPECT_FLOAT_EQ(settings->fontSize(), 12.0f);
    EXPECT_FALSE(settings->isWordWrapped());
    EXPECT_TRUE(log.empty());
}

TEST_F(SettingFileTest, MissingAndMalformedValues) {
    shipped("css_settings", "comment_color = #FF0000 // red\rfont_size = 11.5pt\ris_word_wrapped = 1\r");
    auto settings = WSettingFile::settingsWithFileOfName("css_settings", "txt");
    EXPECT_FALSE(settings->commentColor());
    EXPECT_FALSE(settings->keywordColor());
    EXPECT_FLOAT_EQ(settings->fontSize(), 11.5f);
    EXPECT_TRUE(settings->isWordWrapped());
    EXPECT_TRUE(logged("WSettingFile::isWordWrapped - neither yes nor no."));

    // No shipped file: no settings at all, and a user file alone is not enough.
    user("php_settings", "font_size = 20\n");
    auto none = WSettingFile::settingsWithFileOfName("php_settings", "txt");
    EXPECT_FALSE(none->settings());
    EXPECT_FLOAT_EQ(none->fontSize(), 0.0f);
    log.clear();
    EXPECT_TRUE(none->isWordWrapped());
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(SettingFileTest, UserKeywordFileReplacesTheListWhole) {
    // Split at comma, blank, tab, CR and LF only: "//" and the words after it
    // are words like the others, wherever they stand.
    shipped("php_keywords", "// a//b\recho, print\tif\r\nelse  while,,\n  //\n");
    auto shippedOnly = WKeywords::keywordsWithFileOfName("php_keywords", "txt", u", \t\r\n");
    ASSERT_TRUE(shippedOnly->keywords());
    EXPECT_EQ(*shippedOnly->keywords(), (std::vector<std::u16string>{u"//", u"a//b", u"echo", u"print", u"if",
                                                                     u"else", u"while", u"//"}));
    EXPECT_EQ(shippedOnly->separators(), u", \t\r\n");

    user("php_keywords", "foo, bar");
    auto replaced = WKeywords::keywordsWithFileOfName("php_keywords", "txt", u", \t\r\n");
    EXPECT_EQ(*replaced->keywords(), (std::vector<std::u16string>{u"foo", u"bar"}));
    EXPECT_FALSE(WKeywords::keywordsWithFileOfName("ruby_keywords", "txt", u",")->keywords());
}

TEST_F(SettingFileTest, FoldersAndPipesContributeNothing) {
    shipped("php_settings", "font_size = 12\n");
    std::filesystem::create_directories(userSettings() / "php_settings.txt");
    auto settings = WSettingFile::settingsWithFileOfName("php_settings", "txt");
    EXPECT_FLOAT_EQ(settings->fontSize(), 12.0f);  // the shipped file alone

    // A user file that cannot be read leaves the list empty; opening the pipe
    // must not wait for a writer that never comes.
    shipped("php_keywords", "echo");
    ASSERT_EQ(::mkfifo((userSettings() / "php_keywords.txt").c_str(), 0600), 0);
    EXPECT_FALSE(WKeywords::keywordsWithFileOfName("php_keywords", "txt", u", \t\r\n")->keywords());
    EXPECT_FALSE(WSettingFile::readTextFile(resources()));

    // wexel-tool reads the same files and reports what it cannot read.
    const std::string home = (userSettings() / ".." / ".." / "..").string();
    write(resources() / "x.php", "<?php echo 1; ?>");
    auto run = [&](const std::string& arguments) {
        const std::string command = "HOME='" + home + "' WEXEL_RESOURCES='" + resources().string() + "' '" +
                                    WEXEL_TOOL_PATH + "' " + arguments + " >/dev/null 2>&1";
        return std::system(command.c_str());
    };
    std::filesystem::remove(userSettings() / "php_keywords.txt");
    std::filesystem::create_directories(userSettings() / "php_keywords.txt");
    EXPECT_EQ(run("scan --type PHP '" + (resources() / "x.php").string() + "'"), 0);
    EXPECT_EQ(WEXITSTATUS(run("scan --type PHP --keywords '" + userSettings().string() + "' '" +
                              (resources() / "x.php").string() + "'")),
              1);
}

TEST_F(SettingFileTest, ShippedFilesAreCompleteAndValid) {
    // The real resources: every colour key a type needs is a valid colour.
    mPlatform.resourceFolders = {WEXEL_TEST_DATA "/../../resources"};
    const std::vector<std::pair<std::string, std::vector<std::u16string>>> needs = {
        {"html_settings", {u"background_color", u"base_string_color", u"comment_color", u"tag_color",
                           u"doublequote_color", u"ref_color"}},
        {"css_settings", {u"background_color", u"base_string_color", u"comment_color", u"keyword_color",
                          u"doublequote_color", u"bracket_color"}},
        {"php_settings", {u"variable_color", u"keyword_color"}},
        {"perl_settings", {u"variable_color", u"keyword_color"}},
        {"ruby_settings", {u"variable_color", u"keyword_color"}},
        {"i-text_settings", {u"background_color", u"base_string_color", u"indexed_line_color"}},
        {"w-index_settings", {u"background_color", u"base_string_color", u"group_color", u"item_color"}},
    };
    for (const auto& [file, keys] : needs) {
        auto settings = WSettingFile::settingsWithFileOfName(file, "txt");
        ASSERT_TRUE(settings->settings()) << file;
        for (const auto& key : keys) EXPECT_TRUE(settings->colorForKey(key)) << file;
    }
    for (const char* file : {"php_keywords", "perl_keywords", "ruby_keywords", "css_keywords", "i-text_keywords"}) {
        auto keywords = WKeywords::keywordsWithFileOfName(file, "txt", u", \t\r\n");
        ASSERT_TRUE(keywords->keywords()) << file;
        EXPECT_GT(keywords->keywords()->size(), 30u) << file;
        // Every word of a shipped list is a word: no line of prose slipped in.
        for (const auto& word : *keywords->keywords()) EXPECT_EQ(word.find(u"//"), std::u16string::npos) << file;
    }
}
