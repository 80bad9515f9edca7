#include <chrono>
#include <cstdlib>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include "PlacesDatabase.h"
#include "bookmarks/WBrowserBookmarks.h"
#include "bookmarks/WBrowserProfiles.h"
#include "bookmarks/WChromiumBookmarks.h"
#include "bookmarks/WFirefoxBookmarks.h"
#include "platform/WLog.h"
#include "text/WStringUtils.h"

namespace fs = std::filesystem;

namespace {

std::string s(std::u16string_view text) { return WStringUtils::toUtf8(text); }

// The tree as one line: folders as "title[...]", links as "title=url", separators as "-".
std::string outline(const std::vector<WBookmark>& entries)
{
    std::string text;
    for (const WBookmark& entry : entries) {
        if (!text.empty())
            text += ' ';
        switch (entry.kind) {
        case WBookmark::Kind::Folder: text += s(entry.title) + "[" + outline(entry.children) + "]"; break;
        case WBookmark::Kind::Link: text += s(entry.title) + "=" + s(entry.url); break;
        case WBookmark::Kind::Separator: text += "-"; break;
        }
    }
    return text;
}

class BookmarkFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        home = fs::temp_directory_path() / ("wexel-bookmarks-" + std::to_string(random()));
        fs::create_directories(home / "tmp");
        // A temporary folder of our own: other tests running at the same time
        // make and remove private copies of their databases too.
        const char* tmpdir = std::getenv("TMPDIR");
        previousTmpdir = tmpdir ? std::optional<std::string>(tmpdir) : std::nullopt;
        ::setenv("TMPDIR", (home / "tmp").c_str(), 1);
        previousSink = WLog::setSink([this](std::string_view line) { logLines.emplace_back(line); });
    }
    void TearDown() override
    {
        WLog::setSink(previousSink);
        if (previousTmpdir)
            ::setenv("TMPDIR", previousTmpdir->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
        std::error_code error;
        fs::remove_all(home, error);
    }
    static void write(const fs::path& file, std::string_view bytes)
    {
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
    }
    // No private copy of a database is left behind in the temporary folder.
    static size_t privateCopies()
    {
        size_t count = 0;
        for (const auto& entry : fs::directory_iterator(fs::temp_directory_path()))
            count += entry.path().filename().string().rfind("wexel-places-", 0) == 0;
        return count;
    }

    fs::path home;
    std::optional<std::string> previousTmpdir;
    WLog::Sink previousSink;
    std::vector<std::string> logLines;
};

}  // namespace

// ---- Firefox ----

TEST_F(BookmarkFiles, FirefoxFoldersInStoredOrderWithSeparatorsAndUrlsForEmptyTitles)
{
    fs::path places = home / "places.sqlite";
    size_t copiesBefore = privateCopies();
    {
        PlacesDatabase db(places);
        db.bookmark(PlacesDatabase::Menu, "日本語のページ", "https://example.jp/");
        int64_t folder = db.folder(PlacesDatabase::Menu, "Work");
        db.bookmark(folder, "A", "https://a.example/");
        db.separator(folder);
        int64_t inner = db.folder(folder, "Inner");
        db.bookmark(inner, "", "https://untitled.example/");
        db.bookmark(PlacesDatabase::Toolbar, "T", "https://t.example/");
        db.bookmark(PlacesDatabase::Tags, "tagged", "https://tag.example/");
        db.bookmark(PlacesDatabase::Unfiled, "U", "https://u.example/");
        // Stored order is the position column, not the row order.
        db.exec("UPDATE moz_bookmarks SET position = 9 WHERE title = '日本語のページ'");
    }
    WBookmarkStore store = WFirefoxBookmarks::read(places);
    ASSERT_TRUE(store.ok()) << store.error;
    EXPECT_EQ(outline(store.folders),
              "Bookmarks Menu[Work[A=https://a.example/ - Inner[https://untitled.example/=https://untitled.example/]]"
              " 日本語のページ=https://example.jp/] Bookmarks Toolbar[T=https://t.example/]"
              " Other Bookmarks[U=https://u.example/]");
    EXPECT_EQ(store.skipped, 0u);
    EXPECT_EQ(privateCopies(), copiesBefore);
}

