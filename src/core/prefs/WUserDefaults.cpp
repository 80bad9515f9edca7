#include "prefs/WUserDefaults.h"

#include "platform/WAtomicFile.h"
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
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return ReadOutcome::absent;
        reason = std::strerror(errno);
        return ReadOutcome::failed;
    }
    struct stat info{};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        reason = "not an ordinary file";
        return ReadOutcome::failed;
    }
    if (static_cast<uintmax_t>(info.st_size) > WPlistUserDefaults::largestFileSize) {
        ::close(fd);
        reason = "too large";
        return ReadOutcome::failed;
    }
    bytes.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            reason = std::strerror(errno);
            ::close(fd);
            return ReadOutcome::failed;
        }
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(got));
        if (bytes.size() > WPlistUserDefaults::largestFileSize) {
            reason = "too large";
            ::close(fd);
            return ReadOutcome::failed;
        }
    }
    ::close(fd);
    return ReadOutcome::read;
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
    std::string bytes;
    std::string reason;
    const ReadOutcome outcome = readWholeFile(mFile, bytes, reason);
    if (outcome == ReadOutcome::absent)
        return;
    if (outcome == ReadOutcome::read) {
        auto root = WPlistSerialization::propertyListFromData(bytes);
        if (root && root->dictionary()) {
            // Every value at the top must be a dictionary for us to keep it
            // under its key; a file of ours never holds anything else there.
            bool allDictionaries = true;
            for (const auto& [key, value] : *root->dictionary())
                allDictionaries = allDictionaries && value.dictionary();
            if (allDictionaries) {
                mRoot = *root->dictionary();
                return;
            }
        }
        reason = bytes.empty() ? "empty" : "not a property list of dictionaries";
    }

    mFoundBrokenFile = true;
    log("the preferences file cannot be used (" + reason + "); the defaults are used", mFile);
    // Keep what was there for the user before it is replaced; never replace
    // what we could not keep.
    fs::path copy = mFile;
    copy += ".broken";
    bool kept = false;
    if (outcome == ReadOutcome::read) {
        kept = bool(WAtomicFile::write(copy, bytes));
    } else {
        std::error_code error;
        kept = fs::copy_file(mFile, copy, fs::copy_options::overwrite_existing, error);
    }
    if (kept) {
        log("the unusable file was kept as " + copy.filename().string(), mFile);
    } else {
        mWritable = false;
        log("the unusable file could not be copied; it is left as it is and preferences are not saved", mFile);
    }
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
    return bool(WAtomicFile::write(mFile, WPlistSerialization::xmlDataFromPropertyList(WPlistValue(mRoot))));
}
