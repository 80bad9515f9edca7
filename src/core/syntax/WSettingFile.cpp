#include "syntax/WSettingFile.h"

#include <cstdlib>
#include <system_error>

#include "platform/WFileRead.h"
#include "platform/WLog.h"
#include "platform/WPlatform.h"
#include "text/WStringUtils.h"

namespace {
// Setting and keyword files are a few kilobytes.
constexpr size_t kLargestSettingFile = 16 * 1024 * 1024;
}  // namespace

std::optional<std::u16string> WSettingFile::readTextFile(const std::filesystem::path& path) {
    std::optional<std::string> bytes = WFileRead::regularFile(path, kLargestSettingFile);
    if (!bytes) return std::nullopt;
    std::string_view view(*bytes);
    if (view.substr(0, 3) == "\xEF\xBB\xBF") view.remove_prefix(3);
    return WStringUtils::fromUtf8(view);
}

std::unique_ptr<WModeSettings> WSettingFile::settingsWithFileOfName(std::string_view name, std::string_view ext) {
    auto settings = std::make_unique<WModeSettings>();
    settings->initWithFileOfName(name, ext);
    return settings;
}

bool WSettingFile::initWithFileOfName(std::string_view name, std::string_view ext) {
    mBundlePath.clear();
    mUserPath.reset();
    if (name.empty() || ext.empty()) return false;
    std::optional<std::filesystem::path> bundle = WPlatform::shared().pathForResource(name, ext);
    if (!bundle) return false;
    mBundlePath = *bundle;
    std::filesystem::path user =
        WPlatform::shared().userLibraryFolder() / "settings" / (std::string(name) + "." + std::string(ext));
    std::error_code error;
    if (std::filesystem::exists(user, error)) mUserPath = user;
    mFileName = name;
    analyze();
    return true;
}

bool WSettingFile::analyze() {
    WLog::write("analize NO!");
    return false;
}

// ---------------------------------------------------------------- WModeSettings

bool WModeSettings::analyze() {
    std::optional<std::u16string> shipped = readTextFile(mBundlePath);
    Dictionary merged = shipped ? WStringUtils::settingsFromString(*shipped) : Dictionary{};
    if (mUserPath) {
        if (std::optional<std::u16string> user = readTextFile(*mUserPath)) {
            for (auto& [key, value] : WStringUtils::settingsFromString(*user)) merged[key] = value;
        }
    }
    mSettings = std::move(merged);
    return true;
}

std::optional<std::u16string> WModeSettings::settingForKey(std::u16string_view key) const {
    if (!mSettings) return std::nullopt;
    auto found = mSettings->find(std::u16string(key));
    if (found == mSettings->end()) return std::nullopt;
    return found->second;
}

std::optional<WColor> WModeSettings::colorForKey(std::u16string_view key) const {
    std::optional<std::u16string> value = settingForKey(key);
    if (!value) return std::nullopt;
    return WStringUtils::colorFromString(*value);
}

float WModeSettings::fontSize() const {
    std::optional<std::u16string> value = settingForKey(u"font_size");
    if (!value) return 0.0f;
    // The leading decimal number: optional blanks and sign, digits, a point, digits.
    std::string ascii;
    size_t i = 0;
    const std::u16string& v = *value;
    while (i < v.size() && (v[i] == u' ' || v[i] == u'\t')) ++i;
    if (i < v.size() && (v[i] == u'-' || v[i] == u'+')) ascii += static_cast<char>(v[i++]);
    bool digits = false, point = false;
    for (; i < v.size(); ++i) {
        if (v[i] >= u'0' && v[i] <= u'9') {
            ascii += static_cast<char>(v[i]);
            digits = true;
        } else if (v[i] == u'.' && !point) {
            ascii += '.';
            point = true;
        } else {
            break;
        }
    }
    if (!digits) return 0.0f;
    return std::strtof(ascii.c_str(), nullptr);
}

bool WModeSettings::isWordWrapped() const {
    std::optional<std::u16string> value = settingForKey(u"is_word_wrapped");
    if (value) {
        std::u16string lower;
        for (char16_t c : *value) lower += (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
        if (lower == u"yes") return true;
        if (lower == u"no") return false;
    }
    WLog::write("WSettingFile::isWordWrapped - neither yes nor no.");
    return true;
}

void WModeSettings::printToStream() const {
    if (!mSettings) return;
    for (const auto& [key, value] : *mSettings)
        WLog::write("[" + WStringUtils::toUtf8(key) + "] " + WStringUtils::toUtf8(value));
}

// ---------------------------------------------------------------- WKeywords

std::unique_ptr<WKeywords> WKeywords::keywordsWithFileOfName(std::string_view name, std::string_view ext,
                                                             std::u16string_view separators) {
    auto keywords = std::make_unique<WKeywords>();
    keywords->initWithFileOfName(name, ext, separators);
    return keywords;
}

bool WKeywords::initWithFileOfName(std::string_view name, std::string_view ext, std::u16string_view separators) {
    mKeywords.reset();
    bool found = WSettingFile::initWithFileOfName(name, ext);
    mSeparators = separators;
    return found;
}

bool WKeywords::analyze() {
    std::optional<std::u16string> text = readTextFile(mUserPath ? *mUserPath : mBundlePath);
    if (!text) return false;
    mKeywords = keywordsFromString(*text);
    return true;
}

std::vector<std::u16string> WKeywords::keywordsFromString(std::u16string_view text) {
    // Words only: a "//" is a word like any other, so a list may hold it.
    return WStringUtils::stringComponentsSeparatedByCharacters(text, u", \t\r\n");
}
