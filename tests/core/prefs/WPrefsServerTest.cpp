#include "platform/WLog.h"
#include "platform/WPlainPlatform.h"
#include "prefs/WColorUtils.h"
#include "prefs/WPlistSerialization.h"
#include "prefs/WPrefsServer.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kAllKeys[] = {
    "store_window_status", "auto_indent", "word_wrap", "detect_text_type", "detect_code_type",
    "store_text_type", "assign_only_multi_stroke", "use_xhtml_syntax", "always_makes_a_new_window",
    "preferred_browser", "key_bind_type", "font_name", "font_size", "background_color",
    "base_string_color", "tab_string_color", "comment_string_color"};

bool sameBits(const rgb_color& a, const rgb_color& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class PrefsServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "wexel-prefs-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        file = folder / "config" / "Wexel" / "Wexel.plist";
        platform.fixedPitchFontName = "IPAGothic Regular";
        platform.home = folder;
        WPlatform::setShared(&platform);
        previousSink = WLog::setSink([this](std::string_view line) { logged.emplace_back(line); });
    }

    void TearDown() override
    {
        WLog::setSink(previousSink);
        WPlatform::setShared(nullptr);
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    static std::string contents(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    void putFile(std::string_view bytes)
    {
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
    }

    // The preferences as a file holding them: a top dictionary with "wexel_prefs".
    void putStored(const WDictionary& prefs)
    {
        WDictionary root;
        root.setObject(WPlistValue(prefs), "wexel_prefs");
        putFile(WPlistSerialization::xmlDataFromPropertyList(WPlistValue(root)));
    }

    WDictionary storedPrefs()
    {
        auto root = WPlistSerialization::propertyListFromData(contents(file));
        if (!root || !root->dictionary() || !root->dictionary()->objectForKey("wexel_prefs"))
            return {};
        return *root->dictionary()->objectForKey("wexel_prefs")->dictionary();
    }

    fs::path folder;
    fs::path file;
    WPlainPlatform platform;
    std::vector<std::string> logged;
    WLog::Sink previousSink;
};

TEST_F(PrefsServerTest, FirstStartStoresEveryDefault)
{
    {
        WPrefsServer prefs(file);
        EXPECT_TRUE(prefs.boolForKey("store_window_status"));
        EXPECT_TRUE(prefs.boolForKey("store_text_type"));
        EXPECT_FALSE(prefs.boolForKey("assign_only_multi_stroke"));
        EXPECT_FALSE(prefs.boolForKey("always_makes_a_new_window"));
        EXPECT_EQ(prefs.intForKey("preferred_browser"), 1);
        EXPECT_EQ(prefs.intForKey("key_bind_type"), 4);  // the system's keys on this desktop
        EXPECT_EQ(prefs.stringForKey("font_name"), "IPAGothic Regular");
        EXPECT_EQ(prefs.floatForKey("font_size"), 12.0f);
        EXPECT_TRUE(sameBits(prefs.colorForKey("tab_string_color"), rgb_color{0.39f, 0.39f, 0.78f, 1.0f}));
        EXPECT_TRUE(sameBits(prefs.colorForKey("comment_string_color"), rgb_color{0.67f, 0.0f, 0.0f, 1.0f}));
        EXPECT_TRUE(sameBits(prefs.nscolorForKey("background_color"), rgb_color{1.0f, 1.0f, 1.0f, 1.0f}));
        EXPECT_FALSE(prefs.fontNameArray().has_value());
        EXPECT_EQ(prefs.tempDictionary(), prefs.prefsDictionary());
    }
    EXPECT_EQ(logged, std::vector<std::string>{"WPrefsServer : dealloc - done"});

    // On disk: an XML property list with the 17 keys, each in its own element kind.
    const std::string xml = contents(file);
    EXPECT_EQ(xml.rfind("<?xml", 0), 0u);
    EXPECT_NE(xml.find("<key>wexel_prefs</key>"), std::string::npos);
    const WDictionary stored = storedPrefs();
    EXPECT_EQ(stored.count(), 17u);
    for (const char* key : kAllKeys)
        EXPECT_NE(stored.objectForKey(key), nullptr) << key;
    EXPECT_NE(stored.objectForKey("word_wrap")->boolean(), nullptr);
    EXPECT_NE(stored.objectForKey("key_bind_type")->integer(), nullptr);
    EXPECT_NE(stored.objectForKey("font_size")->real(), nullptr);
    EXPECT_EQ(stored.objectForKey("base_string_color")->data()->size(), 16u);
    // Only the owner may look into the new settings folder.
    EXPECT_EQ(fs::status(file.parent_path()).permissions(), fs::perms::owner_all);
}

TEST_F(PrefsServerTest, StoredValuesWinAndUnknownKeysSurvive)
{
    WDictionary nested;
    nested.setObject(WPlistValue(WPlistArray{WPlistValue("a"), WPlistValue(int64_t{-7}), WPlistValue(2.5)}), "list");
    nested.setObject(WPlistValue(WPlistDate{86400.0}), "when");
    WDictionary stored;
    stored.setInt(2, "key_bind_type");
    stored.setObject(WPlistValue(nested), "from_a_later_version");
    stored.setObject(WPlistValue(WPlistData{1, 2, 3}), "blob");
    putStored(stored);

    WPrefsServer prefs(file);
    EXPECT_EQ(prefs.intForKey("key_bind_type"), 2);
    EXPECT_TRUE(prefs.boolForKey("word_wrap"));
    EXPECT_EQ(prefs.floatForKey("font_size"), 12.0f);

    const WDictionary written = storedPrefs();
    EXPECT_EQ(written.count(), 19u);
    EXPECT_EQ(written.intForKey("key_bind_type"), 2);
    ASSERT_NE(written.objectForKey("from_a_later_version"), nullptr);
    EXPECT_EQ(*written.objectForKey("from_a_later_version")->dictionary(), nested);
    EXPECT_EQ(*written.objectForKey("blob"), WPlistValue(WPlistData{1, 2, 3}));
}

TEST_F(PrefsServerTest, ReadsBinaryPropertyLists)
{
    plist_t prefs = plist_new_dict();
    plist_dict_set_item(prefs, "word_wrap", plist_new_bool(0));
    plist_dict_set_item(prefs, "font_name", plist_new_string("Noto Sans Mono CJK JP"));
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "wexel_prefs", prefs);
    char* binary = nullptr;
    uint32_t length = 0;
    plist_to_bin(root, &binary, &length);
    putFile(std::string_view(binary, length));
    plist_to_bin_free(binary);
    plist_free(root);

    WPrefsServer server(file);
    EXPECT_FALSE(server.boolForKey("word_wrap"));
    EXPECT_EQ(server.stringForKey("font_name"), "Noto Sans Mono CJK JP");
    EXPECT_EQ(contents(file).rfind("<?xml", 0), 0u);  // written back as XML
    EXPECT_FALSE(fs::exists(file.string() + ".broken"));
}

