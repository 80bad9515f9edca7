// wexel-tool search, run as a separate process on files written here.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct Outcome {
    int status = -1;
    std::string out;
};

class SearchCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        mFolder = std::filesystem::temp_directory_path() /
                  ("wexel-search-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(mFolder);
    }
    void TearDown() override { std::filesystem::remove_all(mFolder); }

    std::string write(const std::string& bytes)
    {
        const auto path = mFolder / "text.txt";
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    // Arguments are single-quoted for the shell; none of them holds a quote.
    Outcome run(const std::string& arguments)
    {
        const std::string command =
            std::string("'") + WEXEL_TOOL_PATH + "' search " + arguments + " 2>'" + (mFolder / "err").string() + "'";
        Outcome outcome;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe)
            return outcome;
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            outcome.out.append(buffer, got);
        const int status = ::pclose(pipe);
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return outcome;
    }

    std::string errors()
    {
        std::ifstream in(mFolder / "err");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::filesystem::path mFolder;
};

}  // namespace

TEST_F(SearchCommand, FindAndReplaceAllOnAFile)
{
    const std::string file = write("Straße\r\nSTRASSE は\xE3\x82\x99 ば \xF0\x9F\x98\x80ss\n");
    Outcome r = run("replace-all ss '<>' '" + file + "'");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Stra<>e\r\nSTRA<>E は\xE3\x82\x99 ば \xF0\x9F\x98\x80<>\n");
    EXPECT_EQ(errors(), "Replaced 3 words\n");
    r = run("replace-all -c ば X '" + file + "'");
    EXPECT_EQ(r.out, "Straße\r\nSTRASSE X X \xF0\x9F\x98\x80ss\n");

    // Positions count UTF-16 units: the emoji takes two.
    EXPECT_EQ(run("find SS '" + file + "'").out, "4 1\n");
    EXPECT_EQ(run("find --backward SS '" + file + "'").out, "23 2\n");
    EXPECT_EQ(run("find -c --backward SS '" + file + "'").out, "12 2\n");
    r = run("find -c xyz '" + file + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "not found\n");
}

TEST_F(SearchCommand, CharactersSplitBetweenReadsAreDecodedWhole)
{
    // The file is read in pieces of 256 KiB: put a three-byte and a four-byte
    // character across the first two piece boundaries.
    const size_t piece = 1 << 18;
    std::string bytes(piece - 1, 'x');
    bytes += "\xE3\x81\x82";  // あ
    bytes.append(piece - 2 - 3, 'x');
    bytes += "\xF0\x9F\x98\x80y";  // an emoji, then y
    const std::string file = write(bytes);
    EXPECT_EQ(run("find あx '" + file + "'").out, std::to_string(piece - 1) + " 2\n");
    EXPECT_EQ(run("find \xF0\x9F\x98\x80y '" + file + "'").out, std::to_string(2 * piece - 5) + " 3\n");
}

TEST_F(SearchCommand, RefusesWhatItCannotRead)
{
    // A file that cannot be read fails; a wrong command line is a usage error.
    EXPECT_EQ(run("find a '" + write("ok \xE3\x81") + "'").status, 1);
    EXPECT_NE(errors().find("is not UTF-8"), std::string::npos);
    EXPECT_EQ(run("find a '" + write("\xED\xA0\x80") + "'").status, 1);  // an encoded surrogate
    EXPECT_EQ(run("find a '" + (mFolder / "missing").string() + "'").status, 1);
    EXPECT_EQ(run("replace-all a '" + write("a") + "'").status, 2);
}
