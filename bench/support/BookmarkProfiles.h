#pragma once

// A home folder with a Firefox and a Chromium profile, each holding
// kBookmarks bookmarks in folders of kPerFolder, two levels deep, installed
// as the platform's home for as long as it lives.
#include <filesystem>
#include <fstream>
#include <string>

#include "PlacesDatabase.h"
#include "platform/WPlainPlatform.h"

namespace bench {

namespace fs = std::filesystem;

constexpr int kBookmarks = 20000;
constexpr int kPerFolder = 50;

class Profiles {
public:
    Profiles()
    {
        home = fs::temp_directory_path() / "wexel-bench-bookmarks";
        fs::remove_all(home);
        {
            PlacesDatabase db(firefoxDefaultPlaces(home));
            db.exec("BEGIN");
            int64_t folder = 0;
            for (int i = 0; i < kBookmarks; ++i) {
                if (i % kPerFolder == 0)
                    folder = db.folder(db.folder(PlacesDatabase::Menu, "Folder " + std::to_string(i)), "Inner");
                db.bookmark(folder, "ブックマーク " + std::to_string(i), "https://example.jp/page/" + std::to_string(i));
            }
            db.exec("COMMIT");
        }
        std::string json = R"({"roots": {"bookmark_bar": {"children": [)";
        for (int i = 0; i < kBookmarks; i += kPerFolder) {
            json += std::string(i ? "," : "") + R"({"type": "folder", "name": "Folder", "children": [)";
            for (int k = i; k < i + kPerFolder; ++k)
                json += std::string(k > i ? "," : "") + R"({"type": "url", "name": "ブックマーク )" +
                        std::to_string(k) + R"(", "url": "https://example.jp/page/)" + std::to_string(k) + "\"}";
            json += "]}";
        }
        json += "]}}}";
        fs::create_directories(chromium().parent_path());
        std::ofstream(chromium(), std::ios::binary) << json;
        platform.home = home;
        WPlatform::setShared(&platform);
    }
    ~Profiles()
    {
        WPlatform::setShared(nullptr);
        fs::remove_all(home);
    }
    fs::path places() const { return home / ".mozilla/firefox/abcd.default-release/places.sqlite"; }
    fs::path chromium() const { return home / ".config/chromium/Default/Bookmarks"; }

    fs::path home;
    WPlainPlatform platform;
};

Profiles& profiles()
{
    static Profiles instance;
    return instance;
}

}  // namespace bench
