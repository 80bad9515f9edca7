#pragma once

#include "prefs/WPlistValue.h"
#include "prefs/WUserDefaults.h"
#include "text/WColor.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The application-wide preferences. Readers see only the committed
// dictionary; the preference window edits a working copy, which commit()
// makes the committed set (and saves) and revert() throws away.
//
// Made once, when the application starts: the defaults are laid down, what
// the user defaults hold under "wexel_prefs" is merged over them (keys we do
// not know are kept), and the merged set is written back at once.
class WPrefsServer {
public:
    static constexpr std::string_view userDefaultsKey = "wexel_prefs";

    // The user's own file (see WPlistUserDefaults::defaultLocation).
    WPrefsServer();
    explicit WPrefsServer(const std::filesystem::path& plistFile);
    explicit WPrefsServer(std::unique_ptr<WUserDefaults> userDefaults);
    ~WPrefsServer();

    WPrefsServer(const WPrefsServer&) = delete;
    WPrefsServer& operator=(const WPrefsServer&) = delete;

    // Committed values. An absent key reads as nil, NO, 0, 0.0.
    const WPlistValue* objectForKey(std::string_view key) const;
    bool boolForKey(std::string_view key) const;
    float floatForKey(std::string_view key) const;
    int32_t intForKey(std::string_view key) const;
    // The string under the key, or "" when it holds none.
    std::string stringForKey(std::string_view key) const;
    // A key without a 16-byte colour record gives the default colour of that
    // key when it has one, else a record of zeros.
    rgb_color colorForKey(std::string_view key) const;
    WColor nscolorForKey(std::string_view key) const;

    const WDictionary& prefsDictionary() const { return mPrefsDictionary; }
    // The working copy, for the preference window to change.
    WDictionary& tempDictionary() { return mTempDictionary; }
    const WDictionary& tempDictionary() const { return mTempDictionary; }

    // The working copy becomes the committed preferences and is saved. False
    // when saving failed; the new values are in effect for this run anyway.
    bool commit();
    // Throws away the window's edits: the working copy is the committed set again.
    void revert();

    // Font names behind the preference window's font pop-up; none until the
    // window fills them in.
    const std::optional<std::vector<std::string>>& fontNameArray() const { return mFontNameArray; }
    void setFontNameArray(std::vector<std::string> names) { mFontNameArray = std::move(names); }

    // The 17 preferences of a first start.
    static WDictionary defaultPreferences(const std::string& fontName);
    // The font "font_name" starts with: the desktop's fixed-pitch font.
    static std::string defaultFontName();

    WUserDefaults& userDefaults() { return *mUserDefaults; }

private:
    void init();

    std::unique_ptr<WUserDefaults> mUserDefaults;
    WDictionary mPrefsDictionary;
    WDictionary mTempDictionary;
    std::optional<std::vector<std::string>> mFontNameArray;
};
