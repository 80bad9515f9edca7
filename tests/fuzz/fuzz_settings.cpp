// Setting and keyword files: the text reader, the key = value parser, the
// colour values and the keyword splitter, and the merged settings of a user's
// copy over the shipped file.
#include <cstdint>

#include "FuzzSupport.h"
#include "syntax/WSettingFile.h"
#include "text/WStringUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto& platform = fuzz::platform();
    auto path = fuzz::writeScratch("setting.txt", data, size);
    auto text = WSettingFile::readTextFile(path);
    if (!text)
        return 0;

    for (const auto& [key, value] : WStringUtils::settingsFromString(*text)) {
        FUZZ_CHECK(key.find(u'\r') == std::u16string::npos && key.find(u'\n') == std::u16string::npos);
        if (auto color = WStringUtils::colorFromString(value)) {
            std::u16string written = WStringUtils::stringFromColor(*color);
            FUZZ_CHECK(written.size() == 7 && written[0] == u'#');
        }
    }
    for (const std::u16string& word : WKeywords::keywordsFromString(*text)) {
        FUZZ_CHECK(!word.empty());
        FUZZ_CHECK(word.find_first_of(u", \t\r\n") == std::u16string::npos);
    }

    // The same bytes as the user's copy of a shipped setting file.
    auto user = platform.home / "Library" / "Wexel" / "settings";
    std::filesystem::create_directories(user);
    std::filesystem::rename(path, user / "php_settings.txt");
    auto settings = WSettingFile::settingsWithFileOfName("php_settings", "txt");
    FUZZ_CHECK(settings && settings->settings().has_value());
    settings->fontSize();
    settings->isWordWrapped();
    settings->commentColor();
    std::filesystem::remove(user / "php_settings.txt");
    return 0;
}
