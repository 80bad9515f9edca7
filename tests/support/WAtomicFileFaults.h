#pragma once

// The writer's system calls with one of them made to fail (or to end the
// process, as a crash would), for the fault tests of files and preferences.

#include "platform/WAtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <unistd.h>
#include <vector>

class WFaultyCalls : public WAtomicFileCalls {
public:
    std::vector<std::string> seen;  // every call made, by name
    int failAt = -1;                // index into `seen` of the call that fails
    std::string failFirst;          // or: the first call of this name fails
    int error = 0;                  // its errno; 0 picks the usual one for the call
    bool crash = false;             // end the process there instead
    bool shortWrites = false;       // every write takes at most 1000 bytes

    // What each call typically fails with on a real disk.
    static int usualError(const std::string& call)
    {
        if (call == "write" || call == "pwrite" || call == "reserve" || call == "open" || call == "fsetxattr")
            return ENOSPC;
        if (call == "fchown" || call == "fchmod")
            return EPERM;
        if (call == "rename")
            return EACCES;
        if (call == "link")
            return EMLINK;
        return EIO;
    }

    int open(const char* p, int f, mode_t m) override { return fails("open") ? -1 : WAtomicFileCalls::open(p, f, m); }
    ssize_t write(int fd, const void* d, size_t n) override
    {
        return fails("write") ? -1 : WAtomicFileCalls::write(fd, d, shortWrites ? std::min<size_t>(n, 1000) : n);
    }
    ssize_t pwrite(int fd, const void* d, size_t n, off_t o) override
    {
        return fails("pwrite") ? -1 : WAtomicFileCalls::pwrite(fd, d, shortWrites ? std::min<size_t>(n, 1000) : n, o);
    }
    ssize_t pread(int fd, void* d, size_t n, off_t o) override
    {
        return fails("pread") ? -1 : WAtomicFileCalls::pread(fd, d, n, o);
    }
    int fsync(int fd) override { return fails("fsync") ? -1 : WAtomicFileCalls::fsync(fd); }
    int close(int fd) override
    {
        // A failed close still closes, as the system's does.
        const bool failing = fails("close");
        const int result = WAtomicFileCalls::close(fd);
        if (failing)
            errno = error ? error : EIO;
        return failing ? -1 : result;
    }
    int ftruncate(int fd, off_t s) override { return fails("ftruncate") ? -1 : WAtomicFileCalls::ftruncate(fd, s); }
    int reserve(int fd, off_t s) override { return fails("reserve") ? -1 : WAtomicFileCalls::reserve(fd, s); }
    int fchmod(int fd, mode_t m) override { return fails("fchmod") ? -1 : WAtomicFileCalls::fchmod(fd, m); }
    int fchown(int fd, uid_t u, gid_t g) override { return fails("fchown") ? -1 : WAtomicFileCalls::fchown(fd, u, g); }
    ssize_t listxattr(const char* p, char* n, size_t s) override
    {
        return fails("listxattr") ? -1 : WAtomicFileCalls::listxattr(p, n, s);
    }
    ssize_t getxattr(const char* p, const char* n, void* v, size_t s) override
    {
        return fails("getxattr") ? -1 : WAtomicFileCalls::getxattr(p, n, v, s);
    }
    int fsetxattr(int fd, const char* n, const void* v, size_t s) override
    {
        return fails("fsetxattr") ? -1 : WAtomicFileCalls::fsetxattr(fd, n, v, s);
    }
    int link(const char* a, const char* b) override { return fails("link") ? -1 : WAtomicFileCalls::link(a, b); }
    int rename(const char* a, const char* b) override { return fails("rename") ? -1 : WAtomicFileCalls::rename(a, b); }
    int unlink(const char* p) override { return fails("unlink") ? -1 : WAtomicFileCalls::unlink(p); }
    int syncFolder(const char* p) override { return fails("syncFolder") ? -1 : WAtomicFileCalls::syncFolder(p); }

private:
    bool fails(const char* call)
    {
        seen.emplace_back(call);
        const bool byName = !failFirst.empty() && failFirst == call;
        if (byName)
            failFirst.clear();
        else if (static_cast<int>(seen.size()) - 1 != failAt)
            return false;
        if (crash)
            ::_exit(0);
        errno = error ? error : usualError(call);
        return true;
    }
};

// Installs calls for the life of a scope.
class WCallsInstalled {
public:
    explicit WCallsInstalled(WAtomicFileCalls& calls) : mPrevious(WAtomicFile::setCalls(&calls)) {}
    ~WCallsInstalled() { WAtomicFile::setCalls(mPrevious); }

private:
    WAtomicFileCalls* mPrevious;
};
