#include "platform/WFileRead.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::optional<std::string> WFileRead::regularFile(const std::filesystem::path& file, size_t maxBytes, int* error,
                                                  Links links)
{
    auto fail = [&](int code) -> std::optional<std::string> {
        if (error)
            *error = code;
        return std::nullopt;
    };
    const int fd = ::open(file.c_str(),
                          O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (links == Links::Refuse ? O_NOFOLLOW : 0));
    if (fd < 0)
        return fail(errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return fail(errno);
    if (S_ISDIR(status.st_mode))
        return fail(EISDIR);
    if (!S_ISREG(status.st_mode))
        return fail(ENODEV);
    if (static_cast<uint64_t>(status.st_size) > maxBytes)
        return fail(EFBIG);
    std::string data;
    data.reserve(static_cast<size_t>(status.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(errno);
        if (n == 0)
            return data;
        if (data.size() + static_cast<size_t>(n) > maxBytes)
            return fail(EFBIG);  // grew past the limit while being read
        data.append(buffer, static_cast<size_t>(n));
    }
}

std::string WFileRead::describe(int error)
{
    switch (error) {
    case ENOENT: return "not found";
    case EISDIR: return "a folder, not a file";
    case ENODEV: return "not an ordinary file";
    case EFBIG: return "too large";
    case EACCES:
    case EPERM: return "permission denied";
    default: return std::strerror(error);
    }
}
