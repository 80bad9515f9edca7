#include "platform/WAtomicFileCalls.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

int WAtomicFileCalls::open(const char* path, int flags, mode_t mode)
{
    return ::open(path, flags, mode);
}

ssize_t WAtomicFileCalls::write(int fd, const void* data, size_t size)
{
    return ::write(fd, data, size);
}

ssize_t WAtomicFileCalls::pwrite(int fd, const void* data, size_t size, off_t offset)
{
    return ::pwrite(fd, data, size, offset);
}

ssize_t WAtomicFileCalls::pread(int fd, void* data, size_t size, off_t offset)
{
    return ::pread(fd, data, size, offset);
}

int WAtomicFileCalls::fsync(int fd)
{
    return ::fsync(fd);
}

int WAtomicFileCalls::close(int fd)
{
    return ::close(fd);
}

int WAtomicFileCalls::ftruncate(int fd, off_t size)
{
    return ::ftruncate(fd, size);
}

int WAtomicFileCalls::reserve(int fd, off_t size)
{
    return ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size);
}

int WAtomicFileCalls::fchmod(int fd, mode_t mode)
{
    return ::fchmod(fd, mode);
}

int WAtomicFileCalls::fchown(int fd, uid_t owner, gid_t group)
{
    return ::fchown(fd, owner, group);
}

ssize_t WAtomicFileCalls::listxattr(const char* path, char* names, size_t size)
{
    return ::listxattr(path, names, size);
}

ssize_t WAtomicFileCalls::getxattr(const char* path, const char* name, void* value, size_t size)
{
    return ::getxattr(path, name, value, size);
}

int WAtomicFileCalls::fsetxattr(int fd, const char* name, const void* value, size_t size)
{
    return ::fsetxattr(fd, name, value, size, 0);
}

int WAtomicFileCalls::link(const char* from, const char* to)
{
    return ::link(from, to);
}

int WAtomicFileCalls::rename(const char* from, const char* to)
{
    return ::rename(from, to);
}

int WAtomicFileCalls::unlink(const char* path)
{
    return ::unlink(path);
}

int WAtomicFileCalls::syncFolder(const char* path)
{
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    const int result = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    errno = error;
    return result;
}