TEST_F(PrefsServerTest, EditsAreSeenOnlyAfterCommit)
{
    {
        WPrefsServer prefs(file);
        prefs.tempDictionary().setBool(false, "word_wrap");
        prefs.tempDictionary().setInt(3, "key_bind_type");
        EXPECT_TRUE(prefs.boolForKey("word_wrap"));  // readers see the committed set only

        prefs.revert();
        EXPECT_TRUE(prefs.tempDictionary().boolForKey("word_wrap"));
        EXPECT_EQ(prefs.tempDictionary(), prefs.prefsDictionary());
        EXPECT_TRUE(storedPrefs().boolForKey("word_wrap"));

        prefs.tempDictionary().setBool(false, "word_wrap");
        ASSERT_TRUE(prefs.commit());
        EXPECT_FALSE(prefs.boolForKey("word_wrap"));
        EXPECT_EQ(prefs.intForKey("key_bind_type"), 4);  // the system's keys on this desktop  // the reverted edit stays lost
        // The committed set is a copy: later edits of the working copy do not leak in.
        prefs.tempDictionary().setBool(true, "word_wrap");
        EXPECT_FALSE(prefs.boolForKey("word_wrap"));
    }
    WPrefsServer again(file);
    EXPECT_FALSE(again.boolForKey("word_wrap"));
}

TEST_F(PrefsServerTest, ColoursKeepEveryBit)
{
    const rgb_color odd{0.39f, std::nextafter(0.5f, 1.0f), std::numeric_limits<float>::denorm_min(), -0.0f};
    {
        WPrefsServer prefs(file);
        prefs.tempDictionary().setColor(odd, "base_string_color");
        EXPECT_TRUE(sameBits(*prefs.tempDictionary().colorForKey("base_string_color"), odd));
        ASSERT_TRUE(prefs.commit());
    }
    WPrefsServer again(file);
    EXPECT_TRUE(sameBits(again.colorForKey("base_string_color"), odd));

    // -0.0 and 0.0 are the same colour; a NaN is equal to nothing.
    EXPECT_TRUE(WColorUtils::isEqualColor({0.0f, 0.0f, 0.0f, 1.0f}, {-0.0f, 0.0f, 0.0f, 1.0f}));
    EXPECT_FALSE(WColorUtils::isEqualColor({0.39f, 0.0f, 0.0f, 1.0f}, {std::nextafter(0.39f, 1.0f), 0.0f, 0.0f, 1.0f}));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(WColorUtils::isEqualColor({nan, 0.0f, 0.0f, 1.0f}, {nan, 0.0f, 0.0f, 1.0f}));
}

