#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "addons/WAddon.h"
#include "platform/WLog.h"
#include "text/WStringUtils.h"

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string utf8(const std::optional<std::u16string>& text)
{
    return text ? WStringUtils::toUtf8(*text) : std::string("<none>");
}

// Children of this process that have ended and not been collected.
int zombieChildren()
{
    int count = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        if (entry.path().filename().string().find_first_not_of("0123456789") != std::string::npos)
            continue;  // not a process
        // The name is in parentheses and may hold blanks; what follows it is fixed.
        std::string text = slurp(entry.path() / "stat");
        std::string state;
        pid_t parent = 0;
        size_t close = text.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(text.substr(close + 1));
        rest >> state >> parent;
        count += state == "Z" && parent == getpid();
    }
    return count;
}

const fs::path shippedAddons = fs::path(WEXEL_TEST_DATA) / ".." / ".." / "resources" / "add-ons";

// A folder of its own, made the working folder so a script that escaped into
// a shell would leave its marks here. Log lines are kept.
class AddonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        folder = fs::temp_directory_path() / ("wexel-addons-" + std::to_string(random()) + std::to_string(random()));
        fs::create_directories(folder);
        previousFolder = fs::current_path();
        fs::current_path(folder);
        // Other tests run at the same time and take /tmp's names too.
        fs::create_directories(folder / "tmp");
        WAddon::setTemporaryFolder(folder / "tmp");
        previousSink = WLog::setSink([this](std::string_view line) { logLines.emplace_back(line); });
    }
    void TearDown() override
    {
        WLog::setSink(previousSink);
        WAddon::setTemporaryFolder({});
        fs::current_path(previousFolder);
        std::error_code error;
        fs::remove_all(folder, error);
    }

    fs::path script(const std::string& name, const std::string& body, bool executable = true)
    {
        fs::path path = folder / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << body;
        fs::permissions(path, executable ? fs::perms(0700) : fs::perms(0600));
        return path;
    }

    fs::path folder, previousFolder;
    WLog::Sink previousSink;
    std::vector<std::string> logLines;
};

}  // namespace

TEST_F(AddonTest, FilesAreClassifiedByExtensionAndExecutability)
{
    EXPECT_FALSE(WAddon().isValid());
    EXPECT_EQ(WAddon().addonType(), WUndefinedScriptType);
    for (const char* name : {"a.rb", "a.pl", "a.php", "a.sh"}) {
        WAddon addon(script(name, ""));
        EXPECT_EQ(addon.addonType(), WShellScriptType) << name;
        EXPECT_EQ(addon.source(), (folder / name).string());
        EXPECT_TRUE(addon.isValid());
    }
    EXPECT_EQ(WAddon(script("app.desktop", "", false)).addonType(), WApplicationType);
    EXPECT_EQ(WAddon(script("tool", "")).addonType(), WApplicationType);
    // Case matters, and a plain file without an extension is nothing we can run.
    for (fs::path path : {script("A.RB", ""), script("notes", "", false), script("x.txt", ""), folder / "missing.sh.bak"}) {
        WAddon addon(path);
        EXPECT_EQ(addon.addonType(), 0) << path;
        EXPECT_FALSE(addon.isValid());
        WReplaceType type = WReplaceAll;
        EXPECT_EQ(addon.runAddonFor(u"text", {0, 4}, &type, std::nullopt), std::nullopt);
        EXPECT_EQ(type, WReplaceAll);
    }
    WAddon apple(script("s.applescript", "tell app \"Finder\"\nbeep\nend tell\n"));
    EXPECT_EQ(apple.addonType(), WAppleScriptType);
    EXPECT_EQ(apple.source(), "tell app \"Finder\"\rbeep\rend tell\r");
    WReplaceType type = WReplaceAll;
    EXPECT_EQ(utf8(apple.runAddonFor(u"text", {0, 0}, &type, std::nullopt)), "<none>");
    EXPECT_EQ(type, WNoTouch);
}

