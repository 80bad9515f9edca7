#include "prefs/WPrefsServer.h"

#include "platform/WLog.h"
#include "platform/WPlatform.h"
#include "prefs/WColorUtils.h"

WPrefsServer::WPrefsServer()
    : WPrefsServer(std::make_unique<WPlistUserDefaults>())
{
}

WPrefsServer::WPrefsServer(const std::filesystem::path& plistFile)
    : WPrefsServer(std::make_unique<WPlistUserDefaults>(plistFile))
{
}

WPrefsServer::WPrefsServer(std::unique_ptr<WUserDefaults> userDefaults)
    : mUserDefaults(userDefaults ? std::move(userDefaults) : std::make_unique<WMemoryUserDefaults>())
{
    init();
}

WPrefsServer::~WPrefsServer()
{
    WLog::write("WPrefsServer : dealloc - done");
}

std::string WPrefsServer::defaultFontName()
{
    std::string name = WPlatform::shared().userFixedPitchFontName();
    // A desktop that names no fixed-pitch font still gets a monospaced one.
    return name.empty() ? std::string("Monospace") : name;
}

WDictionary WPrefsServer::defaultPreferences(const std::string& fontName)
{
    WDictionary defaults;
    defaults.setBool(true, "store_window_status");
    defaults.setBool(true, "auto_indent");
    defaults.setBool(true, "word_wrap");
    defaults.setBool(true, "detect_text_type");
    defaults.setBool(true, "detect_code_type");
    defaults.setBool(true, "store_text_type");
    defaults.setBool(false, "assign_only_multi_stroke");
    defaults.setBool(true, "use_xhtml_syntax");
    defaults.setBool(false, "always_makes_a_new_window");
    defaults.setInt(1, "preferred_browser");
    // The schemes' Control is the same Ctrl key the desktop's shortcuts use, so a
    // new user starts with the system's keys and picks a scheme in the window.
    defaults.setInt(4, "key_bind_type");  // WSystemDefault
    defaults.setObject(WPlistValue(fontName), "font_name");
    defaults.setFloat(12.0f, "font_size");
    defaults.setColor(rgb_color{1.0f, 1.0f, 1.0f, 1.0f}, "background_color");
    defaults.setColor(rgb_color{0.0f, 0.0f, 0.0f, 1.0f}, "base_string_color");
    defaults.setColor(rgb_color{0.39f, 0.39f, 0.78f, 1.0f}, "tab_string_color");  // the tag colour
    defaults.setColor(rgb_color{0.67f, 0.0f, 0.0f, 1.0f}, "comment_string_color");
    return defaults;
}

void WPrefsServer::init()
{
    mFontNameArray.reset();
    mPrefsDictionary = defaultPreferences(defaultFontName());
    // Stored values win over the defaults; stored keys we do not know stay.
    if (auto stored = mUserDefaults->dictionaryForKey(userDefaultsKey))
        mPrefsDictionary.addEntriesFromDictionary(*stored);
    mUserDefaults->setDictionary(mPrefsDictionary, userDefaultsKey);
    mTempDictionary = mPrefsDictionary;
}

const WPlistValue* WPrefsServer::objectForKey(std::string_view key) const
{
    return mPrefsDictionary.objectForKey(key);
}

bool WPrefsServer::boolForKey(std::string_view key) const
{
    return mPrefsDictionary.boolForKey(key);
}

float WPrefsServer::floatForKey(std::string_view key) const
{
    return mPrefsDictionary.floatForKey(key);
}

int32_t WPrefsServer::intForKey(std::string_view key) const
{
    return mPrefsDictionary.intForKey(key);
}

std::string WPrefsServer::stringForKey(std::string_view key) const
{
    const WPlistValue* value = objectForKey(key);
    const std::string* text = value ? value->string() : nullptr;
    return text ? *text : std::string();
}

rgb_color WPrefsServer::colorForKey(std::string_view key) const
{
    if (auto color = mPrefsDictionary.colorForKey(key))
        return *color;
    // A stored colour mangled by hand must not turn the text invisible.
    static const WDictionary fallback = defaultPreferences({});
    if (auto color = fallback.colorForKey(key))
        return *color;
    return rgb_color{0.0f, 0.0f, 0.0f, 0.0f};
}

WColor WPrefsServer::nscolorForKey(std::string_view key) const
{
    return WColorUtils::convertStructToNSColor(colorForKey(key));
}

bool WPrefsServer::commit()
{
    mPrefsDictionary = mTempDictionary;
    const bool saved = mUserDefaults->setDictionary(mPrefsDictionary, userDefaultsKey);
    if (!saved)
        WLog::write("WPrefsServer::commit - the preferences could not be saved.");
    return saved;
}

void WPrefsServer::revert()
{
    mTempDictionary = mPrefsDictionary;
}
