#pragma once

// Pieces shared by the two ways WAtomicFile writes a file (a fresh file
// renamed over the old one, and in place); not for use elsewhere.

#include "platform/WAtomicFile.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace WAtomicFileSteps {

// Logs the failure and answers it.
WFileWriteResult failure(int error, std::string message, const std::filesystem::path& target);

// "<pid>-<letters and digits>": how the names of our temporaries and copies
// end, so that a later run can tell whether the save that made one is still
// running.
std::string ownedSuffix();
// True when `suffix` (as ownedSuffix makes, with anything after it) names a
// process that is gone, or this one: saves run one at a time, so none of ours
// is under way while a file is being recovered.
bool isStale(std::string_view suffix);

// All of `bytes` through `calls.write` (offset < 0) or `calls.pwrite` at
// `offset`, going on after short writes. False with `error` set otherwise.
bool writeAll(int fd, std::string_view bytes, int& error, off_t offset = -1);

// `length` bytes from one file to another, in pieces.
bool copyBytes(int fromFd, off_t fromOffset, int toFd, off_t toOffset, off_t length, int& error);

// Makes room for `size` bytes up front, so that a full disk shows before
// anything is changed. Answers 0, or the errno of a full disk or quota;
// file systems that cannot reserve count as success.
int reserve(int fd, off_t size);

// Closes without disturbing errno.
void closeQuietly(int fd);

}  // namespace WAtomicFileSteps
