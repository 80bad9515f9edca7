// Writing a file where it is, for files that a rename would change in a way
// the user notices (other hard links, a folder we may not change, an owner we
// could not keep): the old bytes are first copied to the recovery folder, so
// that a failed or cut-off write can be undone.
#include "platform/WAtomicFile.h"

#include "platform/WAtomicFileSteps.h"
#include "platform/WFileMessages.h"
#include "platform/WLog.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace WAtomicFileSteps;

namespace {

constexpr std::string_view kCopyMagic = "Wexel recovery copy 1\n";
constexpr std::string_view kPartialEnd = ".partial";
constexpr std::string_view kCopyEnd = ".copy";
constexpr size_t kLargestHeader = 8192;

// What a copy says about the file it was taken from; its old bytes follow
// the header.
struct CopyHeader {
    fs::path file;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    off_t bytesAt = 0;
};

std::string headerFor(const fs::path& file, const struct stat& info)
{
    const std::string name = file.string();
    return std::string(kCopyMagic) + "device=" + std::to_string(info.st_dev) + "\ninode=" + std::to_string(info.st_ino)
           + "\nsize=" + std::to_string(info.st_size) + "\npath=" + std::to_string(name.size()) + "\n" + name + "\n";
}

template <typename Number>
bool readField(std::string_view& text, std::string_view key, Number& value)
{
    if (text.substr(0, key.size()) != key)
        return false;
    text.remove_prefix(key.size());
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (problem != std::errc() || end == text.data() + text.size() || *end != '\n')
        return false;
    text.remove_prefix(static_cast<size_t>(end - text.data()) + 1);
    return true;
}

std::optional<CopyHeader> readHeader(int fd)
{
    std::string buffer(kLargestHeader, '\0');
    const ssize_t got = ::pread(fd, buffer.data(), buffer.size(), 0);
    if (got <= 0)
        return std::nullopt;
    buffer.resize(static_cast<size_t>(got));
    std::string_view text = buffer;
    if (text.substr(0, kCopyMagic.size()) != kCopyMagic)
        return std::nullopt;
    text.remove_prefix(kCopyMagic.size());
    CopyHeader header;
    size_t nameLength = 0;
    if (!readField(text, "device=", header.device) || !readField(text, "inode=", header.inode)
        || !readField(text, "size=", header.size) || !readField(text, "path=", nameLength)
        || text.size() < nameLength + 1 || text[nameLength] != '\n' || header.size < 0)
        return std::nullopt;
    header.file = std::string(text.substr(0, nameLength));
    header.bytesAt = static_cast<off_t>(buffer.size() - text.size() + nameLength + 1);
    struct stat info{};
    if (::fstat(fd, &info) != 0 || info.st_size != header.bytesAt + header.size)
        return std::nullopt;  // cut off while it was made: the file was not touched yet
    return header;
}

// Puts `size` old bytes from the copy back into the file.
bool restore(int copyFd, off_t bytesAt, off_t size, int fd, int& error)
{
    WAtomicFileCalls& calls = WAtomicFile::calls();
    if (!copyBytes(copyFd, bytesAt, fd, 0, size, error))
        return false;
    if (calls.ftruncate(fd, size) != 0 || calls.fsync(fd) != 0) {
        error = errno;
        return false;
    }
    return true;
}

// The old bytes of `fd`, made durable in the recovery folder. Answers the
// copy's path and an open descriptor on it (to restore from), or the errno.
bool secureCopy(int fd, const struct stat& info, const fs::path& file, fs::path& copy, int& copyFd, off_t& bytesAt,
                int& error)
{
    WAtomicFileCalls& calls = WAtomicFile::calls();
    const fs::path folder = WAtomicFile::recoveryFolder();
    std::error_code made;
    if (!fs::is_directory(folder, made)) {
        fs::create_directories(folder, made);
        if (made) {
            error = made.value();
            copy = folder;
            return false;
        }
        fs::permissions(folder, fs::perms::owner_all, made);  // old contents of the user's files
    }
    const std::string name = ownedSuffix();
    const fs::path partial = folder / (name + std::string(kPartialEnd));
    copy = partial;
    copyFd = calls.open(partial.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (copyFd < 0) {
        error = errno;
        return false;
    }
    const std::string header = headerFor(file, info);
    bytesAt = static_cast<off_t>(header.size());
    bool done = (error = reserve(copyFd, bytesAt + info.st_size)) == 0 && writeAll(copyFd, header, error, 0)
                && copyBytes(fd, 0, copyFd, bytesAt, info.st_size, error);
    if (done && calls.fsync(copyFd) != 0) {
        error = errno;
        done = false;
    }
    const fs::path finished = folder / (name + std::string(kCopyEnd));
    if (done && calls.rename(partial.c_str(), finished.c_str()) != 0) {
        error = errno;
        done = false;
    }
    if (done && calls.syncFolder(folder.c_str()) != 0 && errno != EINVAL && errno != ENOTSUP) {
        error = errno;
        calls.unlink(finished.c_str());
        copy = finished;
        closeQuietly(copyFd);
        return false;
    }
    if (!done) {
        closeQuietly(copyFd);
        calls.unlink(partial.c_str());
        return false;
    }
    copy = finished;
    return true;
}

}  // namespace

WFileWriteResult WAtomicFile::writeInPlace(const fs::path& file, const fs::path& target, std::string_view bytes)
{
    // A copy left by an earlier save that could not be undone goes back
    // first, so that it is never mistaken later for the old bytes of this one.
    recoverAll();

    WAtomicFileCalls& calls = WAtomicFile::calls();
    int fd = calls.open(file.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0);
    if (fd < 0) {
        const int error = errno;
        return failure(error, WFileMessages::cannotSave(error, file), target);
    }
    struct stat info{};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISREG(info.st_mode) ? errno : EINVAL;
        closeQuietly(fd);
        return failure(error, WFileMessages::cannotSave(error, file), target);
    }
    const off_t size = static_cast<off_t>(bytes.size());
    int error = size > info.st_size ? reserve(fd, size) : 0;
    if (error != 0) {
        closeQuietly(fd);
        return failure(error, WFileMessages::cannotSave(error, file), target);
    }