TEST_F(AddonTest, TemporaryFilesArePrivateLfUtf8AndNeverFollowLinks)
{
    // Plant a link at the first free name, aimed at a file of ours.
    fs::path planted;
    for (int n = 0; n < 10000 && planted.empty(); ++n) {
        fs::path candidate = folder / "tmp" / ("wexel-" + std::to_string(n) + ".txt");
        std::error_code error;
        if (!fs::exists(fs::symlink_status(candidate, error)))
            planted = candidate;
    }
    ASSERT_FALSE(planted.empty());
    fs::path victim = folder / "victim.txt";
    std::ofstream(victim) << "precious";
    fs::create_symlink(victim, planted);

    std::optional<fs::path> made = WAddon::makeTmpFile(u"a\rb\r\nc\n\u65E5");
    fs::remove(planted);
    ASSERT_TRUE(made);
    EXPECT_NE(*made, planted);
    EXPECT_EQ(made->parent_path(), folder / "tmp");
    EXPECT_EQ(made->filename().string().rfind("wexel-", 0), 0u);
    EXPECT_EQ(slurp(victim), "precious");
    EXPECT_EQ(slurp(*made), "a\nb\nc\n\xE6\x97\xA5");
    struct stat info {};
    ASSERT_EQ(lstat(made->c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(utf8(WAddon::readTmpFile(*made)), "a\nb\nc\n\xE6\x97\xA5");
    WAddon::removeTmpFile(*made);
    EXPECT_FALSE(fs::exists(*made));
    EXPECT_EQ(WAddon::readTmpFile(*made), std::nullopt);

    // Outside the tests they go to /tmp.
    WAddon::setTemporaryFolder({});
    made = WAddon::makeTmpFile(u"x");
    ASSERT_TRUE(made);
    EXPECT_EQ(made->parent_path(), "/tmp");
    WAddon::removeTmpFile(*made);
}

TEST_F(AddonTest, ShippedExamplesRunEndToEnd)
{
    // sh: the selection upper-cased, in place of the selection.
    WReplaceType type = WNoTouch;
    WAddon upper(shippedAddons / "Upper Case-u.sh");
    std::u16string text = u"one two\rthree \u3042 four";
    EXPECT_EQ(utf8(upper.runAddonFor(text, {4, 11}, &type, std::nullopt)), "TWO\rTHREE \xE3\x81\x82");
    EXPECT_EQ(type, WReplaceSelection);

    // Perl: the lines of the whole text sorted, replacing all of it.
    type = WNoTouch;
    WAddon sorter(shippedAddons / "Sort Lines.pl");
    EXPECT_EQ(utf8(sorter.runAddonFor(u"pear\rapple\r\u3044\rfig\r", {0, 0}, &type, std::nullopt)),
              "apple\rfig\rpear\r\xE3\x81\x84\r");
    EXPECT_EQ(type, WReplaceAll);

    // Ruby: reports and asks for nothing to change.
    type = WReplaceSelection;
    WAddon counter(shippedAddons / "Count Words.rb");
    std::unique_ptr<WAddonRun> run = counter.start(u"three small words\r", {0, 0}, fs::path("/x/doc.txt"));
    while (!run->poll(-1)) {
    }
    EXPECT_EQ(run->result().type, WNoTouch);
    EXPECT_EQ(utf8(run->result().text), "3 words, 17 characters\r");
    EXPECT_EQ(run->result().replacement(), nullptr);
}

TEST_F(AddonTest, TheScriptSeesTheProtocolAndTheEditorKeepsItsEnvironment)
{
    setenv("WEXEL_TEST_OUT", folder.c_str(), 1);
    setenv("TMPFILE", "the editor's own", 1);
    fs::path probe = script("probe.sh",
                            "#!/bin/sh\n"
                            "cp \"$TMPFILE\" \"$WEXEL_TEST_OUT/selection\"\n"
                            "cp \"$TMPFILE_WHOLE\" \"$WEXEL_TEST_OUT/whole\"\n"
                            "cp \"$TMPSETTING\" \"$WEXEL_TEST_OUT/setting\"\n"
                            "printf '%s|%s|%s|%s|%s' \"$TMPFILE\" \"$TMPFILE_PARTIAL\" \"$TMPFILE_WHOLE\" "
                            "\"$TMPSETTING\" \"${DOCUMENT_PATH-unset}\" > \"$WEXEL_TEST_OUT/variables\"\n"
                            "printf 'out\\r\\nput\\n'\n");
    WReplaceType type = WNoTouch;
    WAddon addon(probe);
    EXPECT_EQ(utf8(addon.runAddonFor(u"ab\rcd\r\nef", {1, 3}, &type, std::nullopt)), "out\rput\r");
    EXPECT_EQ(type, WReplaceSelection);
    EXPECT_EQ(slurp(folder / "selection"), "b\nc");
    EXPECT_EQ(slurp(folder / "whole"), "ab\ncd\nef");
    EXPECT_EQ(slurp(folder / "setting"), "FUNC=INSERT");

    std::string variables = slurp(folder / "variables");
    std::vector<std::string> parts;
    for (size_t start = 0;;) {
        size_t bar = variables.find('|', start);
        parts.push_back(variables.substr(start, bar - start));
        if (bar == std::string::npos)
            break;
        start = bar + 1;
    }
    ASSERT_EQ(parts.size(), 5u);
    EXPECT_EQ(parts[0], parts[1]);
    EXPECT_EQ(parts[4], "");  // set, and empty for a document never saved
    for (int i : {0, 2, 3})
        EXPECT_FALSE(fs::exists(parts[i])) << "left behind: " << parts[i];
    EXPECT_STREQ(std::getenv("TMPFILE"), "the editor's own");
    EXPECT_EQ(std::getenv("TMPSETTING"), nullptr);

    // With no selection the selection file is empty; a saved document names its file.
    addon.runAddonFor(u"whole", {5, 0}, &type, fs::path("/home/u/page.html"));
    EXPECT_EQ(slurp(folder / "selection"), "");
    EXPECT_EQ(slurp(folder / "whole"), "whole");
    EXPECT_EQ(slurp(folder / "variables").substr(slurp(folder / "variables").rfind('|') + 1), "/home/u/page.html");
    unsetenv("TMPFILE");
    unsetenv("WEXEL_TEST_OUT");
}

TEST_F(AddonTest, TheSettingFileChoosesWhatTheOutputIsFor)
{
    struct Case {
        const char* setting;
        WReplaceType expected;
    } cases[] = {
        {"FUNC=REPLACEALL\n", WReplaceAll},
        {"FUNC=NOTOUCH", WNoTouch},
        {"FUNC=INSERTED", WReplaceSelection},
        {"nonsense", WReplaceAll},  // left as the caller had it
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.setting);
        WAddon addon(script("set.sh", std::string("#!/bin/sh\nprintf '") + each.setting +
                                          "' > \"$TMPSETTING\"\necho done\n"));
        WReplaceType type = WReplaceAll;
        EXPECT_EQ(utf8(addon.runAddonFor(u"x", {0, 1}, &type, std::nullopt)), "done\r");
        EXPECT_EQ(type, each.expected);
    }
}

TEST_F(AddonTest, OutputThatIsNotUtf8ChangesNothingAndSaysWhy)
{
    WAddon addon(script("bad.pl", "#!/usr/bin/perl\nprint \"caf\\xE9\\n\";\n"));
    std::unique_ptr<WAddonRun> run = addon.start(u"text", {0, 4}, std::nullopt);
    while (!run->poll(-1)) {
    }
    EXPECT_EQ(run->result().text, std::nullopt);
    EXPECT_EQ(run->result().replacement(), nullptr);
    EXPECT_NE(run->result().message.find("UTF-8"), std::string::npos);
    EXPECT_FALSE(logLines.empty());
}

TEST_F(AddonTest, APathFullOfShellSyntaxRunsThatFileAndNothingElse)
{
    fs::path tricky = script("it's a $(touch x) dir; touch y/run `touch z`.sh", "#!/bin/sh\necho ran\n");
    WReplaceType type = WNoTouch;
    EXPECT_EQ(utf8(WAddon(tricky).runAddonFor(u"", {0, 0}, &type, std::nullopt)), "ran\r");
    EXPECT_EQ(type, WReplaceSelection);
    for (const char* mark : {"x", "y", "z"})
        EXPECT_FALSE(fs::exists(folder / mark)) << mark;
}

TEST_F(AddonTest, ScriptsThatCannotStartChangeNothingAndSaySo)
{
    for (fs::path path : {script("plain.sh", "#!/bin/sh\necho hi\n", false), script("noline.sh", "echo hi\n"),
                          script("badinterp.rb", "#!/no/such/ruby\nputs 1\n")}) {
        SCOPED_TRACE(path.filename().string());
        std::unique_ptr<WAddonRun> run = WAddon(path).start(u"t", {0, 1}, std::nullopt);
        while (!run->poll(-1)) {
        }
        EXPECT_EQ(run->result().replacement(), nullptr);
        EXPECT_FALSE(run->result().message.empty());
    }
}

TEST_F(AddonTest, AStoppedScriptChangesNothingAndLeavesNoFilesBehind)
{
    fs::path slow = script("slow.sh", "#!/bin/sh\necho \"$TMPFILE\" > \"$0.tmpname\"\necho partial\nsleep 30\n"
                                      "echo never\n");
    std::unique_ptr<WAddonRun> run = WAddon(slow).start(u"text", {0, 4}, std::nullopt);
    while (!fs::exists(slow.string() + ".tmpname") || slurp(slow.string() + ".tmpname").empty())
        run->poll(10);
    EXPECT_FALSE(run->isFinished());
    EXPECT_GE(run->outputDescriptor(), 0);
    run->stop();
    EXPECT_TRUE(run->isFinished());
    EXPECT_EQ(run->result().text, std::nullopt);
    EXPECT_NE(run->result().message.find("stopped"), std::string::npos);
    std::string tmpName = slurp(slow.string() + ".tmpname");
    tmpName.pop_back();
    EXPECT_FALSE(fs::exists(tmpName));
}

TEST_F(AddonTest, ApplicationsStartInTheBackground)
{
    fs::path marker = folder / "started";
    fs::path app = script("launcher", "#!/bin/sh\ntouch \"$(dirname \"$0\")/started\"\n");
    fs::path entry = script("App.desktop", "[Desktop Entry]\nName=Test\nExec=\"" + app.string() +
                                               "\" %U --name=%c 100%%\n[Other]\nExec=wrong\n", false);
    EXPECT_EQ(WAddon::desktopEntryCommand(entry),
              (std::vector<std::string>{app.string(), "--name=Test", "100%"}));

    WReplaceType type = WReplaceAll;
    EXPECT_EQ(WAddon(entry).runAddonFor(u"text", {0, 4}, &type, std::nullopt), std::nullopt);
    EXPECT_EQ(type, WReplaceAll);
    // Bounds for a loaded machine; each loop ends as soon as its wait is over.
    for (int i = 0; i < 3000 && !fs::exists(marker); ++i)
        usleep(10000);
    EXPECT_TRUE(fs::exists(marker));
    // Once it has ended it is collected without another run to prompt it.
    for (int i = 0; i < 3000 && zombieChildren() > 0; ++i)
        usleep(10000);
    EXPECT_EQ(zombieChildren(), 0);
}

TEST_F(AddonTest, AScriptThatFailsChangesNothingAndShowsItsLastErrorLines)
{
    struct Case {
        const char* body;
        const char* said;
    } cases[] = {
        // Quiet failure: the selection must not be replaced by the empty output.
        {"exit 3\n", "failed with exit status 3; the text is unchanged."},
        {"echo half an answer\nfor i in 1 2 3 4 5 6 7 8; do echo \"error $i\" >&2; done\nexit 1\n",
         "exit status 1; the text is unchanged.\n\nerror 3\nerror 4\nerror 5\nerror 6\nerror 7\nerror 8"},
        {"echo output\nkill -9 $$\n", "was ended by signal 9 (Killed)"},
        // Error output is shown by its end only, and its bytes need not be text.
        {"head -c 100000 /dev/zero | tr '\\0' x >&2\nprintf '\\n\\377 last\\n' >&2\nexit 2\n",
         "\n\n\u2026xxx"},
        {"printf '\\377 last\\n' >&2\nexit 2\n", "\n\n\xEF\xBF\xBD last"},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.body);
        std::unique_ptr<WAddonRun> run =
            WAddon(script("fails.sh", std::string("#!/bin/sh\n") + each.body)).start(u"keep", {0, 4}, std::nullopt);
        while (!run->poll(-1)) {
        }
        EXPECT_EQ(run->result().replacement(), nullptr);
        EXPECT_EQ(run->result().text, std::nullopt);
        EXPECT_NE(run->result().message.find("\u201Cfails.sh\u201D"), std::string::npos) << run->result().message;
        EXPECT_NE(run->result().message.find(each.said), std::string::npos) << run->result().message;
        EXPECT_LT(run->result().message.size(), 2200u);
    }
    // A script that succeeds may write to its error output as it likes.
    WReplaceType type = WReplaceSelection;
    EXPECT_EQ(utf8(WAddon(script("warns.sh", "#!/bin/sh\necho warning >&2\necho fine\n"))
                       .runAddonFor(u"x", {0, 1}, &type, std::nullopt)),
              "fine\r");
}

