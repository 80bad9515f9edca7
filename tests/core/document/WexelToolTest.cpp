// wexel-tool detect and convert on real Japanese text: the manual pages in
// Debian's manpages-ja that every encoding holds, turned into each encoding and
// line-ending kind by iconv.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "document/WDocumentData.h"
#include "platform/WLog.h"
#include "text/WEncoding.h"

namespace fs = std::filesystem;

namespace {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string readAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

std::string quoted(const std::string& word)
{
    std::string q = "'";
    for (char c : word)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class ToolTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string pattern = (fs::temp_directory_path() / "wexel-tool-XXXXXX").string();
        folder = mkdtemp(pattern.data());
        // A few dozen pages spread over the collection, and two of our own, one
        // holding characters that not every encoding has. Only pages that every
        // encoding holds exactly are kept: the fixtures must differ in form only,
        // whatever version of the pages a machine has.
        fs::create_directories(folder / "own");
        std::ofstream(folder / "own" / "plain.1") << "名前\nwexel - 日本語のテキストを編集する\n説明\n";
        std::ofstream(folder / "own" / "numbered.1") << "番号 \xE2\x84\x96 1 \xEF\xBD\x9E \xC2\xA5\n";  // № ～ ¥
        shell("gzip own/plain.1 own/numbered.1");
        shell("{ find /usr/share/man/ja -name '*.gz' | sort | awk 'NR % 40 == 1'; ls own/*.gz; } > candidates; "
              ": > common.txt; "
              "while read -r page; do zcat \"$page\" > page.txt || continue; kept=yes; "
              "for code in CP932 EUC-JP-MS ISO-2022-JP; do "
              "iconv -f UTF-8 -t $code page.txt > page.enc && iconv -f $code -t UTF-8 page.enc | cmp -s - page.txt "
              "|| kept=no; done; "
              "[ $kept = yes ] && cat page.txt >> common.txt; done < candidates");
        havePages = fs::exists(folder / "common.txt") && fs::file_size(folder / "common.txt") > 10000;
        if (!havePages)
            return;
        shell("cp common.txt text-LF && tr '\\n' '\\r' < common.txt > text-CR && sed 's/$/\\r/' common.txt > text-CR-LF");
        for (const char* eol : {"LF", "CR", "CR-LF"}) {
            std::string e = eol;
            shell("iconv -f UTF-8 -t CP932 text-" + e + " > S-JIS." + e + "; "
                  "iconv -f UTF-8 -t EUC-JP-MS text-" + e + " > EUC." + e + "; "
                  "iconv -f UTF-8 -t ISO-2022-JP text-" + e + " > JIS." + e + "; "
                  "cp text-" + e + " UTF-8." + e + "; "
                  "{ printf '\\376\\377'; iconv -f UTF-8 -t UTF-16BE text-" + e + "; } > UTF-16." + e);
        }
    }

    static void TearDownTestSuite()
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    void SetUp() override
    {
        if (!havePages)
            GTEST_SKIP() << "the Japanese manual pages (manpages-ja) are not installed";
    }

    static int shell(const std::string& command)
    {
        return std::system(("cd " + quoted(folder.string()) + " && { " + command + "; } 2>/dev/null").c_str());
    }

    static Result tool(const std::string& arguments)
    {
        Result result;
        fs::path err = folder / "stderr";
        std::string command = "cd " + quoted(folder.string()) + " && " + quoted(WEXEL_TOOL_PATH) + " " + arguments
                              + " 2>" + quoted(err.string());
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
            return result;
        char buffer[65536];
        size_t got;
        while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            result.out.append(buffer, got);
        int status = pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.err = readAll(err);
        return result;
    }

    static inline fs::path folder;
    static inline bool havePages = false;
};

const char* const kEncodings[] = {"S-JIS", "JIS", "EUC", "UTF-8", "UTF-16"};
const char* const kEols[] = {"LF", "CR", "CR-LF"};

}  // namespace

TEST_F(ToolTest, DetectAndConvertGiveBackEveryFixture)
{
    for (const char* encoding : kEncodings) {
        for (const char* eol : kEols) {
            std::string name = std::string(encoding) + "." + eol;
            std::string original = readAll(folder / name);
            ASSERT_GT(original.size(), 10000u) << name;
            if (name == "UTF-8.LF") {  // our own pages: one kept, the one with a numero sign left out
                EXPECT_NE(original.find("日本語のテキスト"), std::string::npos);
                EXPECT_EQ(original.find("\xE2\x84\x96"), std::string::npos);
            }

            Result detected = tool("detect " + name);
            EXPECT_EQ(detected.status, 0) << name << detected.err;
            EXPECT_EQ(detected.out, name + "\t" + encoding + "\t" + eol + "\n");

            Result converted = tool("convert " + name);
            EXPECT_EQ(converted.status, 0) << name << converted.err;
            EXPECT_TRUE(converted.out == original) << name << ": convert changed the bytes";
        }
    }
}

