#include "platform/WAtomicFile.h"
#include "platform/WLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <signal.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "wexel-atomic-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        // Other users must be able to reach it for the unprivileged cases.
        fs::permissions(folder, fs::perms(0755));
        previousSink = WLog::setSink([this](std::string_view line) { logged.emplace_back(line); });
        fs::create_directory(folder / "recovery");
        fs::permissions(folder / "recovery", fs::perms(0777));
        WAtomicFile::setRecoveryFolder(folder / "recovery");
    }

    void TearDown() override
    {
        WLog::setSink(previousSink);
        WAtomicFile::setRecoveryFolder({});
        std::error_code ignored;
        fs::permissions(folder, fs::perms(0755), ignored);
        fs::remove_all(folder, ignored);
    }

    static std::string contents(const fs::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    static void put(const fs::path& file, std::string_view bytes, mode_t mode)
    {
        std::ofstream(file, std::ios::binary) << bytes;
        ::chmod(file.c_str(), mode);
    }

    static mode_t modeOf(const fs::path& file)
    {
        struct stat info{};
        ::stat(file.c_str(), &info);
        return info.st_mode & 07777;
    }

    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.path().filename() != "recovery" || !fs::is_empty(entry.path()))
                names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // Runs `body` in a child process without root's powers (when we have
    // them), so that permission checks bite; answers the child's exit code.
    static int inUnprivilegedChild(const std::function<int()>& body)
    {
        pid_t child = ::fork();
        if (child == 0) {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(99);
            ::_exit(body());
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
    }

    fs::path folder;
    std::vector<std::string> logged;
    WLog::Sink previousSink;
};

TEST_F(AtomicFileTest, CreatesAndReplacesWithTheRightPermissions)
{
    const fs::path file = folder / "page.html";
    const mode_t previousMask = ::umask(027);
    auto created = WAtomicFile::write(file, std::string("\x82\xa0\r\n", 4));
    ::umask(previousMask);
    ASSERT_TRUE(created) << created.message;
    EXPECT_EQ(contents(file), std::string("\x82\xa0\r\n", 4));
    EXPECT_EQ(modeOf(file), 0640u);  // 0666 less the umask

    // An existing file keeps its own mode, whatever the umask says.
    ::chmod(file.c_str(), 0604);
    ASSERT_TRUE(WAtomicFile::write(file, "second"));
    EXPECT_EQ(contents(file), "second");
    EXPECT_EQ(modeOf(file), 0604u);

    // Writing nothing leaves an empty file, not the old bytes.
    ASSERT_TRUE(WAtomicFile::write(file, ""));
    EXPECT_EQ(fs::file_size(file), 0u);
    EXPECT_EQ(entries(), std::vector<std::string>{"page.html"});  // no temporaries left

    // A name as long as the file system allows still has room for its temporary.
    const std::string longest(255, 'n');
    ASSERT_TRUE(WAtomicFile::write(folder / longest, "long"));
    EXPECT_EQ(contents(folder / longest), "long");
    EXPECT_TRUE(logged.empty());
}

TEST_F(AtomicFileTest, KeepsExtendedAttributesOfTheReplacedFile)
{
    const fs::path file = folder / "tagged.txt";
    put(file, "old", 0644);
    if (::setxattr(file.c_str(), "user.wexel.type", "TEXT", 4, 0) != 0)
        GTEST_SKIP() << "no extended attributes here";
    ASSERT_TRUE(WAtomicFile::write(file, "new"));
    char value[8] = {};
    EXPECT_EQ(::getxattr(file.c_str(), "user.wexel.type", value, sizeof value), 4);
    EXPECT_STREQ(value, "TEXT");
}

