#pragma once

#include "platform/WAtomicFileCalls.h"

#include <filesystem>
#include <string>
#include <string_view>

// How a file write went. On failure `message` is a sentence for the user
// ("There is not enough space on the disk to save …") and `error` the errno of
// the step that failed.
struct WFileWriteResult {
    bool ok = false;
    int error = 0;
    std::string message;

    explicit operator bool() const { return ok; }
};

// Replaces a whole file so that a crash or a full disk never leaves it half
// written: the bytes go to a fresh file beside the target, are flushed to the
// disk, take over the old file's owner, extended attributes and permissions,
// and only then are renamed over it. The old file stays reachable under a
// second name until the folder is flushed, so that a folder that cannot be
// flushed gets the old file back.
//
// A file that cannot be replaced by a rename (it has other hard links, its
// folder is not writable, its owner or group could not be kept, it is a mount
// point) is written in place instead, after a copy of its old bytes has been
// secured in the recovery folder; a failed write puts the old bytes back from
// that copy, and a save cut off by a crash is undone by `recover` before the
// file is next read. A symbolic link at the target is followed, so the link
// stays and the file it points to is written.
//
// On failure the target keeps its bytes, mode, owner and attributes, nothing
// of ours is left behind, and one line goes to the log.
class WAtomicFile {
public:
    static WFileWriteResult write(const std::filesystem::path& target, std::string_view bytes);

    // Before a file is read: finishes what crashed saves left (see
    // recoverAll) and removes our temporaries beside the file that no running
    // save owns.
    static void recover(const std::filesystem::path& target);
    // At start-up: every in-place save that a crash cut off gets its file's
    // old bytes back, and the copies of finished ones are removed.
    static void recoverAll();

    // Where a write to `target` really lands: symbolic links followed to the
    // file (existing or not) that they name. Gives the path itself when it is
    // not a link; an empty path when the links loop or cannot be read.
    static std::filesystem::path resolvedTarget(const std::filesystem::path& target, int* error = nullptr);

    // Where copies of files being written in place are kept:
    // $XDG_STATE_HOME/Wexel/Recovery, ~/.local/state standing in for an unset
    // or relative $XDG_STATE_HOME. An empty path goes back to that default.
    static std::filesystem::path recoveryFolder();
    static void setRecoveryFolder(std::filesystem::path folder);

    // The calls every write goes through; tests install their own (not owned).
    // Null goes back to the real ones. Answers the previous calls.
    static WAtomicFileCalls& calls();
    static WAtomicFileCalls* setCalls(WAtomicFileCalls* calls);

private:
    static WFileWriteResult writeInPlace(const std::filesystem::path& file, const std::filesystem::path& target,
                                         std::string_view bytes);
    static void removeStaleTemporaries(const std::filesystem::path& file);
};
