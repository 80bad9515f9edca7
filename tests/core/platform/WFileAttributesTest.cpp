#include "platform/WFileAttributes.h"
#include "platform/WLog.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class FileAttributesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "wexel-xattr-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        file = folder / "doc.txt";
        std::ofstream(file) << "text";
        if (::setxattr(file.c_str(), "user.probe", "1", 1, 0) != 0)
            GTEST_SKIP() << "this file system keeps no extended attributes";
        ::removexattr(file.c_str(), "user.probe");
        previousSink = WLog::setSink([this](std::string_view line) { logged.emplace_back(line); });
        sinkInstalled = true;
    }

    void TearDown() override
    {
        if (sinkInstalled)
            WLog::setSink(previousSink);
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    fs::path folder;
    fs::path file;
    std::vector<std::string> logged;
    WLog::Sink previousSink;
    bool sinkInstalled = false;
};

TEST_F(FileAttributesTest, CodesRoundTripThroughALink)
{
    const uint32_t text = WFileAttributes::codeFromString("TEXT");
    EXPECT_EQ(text, 0x54455854u);
    EXPECT_EQ(WFileAttributes::stringFromCode(text), "TEXT");

    const fs::path link = folder / "link.txt";
    fs::create_symlink(file, link);
    EXPECT_FALSE(WFileAttributes::creatorCode(file));  // nothing stored yet, and no complaint
    ASSERT_TRUE(WFileAttributes::setCreatorAndTypeCodes(link, WFileAttributes::codeFromString("Wexl"), text));
    EXPECT_EQ(WFileAttributes::creatorCode(file), WFileAttributes::codeFromString("Wexl"));
    EXPECT_EQ(WFileAttributes::typeCode(file), text);
    EXPECT_EQ(WFileAttributes::stringForAttribute(file, "user.wexel.type"), "TEXT");

    // A value that is not four bytes is no code.
    WFileAttributes::setStringForAttribute(file, WFileAttributes::typeCodeName, "TEXTX");
    EXPECT_FALSE(WFileAttributes::typeCode(file));
    EXPECT_TRUE(WFileAttributes::removeAttribute(file, WFileAttributes::typeCodeName));
    EXPECT_TRUE(WFileAttributes::removeAttribute(file, WFileAttributes::typeCodeName));  // already gone
    EXPECT_TRUE(logged.empty());
}

TEST_F(FileAttributesTest, RangeNotation)
{
    EXPECT_EQ(WFileAttributes::stringFromRange({12, 3}), "{12, 3}");
    EXPECT_EQ(WFileAttributes::rangeFromString("{12, 3}"), (WRange{12, 3}));
    EXPECT_EQ(WFileAttributes::rangeFromString("12 3"), (WRange{12, 3}));
    EXPECT_EQ(WFileAttributes::rangeFromString("{4294967295, 0}"), (WRange{UINT32_MAX, 0}));
    EXPECT_FALSE(WFileAttributes::rangeFromString("{4294967296, 0}"));
    EXPECT_FALSE(WFileAttributes::rangeFromString("{7}"));
    EXPECT_FALSE(WFileAttributes::rangeFromString(""));
}

TEST_F(FileAttributesTest, SelectionIsRestoredOnlyInsideTheText)
{
    EXPECT_FALSE(WFileAttributes::selectedRangeWithin(file, 10));

    ASSERT_TRUE(WFileAttributes::setSelectedRange(file, {4, 6}));
    EXPECT_EQ(WFileAttributes::stringForAttribute(file, WFileAttributes::selectedRangeName), "{4, 6}");
    EXPECT_EQ(WFileAttributes::selectedRangeWithin(file, 10), (WRange{4, 6}));  // ends at the very end
    EXPECT_FALSE(WFileAttributes::selectedRangeWithin(file, 9));

    WFileAttributes::setSelectedRange(file, {10, 0});
    EXPECT_EQ(WFileAttributes::selectedRangeWithin(file, 10), (WRange{10, 0}));  // caret after the last character
    // Location and length that would wrap round 32 bits must not sneak in.
    WFileAttributes::setSelectedRange(file, {5, UINT32_MAX - 2});
    EXPECT_FALSE(WFileAttributes::selectedRangeWithin(file, 10));
    WFileAttributes::setStringForAttribute(file, WFileAttributes::selectedRangeName, "garbage");
    EXPECT_FALSE(WFileAttributes::selectedRangeWithin(file, 10));
}

TEST_F(FileAttributesTest, FailuresAndFileSystemsWithoutAttributes)
{
    // A vanished file is a real failure, said once in the log.
    const fs::path gone = folder / "gone.txt";
    EXPECT_FALSE(WFileAttributes::setSelectedRange(gone, {0, 0}));
    EXPECT_FALSE(WFileAttributes::creatorCode(gone));
    EXPECT_EQ(logged.size(), 2u);

    // /proc keeps no extended attributes: skipped without a word.
    const fs::path noAttributes = "/proc/self/comm";
    errno = 0;
    if (::setxattr(noAttributes.c_str(), "user.probe", "1", 1, 0) == 0 || (errno != ENOTSUP && errno != EOPNOTSUPP))
        GTEST_SKIP() << "no file system without extended attributes at hand";
    logged.clear();
    EXPECT_TRUE(WFileAttributes::setCreatorAndTypeCodes(noAttributes, 1, 2));
    EXPECT_FALSE(WFileAttributes::typeCode(noAttributes));
    EXPECT_FALSE(WFileAttributes::selectedRangeWithin(noAttributes, 100));
    EXPECT_TRUE(logged.empty());
}

}  // namespace
