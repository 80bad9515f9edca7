#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "menus/WMenu.h"
#include "platform/WLog.h"
#include "platform/WPlainPlatform.h"
#include "text/WStringUtils.h"

inline std::u16string u(std::string_view utf8) { return WStringUtils::fromUtf8(utf8); }
inline std::string s(std::u16string_view text) { return WStringUtils::toUtf8(text); }

// A home folder of its own for each test, installed as the platform's, with
// the log captured.
class MenuFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        home = std::filesystem::temp_directory_path() /
               ("wexel-menus-" + std::to_string(random()) + "-" + std::to_string(random()));
        std::filesystem::create_directories(home);
        platform.home = home;
        platform.resourceFolders = {std::filesystem::path(WEXEL_TEST_DATA) / ".." / ".." / "resources"};
        WPlatform::setShared(&platform);
        previousSink = WLog::setSink([this](std::string_view line) { logLines.emplace_back(line); });
    }

    void TearDown() override
    {
        WLog::setSink(previousSink);
        WPlatform::setShared(nullptr);
        std::error_code error;
        std::filesystem::remove_all(home, error);
    }

    std::filesystem::path library() const { return home / "Library" / "Wexel"; }

    static void writeFile(const std::filesystem::path& path, std::string_view bytes)
    {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    std::filesystem::path home;
    WPlainPlatform platform;
    WLog::Sink previousSink;
    std::vector<std::string> logLines;
};

// The titles of a menu's items, in order, as UTF-8.
inline std::vector<std::string> titlesOf(const WMenu& menu)
{
    std::vector<std::string> titles;
    for (const auto& item : menu.itemArray())
        titles.push_back(WStringUtils::toUtf8(item->title()));
    return titles;
}