TEST_F(ToolTest, ConvertedFilesOpenInTheirNewForm)
{
    for (const char* encoding : kEncodings) {
        for (const char* eol : kEols) {
            std::string target = std::string("out.") + encoding + "." + eol;
            Result converted = tool(std::string("convert --to ") + encoding + " --eol " + eol + " S-JIS.CR-LF > " + target);
            ASSERT_EQ(converted.status, 0) << target << converted.err;
            Result detected = tool("detect " + target);
            EXPECT_EQ(detected.out, target + "\t" + encoding + "\t" + eol + "\n");
            // And back: the same Shift JIS bytes as the start.
            Result back = tool("convert --to S-JIS --eol CR-LF " + target);
            EXPECT_TRUE(back.out == readAll(folder / "S-JIS.CR-LF")) << target << " did not come back";
        }
    }
}

TEST_F(ToolTest, SavedDocumentsReopenInTheirEncoding)
{
    WLog::Sink previous = WLog::setSink([](std::string_view) {});
    auto opened = WDocumentData::openFile(folder / "EUC.CR-LF");
    ASSERT_TRUE(opened);
    for (auto encoding : {WShiftJISEncoding, WJISEncoding, WEUCEncoding, WUTF8Encoding, WUTF16Encoding}) {
        for (auto kind : {WCR_type, WLF_type, WCRLF_type}) {
            auto saved = WDocumentData::saveText(opened->text, encoding, kind);
            ASSERT_FALSE(saved.failure) << WEncoding::name(encoding);
            auto again = WDocumentData::openData(saved.bytes, "saved");
            ASSERT_TRUE(again);
            EXPECT_EQ(again->encoding, encoding);
            EXPECT_EQ(again->returnCodeType, kind);
            if (encoding != WJISEncoding) {  // JIS writes the JIS X 0208 forms of a few characters
                EXPECT_TRUE(again->text == opened->text) << WEncoding::name(encoding);
            }
        }
    }
    WLog::setSink(previous);
}

TEST_F(ToolTest, FailuresAndUsage)
{
    shell("printf 'first line\\nab\\303\\266c\\n' > latin.txt");
    Result failed = tool("convert --to S-JIS latin.txt");
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(failed.out.empty());
    EXPECT_NE(failed.err.find("line 2, column 3"), std::string::npos) << failed.err;
    EXPECT_NE(failed.err.find("U+00F6"), std::string::npos) << failed.err;

    // One bad file among good ones: the good ones are still listed, the run fails.
    Result mixed = tool("detect UTF-8.LF missing.txt EUC.LF");
    EXPECT_EQ(mixed.status, 1);
    EXPECT_EQ(mixed.out, "UTF-8.LF\tUTF-8\tLF\nEUC.LF\tEUC\tLF\n");
    EXPECT_NE(mixed.err.find("missing.txt"), std::string::npos) << mixed.err;

    shell("printf '\\202\\240\\202' > cut.txt");
    Result cut = tool("convert cut.txt");
    EXPECT_EQ(cut.status, 1);
    EXPECT_NE(cut.err.find("cut.txt"), std::string::npos) << cut.err;

    EXPECT_EQ(tool("").status, 2);
    EXPECT_EQ(tool("frobnicate").status, 2);
    EXPECT_EQ(tool("detect").status, 2);
    EXPECT_EQ(tool("convert").status, 2);
    EXPECT_EQ(tool("convert --to SJIS UTF-8.LF").status, 2);
    EXPECT_EQ(tool("convert --eol CRLF UTF-8.LF").status, 2);
    EXPECT_EQ(tool("convert --to").status, 2);
    EXPECT_EQ(tool("convert UTF-8.LF EUC.LF").status, 2);
    EXPECT_EQ(tool("convert --verbose UTF-8.LF").status, 2);
    EXPECT_EQ(tool("--help").status, 0);
}

// check lists what convert would lose or change: nothing for a file in its own
// encoding; for the pages' full text in Shift JIS, the characters that iconv
// cannot carry there and back, each as convert refuses it.
TEST_F(ToolTest, CheckListsWhatConvertWouldLoseOrChange)
{
    for (const char* encoding : kEncodings) {
        for (const char* eol : kEols) {
            std::string file = std::string(encoding) + "." + eol;
            Result own = tool("check " + file);
            EXPECT_EQ(own.status, 0) << file << own.out;
            EXPECT_TRUE(own.out.empty()) << file;
        }
    }
    shell("printf 'a\\343\\200\\234b\\n\\302\\245\\n' > twins.txt");
    Result twins = tool("check --to S-JIS twins.txt UTF-8.LF");
    EXPECT_EQ(twins.status, 1);
    EXPECT_EQ(twins.out, "twins.txt\t1\t2\tU+301C 〜\tis saved as U+FF5E ～\n"
                         "twins.txt\t2\t1\tU+00A5 ¥\tcannot be saved\n");
    Result refused = tool("convert --to S-JIS twins.txt");
    EXPECT_NE(refused.err.find("line 2, column 1"), std::string::npos) << refused.err;
    shell("printf 'a\\343\\200\\234b\\n' > twin.txt");
    EXPECT_EQ(tool("convert --to S-JIS twin.txt").out, "a\x81\x60" "b\n");

    EXPECT_EQ(tool("check").status, 2);
    EXPECT_EQ(tool("check --to SJIS UTF-8.LF").status, 2);
    EXPECT_EQ(tool("check missing.txt UTF-8.LF").status, 1);
}