TEST_F(BookmarkFiles, FirefoxReadsADatabaseLockedByAWriterWithoutWaiting)
{
    fs::path places = home / "places.sqlite";
    PlacesDatabase db(places);
    db.bookmark(PlacesDatabase::Menu, "Committed", "https://committed.example/");
    db.exec("BEGIN EXCLUSIVE");
    db.bookmark(PlacesDatabase::Menu, "Pending", "https://pending.example/");

    WBookmarkStore store = WFirefoxBookmarks::read(places);
    ASSERT_TRUE(store.ok()) << store.error;
    EXPECT_EQ(outline(store.folders[0].children), "Committed=https://committed.example/");
    db.exec("COMMIT");
}

TEST_F(BookmarkFiles, FirefoxSeesBookmarksThatAreOnlyInTheWriteAheadLog)
{
    fs::path places = home / "places.sqlite";
    PlacesDatabase db(places, true);  // stays open, so nothing is checkpointed
    db.bookmark(PlacesDatabase::Toolbar, "Newest", "https://newest.example/");
    fs::path log = places;
    log += "-wal";
    ASSERT_TRUE(fs::exists(log));
    ASSERT_GT(fs::file_size(log), 0u);

    WBookmarkStore store = WFirefoxBookmarks::read(places);
    ASSERT_TRUE(store.ok()) << store.error;
    EXPECT_EQ(outline(store.folders[1].children), "Newest=https://newest.example/");
    EXPECT_EQ(fs::file_size(log) > 0, true);  // the profile's own log is untouched
}

TEST_F(BookmarkFiles, FirefoxRefusesBrokenDatabasesAndDropsOnlyBadEntries)
{
    fs::path places = home / "places.sqlite";
    {
        PlacesDatabase db(places);
        db.bookmark(PlacesDatabase::Menu, "Good", "https://good.example/");
        db.bookmark(PlacesDatabase::Menu, "Huge " + std::string(100000, 'x'), "https://huge.example/");
        db.exec("INSERT INTO moz_places (id, url) VALUES (900, 'https://nul.example/')");
        db.exec("INSERT INTO moz_bookmarks (type, fk, parent, position, title, guid)"
                " VALUES (1, 900, 2, 5, CAST(X'4E00554C' AS TEXT), 'nul')");
        db.exec("INSERT INTO moz_bookmarks (type, fk, parent, position, title, guid)"
                " VALUES (1, 12345, 2, 6, 'no place', 'noplace')");
        // A folder inside itself, reached from the menu.
        db.exec("INSERT INTO moz_bookmarks (id, type, parent, position, title, guid) VALUES (50, 2, 51, 0, 'Loop', 'l1')");
        db.exec("INSERT INTO moz_bookmarks (id, type, parent, position, title, guid) VALUES (51, 2, 50, 0, 'Back', 'l2')");
        db.exec("UPDATE moz_bookmarks SET parent = 2, position = 7 WHERE id = 50");
        db.exec("UPDATE moz_bookmarks SET parent = 51 WHERE id = 2");
    }
    WBookmarkStore store = WFirefoxBookmarks::read(places);
    ASSERT_TRUE(store.ok()) << store.error;
    const std::vector<WBookmark>& menu = store.folders[0].children;
    ASSERT_GE(menu.size(), 2u);
    EXPECT_EQ(outline({menu[0]}), "Good=https://good.example/");
    EXPECT_EQ(menu[1].title.size(), WBookmarkMaxTitleLength + 1);  // cut, with an ellipsis
    EXPECT_EQ(menu.size(), 3u);  // the loop folder, holding its own entries once
    EXPECT_GE(store.skipped, 2u);

    std::string bytes(4096, '\0');
    std::ifstream(places, std::ios::binary).read(bytes.data(), 4096);
    for (auto [name, content] : {std::pair<const char*, std::string>{"truncated", bytes},
                                 {"empty", ""},
                                 {"text", "SQLite format 3 but not really"}}) {
        write(places, content);
        EXPECT_FALSE(WFirefoxBookmarks::read(places).ok()) << name;
    }
    EXPECT_FALSE(WFirefoxBookmarks::read(home / "missing.sqlite").ok());
    fs::create_directories(home / "folder.sqlite");
    EXPECT_FALSE(WFirefoxBookmarks::read(home / "folder.sqlite").ok());
}

