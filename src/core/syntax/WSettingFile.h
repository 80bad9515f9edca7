#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/WColor.h"

class WModeSettings;

// A shipped setting or keyword file ("name.ext" among the resources) and the
// user's copy of it in ~/Library/Wexel/settings, when there is one.
class WSettingFile {
public:
    WSettingFile() = default;
    virtual ~WSettingFile() = default;
    WSettingFile(const WSettingFile&) = delete;
    WSettingFile& operator=(const WSettingFile&) = delete;

    // Mode settings from the file of this name; an object without settings when
    // the shipped file is missing.
    static std::unique_ptr<WModeSettings> settingsWithFileOfName(std::string_view name, std::string_view ext);

    // Finds the files and reads them through analyze(); false when there is no
    // shipped file (nothing is read then).
    bool initWithFileOfName(std::string_view name, std::string_view ext);
    virtual bool analyze();

    const std::string& fileName() const { return mFileName; }
    const std::filesystem::path& bundlePath() const { return mBundlePath; }
    const std::optional<std::filesystem::path>& userPath() const { return mUserPath; }

    // The file's text (UTF-8, a leading byte-order mark dropped); nothing when unreadable.
    static std::optional<std::u16string> readTextFile(const std::filesystem::path& path);

protected:
    std::filesystem::path mBundlePath;
    std::optional<std::filesystem::path> mUserPath;
    std::string mFileName;
};

// The colours, font size and wrap flag of one text type: the shipped file
// merged key by key with the user's, the user's values winning.
class WModeSettings : public WSettingFile {
public:
    using Dictionary = std::map<std::u16string, std::u16string>;

    bool analyze() override;

    const std::optional<Dictionary>& settings() const { return mSettings; }
    std::optional<std::u16string> settingForKey(std::u16string_view key) const;
    bool hasSettingForKey(std::u16string_view key) const { return settingForKey(key).has_value(); }
    std::optional<WColor> colorForKey(std::u16string_view key) const;

    std::optional<WColor> backgroundColor() const { return colorForKey(u"background_color"); }
    std::optional<WColor> baseColor() const { return colorForKey(u"base_string_color"); }
    std::optional<WColor> commentColor() const { return colorForKey(u"comment_color"); }
    std::optional<WColor> keywordColor() const { return colorForKey(u"keyword_color"); }
    std::optional<WColor> doublequoteColor() const { return colorForKey(u"doublequote_color"); }
    std::optional<WColor> singlequoteColor() const { return colorForKey(u"singlequote_color"); }
    std::optional<WColor> variableColor() const { return colorForKey(u"variable_color"); }
    std::optional<WColor> groupColor() const { return colorForKey(u"group_color"); }
    std::optional<WColor> itemColor() const { return colorForKey(u"item_color"); }
    std::optional<WColor> bracketColor() const { return colorForKey(u"bracket_color"); }
    std::optional<WColor> indexColor() const { return colorForKey(u"indexed_line_color"); }
    std::optional<WColor> tagColor() const { return colorForKey(u"tag_color"); }
    std::optional<WColor> refColor() const { return colorForKey(u"ref_color"); }
    // The leading decimal number of "font_size"; 0 when there is none.
    float fontSize() const;
    // "yes" or "no" in any letter case; anything else (or no value) logs and answers true.
    bool isWordWrapped() const;

    // One log line "[key] value" per setting.
    void printToStream() const;

private:
    std::optional<Dictionary> mSettings;
};

// A keyword list: the user's file replaces the shipped one whole.
class WKeywords : public WSettingFile {
public:
    static std::unique_ptr<WKeywords> keywordsWithFileOfName(std::string_view name, std::string_view ext,
                                                             std::u16string_view separators);
    bool initWithFileOfName(std::string_view name, std::string_view ext, std::u16string_view separators);

    bool analyze() override;
    // The words of a keyword file's text, in file order, split at ", \t\r\n" only.
    static std::vector<std::u16string> keywordsFromString(std::u16string_view text);

    const std::optional<std::vector<std::u16string>>& keywords() const { return mKeywords; }
    const std::u16string& separators() const { return mSeparators; }

private:
    std::optional<std::vector<std::u16string>> mKeywords;
    std::u16string mSeparators;
};
