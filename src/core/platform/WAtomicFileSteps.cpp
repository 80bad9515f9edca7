#include "platform/WAtomicFileSteps.h"

#include "platform/WLog.h"

#include <cerrno>
#include <charconv>
#include <random>
#include <signal.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace WAtomicFileSteps {

WFileWriteResult failure(int error, std::string message, const fs::path& target)
{
    WLog::write("WAtomicFile::write - " + message + " (" + target.string() + ")");
    return WFileWriteResult{false, error, std::move(message)};
}

std::string ownedSuffix()
{
    static std::mt19937_64 generator{std::random_device{}()};
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string suffix = std::to_string(::getpid()) + "-";
    for (int i = 0; i < 8; ++i)
        suffix += letters[generator() % (sizeof letters - 1)];
    return suffix;
}

bool isStale(std::string_view suffix)
{
    pid_t pid = 0;
    const auto [end, problem] = std::from_chars(suffix.data(), suffix.data() + suffix.size(), pid);
    if (problem != std::errc() || end == suffix.data() || end == suffix.data() + suffix.size() || *end != '-'
        || pid <= 0)
        return false;  // not a name of ours
    if (pid == ::getpid())
        return true;
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

bool writeAll(int fd, std::string_view bytes, int& error, off_t offset)
{
    WAtomicFileCalls& calls = WAtomicFile::calls();
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = offset < 0 ? calls.write(fd, data, left) : calls.pwrite(fd, data, left, offset);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        if (written == 0) {  // a regular file that takes nothing more is full
            error = ENOSPC;
            return false;
        }
        data += written;
        left -= static_cast<size_t>(written);
        if (offset >= 0)
            offset += written;
    }
    return true;
}

bool copyBytes(int fromFd, off_t fromOffset, int toFd, off_t toOffset, off_t length, int& error)
{
    WAtomicFileCalls& calls = WAtomicFile::calls();
    std::vector<char> buffer(static_cast<size_t>(std::min<off_t>(length, 1 << 20)) + 1);
    while (length > 0) {
        const ssize_t got = calls.pread(fromFd, buffer.data(), static_cast<size_t>(std::min<off_t>(length, buffer.size())),
                                        fromOffset);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        if (got == 0) {  // the file is shorter than it said
            error = EIO;
            return false;
        }
        if (!writeAll(toFd, std::string_view(buffer.data(), static_cast<size_t>(got)), error, toOffset))
            return false;
        fromOffset += got;
        toOffset += got;
        length -= got;
    }
    return true;
}

int reserve(int fd, off_t size)
{
    if (size <= 0 || WAtomicFile::calls().reserve(fd, size) == 0)
        return 0;
    const int error = errno;
    return error == ENOSPC || error == EDQUOT || error == EFBIG ? error : 0;
}

void closeQuietly(int fd)
{
    const int saved = errno;
    if (fd >= 0)
        WAtomicFile::calls().close(fd);
    errno = saved;
}

}  // namespace WAtomicFileSteps
