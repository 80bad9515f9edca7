#include "platform/WAtomicFile.h"

#include "platform/WLog.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kMaxLinkHops = 40;  // as the kernel allows before ELOOP

std::string quoted(const fs::path& path)
{
    return "\u201C" + path.string() + "\u201D";
}

fs::path folderOf(const fs::path& file)
{
    fs::path folder = file.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// The sentence the user sees for an errno met while writing `file`.
std::string describe(int error, const fs::path& file)
{
    switch (error) {
    case ENOSPC:
        return "The disk is full.";
    case EDQUOT:
        return "Your disk quota is used up.";
    case EFBIG:
        return "The file is too large to be written there.";
    case EROFS:
        return "The disk holding the folder " + quoted(folderOf(file)) + " is read-only.";
    case EACCES:
    case EPERM:
        return "The folder " + quoted(folderOf(file)) + " is not writable.";
    case ENOENT:
    case ENOTDIR:
        return "The folder " + quoted(folderOf(file)) + " does not exist.";
    case ENAMETOOLONG:
        return "The name of the file " + quoted(file) + " is too long.";
    case ELOOP:
        return "The symbolic links at " + quoted(file) + " go round in a circle.";
    case EIO:
        return "The disk reported an error while writing " + quoted(file) + ".";
    default:
        return "The file " + quoted(file) + " could not be written (" + std::strerror(error) + ").";
    }
}

WFileWriteResult failure(int error, std::string message, const fs::path& target)
{
    WLog::write("WAtomicFile::write - " + message + " (" + target.string() + ")");
    return WFileWriteResult{false, error, std::move(message)};
}

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

std::string randomSuffix()
{
    static std::mt19937_64 generator{std::random_device{}()};
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string suffix;
    for (int i = 0; i < 8; ++i)
        suffix += letters[generator() % (sizeof letters - 1)];
    return suffix;
}

// Extended attributes of the old file (creator and type codes, a saved
// selection, other programs' tags) go with the new one. Best effort: a
// namespace we may not write is simply left out.
void copyExtendedAttributes(const fs::path& from, int toFd)
{
    ssize_t size = ::listxattr(from.c_str(), nullptr, 0);
    if (size <= 0)
        return;
    std::vector<char> names(static_cast<size_t>(size));
    size = ::listxattr(from.c_str(), names.data(), names.size());
    if (size <= 0)
        return;
    std::vector<char> value;
    for (size_t start = 0; start < static_cast<size_t>(size);) {
        const char* name = names.data() + start;
        start += std::strlen(name) + 1;
        ssize_t length = ::getxattr(from.c_str(), name, nullptr, 0);
        if (length < 0)
            continue;
        value.resize(static_cast<size_t>(length));
        length = ::getxattr(from.c_str(), name, value.data(), value.size());
        if (length >= 0)
            ::fsetxattr(toFd, name, value.data(), static_cast<size_t>(length), 0);
    }
}

bool writeAll(int fd, std::string_view bytes, int& error)
{
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        if (written == 0) {  // should not happen for a regular file; avoid spinning
            error = EIO;
            return false;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

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
        path = next.is_absolute() ? next : folderOf(path) / next;
    }
}

WFileWriteResult WAtomicFile::write(const fs::path& target, std::string_view bytes)
{
    if (target.empty())
        return failure(ENOENT, "No file name was given.", target);

    int linkError = 0;
    const fs::path file = resolvedTarget(target, &linkError);
    if (file.empty())
        return failure(linkError, describe(linkError, target), target);

    struct stat old;
    const bool replacing = ::stat(file.c_str(), &old) == 0;
    if (const int statError = errno; !replacing && statError != ENOENT)
        return failure(statError, describe(statError, file), target);
    if (replacing) {
        if (S_ISDIR(old.st_mode))
            return failure(EISDIR, quoted(file) + " is a folder, not a file.", target);
        if (!S_ISREG(old.st_mode))
            return failure(EINVAL, quoted(file) + " is not an ordinary file.", target);
        // Renaming would quietly defeat a file the user locked against writing.
        if (::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0 && (errno == EACCES || errno == EPERM))
            return failure(EACCES, "The file " + quoted(file) + " is read-only.", target);
    }

    const fs::path folder = folderOf(file);
    // The temporary's name must fit where the target's did: a name near the
    // file system's limit is shortened (bytes are fine, it is never shown).
    std::string stem = file.filename().string();
    if (stem.size() > 200)
        stem.resize(200);
    fs::path temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder / ("." + stem + ".wexel-" + randomSuffix());
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        const int error = errno;
        return failure(error, describe(error, file), target);
    }

    auto abandon = [&](int error, std::string message) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return failure(error, std::move(message), target);
    };

    int error = 0;
    if (!writeAll(fd, bytes, error))
        return abandon(error, describe(error, file));

    if (replacing) {
        copyExtendedAttributes(file, fd);
        // Keep the owner where we may (as root, or the group for its members);
        // the file stays ours otherwise.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    const mode_t mode = replacing ? (old.st_mode & 07777) : (0666 & ~currentUmask());
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) {
        error = errno;
        return abandon(error, describe(error, file));
    }
    if (::close(fd) != 0) {
        error = errno;
        ::unlink(temporary.c_str());
        return failure(error, describe(error, file), target);
    }

    if (::rename(temporary.c_str(), file.c_str()) != 0) {
        error = errno;
        ::unlink(temporary.c_str());
        return failure(error, describe(error, file), target);
    }

    // Make the rename itself durable. The new text is in place by now, so a
    // folder that cannot be flushed (some file systems refuse) is only noted.
    int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        if (::fsync(folderFd) != 0 && errno != EINVAL && errno != ENOTSUP)
            WLog::write("WAtomicFile::write - the folder could not be flushed (" + folder.string() + ")");
        ::close(folderFd);
    }
    return WFileWriteResult{true, 0, {}};
}
