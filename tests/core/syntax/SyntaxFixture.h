#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/WLog.h"
#include "platform/WPlainPlatform.h"

// A private resources folder and home folder for one test, with the log captured.
class SyntaxFixture : public ::testing::Test {
protected:
    void SetUp() override {
        mRoot = std::filesystem::temp_directory_path() /
                ("wexel-syntax-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(mRoot);
        std::filesystem::create_directories(resources());
        std::filesystem::create_directories(userSettings());
        mPlatform.home = mRoot / "home";
        mPlatform.resourceFolders = {resources()};
        WPlatform::setShared(&mPlatform);
        mOldSink = WLog::setSink([this](std::string_view line) { log.emplace_back(line); });
    }
    void TearDown() override {
        WLog::setSink(mOldSink);
        WPlatform::setShared(nullptr);
        std::filesystem::remove_all(mRoot);
    }

    std::filesystem::path resources() const { return mRoot / "resources"; }
    std::filesystem::path userSettings() const { return mRoot / "home" / "Library" / "Wexel" / "settings"; }
    static void write(const std::filesystem::path& file, std::string_view text) {
        std::ofstream(file, std::ios::binary) << text;
    }
    void shipped(const std::string& name, std::string_view text) { write(resources() / (name + ".txt"), text); }
    void user(const std::string& name, std::string_view text) { write(userSettings() / (name + ".txt"), text); }
    bool logged(std::string_view line) const {
        for (const auto& l : log)
            if (l == line) return true;
        return false;
    }

    std::vector<std::string> log;
    WPlainPlatform mPlatform;

private:
    std::filesystem::path mRoot;
    WLog::Sink mOldSink;
};
