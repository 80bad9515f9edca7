#pragma once

#include <fcntl.h>
#include <sys/types.h>

// The system calls by which the atomic writer changes the disk, one member
// each, with the errno convention of the calls themselves. The members do
// exactly what the system does; a test derives from this to make one step
// fail and see that the file survives.
class WAtomicFileCalls {
public:
    virtual ~WAtomicFileCalls() = default;

    virtual int open(const char* path, int flags, mode_t mode);
    virtual ssize_t write(int fd, const void* data, size_t size);
    virtual ssize_t pwrite(int fd, const void* data, size_t size, off_t offset);
    virtual ssize_t pread(int fd, void* data, size_t size, off_t offset);
    virtual int fsync(int fd);
    virtual int close(int fd);
    virtual int ftruncate(int fd, off_t size);
    // Reserves room for a file's new bytes without changing its size.
    virtual int reserve(int fd, off_t size);
    virtual int fchmod(int fd, mode_t mode);
    virtual int fchown(int fd, uid_t owner, gid_t group);
    virtual ssize_t listxattr(const char* path, char* names, size_t size);
    virtual ssize_t getxattr(const char* path, const char* name, void* value, size_t size);
    virtual int fsetxattr(int fd, const char* name, const void* value, size_t size);
    virtual int link(const char* from, const char* to);
    virtual int rename(const char* from, const char* to);
    virtual int unlink(const char* path);
    // Makes the names in a folder durable (open, fsync, close).
    virtual int syncFolder(const char* path);
};