TEST_F(AddonTest, ASettingFileReplacedByAFifoALinkOrAFolderIsNotWaitedFor)
{
    std::ofstream(folder / "target") << "FUNC=REPLACEALL";
    const char* replacements[] = {
        "rm \"$TMPSETTING\"; mkfifo \"$TMPSETTING\"",
        "rm \"$TMPSETTING\"; ln -s \"$PWD/target\" \"$TMPSETTING\"",
        "rm \"$TMPSETTING\"; mkdir \"$TMPSETTING\"",
        "head -c 200000 /dev/zero > \"$TMPSETTING\"",
    };
    for (const char* replacement : replacements) {
        SCOPED_TRACE(replacement);
        fs::path addon = script("swap.sh", std::string("#!/bin/sh\n") + replacement + "\necho \"$TMPSETTING\"\n");
        std::atomic<bool> done = false;
        std::optional<std::u16string> output;
        WReplaceType type = WReplaceSelection;
        std::thread runner([&] {
            output = WAddon(addon).runAddonFor(u"x", {0, 1}, &type, std::nullopt);
            done = true;
        });
        for (int i = 0; i < 500 && !done; ++i)
            usleep(10000);
        if (!done) {
            // Hung on the FIFO: give it a writer so the test itself can end.
            ADD_FAILURE() << "reading the setting file blocked";
            for (const auto& entry : fs::directory_iterator(folder / "tmp"))
                if (fs::is_fifo(entry.status()))
                    close(open(entry.path().c_str(), O_WRONLY | O_NONBLOCK));
        }
        runner.join();
        ASSERT_TRUE(output);
        EXPECT_EQ(type, WReplaceSelection);  // nothing was read, so the caller's kind stands
        // Whatever the script made there is cleared away with the run (a folder
        // it made is its own business, but a FIFO or link must not linger).
        std::string name = utf8(output);
        name.pop_back();
        std::error_code error;
        if (!fs::is_directory(fs::symlink_status(name, error)))
            EXPECT_FALSE(fs::exists(fs::symlink_status(name, error))) << name;
        else
            fs::remove(name, error);
    }
}

TEST(AddonSettingTest, TheFirstWordsOfTheSettingChooseTheKind)
{
    EXPECT_EQ(WAddon::replaceTypeOfSetting(u"FUNC=INSERT\n"), WReplaceSelection);
    EXPECT_EQ(WAddon::replaceTypeOfSetting(u"FUNC=REPLACEALL"), WReplaceAll);
    EXPECT_EQ(WAddon::replaceTypeOfSetting(u"FUNC=NOTOUCH trailing"), WNoTouch);
    for (std::u16string_view other : {u"", u"FUNC=", u" FUNC=INSERT", u"func=insert", u"FUNC=REPLACE"})
        EXPECT_EQ(WAddon::replaceTypeOfSetting(other), std::nullopt);
}
