#include "platform/WFileRead.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::optional<std::string> WFileRead::regularFile(const std::filesystem::path& file, size_t maxBytes)
{
    int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<std::string> bytes;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && static_cast<uint64_t>(status.st_size) <= maxBytes) {
        std::string data;
        data.reserve(static_cast<size_t>(status.st_size));
        char buffer[65536];
        for (;;) {
            ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                break;
            if (n == 0) {
                bytes = std::move(data);
                break;
            }
            if (data.size() + static_cast<size_t>(n) > maxBytes)
                break;  // grew past the limit while being read
            data.append(buffer, static_cast<size_t>(n));
        }
    }
    ::close(fd);
    return bytes;
}
