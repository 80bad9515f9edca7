// Saves killed at random moments by another process, and saves onto a real
// file system that is nearly full.
#include "platform/WAtomicFile.h"
#include "platform/WLog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sched.h>
#include <signal.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

size_t entryCount(const fs::path& folder)
{
    size_t count = 0;
    std::error_code ignored;
    for (fs::directory_iterator entry(folder, ignored), end; entry != end; entry.increment(ignored))
        ++count;
    return count;
}

class AtomicFileKillTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "wexel-kill-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        folder = root / "docs";
        recovery = root / "recovery";
        fs::create_directories(folder);
        WAtomicFile::setRecoveryFolder(recovery);
        previousSink = WLog::setSink([](std::string_view) {});
    }
    void TearDown() override
    {
        WLog::setSink(previousSink);
        WAtomicFile::setRecoveryFolder({});
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    fs::path root, folder, recovery;
    WLog::Sink previousSink;
};

// 1 MB by default, so that a few hundred saves fit in seconds on a shared
// machine; the size makes each save take several system calls and a long
// flush, which is where the kills land. WEXEL_KILL_TEST_MB=50 saves 50 MB.
TEST_F(AtomicFileKillTest, AKilledSaveLeavesTheOldOrTheNewBytes)
{
    const char* megabytes = std::getenv("WEXEL_KILL_TEST_MB");
    const size_t size = size_t(megabytes ? std::max(1, std::atoi(megabytes)) : 1) << 20;
    std::string older(size, '\0');
    std::string newer(older.size() + 4093, '\0');
    std::mt19937 random(20261207);
    for (char& c : older)
        c = static_cast<char>('a' + random() % 26);
    for (char& c : newer)
        c = static_cast<char>('A' + random() % 26);

    for (const bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "written in place" : "renamed over");
        const fs::path file = folder / "big.html";
        ASSERT_TRUE(WAtomicFile::write(file, older));
        if (inPlace)
            fs::create_hard_link(file, folder / "other-link.html");
        const size_t names = entryCount(folder);

        // How long one save takes here, to aim the kills inside saves.
        const auto started = std::chrono::steady_clock::now();
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(WAtomicFile::write(file, i % 2 ? older : newer));
        const auto oneSave =
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started) / 3;

        const int kills = inPlace ? 100 : 200;
        int cutOff = 0;  // kills that left something for the next start to clean up
        int sawOld = 0, sawNew = 0;
        for (int kill = 0; kill < kills; ++kill) {
            const pid_t saver = ::fork();
            ASSERT_GE(saver, 0);
            if (saver == 0) {
                for (unsigned i = 0;; ++i)
                    WAtomicFile::write(file, i % 2 ? older : newer);
            }
            const auto delay = std::chrono::microseconds(random() % (2 * oneSave.count() + 1));
            ::usleep(static_cast<useconds_t>(delay.count()));
            ::kill(saver, SIGKILL);
            int status = 0;
            ASSERT_EQ(::waitpid(saver, &status, 0), saver);
            if (entryCount(folder) != names || entryCount(recovery) != 0)
                ++cutOff;

            WAtomicFile::recover(file);  // what the editor does when it next opens the file
            const std::string now = contents(file);
            ASSERT_TRUE(now == older || now == newer) << "kill " << kill << ": a mixture of " << now.size() << " bytes";
            (now == older ? sawOld : sawNew)++;
            ASSERT_EQ(entryCount(folder), names) << "kill " << kill << ": a temporary was left";
            ASSERT_EQ(entryCount(recovery), 0u) << "kill " << kill << ": a recovery copy was left";
            if (inPlace) {
                ASSERT_EQ(contents(folder / "other-link.html"), now);
            }
        }
        std::cout << (inPlace ? "in place: " : "renamed: ") << kills << " kills, " << cutOff
                  << " in the middle of a save, " << sawOld << " old and " << sawNew << " new\n";
        EXPECT_GT(cutOff, 0);  // the kills did land inside saves
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
}

// In a child with its own mount namespace: a 512 KB file system with little
// room left, then made read-only. Answers 0, 77 when no file system can be mounted here, or the
// number of the check that failed.
int saveOntoANearlyFullDisk(const fs::path& mountPoint)
{
    if (::unshare(CLONE_NEWNS) != 0) {
        const uid_t user = ::getuid();
        const gid_t group = ::getgid();
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return 77;
        std::ofstream("/proc/self/setgroups") << "deny";
        std::ofstream("/proc/self/uid_map") << "0 " << user << " 1";
        std::ofstream("/proc/self/gid_map") << "0 " << group << " 1";
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
        || ::mount("wexel-test", mountPoint.c_str(), "tmpfs", 0, "size=512k,mode=0755") != 0)
        return 77;

    const std::string old(100000, 'o');
    const fs::path file = mountPoint / "page.html";
    std::ofstream(file, std::ios::binary) << old;
    // Fill the rest, then leave 40 KB free.
    const fs::path filler = mountPoint / "filler";
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT, 0600);
    const std::string block(4096, 'f');
    off_t size = 0;
    while (::write(fd, block.data(), block.size()) == static_cast<ssize_t>(block.size()))
        size += static_cast<off_t>(block.size());
    if (::ftruncate(fd, std::max<off_t>(size - 40960, 0)) != 0)
        return 1;
    ::close(fd);

    for (const bool inPlace : {false, true}) {
        WAtomicFile::setRecoveryFolder(mountPoint / "recovery");
        if (inPlace && ::link(file.c_str(), (mountPoint / "second").c_str()) != 0)
            return 2;
        const size_t names = entryCount(mountPoint);
        const WFileWriteResult result = WAtomicFile::write(file, std::string(200000, 'n'));
        if (result)
            return 3;
        if (result.error != ENOSPC || result.message.find("not enough space") == std::string::npos)
            return 4;
        if (contents(file) != old)
            return 5;
        if (entryCount(mountPoint) != names || entryCount(mountPoint / "recovery") != 0)
            return 6;
    }

    // The same disk made read-only: the save says so.
    if (::mount(nullptr, mountPoint.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
        return 0;  // full was shown; read-only cannot be here
    const WFileWriteResult readOnly = WAtomicFile::write(mountPoint / "new.html", "x");
    if (readOnly || readOnly.message.find("read-only file system") == std::string::npos)
        return 7;
    const WFileWriteResult existing = WAtomicFile::write(file, "x");
    if (existing || existing.message.find("read-only file system") == std::string::npos || contents(file) != old)
        return 8;
    return 0;
}

TEST_F(AtomicFileKillTest, ANearlyFullOrReadOnlyFileSystemFailsTheSaveAndKeepsTheFile)
{
    const fs::path mountPoint = root / "small";
    fs::create_directory(mountPoint);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(saveOntoANearlyFullDisk(mountPoint));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no small file system can be mounted here (needs root or user namespaces)";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "check " << WEXITSTATUS(status) << " failed";
}

}  // namespace
