#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// How a file write went. On failure `message` is a sentence for the user
// ("The disk is full.") and `error` the errno of the step that failed.
struct WFileWriteResult {
    bool ok = false;
    int error = 0;
    std::string message;

    explicit operator bool() const { return ok; }
};

// Replaces a whole file so that a crash or a full disk never leaves it half
// written: the bytes go to a fresh file beside the target, are flushed to the
// disk, take over the old file's permissions (and owner and extended attributes
// where allowed), and only then are renamed over it. A symbolic link at the
// target is followed, so the link stays and the file it points to is replaced.
// On failure the target is untouched, nothing is left behind, and one line
// goes to the log.
class WAtomicFile {
public:
    static WFileWriteResult write(const std::filesystem::path& target, std::string_view bytes);

    // Where a write to `target` really lands: symbolic links followed to the
    // file (existing or not) that they name. Gives the path itself when it is
    // not a link; an empty path when the links loop or cannot be read.
    static std::filesystem::path resolvedTarget(const std::filesystem::path& target, int* error = nullptr);
};
