// Committing the preferences while one step of writing their file fails.
#include "WAtomicFileFaults.h"
#include "platform/WLog.h"
#include "platform/WPlainPlatform.h"
#include "prefs/WPrefsServer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

TEST(PreferenceFileFaultTest, AFailingStepKeepsTheStoredPreferences)
{
    std::string pattern = (fs::temp_directory_path() / "wexel-prefs-faults-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path folder = pattern;
    const fs::path file = folder / "Wexel.plist";
    WPlainPlatform platform;
    platform.home = folder;
    WPlatform::setShared(&platform);
    WAtomicFile::setRecoveryFolder(folder / "recovery");
    std::vector<std::string> logged;
    WLog::Sink previousSink = WLog::setSink([&](std::string_view line) { logged.emplace_back(line); });

    WPrefsServer store(file);
    ::chmod(file.c_str(), 0604);
    const bool hasAttribute = ::setxattr(file.c_str(), "user.note", "mine", 4, 0) == 0;
    const std::string stored = contents(file);

    WFaultyCalls recording;
    {
        WCallsInstalled installed(recording);
        store.tempDictionary().setInt(2, "key_bind_type");
        ASSERT_TRUE(store.commit());
    }
    std::ofstream(file, std::ios::binary | std::ios::trunc) << stored;

    int step = 0;
    for (const std::string& call : recording.seen) {
        SCOPED_TRACE(call + " #" + std::to_string(step));
        WFaultyCalls faulty;
        faulty.failAt = step++;
        logged.clear();
        store.tempDictionary().setInt(3, "key_bind_type");
        bool saved = false;
        {
            WCallsInstalled installed(faulty);
            saved = store.commit();
        }
        if (saved) {
            // Tidying up and the old file's second name are not needed for a good save.
            EXPECT_TRUE(call == "unlink" || call == "link");
            std::ofstream(file, std::ios::binary | std::ios::trunc) << stored;
            continue;
        }
        EXPECT_EQ(contents(file), stored);
        struct stat info{};
        ::stat(file.c_str(), &info);
        EXPECT_EQ(info.st_mode & 07777, 0604u);
        char value[8] = {};
        if (hasAttribute) {
            EXPECT_EQ(::getxattr(file.c_str(), "user.note", value, sizeof value), 4);
        }
        size_t files = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
            ++files;
        EXPECT_EQ(files, 1u);  // no temporary left beside it
        ASSERT_FALSE(logged.empty());
        const int error = WFaultyCalls::usualError(call);
        const char* words = error == ENOSPC ? "not enough space" : error == EIO ? "input/output error" : "permission";
        EXPECT_NE(logged[0].find(words), std::string::npos) << logged[0];
        EXPECT_NE(store.userDefaults().lastFailure().find(words), std::string::npos);
    }
    EXPECT_GT(step, 8);

    WLog::setSink(previousSink);
    WAtomicFile::setRecoveryFolder({});
    WPlatform::setShared(nullptr);
    fs::remove_all(folder);
}

}  // namespace
