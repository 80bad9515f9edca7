#include "prefs/WUserDefaults.h"

#include "platform/WAtomicFile.h"
#include "platform/WFileRead.h"
#include "platform/WLog.h"
#include "platform/WPlatform.h"
#include "prefs/WPlistSerialization.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void log(std::string_view text, const fs::path& file)
{
    WLog::write("WPlistUserDefaults : " + std::string(text) + " (" + file.string() + ")");
}

enum class ReadOutcome { read, absent, failed };

// The whole file, refusing anything that is not an ordinary file of a sane size.
ReadOutcome readWholeFile(const fs::path& file, std::string& bytes, std::string& reason)
{
    int error = 0;
    std::optional<std::string> read = WFileRead::regularFile(file, WPlistUserDefaults::largestFileSize, &error);
    if (read) {
        bytes = std::move(*read);
        return ReadOutcome::read;
    }
    if (error == ENOENT)
        return ReadOutcome::absent;
    reason = WFileRead::describe(error);
    return ReadOutcome::failed;
}

}  // namespace

std::optional<WDictionary> WMemoryUserDefaults::dictionaryForKey(std::string_view key)
{
    auto found = stored.find(key);
    if (found == stored.end())
        return std::nullopt;
    return found->second;
}

bool WMemoryUserDefaults::setDictionary(const WDictionary& dictionary, std::string_view key)
{
    stored.insert_or_assign(std::string(key), dictionary);
    ++writeCount;
    return true;
}

WPlistUserDefaults::WPlistUserDefaults(fs::path file)
    : mFile(std::move(file))
{
    load();
}

fs::path WPlistUserDefaults::defaultLocation()
{
    fs::path folder;
    if (const char* configHome = std::getenv("XDG_CONFIG_HOME"); configHome && *configHome) {
        folder = configHome;
        if (!folder.is_absolute())
            folder.clear();
    }
    if (folder.empty())
        folder = WPlatform::shared().homeDirectory() / ".config";
    return folder / "Wexel" / "Wexel.plist";
}

void WPlistUserDefaults::load()
{
    WAtomicFile::recover(mFile);  // what a save cut off by a crash left
    std::string bytes;
    std::string reason;
    const ReadOutcome outcome = readWholeFile(mFile, bytes, reason);
    if (outcome == ReadOutcome::absent)
        return;
    if (outcome == ReadOutcome::read) {
        auto root = WPlistSerialization::propertyListFromData(bytes);
        // Entries we do not know, of any kind, are kept and written back.
        if (root && root->dictionary()) {
            mRoot = *root->dictionary();
            return;
        }
        reason = bytes.empty() ? "empty" : "not a property list holding a dictionary";
    }

    mFoundBrokenFile = true;
    log("the preferences file cannot be used (" + reason + "); the defaults are used", mFile);
    // Keep what was there for the user before it is replaced; never replace
    // what we could not keep.
    if (!keepAside(outcome == ReadOutcome::read ? &bytes : nullptr)) {
        mWritable = false;
        log("the unusable file could not be copied; it is left as it is and preferences are not saved", mFile);
    }
}

bool WPlistUserDefaults::keepAside(const std::string* bytes)
{
    // "<name>.broken", else "<name>.broken-2" and on: an earlier copy is never replaced.
    for (int number = 1; number <= 1000; ++number) {
        fs::path copy = mFile;
        copy += number == 1 ? std::string(".broken") : ".broken-" + std::to_string(number);
        std::error_code error;
        if (bytes) {
            const int fd = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (fd < 0 && errno == EEXIST)
                continue;
            if (fd < 0)
                return false;
            size_t written = 0;
            while (written < bytes->size()) {
                const ssize_t n = ::write(fd, bytes->data() + written, bytes->size() - written);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    break;
                written += static_cast<size_t>(n);
            }
            const bool complete = written == bytes->size() && ::fsync(fd) == 0;
            ::close(fd);
            if (!complete) {
                fs::remove(copy, error);
                return false;
            }
        } else if (!fs::copy_file(mFile, copy, fs::copy_options::none, error)) {
            if (error == std::errc::file_exists)
                continue;
            return false;
        }
        log("the unusable file was kept as " + copy.filename().string(), mFile);
        return true;
    }
    return false;
}

std::optional<WDictionary> WPlistUserDefaults::dictionaryForKey(std::string_view key)
{
    const WPlistValue* value = mRoot.objectForKey(key);
    const WDictionary* dictionary = value ? value->dictionary() : nullptr;
    if (!dictionary)
        return std::nullopt;
    return *dictionary;
}

bool WPlistUserDefaults::setDictionary(const WDictionary& dictionary, std::string_view key)
{
    // Something other than a dictionary under our key is not ours to drop unseen.
    if (const WPlistValue* old = mRoot.objectForKey(key); old && !old->dictionary() && mWritable) {
        log("the value under " + std::string(key) + " is no dictionary and is replaced", mFile);
        if (!keepAside(nullptr))
            mWritable = false;
    }
    mRoot.setObject(WPlistValue(dictionary), key);
    if (!mWritable) {
        log("preferences not saved: the unusable file is left in place", mFile);
        return false;
    }

    const fs::path folder = mFile.parent_path();
    std::error_code error;
    if (!folder.empty() && !fs::exists(folder, error)) {
        // The folder holds only our own settings; nobody else needs to read it.
        if (!fs::create_directories(folder, error) && error) {
            log("the folder could not be made: " + error.message(), folder);
            return false;
        }
        fs::permissions(folder, fs::perms::owner_all, error);
    }
    const WFileWriteResult written =
        WAtomicFile::write(mFile, WPlistSerialization::xmlDataFromPropertyList(WPlistValue(mRoot)));
    mLastFailure = written.message;
    return bool(written);
}
