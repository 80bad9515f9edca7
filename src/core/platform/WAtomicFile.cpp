#include "platform/WAtomicFile.h"

#include "platform/WAtomicFileSteps.h"
#include "platform/WFileMessages.h"
#include "platform/WLog.h"
#include "platform/WPlatform.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace WAtomicFileSteps;

namespace {

constexpr int kMaxLinkHops = 40;  // as the kernel allows before ELOOP
constexpr std::string_view kTemporaryMark = ".wexel-";
constexpr std::string_view kOldNameEnd = ".old";

WAtomicFileCalls gSystemCalls;
WAtomicFileCalls* gCalls = &gSystemCalls;
fs::path gRecoveryFolder;

mode_t currentUmask()
{
    // Reading it from /proc leaves the process umask alone for other threads.
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    }
    mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// ".<name>.wexel-": how every temporary beside `file` begins. A name near the
// file system's limit is shortened so that the temporary's name still fits.
std::string temporaryPrefix(const fs::path& file)
{
    std::string stem = file.filename().string();
    if (stem.size() > 200)
        stem.resize(200);
    return "." + stem + std::string(kTemporaryMark);
}

// A rename keeps the old file's owner and group only where we may set them.
bool canKeepOwner(const struct stat& old)
{
    const uid_t user = ::geteuid();
    if (user == 0)
        return true;
    if (old.st_uid != user)
        return false;
    if (old.st_gid == ::getegid())
        return true;
    std::vector<gid_t> groups(static_cast<size_t>(std::max(::getgroups(0, nullptr), 0)) + 1);
    const int count = ::getgroups(static_cast<int>(groups.size()), groups.data());
    return std::find(groups.begin(), groups.begin() + std::max(count, 0), old.st_gid) != groups.begin() + std::max(count, 0);
}

// Extended attributes of the old file (creator and type codes, a saved
// selection, other programs' tags, access lists) go with the new one.
// Namespaces that only the system may write are left to it; anything else
// that fails fails the save, since the new file would lose what the old one had.
bool copyExtendedAttributes(const fs::path& from, int toFd, int& error)
{
    WAtomicFileCalls& calls = WAtomicFile::calls();
    std::vector<char> names;
    ssize_t size = 0;
    for (;;) {
        size = calls.listxattr(from.c_str(), names.data(), names.size());
        if (size >= 0 && (static_cast<size_t>(size) <= names.size() || !names.empty()))
            break;
        if (size < 0 && errno != ERANGE) {
            if (errno == ENOTSUP)
                return true;  // none to copy
            error = errno;
            return false;
        }
        names.resize(size > 0 ? static_cast<size_t>(size) : names.size() * 2 + 256);
    }
    std::vector<char> value;
    for (size_t start = 0; start < static_cast<size_t>(size);) {
        const char* name = names.data() + start;
        start += std::strlen(name) + 1;
        const bool ours = std::strncmp(name, "user.", 5) == 0;
        ssize_t length = calls.getxattr(from.c_str(), name, nullptr, 0);
        if (length >= 0) {
            value.resize(static_cast<size_t>(length) + 1);
            length = calls.getxattr(from.c_str(), name, value.data(), value.size());
        }
        if (length < 0) {
            if (errno == ENODATA)
                continue;  // removed meanwhile
            error = errno;
            return false;
        }
        if (calls.fsetxattr(toFd, name, value.data(), static_cast<size_t>(length)) != 0) {
            if (!ours && (errno == EPERM || errno == EACCES || errno == ENOTSUP))
                continue;
            error = errno;
            return false;
        }
    }
    return true;
}

bool folderFlushFailed(int result)
{
    // Some file systems cannot flush a folder at all; that is no failure of ours.
    return result != 0 && errno != EINVAL && errno != ENOTSUP && errno != EROFS;
}

}  // namespace

WAtomicFileCalls& WAtomicFile::calls()
{
    return *gCalls;
}

WAtomicFileCalls* WAtomicFile::setCalls(WAtomicFileCalls* calls)
{
    WAtomicFileCalls* previous = gCalls;
    gCalls = calls ? calls : &gSystemCalls;
    return previous;
}

fs::path WAtomicFile::recoveryFolder()
{
    if (!gRecoveryFolder.empty())
        return gRecoveryFolder;
    const char* state = std::getenv("XDG_STATE_HOME");
    fs::path base = state && *state ? fs::path(state) : fs::path();
    if (!base.is_absolute())
        base = WPlatform::shared().homeDirectory() / ".local" / "state";
    return base / "Wexel" / "Recovery";
}

void WAtomicFile::setRecoveryFolder(fs::path folder)
{
    gRecoveryFolder = std::move(folder);
}

fs::path WAtomicFile::resolvedTarget(const fs::path& target, int* error)
{
    fs::path path = target;
    for (int hops = 0;; ++hops) {
        struct stat info;
        if (::lstat(path.c_str(), &info) != 0) {
            if (errno == ENOENT)
                return path;  // a new file, or a link to one not made yet
            if (error)
                *error = errno;
            return {};
        }
        if (!S_ISLNK(info.st_mode))
            return path;
        if (hops >= kMaxLinkHops) {
            if (error)
                *error = ELOOP;
            return {};
        }
        std::vector<char> buffer(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1);
        ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (length < 0 || static_cast<size_t>(length) >= buffer.size()) {
            if (error)
                *error = length < 0 ? errno : ENAMETOOLONG;
            return {};
        }
        fs::path next(std::string(buffer.data(), static_cast<size_t>(length)));
        path = next.is_absolute() ? next : WFileMessages::folderOf(path) / next;
    }
}

