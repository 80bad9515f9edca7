#pragma once

#include "prefs/WPlistValue.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

// Where the preferences live between runs: dictionaries kept under keys.
class WUserDefaults {
public:
    virtual ~WUserDefaults() = default;
    // Nothing when the key holds no dictionary.
    virtual std::optional<WDictionary> dictionaryForKey(std::string_view key) = 0;
    // False when the dictionary could not be kept (the reason is in the log).
    virtual bool setDictionary(const WDictionary& dictionary, std::string_view key) = 0;
    // Why the last set failed, in words for the user; empty when it did not.
    virtual std::string lastFailure() const { return {}; }
};

// Kept in memory only; for tests and for runs that must not touch the disk.
class WMemoryUserDefaults : public WUserDefaults {
public:
    std::optional<WDictionary> dictionaryForKey(std::string_view key) override;
    bool setDictionary(const WDictionary& dictionary, std::string_view key) override;

    std::map<std::string, WDictionary, std::less<>> stored;
    int writeCount = 0;
};

// One property-list file whose top dictionary holds the keys: written as XML,
// atomically, at every set; read (XML or binary) when made. Entries under other
// keys, of any kind, are kept and written back. A file that cannot be read or
// holds no dictionary is logged, copied beside itself as "<name>.broken" (or
// "<name>.broken-2" and on, never over an earlier copy), and replaced at the
// next set; when even the copy cannot be made, the file is left alone and sets
// fail. A key holding something other than a dictionary is copied aside the
// same way before it is replaced.
class WPlistUserDefaults : public WUserDefaults {
public:
    explicit WPlistUserDefaults(std::filesystem::path file = defaultLocation());

    std::optional<WDictionary> dictionaryForKey(std::string_view key) override;
    bool setDictionary(const WDictionary& dictionary, std::string_view key) override;

    std::string lastFailure() const override { return mLastFailure; }
    const std::filesystem::path& file() const { return mFile; }
    // True when the file was there but could not be used.
    bool foundBrokenFile() const { return mFoundBrokenFile; }

    // $XDG_CONFIG_HOME/Wexel/Wexel.plist, ~/.config standing in for an unset
    // or relative $XDG_CONFIG_HOME.
    static std::filesystem::path defaultLocation();
    // A preferences file is a few kilobytes; far larger ones are not read.
    static constexpr uintmax_t largestFileSize = 16 * 1024 * 1024;

private:
    void load();
    // A copy of the file (of these bytes, when given) under a fresh ".broken" name.
    bool keepAside(const std::string* bytes);

    std::filesystem::path mFile;
    WDictionary mRoot;
    bool mWritable = true;
    bool mFoundBrokenFile = false;
    std::string mLastFailure;
};
