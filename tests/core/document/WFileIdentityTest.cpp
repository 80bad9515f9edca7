#include "document/WFileIdentity.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class FileIdentityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "wexel-identity-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        file = folder / "page.html";
        write(file, "<p>one</p>");
    }

    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    static void write(const fs::path& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }

    // Sets the modification time, so that cases do not hang on the clock's granularity.
    static void setModified(const fs::path& path, time_t seconds, long nanoseconds)
    {
        const struct timespec times[2] = {{0, UTIME_OMIT}, {seconds, nanoseconds}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }

    fs::path folder;
    fs::path file;
};

TEST_F(FileIdentityTest, StaysTheSameUntilTheFileIsWrittenReplacedOrTouched)
{
    setModified(file, 1'700'000'000, 5);
    const auto first = WFileIdentity::of(file);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->size, 10u);
    EXPECT_EQ(first->modificationTime, 1'700'000'000'000'000'005);
    EXPECT_EQ(WFileIdentity::of(file), first);

    // Written in place with the same size and time: nothing to tell them apart.
    write(file, "<p>two</p>");
    setModified(file, 1'700'000'000, 5);
    EXPECT_EQ(WFileIdentity::of(file), first);

    // One nanosecond is a change.
    setModified(file, 1'700'000'000, 6);
    EXPECT_NE(WFileIdentity::of(file), first);

    // So is another size at the same time.
    write(file, "<p>three</p>");
    setModified(file, 1'700'000'000, 5);
    EXPECT_NE(WFileIdentity::of(file), first);

    // A rename over the file gives another inode, even with size and time alike.
    const fs::path other = folder / "other";
    write(other, "<p>one</p>");
    setModified(other, 1'700'000'000, 5);
    write(file, "<p>one</p>");
    setModified(file, 1'700'000'000, 5);
    const auto before = WFileIdentity::of(file);
    fs::rename(other, file);
    const auto after = WFileIdentity::of(file);
    ASSERT_TRUE(after);
    EXPECT_NE(after, before);
    EXPECT_NE(after->inode, before->inode);
    EXPECT_EQ(after->device, before->device);
}

TEST_F(FileIdentityTest, MissingFilesAndLinks)
{
    EXPECT_EQ(WFileIdentity::of(folder / "none.txt"), std::nullopt);
    EXPECT_EQ(WFileIdentity::of(file / "below-a-file"), std::nullopt);
    EXPECT_EQ(WFileIdentity::of(""), std::nullopt);

    // A link stands for the file it names; a dangling one for no file.
    const fs::path link = folder / "link.html";
    fs::create_symlink(file, link);
    EXPECT_EQ(WFileIdentity::of(link), WFileIdentity::of(file));
    fs::remove(file);
    EXPECT_EQ(WFileIdentity::of(link), std::nullopt);
    EXPECT_EQ(WFileIdentity::of(file), std::nullopt);
}

}  // namespace
