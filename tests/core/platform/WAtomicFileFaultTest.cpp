// Each step of a save made to fail, or to end the process, in turn.
#include "WAtomicFileFaults.h"
#include "platform/WAtomicFile.h"
#include "platform/WLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Everything about a file that a failed save must leave as it was.
struct FileState {
    std::string bytes;
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
    std::map<std::string, std::string> attributes;
    bool operator==(const FileState&) const = default;
};

std::string contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

FileState stateOf(const fs::path& file)
{
    FileState state;
    state.bytes = contents(file);
    struct stat info{};
    ::stat(file.c_str(), &info);
    state.mode = info.st_mode & 07777;
    state.owner = info.st_uid;
    state.group = info.st_gid;
    char names[4096];
    const ssize_t size = ::listxattr(file.c_str(), names, sizeof names);
    for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(std::strlen(names + at)) + 1) {
        char value[4096];
        const ssize_t length = ::getxattr(file.c_str(), names + at, value, sizeof value);
        state.attributes[names + at] = std::string(value, static_cast<size_t>(std::max<ssize_t>(length, 0)));
    }
    return state;
}

class AtomicFileFaultTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "wexel-faults-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        folder = root / "docs";
        recovery = root / "recovery";
        fs::create_directories(folder);
        WAtomicFile::setRecoveryFolder(recovery);
        previousSink = WLog::setSink([this](std::string_view line) { logged.emplace_back(line); });
    }

    void TearDown() override
    {
        WLog::setSink(previousSink);
        WAtomicFile::setRecoveryFolder({});
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    // An old file as a user's would be: someone else's, an odd mode, attributes.
    fs::path makeOldFile(bool hardLinked)
    {
        const fs::path file = folder / "page.html";
        std::ofstream(file, std::ios::binary) << oldBytes;
        ::chown(file.c_str(), 65534, 65534);
        ::chmod(file.c_str(), 0640);
        hasAttributes = ::setxattr(file.c_str(), "user.wexel.type", "TEXT", 4, 0) == 0
                        && ::setxattr(file.c_str(), "user.note", "keep me", 7, 0) == 0;
        if (hardLinked)
            fs::create_hard_link(file, folder / "also.html");
        return file;
    }

    std::vector<std::string> names(const fs::path& where) const
    {
        std::vector<std::string> found;
        std::error_code ignored;
        for (fs::directory_iterator entry(where, ignored), end; entry != end; entry.increment(ignored))
            found.push_back(entry->path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    }

    // The calls a save makes when nothing fails.
    std::vector<std::string> callsOfAGoodSave(bool hardLinked)
    {
        const fs::path file = makeOldFile(hardLinked);
        WFaultyCalls recording;
        {
            WCallsInstalled installed(recording);
            EXPECT_TRUE(WAtomicFile::write(file, newBytes));
        }
        EXPECT_EQ(contents(file), newBytes);
        fs::remove_all(folder);
        fs::create_directories(folder);
        return recording.seen;
    }

    std::string oldBytes = std::string(5000, 'o') + "old end";
    std::string newBytes = std::string(9000, 'n') + "new end";
    bool hasAttributes = false;
    fs::path root, folder, recovery;
    std::vector<std::string> logged;
    WLog::Sink previousSink;
};

// What the user reads for the typical failure of each kind of step.
std::string expectedWords(int error)
{
    switch (error) {
    case ENOSPC: return "not enough space";
    case EIO: return "input/output error";
    case EPERM:
    case EACCES: return "permission";
    default: return "";
    }
}

TEST_F(AtomicFileFaultTest, EveryFailingStepLeavesTheOldFileAsItWas)
{
    for (bool hardLinked : {false, true}) {
        const std::vector<std::string> steps = callsOfAGoodSave(hardLinked);
        ASSERT_GT(steps.size(), 8u);
        for (size_t step = 0; step < steps.size(); ++step) {
            if (steps[step] == "unlink")
                continue;  // only tidying up; nothing to undo
            SCOPED_TRACE((hardLinked ? "in place, " : "renamed, ") + steps[step] + " #" + std::to_string(step));
            const fs::path file = makeOldFile(hardLinked);
            const FileState before = stateOf(file);
            const std::vector<std::string> namesBefore = names(folder);
            WFaultyCalls faulty;
            faulty.failAt = static_cast<int>(step);
            logged.clear();
            WFileWriteResult result;
            {
                WCallsInstalled installed(faulty);
                result = WAtomicFile::write(file, newBytes);
            }
            FileState after = stateOf(file);
            if (result) {
                // No reason to fail: a missing second name, or closing the
                // copy of a file that is already written in full.
                const bool closesTheCopy = steps[step] == "close" && step + 2 == steps.size();
                EXPECT_TRUE(steps[step] == "link" || closesTheCopy) << steps[step];
                after.bytes = before.bytes;
                EXPECT_EQ(contents(file), newBytes);
            } else {
                const int error = WFaultyCalls::usualError(steps[step]);
                EXPECT_EQ(result.error, error);
                EXPECT_NE(result.message.find(expectedWords(error)), std::string::npos) << result.message;
                EXPECT_NE(result.message.find("page.html"), std::string::npos) << result.message;
                EXPECT_EQ(logged.size(), 1u);
            }
            EXPECT_EQ(after, before);
            if (hasAttributes) {
                EXPECT_EQ(after.attributes.size(), 2u);
            }
            EXPECT_EQ(names(folder), namesBefore);  // no temporary, no second name
            EXPECT_TRUE(names(recovery).empty());
            if (hardLinked) {
                EXPECT_EQ(contents(folder / "also.html"), result ? newBytes : oldBytes);
            }
            fs::remove_all(folder);
            fs::create_directories(folder);
        }
    }
}

TEST_F(AtomicFileFaultTest, ShortWritesGoOnAndFullDisksAreNamed)
{
    for (bool hardLinked : {false, true}) {
        const fs::path file = makeOldFile(hardLinked);
        WFaultyCalls faulty;
        faulty.shortWrites = true;
        {
            WCallsInstalled installed(faulty);
            ASSERT_TRUE(WAtomicFile::write(file, newBytes));
        }
        EXPECT_EQ(contents(file), newBytes);

        // A short write followed by a full disk: the old bytes stay.
        const std::vector<std::string> calls = faulty.seen;
        const std::string kind = hardLinked ? "pwrite" : "write";
        const auto writes = std::count(calls.begin(), calls.end(), kind);
        ASSERT_GT(writes, 3);
        WFaultyCalls full;
        full.shortWrites = true;
        // The third write of the new bytes (past the copy's writes, in place).
        int seenWrites = 0;
        for (size_t i = 0; i < calls.size(); ++i) {
            if (calls[i] == kind && ++seenWrites == writes - 2)
                full.failAt = static_cast<int>(i);
        }
        std::ofstream(file, std::ios::binary | std::ios::trunc) << oldBytes;
        WFileWriteResult result;
        {
            WCallsInstalled installed(full);
            result = WAtomicFile::write(file, newBytes);
        }
        EXPECT_FALSE(result);
        EXPECT_EQ(result.message, "There is not enough space on the disk to save \u201C" + file.string() + "\u201D.");
        EXPECT_EQ(contents(file), oldBytes);
        EXPECT_TRUE(names(recovery).empty());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
}

TEST_F(AtomicFileFaultTest, AWriteThatCannotBeUndoneKeepsTheCopyUntilTheNextStart)
{
    const fs::path file = makeOldFile(true);
    // The new bytes fail half way, and so does the first attempt to put the old ones back.
    struct TwiceFaulty : WFaultyCalls {
        int pwrites = 0;
        ssize_t pwrite(int fd, const void* d, size_t n, off_t o) override
        {
            if (++pwrites >= 5) {  // after the copy (three) and the first piece of the new bytes
                errno = EIO;
                return -1;
            }
            return WAtomicFileCalls::pwrite(fd, d, std::min<size_t>(n, 4000), o);
        }
    } faulty;
    WFileWriteResult result;
    {
        WCallsInstalled installed(faulty);
        result = WAtomicFile::write(file, newBytes);
    }
    ASSERT_FALSE(result);
    EXPECT_NE(result.message.find("input/output error"), std::string::npos);
    EXPECT_NE(result.message.find("could not be put back yet"), std::string::npos) << result.message;
    ASSERT_EQ(names(recovery).size(), 1u);
    EXPECT_NE(contents(file), oldBytes);

    WAtomicFile::recover(file);
    EXPECT_EQ(contents(file), oldBytes);
    EXPECT_EQ(contents(folder / "also.html"), oldBytes);
    EXPECT_TRUE(names(recovery).empty());
}

TEST_F(AtomicFileFaultTest, ASaveCutOffAtAnyStepIsOldOrNewAfterTheNextStart)
{
    for (bool hardLinked : {false, true}) {
        const std::vector<std::string> steps = callsOfAGoodSave(hardLinked);
        for (size_t step = 0; step < steps.size(); ++step) {
            SCOPED_TRACE((hardLinked ? "in place, " : "renamed, ") + steps[step] + " #" + std::to_string(step));
            const fs::path file = makeOldFile(hardLinked);
            const std::vector<std::string> namesBefore = names(folder);
            const pid_t child = ::fork();
            if (child == 0) {
                WFaultyCalls crashing;
                crashing.failAt = static_cast<int>(step);
                crashing.crash = true;
                WAtomicFile::setCalls(&crashing);
                WAtomicFile::write(file, newBytes);
                ::_exit(0);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            WAtomicFile::recoverAll();
            WAtomicFile::recover(file);
            const std::string now = contents(file);
            EXPECT_TRUE(now == oldBytes || now == newBytes) << now.size() << " bytes";
            EXPECT_EQ(names(folder), namesBefore);
            EXPECT_TRUE(names(recovery).empty());
            fs::remove_all(folder);
            fs::create_directories(folder);
        }
    }
}

TEST_F(AtomicFileFaultTest, MessagesNameTheCause)
{
    const fs::path file = folder / "page.html";
    std::ofstream(file) << "old";
    const std::string name = "\u201C" + file.string() + "\u201D";
    const std::pair<int, std::string> cases[] = {
        {ENOSPC, "There is not enough space on the disk to save " + name + "."},
        {EDQUOT, "There is not enough space left in your disk quota to save " + name + "."},
        {EROFS, "The disk holding the folder \u201C" + folder.string() + "\u201D is read-only (a read-only file system)."},
        {EIO, "The disk reported an error (input/output error) while saving " + name + "."},
        {EFBIG, "The file " + name + " is too large for the disk it is saved on."},
    };
    for (const auto& [error, expected] : cases) {
        WFaultyCalls faulty;
        faulty.failAt = 0;  // creating the temporary
        faulty.error = error;
        WCallsInstalled installed(faulty);
        auto result = WAtomicFile::write(file, "new");
        EXPECT_EQ(result.message, expected);
        EXPECT_EQ(contents(file), "old");
    }
    // Parts of the path that are missing or no folder at all.
    std::ofstream(folder / "plain") << "x";
    EXPECT_EQ(WAtomicFile::write(folder / "plain" / "x.txt", "x").message,
              "\u201C" + (folder / "plain").string() + "\u201D is a file, not a folder, so nothing can be saved inside it.");
    EXPECT_EQ(WAtomicFile::write(folder / "gone" / "deeper" / "x.txt", "x").message,
              "The folder \u201C" + (folder / "gone").string() + "\u201D does not exist.");
    EXPECT_EQ(WAtomicFile::write("/proc/sys/x.txt", "x").message,
              "The folder \u201C/proc/sys\u201D does not allow new files to be made in it.");
}

}  // namespace
