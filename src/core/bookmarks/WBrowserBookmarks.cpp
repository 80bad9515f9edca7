#include "bookmarks/WBrowserBookmarks.h"

#include <system_error>

#include "bookmarks/WBrowserProfiles.h"
#include "bookmarks/WChromiumBookmarks.h"
#include "bookmarks/WFirefoxBookmarks.h"
#include "platform/WLog.h"
#include "text/WStringUtils.h"

namespace {

bool isThere(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// A browser that is not set up at all is no news; anything else that keeps a
// store from being read is said once.
std::vector<WBookmark> foldersOf(WBookmarkStore store, std::u16string_view browser, bool setUp)
{
    std::string name = WStringUtils::toUtf8(browser);
    if (!store.ok()) {
        if (setUp)
            WLog::write(name + " bookmarks : " + store.error);
        return {};
    }
    if (store.skipped > 0)
        WLog::write(name + " bookmarks : " + std::to_string(store.skipped) + " unusable entries left out");
    return std::move(store.folders);
}

}  // namespace

std::vector<WBrowserBookmarks::Browser> WBrowserBookmarks::read(const std::filesystem::path& home)
{
    std::vector<Browser> browsers;
    std::optional<std::filesystem::path> places = WBrowserProfiles::firefoxPlaces(home);
    browsers.push_back({u"Firefox", places ? foldersOf(WFirefoxBookmarks::read(*places), u"Firefox", true)
                                           : std::vector<WBookmark>()});
    for (const WBrowserProfiles::ChromiumBrowser& browser : WBrowserProfiles::chromiumBrowsers(home)) {
        bool setUp = isThere(browser.configFolder);
        if (!setUp && !browser.alwaysListed)
            continue;
        std::vector<WBookmark> folders;
        if (setUp)
            folders = foldersOf(WChromiumBookmarks::read(WBrowserProfiles::chromiumBookmarks(browser.configFolder)),
                                browser.menuTitle, true);
        browsers.push_back({browser.menuTitle, std::move(folders)});
    }
    return browsers;
}

std::vector<std::filesystem::path> WBrowserBookmarks::sourceFiles(const std::filesystem::path& home)
{
    std::vector<std::filesystem::path> files;
    if (std::optional<std::filesystem::path> places = WBrowserProfiles::firefoxPlaces(home)) {
        files.push_back(*places);
        files.push_back(std::filesystem::path(*places) += "-wal");
    }
    for (const WBrowserProfiles::ChromiumBrowser& browser : WBrowserProfiles::chromiumBrowsers(home)) {
        files.push_back(browser.configFolder);
        files.push_back(WBrowserProfiles::chromiumBookmarks(browser.configFolder));
    }
    return files;
}