TEST_F(PrefsServerTest, MalformedColoursNeverReadPastTheirData)
{
    WDictionary stored;
    WPlistData longer = WColorUtils::dataFromColor({0.25f, 0.5f, 0.75f, 1.0f});
    longer.push_back(0xFF);
    stored.setObject(WPlistValue(longer), "base_string_color");                  // extra bytes are ignored
    stored.setObject(WPlistValue(WPlistData(15, 0x41)), "background_color");      // one byte short
    stored.setObject(WPlistValue("red"), "comment_string_color");                 // not data at all
    putStored(stored);

    WPrefsServer prefs(file);
    EXPECT_TRUE(sameBits(prefs.colorForKey("base_string_color"), rgb_color{0.25f, 0.5f, 0.75f, 1.0f}));
    EXPECT_TRUE(sameBits(prefs.colorForKey("background_color"), rgb_color{1.0f, 1.0f, 1.0f, 1.0f}));
    EXPECT_TRUE(sameBits(prefs.colorForKey("comment_string_color"), rgb_color{0.67f, 0.0f, 0.0f, 1.0f}));
    EXPECT_TRUE(sameBits(prefs.colorForKey("no_such_color"), rgb_color{0.0f, 0.0f, 0.0f, 0.0f}));
    EXPECT_FALSE(prefs.tempDictionary().colorForKey("background_color").has_value());
}