WFileWriteResult WAtomicFile::write(const fs::path& target, std::string_view bytes)
{
    if (target.empty())
        return failure(ENOENT, "No file name was given.", target);

    int linkError = 0;
    const fs::path file = resolvedTarget(target, &linkError);
    if (file.empty())
        return failure(linkError, WFileMessages::cannotSave(linkError, target), target);

    struct stat old;
    const bool replacing = ::stat(file.c_str(), &old) == 0;
    if (const int statError = errno; !replacing && statError != ENOENT)
        return failure(statError, WFileMessages::cannotSave(statError, file), target);
    const fs::path folder = WFileMessages::folderOf(file);
    if (replacing) {
        if (S_ISDIR(old.st_mode))
            return failure(EISDIR, WFileMessages::cannotSave(EISDIR, file), target);
        if (!S_ISREG(old.st_mode))
            return failure(EINVAL, WFileMessages::quoted(file) + " is not an ordinary file, so it is not saved over.",
                           target);
        // Renaming would quietly defeat a file the user locked against writing.
        if (::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0 && (errno == EACCES || errno == EPERM))
            return failure(EACCES, "The file " + WFileMessages::quoted(file) + " is locked (read-only).", target);
        // A rename would break other hard links, need a folder we may change
        // and give the file to us; such files are written where they are.
        if (old.st_nlink > 1 || !canKeepOwner(old)
            || ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
            return writeInPlace(file, target, bytes);
    }
    removeStaleTemporaries(file);

    WAtomicFileCalls& calls = WAtomicFile::calls();
    const std::string prefix = temporaryPrefix(file);
    fs::path temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder / (prefix + ownedSuffix());
        fd = calls.open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        const int error = errno;
        if (replacing && (error == EACCES || error == EPERM))
            return writeInPlace(file, target, bytes);  // the folder said no after all
        return failure(error, WFileMessages::cannotSave(error, file), target);
    }

    fs::path oldName;  // the old file's second name while the rename is made durable
    auto abandon = [&](int error, std::string message) {
        closeQuietly(fd);
        calls.unlink(temporary.c_str());
        if (!oldName.empty())
            calls.unlink(oldName.c_str());
        return failure(error, std::move(message), target);
    };
    auto abandonFor = [&](int error) { return abandon(error, WFileMessages::cannotSave(error, file)); };

    int error = reserve(fd, static_cast<off_t>(bytes.size()));
    if (error != 0 || !writeAll(fd, bytes, error))
        return abandonFor(error);

    if (replacing) {
        // Owner first: changing it clears set-user-ID bits and capabilities,
        // which the attributes and the mode below put back.
        if (calls.fchown(fd, old.st_uid, old.st_gid) != 0)
            return abandonFor(errno);
        if (!copyExtendedAttributes(file, fd, error)) {
            return abandon(error, WFileMessages::cannotSave(error, file)
                                      + " (The file\u2019s extended attributes could not be carried over.)");
        }
    }
    const mode_t mode = replacing ? (old.st_mode & 07777) : (0666 & ~currentUmask());
    if (calls.fchmod(fd, mode) != 0 || calls.fsync(fd) != 0)
        return abandonFor(errno);
    const int closed = calls.close(fd);
    fd = -1;
    if (closed != 0)
        return abandonFor(errno);

    if (replacing) {
        oldName = folder / (temporary.filename().string() + std::string(kOldNameEnd));
        if (calls.link(file.c_str(), oldName.c_str()) != 0)
            oldName.clear();  // no second names here: the old file cannot be brought back after the rename
    }
    if (calls.rename(temporary.c_str(), file.c_str()) != 0) {
        error = errno;
        if (replacing && (error == EBUSY || error == EXDEV)) {
            // A file mounted over (a bind mount) cannot be renamed over.
            calls.unlink(temporary.c_str());
            if (!oldName.empty())
                calls.unlink(oldName.c_str());
            return writeInPlace(file, target, bytes);
        }
        return abandonFor(error);
    }

    // Make the rename itself durable; when that fails, the old file goes back.
    if (folderFlushFailed(calls.syncFolder(folder.c_str()))) {
        error = errno;
        if (!replacing) {
            calls.unlink(file.c_str());
        } else if (!oldName.empty() && calls.rename(oldName.c_str(), file.c_str()) == 0) {
            oldName.clear();
            calls.syncFolder(folder.c_str());
        } else {
            // The new bytes are in place and flushed; only their name may not be.
            WLog::write("WAtomicFile::write - the folder could not be flushed (" + folder.string() + ")");
            error = 0;
        }
        if (error != 0) {
            if (!oldName.empty())
                calls.unlink(oldName.c_str());
            return failure(error, WFileMessages::cannotSave(error, file), target);
        }
    }
    if (!oldName.empty())
        calls.unlink(oldName.c_str());
    return WFileWriteResult{true, 0, {}};
}

void WAtomicFile::removeStaleTemporaries(const fs::path& file)
{
    const std::string prefix = temporaryPrefix(file);
    std::error_code error;
    for (fs::directory_iterator entry(WFileMessages::folderOf(file), error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0
            && isStale(std::string_view(name).substr(prefix.size()))) {
            if (::unlink(entry->path().c_str()) == 0)
                WLog::write("WAtomicFile::recover - removed the temporary " + entry->path().string()
                            + " of a save that did not finish");
        }
    }
}

void WAtomicFile::recover(const fs::path& target)
{
    recoverAll();
    const fs::path file = resolvedTarget(target);
    if (!file.empty())
        removeStaleTemporaries(file);
}
