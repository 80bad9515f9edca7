#include "bookmarks/WBrowserProfiles.h"

#include <map>
#include <system_error>

#include <nlohmann/json.hpp>

#include "platform/WFileRead.h"

namespace {

using Sections = std::vector<std::pair<std::string, std::map<std::string, std::string>>>;

// An ini file's sections in file order, each with its keys.
Sections parseIni(std::string_view text)
{
    Sections sections;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            sections.emplace_back(std::string(line.substr(1, line.size() - 2)), std::map<std::string, std::string>{});
        } else if (size_t equals = line.find('='); equals != std::string_view::npos && !sections.empty()) {
            sections.back().second[std::string(line.substr(0, equals))] = std::string(line.substr(equals + 1));
        }
    }
    return sections;
}

std::string valueOf(const std::map<std::string, std::string>& keys, const std::string& key)
{
    auto found = keys.find(key);
    return found == keys.end() ? std::string() : found->second;
}

bool isFolder(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

// Small text files only: an ini or "Local State" of many megabytes is not one.
std::string smallFile(const std::filesystem::path& path)
{
    return WFileRead::regularFile(path, 4 << 20).value_or(std::string());
}

}  // namespace

std::optional<std::filesystem::path> WBrowserProfiles::firefoxProfile(std::string_view profilesIni,
                                                                      std::string_view installsIni,
                                                                      const std::filesystem::path& root)
{
    Sections profiles = parseIni(profilesIni);
    std::string chosen;
    for (const Sections& file : {parseIni(installsIni), profiles}) {
        for (const auto& [name, keys] : file) {
            if (name.rfind("Install", 0) == 0 && !valueOf(keys, "Default").empty()) {
                chosen = valueOf(keys, "Default");
                break;
            }
        }
        if (!chosen.empty())
            break;
    }
    bool chosenIsRelative = true;
    std::string onlyPath;
    int profileCount = 0;
    for (const auto& [name, keys] : profiles) {
        if (name.rfind("Profile", 0) != 0)
            continue;
        ++profileCount;
        std::string path = valueOf(keys, "Path");
        bool relative = valueOf(keys, "IsRelative") != "0";
        if (!chosen.empty() && path == chosen) {
            chosenIsRelative = relative;
            break;
        }
        if (chosen.empty() && valueOf(keys, "Default") == "1") {
            chosen = path;
            chosenIsRelative = relative;
            break;
        }
        onlyPath = path;
        chosenIsRelative = relative;
    }
    if (chosen.empty() && profileCount == 1)
        chosen = onlyPath;
    if (chosen.empty())
        return std::nullopt;
    return chosenIsRelative ? root / chosen : std::filesystem::path(chosen);
}

std::optional<std::filesystem::path> WBrowserProfiles::firefoxPlaces(const std::filesystem::path& home)
{
    for (const std::filesystem::path& root :
         {home / ".mozilla" / "firefox", home / "snap" / "firefox" / "common" / ".mozilla" / "firefox",
          home / ".var" / "app" / "org.mozilla.firefox" / ".mozilla" / "firefox"}) {
        if (!isFolder(root))
            continue;
        std::optional<std::filesystem::path> profile =
            firefoxProfile(smallFile(root / "profiles.ini"), smallFile(root / "installs.ini"), root);
        if (profile)
            return *profile / "places.sqlite";
    }
    return std::nullopt;
}

std::vector<WBrowserProfiles::ChromiumBrowser> WBrowserProfiles::chromiumBrowsers(const std::filesystem::path& home)
{
    std::filesystem::path config = home / ".config";
    return {
        {u"Chromium", config / "chromium", true},
        {u"Google Chrome", config / "google-chrome", false},
        {u"Brave", config / "BraveSoftware" / "Brave-Browser", false},
    };
}

std::filesystem::path WBrowserProfiles::chromiumBookmarks(const std::filesystem::path& configFolder)
{
    std::string profile = "Default";
    nlohmann::json state = nlohmann::json::parse(smallFile(configFolder / "Local State"), nullptr, false);
    if (state.is_object()) {
        auto section = state.find("profile");
        if (section != state.end() && section->is_object()) {
            auto lastUsed = section->find("last_used");
            if (lastUsed != section->end() && lastUsed->is_string()) {
                std::string name = lastUsed->get<std::string>();
                // A profile is a folder right here, never a path elsewhere.
                if (!name.empty() && name.find('/') == std::string::npos && name != "." && name != "..")
                    profile = name;
            }
        }
    }
    return configFolder / profile / "Bookmarks";
}
