#include "platform/WPlainPlatform.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace {
WPlatform* installedPlatform = nullptr;

WPlainPlatform& plainPlatform()
{
    static WPlainPlatform platform;
    return platform;
}
}  // namespace

WPlatform& WPlatform::shared()
{
    return installedPlatform ? *installedPlatform : plainPlatform();
}

void WPlatform::setShared(WPlatform* platform)
{
    installedPlatform = platform;
}

std::vector<WFontCatalog::Member>
WPlainPlatform::FixedFontCatalog::membersOfFamily(std::string_view family) const
{
    for (const auto& [name, members] : membersByFamily) {
        if (name == family)
            return members;
    }
    return {};
}

WPlainPlatform::WPlainPlatform()
    : resourceFolders(defaultResourceFolders())
{
    home = userHomeFolder();
}

std::filesystem::path WPlainPlatform::userHomeFolder()
{
    if (const char* homeVariable = std::getenv("HOME"); homeVariable && *homeVariable)
        return homeVariable;
    // Started without HOME (by a service manager, say): the account's own folder.
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir
        && *found->pw_dir)
        return found->pw_dir;
    return "/";
}

std::vector<std::filesystem::path> WPlainPlatform::defaultResourceFolders()
{
    std::vector<std::filesystem::path> folders;
    if (const char* fromEnvironment = std::getenv("WEXEL_RESOURCES"); fromEnvironment && *fromEnvironment)
        folders.emplace_back(fromEnvironment);
    folders.emplace_back(WEXEL_RESOURCE_DIR);
    folders.emplace_back(WEXEL_SOURCE_RESOURCES);
    return folders;
}

std::optional<std::filesystem::path> WPlainPlatform::pathForResource(std::string_view name,
                                                                     std::string_view ext) const
{
    std::string fileName(name);
    if (!ext.empty()) {
        fileName += '.';
        fileName += ext;
    }
    // Resources may sit in a subfolder ("settings/", "samples/"); look there too.
    for (const auto& folder : resourceFolders) {
        std::error_code error;
        if (!std::filesystem::is_directory(folder, error))
            continue;
        if (auto direct = folder / fileName; std::filesystem::is_regular_file(direct, error))
            return direct;
        // Stepped with an error code: a range-for would throw on a failed step.
        for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            std::error_code entryError;
            if (it->is_directory(entryError)) {
                if (auto nested = it->path() / fileName; std::filesystem::is_regular_file(nested, entryError))
                    return nested;
            }
        }
    }
    return std::nullopt;
}

std::optional<WPixelSize> WPlainPlatform::imageSize(const std::filesystem::path& image) const
{
    for (const auto& [path, size] : imageSizes) {
        if (path == image)
            return size;
    }
    return std::nullopt;
}

bool WPlainPlatform::openFile(const std::filesystem::path& file)
{
    openedFiles.push_back(file);
    return true;
}
