#include "platform/WFileMessages.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The nearest folder above `file` that is there (for "does not exist") and
// the first part of the path that is there but is no folder (for "not a folder").
struct PathProblem {
    fs::path missingFolder;
    fs::path notAFolder;
};

PathProblem findPathProblem(const fs::path& file)
{
    PathProblem problem;
    fs::path walked;
    const fs::path absolute = file.is_absolute() ? file : fs::path(".") / file;
    for (auto part = absolute.begin(); part != absolute.end(); ++part) {
        walked /= *part;
        if (std::next(part) == absolute.end())
            break;  // the file itself
        struct stat info{};
        if (::stat(walked.c_str(), &info) != 0) {
            if (errno == ENOENT)
                problem.missingFolder = walked;
            else if (errno == ENOTDIR)
                continue;  // reported for the part before
            return problem;
        }
        if (!S_ISDIR(info.st_mode)) {
            problem.notAFolder = walked;
            return problem;
        }
    }
    return problem;
}

std::string lowerFirst(const char* text)
{
    std::string sentence = text;
    if (!sentence.empty() && sentence[0] >= 'A' && sentence[0] <= 'Z')
        sentence[0] = static_cast<char>(sentence[0] - 'A' + 'a');
    return sentence;
}

}  // namespace

std::string WFileMessages::quoted(const fs::path& path)
{
    return "\u201C" + path.string() + "\u201D";
}

fs::path WFileMessages::folderOf(const fs::path& file)
{
    fs::path folder = file.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

std::string WFileMessages::cannotSave(int error, const fs::path& file)
{
    const fs::path folder = folderOf(file);
    switch (error) {
    case ENOSPC:
        return "There is not enough space on the disk to save " + quoted(file) + ".";
    case EDQUOT:
        return "There is not enough space left in your disk quota to save " + quoted(file) + ".";
    case EFBIG:
        return "The file " + quoted(file) + " is too large for the disk it is saved on.";
    case EROFS:
        return "The disk holding the folder " + quoted(folder) + " is read-only (a read-only file system).";
    case EACCES:
    case EPERM:
        // The file's own lock first: a locked file in a locked folder is the file's fault.
        if (::access(file.c_str(), F_OK) == 0 && ::access(file.c_str(), W_OK) != 0)
            return "You do not have permission to change the file " + quoted(file) + ".";
        if (::access(folder.c_str(), W_OK) != 0 && errno != ENOENT)
            return "You do not have permission to save files in the folder " + quoted(folder) + ".";
        return "You do not have permission to change the file " + quoted(file) + ".";
    case ENOENT:
    case ENOTDIR: {
        const PathProblem problem = findPathProblem(file);
        if (!problem.notAFolder.empty())
            return quoted(problem.notAFolder) + " is a file, not a folder, so nothing can be saved inside it.";
        if (!problem.missingFolder.empty())
            return "The folder " + quoted(problem.missingFolder) + " does not exist.";
        // The folder is there but makes no new entries (/proc, /sys).
        return "The folder " + quoted(folder) + " does not allow new files to be made in it.";
    }
    case EISDIR:
        return quoted(file) + " is a folder, not a file.";
    case ENAMETOOLONG:
        return "The name of the file " + quoted(file) + " is too long.";
    case ELOOP:
        return "The symbolic links at " + quoted(file) + " go round in a circle.";
    case EIO:
        return "The disk reported an error (input/output error) while saving " + quoted(file) + ".";
    case ETXTBSY:
        return "The file " + quoted(file) + " is a program that is running, so it cannot be changed now.";
    default:
        return "The file " + quoted(file) + " could not be saved: " + lowerFirst(std::strerror(error)) + ".";
    }
}

std::string WFileMessages::cannotRead(int error, const fs::path& file)
{
    const std::string name = quoted(file);
    switch (error) {
    case ENOENT: {
        const PathProblem problem = findPathProblem(file);
        if (!problem.missingFolder.empty())
            return "The file " + name + " could not be opened because the folder " + quoted(problem.missingFolder)
                   + " does not exist (it may have been moved or deleted).";
        return "The file " + name + " could not be opened because it does not exist (it may have been moved or deleted).";
    }
    case ENOTDIR: {
        const PathProblem problem = findPathProblem(file);
        const fs::path culprit = problem.notAFolder.empty() ? folderOf(file) : problem.notAFolder;
        return "The file " + name + " could not be opened because " + quoted(culprit) + " is a file, not a folder.";
    }
    case EACCES:
    case EPERM:
        return "The file " + name + " could not be opened because you do not have permission to read it.";
    case EISDIR:
        return name + " is a folder, not a file, so it cannot be opened as text.";
    case ENOMEM:
        return "The file " + name + " could not be opened because there is not enough memory.";
    case EIO:
        return "The disk reported an error (input/output error) while reading " + name + ".";
    case ELOOP:
        return "The file " + name + " could not be opened because the symbolic links to it go round in a circle.";
    case ENAMETOOLONG:
        return "The file " + name + " could not be opened because its name is too long.";
    default:
        return "The file " + name + " could not be read: " + lowerFirst(std::strerror(error)) + ".";
    }
}
