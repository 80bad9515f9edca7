#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/WLog.h"
#include "platform/WPlainPlatform.h"

// What every fuzz target shares: a private, empty home folder, the shipped
// resources of the source tree, a silent log, and a scratch file for readers
// that only take a path.
namespace fuzz {

inline std::filesystem::path scratchFolder()
{
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / ("wexel-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path / "home");
        return path;
    }();
    return folder;
}

inline WPlainPlatform& platform()
{
    static WPlainPlatform* shared = [] {
        auto* p = new WPlainPlatform;
        p->home = scratchFolder() / "home";
        p->resourceFolders = {WEXEL_SOURCE_RESOURCES};
        WPlatform::setShared(p);
        WLog::setSink([](std::string_view) {});
        std::atexit([] { std::filesystem::remove_all(scratchFolder()); });
        return p;
    }();
    return *shared;
}

// The bytes as a file of the given name in the scratch folder.
inline std::filesystem::path writeScratch(std::string_view name, const uint8_t* data, size_t size)
{
    auto path = scratchFolder() / name;
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                  static_cast<std::streamsize>(size));
    return path;
}

// A broken promise of the code under test: report it the way a sanitizer
// would, so that the fuzzer keeps the input.
[[noreturn]] inline void fail(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}

}  // namespace fuzz

#define FUZZ_CHECK(condition) ((condition) ? (void)0 : ::fuzz::fail(#condition, __FILE__, __LINE__))