TEST_F(PrefsServerTest, ValuesOfAnotherKindAreConverted)
{
    WDictionary stored;
    stored.setObject(WPlistValue("3"), "key_bind_type");
    stored.setObject(WPlistValue(int64_t{0}), "word_wrap");
    stored.setObject(WPlistValue(int64_t{14}), "font_size");
    stored.setObject(WPlistValue("  +0yes"), "auto_indent");
    stored.setObject(WPlistValue("no"), "use_xhtml_syntax");
    stored.setObject(WPlistValue(int64_t{1} << 40), "preferred_browser");
    stored.setObject(WPlistValue(-1e300), "big_negative");
    stored.setObject(WPlistValue(2.9), "truncated");
    stored.setObject(WPlistValue("0x10"), "hex_text");
    putStored(stored);

    WPrefsServer prefs(file);
    EXPECT_EQ(prefs.intForKey("key_bind_type"), 3);
    EXPECT_FALSE(prefs.boolForKey("word_wrap"));
    EXPECT_EQ(prefs.floatForKey("font_size"), 14.0f);
    EXPECT_TRUE(prefs.boolForKey("auto_indent"));
    EXPECT_FALSE(prefs.boolForKey("use_xhtml_syntax"));
    EXPECT_EQ(prefs.intForKey("preferred_browser"), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(prefs.intForKey("big_negative"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(prefs.floatForKey("big_negative"), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(prefs.intForKey("truncated"), 2);
    EXPECT_EQ(prefs.floatForKey("hex_text"), 0.0f);
    EXPECT_EQ(prefs.stringForKey("font_size"), "");
    // Nothing stored: NO, 0, 0.0, nil.
    EXPECT_FALSE(prefs.boolForKey("never_set"));
    EXPECT_EQ(prefs.intForKey("never_set"), 0);
    EXPECT_EQ(prefs.floatForKey("never_set"), 0.0f);
    EXPECT_EQ(prefs.objectForKey("never_set"), nullptr);
}

TEST_F(PrefsServerTest, BrokenFilesAreKeptAside)
{
    const std::string broken[] = {
        "<?xml version=\"1.0\"?><plist><dict><key>wexel_prefs",          // cut short
        "",                                                                  // empty
        "<plist version=\"1.0\"><array><true/></array></plist>",          // not a dictionary
        "<plist version=\"1.0\"><dict><key>wexel_prefs</key><string>x</string></dict></plist>",
        std::string("bplist00\0\0\xff", 11),                                 // binary, truncated
    };
    for (const std::string& bytes : broken) {
        putFile(bytes);
        fs::remove(file.string() + ".broken");
        logged.clear();
        {
            WPrefsServer prefs(file);
            EXPECT_TRUE(prefs.boolForKey("word_wrap"));
            EXPECT_EQ(prefs.intForKey("key_bind_type"), 4);  // the system's keys on this desktop
        }
        EXPECT_EQ(contents(file.string() + ".broken"), bytes);
        EXPECT_EQ(storedPrefs().count(), 17u);
        EXPECT_GE(logged.size(), 2u);
    }
}

TEST_F(PrefsServerTest, EveryBrokenFileGetsACopyOfItsOwn)
{
    for (const char* bytes : {"first", "second", "third"}) {
        putFile(bytes);
        WPrefsServer prefs(file);
    }
    EXPECT_EQ(contents(file.string() + ".broken"), "first");
    EXPECT_EQ(contents(file.string() + ".broken-2"), "second");
    EXPECT_EQ(contents(file.string() + ".broken-3"), "third");
    EXPECT_EQ(storedPrefs().count(), 17u);
}

TEST_F(PrefsServerTest, OtherTopLevelEntriesAreKeptAndWrittenBack)
{
    WDictionary prefs;
    prefs.setInt(2, "key_bind_type");
    WDictionary root;
    root.setObject(WPlistValue(prefs), "wexel_prefs");
    root.setObject(WPlistValue("a note"), "note");
    root.setObject(WPlistValue(WPlistArray{WPlistValue(true), WPlistValue(int64_t{3})}), "list");
    putFile(WPlistSerialization::xmlDataFromPropertyList(WPlistValue(root)));
    {
        WPrefsServer server(file);
        EXPECT_EQ(server.intForKey("key_bind_type"), 2);
        server.tempDictionary().setBool(false, "word_wrap");
        EXPECT_TRUE(server.commit());
    }
    EXPECT_FALSE(fs::exists(file.string() + ".broken"));
    auto written = WPlistSerialization::propertyListFromData(contents(file));
    ASSERT_TRUE(written && written->dictionary());
    EXPECT_EQ(*written->dictionary()->objectForKey("note"), WPlistValue("a note"));
    EXPECT_EQ(*written->dictionary()->objectForKey("list"), *root.objectForKey("list"));
    EXPECT_FALSE(storedPrefs().boolForKey("word_wrap"));
    EXPECT_EQ(storedPrefs().intForKey("key_bind_type"), 2);
}

TEST_F(PrefsServerTest, AFileThatCannotBeKeptIsNotOverwritten)
{
    // A folder where the file should be: it can be neither read nor copied,
    // so it stays, and saving says it failed.
    fs::create_directories(file);
    std::ofstream(file / "inside") << "user data";
    WPrefsServer prefs(file);
    EXPECT_TRUE(prefs.boolForKey("word_wrap"));
    prefs.tempDictionary().setBool(false, "word_wrap");
    EXPECT_FALSE(prefs.commit());
    EXPECT_FALSE(prefs.boolForKey("word_wrap"));  // in effect for this run all the same
    EXPECT_EQ(contents(file / "inside"), "user data");

    // A pipe in its place is not read (nor waited on), and not replaced either.
    fs::remove_all(file);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    WPrefsServer piped(file);
    EXPECT_TRUE(piped.boolForKey("word_wrap"));
    EXPECT_TRUE(fs::is_fifo(file));
}

TEST_F(PrefsServerTest, DefaultLocationFollowsXdgConfigHome)
{
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string previous = saved ? saved : "";
    ::setenv("XDG_CONFIG_HOME", "/elsewhere/conf", 1);
    EXPECT_EQ(WPlistUserDefaults::defaultLocation(), fs::path("/elsewhere/conf/Wexel/Wexel.plist"));
    ::setenv("XDG_CONFIG_HOME", "relative/conf", 1);  // not absolute: ignored
    EXPECT_EQ(WPlistUserDefaults::defaultLocation(), folder / ".config" / "Wexel" / "Wexel.plist");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(WPlistUserDefaults::defaultLocation(), folder / ".config" / "Wexel" / "Wexel.plist");
    // Without HOME too, the account's folder from the password database.
    const char* savedHome = std::getenv("HOME");
    const std::string previousHome = savedHome ? savedHome : "";
    ::unsetenv("HOME");
    WPlainPlatform homeless;
    WPlatform::setShared(&homeless);
    const struct passwd* account = ::getpwuid(::getuid());
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(homeless.homeDirectory(), fs::path(account->pw_dir));
    EXPECT_EQ(WPlistUserDefaults::defaultLocation(), fs::path(account->pw_dir) / ".config" / "Wexel" / "Wexel.plist");
    WPlatform::setShared(&platform);
    if (savedHome)
        ::setenv("HOME", previousHome.c_str(), 1);
    if (saved)
        ::setenv("XDG_CONFIG_HOME", previous.c_str(), 1);

    // An empty fixed-pitch font name still gives a monospaced default.
    platform.fixedPitchFontName.clear();
    WPrefsServer prefs(std::make_unique<WMemoryUserDefaults>());
    EXPECT_EQ(prefs.stringForKey("font_name"), "Monospace");
}

}  // namespace
