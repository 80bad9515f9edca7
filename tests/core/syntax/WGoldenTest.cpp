// Each sample under tests/data/syntax is scanned with the shipped keyword list of
// its type and compared with the reference dump beside it, so that any change in
// how text is classed shows up as a reviewable diff. WEXEL_UPDATE_GOLDEN=1
// rewrites the dumps.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "SyntaxFixture.h"
#include "text/WStringUtils.h"
#include "syntax/WColorSyntaxServer.h"

namespace {

struct Sample {
    const char* file;
    const char* typeName;
    int32_t type;
    const char* keywords;
};

const Sample kSamples[] = {
    {"sample.html", "X/HTML", WColorSyntaxServer::kHTML, nullptr},
    {"sample.css", "CSS", WColorSyntaxServer::kCSS, "css_keywords"},
    {"sample.php", "PHP", WColorSyntaxServer::kPHP, "php_keywords"},
    {"sample.pl", "perl", WColorSyntaxServer::kPerlScript, "perl_keywords"},
    {"sample.rb", "ruby", WColorSyntaxServer::kRubyScript, "ruby_keywords"},
};

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class GoldenTest : public SyntaxFixture {
protected:
    void SetUp() override {
        SyntaxFixture::SetUp();
        mPlatform.resourceFolders = {WEXEL_TEST_DATA "/../../resources"};
    }
};

}  // namespace

TEST_F(GoldenTest, SamplesScanAsTheirReferenceDumps) {
    const bool update = std::getenv("WEXEL_UPDATE_GOLDEN") != nullptr;
    for (const Sample& sample : kSamples) {
        std::string path = std::string(WEXEL_TEST_DATA "/syntax/") + sample.file;
        // The samples are UTF-8 with LF line ends; the editor holds them in CR form.
        std::u16string text = WStringUtils::convertReturnsToCR(WStringUtils::fromUtf8(readAll(path)));
        ASSERT_FALSE(text.empty()) << path;
        std::optional<std::vector<std::u16string>> keywords;
        if (sample.keywords) keywords = WKeywords::keywordsWithFileOfName(sample.keywords, "txt", u", ")->keywords();
        WRangeDictionary classes = WColorSyntaxServer::scanClasses(
            text, {0, static_cast<uint32_t>(text.size())}, sample.type,
            keywords ? &*keywords : nullptr);
        std::string json = WColorSyntaxServer::classesAsJSON(classes);
        if (update) std::ofstream(path + ".scan.json", std::ios::binary) << json;
        EXPECT_EQ(json, readAll(path + ".scan.json")) << sample.file;
    }
}

TEST_F(GoldenTest, ToolPrintsTheSameDump) {
    for (const Sample& sample : kSamples) {
        std::string path = std::string(WEXEL_TEST_DATA "/syntax/") + sample.file;
        std::string command = std::string("WEXEL_RESOURCES='" WEXEL_TEST_DATA "/../../resources' '") +
                              WEXEL_TOOL_PATH + "' scan --type '" + sample.typeName + "' '" + path + "'";
        FILE* pipe = ::popen(command.c_str(), "r");
        ASSERT_TRUE(pipe);
        std::string out;
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        EXPECT_EQ(::pclose(pipe), 0) << sample.file;
        EXPECT_EQ(out, readAll(path + ".scan.json")) << sample.file;
    }
}

TEST_F(GoldenTest, ToolRefusesWrongArguments) {
    auto status = [](const std::string& arguments) {
        std::string command = std::string("'") + WEXEL_TOOL_PATH + "' " + arguments + " 2>/dev/null >/dev/null";
        int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    };
    EXPECT_EQ(status("scan --type Cobol x"), 2);
    EXPECT_EQ(status("scan x"), 2);
    EXPECT_EQ(status("scan --type Plain " WEXEL_TEST_DATA "/syntax/sample.html"), 2);
    EXPECT_EQ(status("scan --type PHP /nonexistent/file.php"), 1);
    EXPECT_EQ(status("colour --type PHP --keywords k x"), 2);
}