TEST_F(BookmarkFiles, FirefoxDefaultProfileFromInstallSectionThenDefaultMarkThenOnlyProfile)
{
    const fs::path root = "/r";
    std::string profiles = "[Profile1]\nName=old\nIsRelative=1\nPath=old.default\nDefault=1\n\n"
                           "[Profile0]\nName=new\nIsRelative=0\nPath=/abs/new.default-release\n";
    // Only an install section names the profile in use; then the default mark counts.
    EXPECT_EQ(WBrowserProfiles::firefoxProfile(profiles, "[ABC]\nDefault=/abs/new.default-release\n", root),
              fs::path("/r/old.default"));
    EXPECT_EQ(WBrowserProfiles::firefoxProfile(profiles, "", root), fs::path("/r/old.default"));
    EXPECT_EQ(WBrowserProfiles::firefoxProfile(profiles, "[InstallABC]\r\nDefault=/abs/new.default-release\r\n", root),
              fs::path("/abs/new.default-release"));
    EXPECT_EQ(WBrowserProfiles::firefoxProfile("[Profile0]\nPath=only\n", "", root), fs::path("/r/only"));
    EXPECT_EQ(WBrowserProfiles::firefoxProfile("[Profile0]\nPath=a\n[Profile1]\nPath=b\n", "", root), std::nullopt);
    EXPECT_EQ(WBrowserProfiles::firefoxProfile("", "", root), std::nullopt);
}

// ---- Chromium ----

TEST_F(BookmarkFiles, ChromiumRootsAndNestedFoldersInStoredOrder)
{
    WBookmarkStore store = WChromiumBookmarks::parse(R"({"checksum": "x", "version": 1, "roots": {
        "bookmark_bar": {"type": "folder", "name": "Bookmarks bar", "children": [
            {"type": "url", "name": "Z last-named first", "url": "https://z.example/"},
            {"type": "folder", "name": "仕事", "children": [
                {"type": "folder", "name": "Deep", "children": [{"type": "url", "name": "", "url": "https://d.example/"}]}]}]},
        "other": {"type": "folder", "name": "Other", "children": []},
        "synced": {"type": "folder", "name": "Mobile", "children": [{"type": "url", "name": "M", "url": "https://m.example/"}]}}})");
    ASSERT_TRUE(store.ok()) << store.error;
    EXPECT_EQ(outline(store.folders), "Bookmarks Bar[Z last-named first=https://z.example/ "
                                      "仕事[Deep[https://d.example/=https://d.example/]]] Other Bookmarks[] "
                                      "Mobile Bookmarks[M=https://m.example/]");
}

TEST_F(BookmarkFiles, ChromiumBadFilesGiveNothingAndBadEntriesAreLeftOut)
{
    for (const char* bad : {"", "{", "[]", "{\"roots\": []}", "{\"roots\": {\"bookmark_bar\": {\"children\": [",
                            "\xff\xfe{}", "{\"roots\": {}} trailing"})
        EXPECT_FALSE(WChromiumBookmarks::parse(bad).ok()) << bad;

    WBookmarkStore store = WChromiumBookmarks::parse(R"({"roots": {"bookmark_bar": {"children": [
        {"type": "url", "name": "N\u0000UL", "url": "https://nul.example/"},
        {"type": "url", "name": 7, "url": "https://seven.example/"},
        {"type": "url", "name": "no url"},
        {"type": "folder", "name": "no children"},
        {"type": "folder", "name": "F", "children": {"not": "an array"}},
        "a string", 42, null,
        {"type": "url", "name": "ok", "url": "https://ok.example/"}]}}})");
    ASSERT_TRUE(store.ok());
    EXPECT_EQ(outline(store.folders[0].children), "ok=https://ok.example/");
    EXPECT_EQ(store.skipped, 8u);

    // Nesting far deeper than any menu: no stack overflow, the shallow part kept.
    std::string deep = R"({"roots": {"bookmark_bar": {"children": [{"type": "url", "name": "kept", "url": "u"},)";
    for (int i = 0; i < 200000; ++i)
        deep += R"({"type": "folder", "name": "f", "children": [)";
    for (int i = 0; i < 200000; ++i)
        deep += "]}";
    deep += "]}}}";
    store = WChromiumBookmarks::parse(deep);
    ASSERT_TRUE(store.ok()) << store.error;
    EXPECT_EQ(store.folders[0].children.front().title, u"kept");
}

TEST_F(BookmarkFiles, ChromiumProfileFromLocalStateNeverOutsideTheConfigFolder)
{
    fs::path config = home / ".config" / "chromium";
    EXPECT_EQ(WBrowserProfiles::chromiumBookmarks(config), config / "Default" / "Bookmarks");
    write(config / "Local State", R"({"profile": {"last_used": "Profile 2"}})");
    EXPECT_EQ(WBrowserProfiles::chromiumBookmarks(config), config / "Profile 2" / "Bookmarks");
    for (const char* state : {R"({"profile": {"last_used": "../../etc"}})", R"({"profile": {"last_used": 3}})",
                              R"({"profile": []})", "not json"}) {
        write(config / "Local State", state);
        EXPECT_EQ(WBrowserProfiles::chromiumBookmarks(config), config / "Default" / "Bookmarks") << state;
    }
}