    fs::path copy;
    int copyFd = -1;
    off_t bytesAt = 0;
    if (!secureCopy(fd, info, file, copy, copyFd, bytesAt, error)) {
        closeQuietly(fd);
        return failure(error,
                       "The file " + WFileMessages::quoted(file)
                           + " is written where it is (it has other links, or its folder cannot be changed), and a "
                             "copy of its old content could not be made first. "
                           + WFileMessages::cannotSave(error, copy),
                       target);
    }

    bool written = writeAll(fd, bytes, error, 0);
    if (written && (calls.ftruncate(fd, size) != 0 || calls.fsync(fd) != 0)) {
        error = errno;
        written = false;
    }
    if (written) {
        const int closed = calls.close(fd);
        fd = -1;
        if (closed != 0) {
            error = errno;
            written = false;
        }
    }
    if (written) {
        closeQuietly(copyFd);
        calls.unlink(copy.c_str());
        return WFileWriteResult{true, 0, {}};
    }

    std::string message = WFileMessages::cannotSave(error, file);
    int restoreError = 0;
    if (fd < 0)
        fd = calls.open(file.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0);
    if (fd >= 0 && restore(copyFd, bytesAt, info.st_size, fd, restoreError)) {
        calls.unlink(copy.c_str());
    } else {
        message += " Its old content could not be put back yet; it is kept in " + WFileMessages::quoted(copy)
                   + ", and Wexel puts it back when it next opens the file or starts.";
    }
    closeQuietly(fd);
    closeQuietly(copyFd);
    return failure(error, std::move(message), target);
}

void WAtomicFile::recoverAll()
{
    const fs::path folder = recoveryFolder();
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        const fs::path path = entry->path();
        const std::string name = path.filename().string();
        if (!isStale(name))
            continue;
        if (name.ends_with(kPartialEnd)) {
            ::unlink(path.c_str());  // cut off before the file itself was touched
            continue;
        }
        if (!name.ends_with(kCopyEnd))
            continue;
        const int copyFd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (copyFd < 0)
            continue;
        const std::optional<CopyHeader> header = readHeader(copyFd);
        if (!header) {
            ::close(copyFd);
            ::unlink(path.c_str());
            continue;
        }
        const int fd = ::open(header->file.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
        struct stat info{};
        bool done = true;
        if (fd < 0 && errno != ENOENT) {
            done = false;  // there, but not ours to write now: try again another time
        } else if (fd >= 0 && ::fstat(fd, &info) == 0 && info.st_dev == header->device && info.st_ino == header->inode) {
            int restoreError = 0;
            done = restore(copyFd, header->bytesAt, header->size, fd, restoreError);
            WLog::write("WAtomicFile::recover - " + std::string(done ? "put back" : "could not put back")
                        + " the old content of " + header->file.string() + ", whose save did not finish");
        } else {
            // The file is gone or was replaced since: these bytes are no longer its content.
            WLog::write("WAtomicFile::recover - dropped the copy of " + header->file.string()
                        + ", which is no longer the file it was taken from");
        }
        if (fd >= 0)
            ::close(fd);
        ::close(copyFd);
        if (done)
            ::unlink(path.c_str());
    }
}