TEST_F(AtomicFileTest, FollowsSymbolicLinks)
{
    fs::create_directory(folder / "real");
    const fs::path real = folder / "real" / "index.html";
    put(real, "old", 0600);
    const fs::path link = folder / "link.html";
    fs::create_symlink("real/index.html", link);  // relative, resolved from the link's folder
    const fs::path linkToLink = folder / "again.html";
    fs::create_symlink(link, linkToLink);

    ASSERT_TRUE(WAtomicFile::write(linkToLink, "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_symlink(linkToLink));
    EXPECT_EQ(contents(real), "new");
    EXPECT_EQ(modeOf(real), 0600u);
    EXPECT_EQ(entries(), (std::vector<std::string>{"again.html", "link.html", "real"}));

    // A dangling link gets its file made where it points.
    const fs::path dangling = folder / "dangling";
    fs::create_symlink("real/made.txt", dangling);
    ASSERT_TRUE(WAtomicFile::write(dangling, "made"));
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(contents(folder / "real" / "made.txt"), "made");

    // Links in a circle fail without touching anything.
    fs::create_symlink("loopB", folder / "loopA");
    fs::create_symlink("loopA", folder / "loopB");
    auto looping = WAtomicFile::write(folder / "loopA", "x");
    EXPECT_FALSE(looping);
    EXPECT_EQ(looping.error, ELOOP);
    EXPECT_EQ(logged.size(), 1u);
}

TEST_F(AtomicFileTest, FilesARenameWouldChangeAreWrittenInPlace)
{
    // Other hard links keep sharing the file.
    const fs::path file = folder / "shared.txt";
    put(file, "old and longer", 0640);
    fs::create_hard_link(file, folder / "other-name.txt");
    struct stat before{};
    ::stat(file.c_str(), &before);
    ASSERT_TRUE(WAtomicFile::write(file, "new"));
    struct stat after{};
    ::stat(file.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_nlink, 2u);
    EXPECT_EQ(contents(folder / "other-name.txt"), "new");
    EXPECT_EQ(modeOf(file), 0640u);

    // A writable file in a folder we may not change: saved, nothing added beside it.
    fs::create_directory(folder / "locked");
    const fs::path inLocked = folder / "locked" / "keep.txt";
    put(inLocked, "precious", 0644);
    ::chown(inLocked.c_str(), 65534, 65534);
    ::chmod((folder / "locked").c_str(), 0555);
    const std::string expectedRefusal =
        "You do not have permission to save files in the folder \u201C" + (folder / "locked").string() + "\u201D.";
    int code = inUnprivilegedChild([&] {
        if (!WAtomicFile::write(inLocked, "replacement"))
            return 1;
        // A new file there cannot be made, and the message says why.
        auto made = WAtomicFile::write(folder / "locked" / "new.txt", "x");
        return made ? 2 : made.message == expectedRefusal ? 0 : 3;
    });
    EXPECT_EQ(code, 0);
    ::chmod((folder / "locked").c_str(), 0755);
    EXPECT_EQ(contents(inLocked), "replacement");
    EXPECT_EQ(fs::directory_iterator(folder / "locked")->path(), inLocked);

    // A file that belongs to someone else, in a folder anyone may change,
    // stays theirs.
    const fs::path theirs = folder / "theirs.txt";
    put(theirs, "theirs", 0666);
    ::chmod(folder.c_str(), 0777);
    code = inUnprivilegedChild([&] { return WAtomicFile::write(theirs, "ours too") ? 0 : 1; });
    EXPECT_EQ(code, 0);
    struct stat owner{};
    ::stat(theirs.c_str(), &owner);
    EXPECT_EQ(owner.st_uid, 0u);
    EXPECT_EQ(contents(theirs), "ours too");
    EXPECT_TRUE(fs::is_empty(folder / "recovery"));
}

TEST_F(AtomicFileTest, RefusesFilesThatCannotBeReplaced)
{
    // A file the user locked against writing is not swapped out from under
    // the lock, even though the folder would allow the rename.
    const fs::path locked = folder / "locked.txt";
    put(locked, "locked", 0444);
    ::chmod(folder.c_str(), 0777);
    int code = inUnprivilegedChild([&] {
        auto result = WAtomicFile::write(locked, "changed");
        return !result && result.message.find("read-only") != std::string::npos ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(contents(locked), "locked");
    EXPECT_EQ(entries(), std::vector<std::string>{"locked.txt"});

    fs::create_directory(folder / "sub");
    auto onFolder = WAtomicFile::write(folder / "sub", "x");
    EXPECT_FALSE(onFolder);
    EXPECT_TRUE(fs::is_directory(folder / "sub"));

    auto missingFolder = WAtomicFile::write(folder / "nowhere" / "x.txt", "x");
    EXPECT_FALSE(missingFolder);
    EXPECT_EQ(missingFolder.error, ENOENT);
}

TEST_F(AtomicFileTest, FailureWhileWritingRemovesTheTemporary)
{
    // A file-size limit makes the write stop part way, as a full disk would.
    const fs::path file = folder / "big.txt";
    put(file, "small", 0666);
    ::chown(file.c_str(), 65534, 65534);
    ::chmod(folder.c_str(), 0777);
    int code = inUnprivilegedChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        auto result = WAtomicFile::write(file, std::string(100000, 'x'));
        return result ? 1 : (result.error == EFBIG ? 0 : 10 + result.error);
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(contents(file), "small");
    EXPECT_EQ(entries(), std::vector<std::string>{"big.txt"});
}

}  // namespace