// ---- all browsers together ----

TEST_F(BookmarkFiles, EveryBrowserHasItsSubmenuAndOneBadStoreSpoilsNoOther)
{
    std::vector<WBrowserBookmarks::Browser> browsers = WBrowserBookmarks::read(home);
    ASSERT_EQ(browsers.size(), 2u);  // Firefox and Chromium, even when neither is set up
    EXPECT_EQ(browsers[0].title, u"Firefox");
    EXPECT_EQ(browsers[1].title, u"Chromium");
    EXPECT_TRUE(browsers[0].folders.empty() && browsers[1].folders.empty());
    EXPECT_TRUE(logLines.empty());

    {
        PlacesDatabase db(firefoxDefaultPlaces(home));
        db.bookmark(PlacesDatabase::Menu, "F", "https://f.example/");
    }
    write(home / ".config" / "chromium" / "Default" / "Bookmarks", "{ truncated");
    write(home / ".config" / "BraveSoftware" / "Brave-Browser" / "Default" / "Bookmarks",
          R"({"roots": {"bookmark_bar": {"children": [{"type": "url", "name": "B", "url": "https://b.example/"}]}}})");
    browsers = WBrowserBookmarks::read(home);
    ASSERT_EQ(browsers.size(), 3u);
    EXPECT_EQ(outline(browsers[0].folders[0].children), "F=https://f.example/");
    EXPECT_TRUE(browsers[1].folders.empty());
    EXPECT_EQ(browsers[2].title, u"Brave");
    EXPECT_EQ(outline(browsers[2].folders[0].children), "B=https://b.example/");
    ASSERT_EQ(logLines.size(), 1u);
    EXPECT_EQ(logLines[0], "Chromium bookmarks : not a JSON file");
}

// ---- a real Firefox ----

namespace {

std::optional<fs::path> installedFirefox()
{
    for (const char* name : {"firefox-esr", "firefox"}) {
        for (const char* folder : {"/usr/bin", "/usr/local/bin"}) {
            fs::path candidate = fs::path(folder) / name;
            if (access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace

// Firefox itself writes the profile (it imports a bookmarks.html on its first
// start), and the reader reads it while Firefox runs and holds it locked.
TEST_F(BookmarkFiles, BookmarksThatARealFirefoxWroteWhileItRuns)
{
    std::optional<fs::path> firefox = installedFirefox();
    if (!firefox)
        GTEST_SKIP() << "Firefox is not installed (Debian's firefox-esr), so no real profile can be made";
    fs::path places = firefoxDefaultPlaces(home);
    fs::path profile = places.parent_path();
    write(profile / "user.js", "user_pref(\"browser.places.importBookmarksHTML\", true);\n"
                               "user_pref(\"browser.shell.checkDefaultBrowser\", false);\n"
                               "user_pref(\"datareporting.policy.dataSubmissionEnabled\", false);\n");
    write(profile / "bookmarks.html",
          "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
          "<H1>Bookmarks Menu</H1>\n<DL><p>\n<DT><A HREF=\"https://www.aozora.gr.jp/\">青空文庫</A>\n"
          "<DT><H3>Wexel folder</H3>\n<DL><p>\n<DT><A HREF=\"https://developer.mozilla.org/\">MDN</A>\n</DL><p>\n</DL>\n");

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("HOME", home.c_str(), 1);
        setenv("MOZ_HEADLESS", "1", 1);
        int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, 1);
        dup2(devNull, 2);
        execl(firefox->c_str(), firefox->c_str(), "--headless", "--no-remote", "--profile", profile.c_str(),
              "about:blank", static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string menu;
    for (int attempt = 0; attempt < 240 && menu.find("MDN") == std::string::npos; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        WBookmarkStore store = WFirefoxBookmarks::read(places);
        if (store.ok() && !store.folders.empty())
            menu = outline(store.folders[0].children);
    }
    kill(child, SIGTERM);
    int status = 0;
    for (int wait = 0; wait < 100 && waitpid(child, &status, WNOHANG) == 0; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (waitpid(child, &status, WNOHANG) == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
    EXPECT_EQ(menu, "青空文庫=https://www.aozora.gr.jp/ Wexel folder[MDN=https://developer.mozilla.org/]");
}
