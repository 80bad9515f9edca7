#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "document/WCharacterCheck.h"
#include "document/WDocumentData.h"
#include "text/WStringUtils.h"

namespace fs = std::filesystem;

namespace {

using Fate = WEncodingRepertoire::Fate;

std::string u8(char32_t c)
{
    std::u16string one;
    if (c > 0xFFFF)
        one = {char16_t(0xD800 + ((c - 0x10000) >> 10)), char16_t(0xDC00 + ((c - 0x10000) & 0x3FF))};
    else
        one = {char16_t(c)};
    return WStringUtils::toUtf8(one);
}

// The lines iconv gives for the bytes, run through the shell's iconv.
std::vector<std::string> throughIconv(const std::string& bytes, const std::string& arguments,
                                      const std::string& thenThrough = "")
{
    fs::path input = fs::temp_directory_path() / ("wexel-check-" + std::to_string(getpid()));
    std::ofstream(input, std::ios::binary) << bytes;
    std::string command = "iconv " + arguments + " < '" + input.string() + "' 2>/dev/null";
    if (!thenThrough.empty())
        command += " | iconv " + thenThrough + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[65536];
    size_t got;
    while (pipe && (got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, got);
    if (pipe)
        pclose(pipe);
    fs::remove(input);
    std::vector<std::string> lines;
    std::istringstream stream(out);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

const char* iconvName(WStringEncoding encoding)
{
    return encoding == WShiftJISEncoding ? "CP932" : encoding == WEUCEncoding ? "EUC-JP-MS" : "ISO-2022-JP";
}

}  // namespace

TEST(CharacterCheck, ListsWhatShiftJisLosesOrChangesWithLineAndColumn)
{
    std::u16string text = WStringUtils::fromUtf8("abc\r価格 ¥100 〜 ①\r𠮷野家と한\r— ok");
    std::vector<WCharacterProblem> found = WCharacterCheck::problems(text, WShiftJISEncoding);
    std::vector<std::string> shown;
    for (const WCharacterProblem& problem : found)
        shown.push_back(std::to_string(problem.line) + ":" + std::to_string(problem.column) + " " +
                        WCharacterCheck::characterName(problem.character) + " " + WCharacterCheck::outcome(problem));
    EXPECT_EQ(shown, (std::vector<std::string>{"2:4 U+00A5 ¥ cannot be saved", "2:9 U+301C 〜 is saved as U+FF5E ～",
                                               "3:1 U+20BB7 𠮷 cannot be saved", "3:5 U+D55C 한 cannot be saved",
                                               "4:1 U+2014 — is saved as U+2015 ―"}));
    ASSERT_EQ(found.size(), 5u);
    EXPECT_EQ(found[2].range.length, 2u);  // the surrogate pair as one character
    EXPECT_EQ(text.substr(found[1].range.location, 1), u"〜");

    EXPECT_TRUE(WCharacterCheck::problems(text, WUTF16Encoding).empty());
    EXPECT_TRUE(WCharacterCheck::problems(text, WUTF8Encoding).empty());
    EXPECT_EQ(WCharacterCheck::problems(u"a\xD800" u"b", WUTF8Encoding).size(), 1u);  // a lone surrogate
    EXPECT_TRUE(WCharacterCheck::problems(u"a\xD800" u"b", WUTF16Encoding).empty());
    EXPECT_EQ(WCharacterCheck::problems(text, WShiftJISEncoding, 2).size(), 2u);
    EXPECT_EQ(WCharacterCheck::characterName(0x1B), "U+001B");
}

TEST(CharacterCheck, SavingWritesTwinsAsTheirJisFormAndRefusesTheRest)
{
    WSavedText saved = WDocumentData::saveText(u"〜−‖¢£¬—", WShiftJISEncoding, WCR_type);
    ASSERT_FALSE(saved.failure);
    std::optional<std::u16string> back = WEncoding::decode(saved.bytes, WShiftJISEncoding);
    EXPECT_EQ(back, u"～－∥￠￡￢―");
    saved = WDocumentData::saveText(u"～－∥", WJISEncoding, WCR_type);
    ASSERT_FALSE(saved.failure);
    EXPECT_EQ(WEncoding::decode(saved.bytes, WJISEncoding), u"〜−‖");

    saved = WDocumentData::saveText(u"ok\r〜 ¥", WEUCEncoding, WCR_type);
    ASSERT_TRUE(saved.failure);
    EXPECT_EQ(saved.failure->character, U'¥');
    EXPECT_EQ(saved.failure->line, 2u);
    EXPECT_EQ(saved.failure->column, 3u);
}

// Every character of the Basic Multilingual Plane, in each legacy encoding:
// what the check says is kept comes back from the system's iconv as itself,
// a twin comes back as the character it is saved as, and what it says cannot
// be saved iconv cannot carry there and back either.
TEST(CharacterCheck, AgreesWithIconvOnEveryCharacter)
{
    for (WStringEncoding encoding : {WShiftJISEncoding, WEUCEncoding, WJISEncoding}) {
        const WEncodingRepertoire& repertoire = WEncodingRepertoire::of(encoding);
        std::u16string savable;
        std::vector<char32_t> expected;
        std::string lost;
        std::vector<char32_t> lostCharacters;
        size_t twins = 0;
        for (char32_t c = 0x20; c < 0x10000; ++c) {
            if ((c >= 0xD800 && c <= 0xDFFF) || c == 0x2028 || c == 0x2029 || c == 0x7F)
                continue;
            Fate fate = repertoire.fate(c);
            if (fate == Fate::Lost) {
                lost += u8(c) + "\n";
                lostCharacters.push_back(c);
            } else {
                savable += char16_t(c);
                savable += u'\n';
                expected.push_back(fate == Fate::Twin ? repertoire.writtenAs(char16_t(c)) : c);
                twins += fate == Fate::Twin;
            }
        }
        WSavedText saved = WDocumentData::saveText(savable, encoding, WCR_type);
        ASSERT_FALSE(saved.failure) << iconvName(encoding);
        std::vector<std::string> back = throughIconv(std::string(saved.bytes.begin(), saved.bytes.end()),
                                                     std::string("-f ") + iconvName(encoding) + " -t UTF-8");
        ASSERT_EQ(back.size(), expected.size()) << iconvName(encoding);
        size_t differences = 0;
        for (size_t i = 0; i < expected.size(); ++i)
            differences += back[i] != u8(expected[i]);
        EXPECT_EQ(differences, 0u) << iconvName(encoding);

        std::vector<std::string> lostBack =
            throughIconv(lost, std::string("-c -f UTF-8 -t ") + iconvName(encoding),
                         std::string("-c -f ") + iconvName(encoding) + " -t UTF-8");
        ASSERT_EQ(lostBack.size(), lostCharacters.size()) << iconvName(encoding);
        size_t keptByIconv = 0;
        for (size_t i = 0; i < lostCharacters.size(); ++i)
            keptByIconv += lostBack[i] == u8(lostCharacters[i]);
        EXPECT_EQ(keptByIconv, 0u) << iconvName(encoding);
        EXPECT_EQ(WCharacterCheck::problems(savable, encoding).size(), twins) << iconvName(encoding);
    }
}
