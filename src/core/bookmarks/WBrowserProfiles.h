#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Where this desktop's browsers keep the bookmarks of their default profile.
namespace WBrowserProfiles {

// places.sqlite of Firefox's default profile: the profile an install section
// (in installs.ini or profiles.ini) names, else the one marked Default=1,
// else the only one. Looks in ~/.mozilla/firefox, then the snap and flatpak
// homes.
std::optional<std::filesystem::path> firefoxPlaces(const std::filesystem::path& home);

// Profile folder named by the text of a profiles.ini and an installs.ini
// (either may be empty); relative paths are taken from root.
std::optional<std::filesystem::path> firefoxProfile(std::string_view profilesIni, std::string_view installsIni,
                                                    const std::filesystem::path& root);

struct ChromiumBrowser {
    std::u16string menuTitle;           // "Chromium", "Google Chrome", "Brave"
    std::filesystem::path configFolder;  // holds "Local State" and the profiles
    bool alwaysListed;                  // listed even when the browser is not set up
};

// The Chromium family in menu order.
std::vector<ChromiumBrowser> chromiumBrowsers(const std::filesystem::path& home);

// The Bookmarks file of the browser's last used profile ("Default" when
// "Local State" does not say).
std::filesystem::path chromiumBookmarks(const std::filesystem::path& configFolder);

}  // namespace WBrowserProfiles
