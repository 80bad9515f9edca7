#pragma once

#include <filesystem>
#include <string>

// What the user is told when a file cannot be read or saved: the cause in
// plain words (missing, no permission, read-only disk, not a folder, no space,
// a disk error), naming the file or the folder that is at fault.
class WFileMessages {
public:
    // “name”, in the quotation marks every message uses.
    static std::string quoted(const std::filesystem::path& path);

    // For an errno met while saving `file`.
    static std::string cannotSave(int error, const std::filesystem::path& file);
    // For an errno met while opening or reading `file`.
    static std::string cannotRead(int error, const std::filesystem::path& file);

    // The folder a file is in ("." for a bare name).
    static std::filesystem::path folderOf(const std::filesystem::path& file);
};
