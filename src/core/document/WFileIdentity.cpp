#include "document/WFileIdentity.h"

#include <sys/stat.h>

std::optional<WFileIdentity> WFileIdentity::of(const std::filesystem::path& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    WFileIdentity identity;
    identity.device = static_cast<uint64_t>(status.st_dev);
    identity.inode = static_cast<uint64_t>(status.st_ino);
    identity.size = static_cast<uint64_t>(status.st_size);
    identity.modificationTime =
        static_cast<int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + static_cast<int64_t>(status.st_mtim.tv_nsec);
    return identity;
}
